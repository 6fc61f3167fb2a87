#pragma once
// What the four administration pages share: their texts in and out of the
// controls (UTF-8 inside, UTF-16 at the control), the result box, sending a
// command or a plan through the context (replies without colour codes), the
// write sequence (refuse, nothing changed, ask, send, read back, verdict),
// the dialog procedure, and the virtual list views.
#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "host/admin/admin_pages_win32.h"
#include "host/admin/admin_plans.h"
#include "host/admin/admin_reply.h"

namespace admin_page {

std::string controlText(HWND page, int id);
void setControlText(HWND page, int id, const std::string& utf8);
// The page's result box (IDC_ADMIN_RESULT): what the last action came to.
void showResult(HWND page, const std::string& utf8);

// Changes to a page's controls painted once, in the next paint. Under Wine
// some changes draw at once and again when the control paints: a button
// enabled or disabled, the scroll bar of an edit given a text (about a
// millisecond a scroll bar, themed) or of a list given a count. While a
// PageUpdate lives the page is not drawn (WM_SETREDRAW); at its end each
// control it changed is invalidated, its frame too when the frame changed.
// What was waiting to be painted before is painted when it starts. Make it
// once the commands are sent: the page is not repainted while it lives. One
// made while another holds the same page leaves the repaints to that one.
class PageUpdate {
public:
    explicit PageUpdate(HWND page);
    ~PageUpdate();
    PageUpdate(const PageUpdate&) = delete;
    PageUpdate& operator=(const PageUpdate&) = delete;

    // As setControlText, showResult and setRowCount.
    void setText(int id, const std::string& utf8);
    void showResult(const std::string& utf8);
    void setRowCount(int listId, std::size_t rows);
    void enable(int id, bool enabled);
    // A change made to the control by other means: repainted, frame and all.
    void changed(int id);

private:
    struct Repaint {
        HWND control;
        UINT flags;
    };
    void repaint(HWND control, UINT flags);

    HWND page_;
    PageUpdate* holder_ = nullptr;  // the one that turned drawing off, this or an outer one
    std::vector<Repaint> repaints_;
};

// A form's text boxes, one row a box: the control and the form's text it
// holds. A page's form is read and shown through its table.
template <typename Form>
struct FormBox {
    int id;
    std::string Form::*text;
};
template <typename Form, std::size_t N>
Form formFrom(HWND page, const FormBox<Form> (&boxes)[N]) {
    Form form;
    for (const FormBox<Form>& box : boxes) {
        form.*box.text = controlText(page, box.id);
    }
    return form;
}
template <typename Form, std::size_t N>
void showForm(HWND page, const Form& form, const FormBox<Form> (&boxes)[N]) {
    for (const FormBox<Form>& box : boxes) {
        setControlText(page, box.id, form.*box.text);
    }
}
template <typename Form, std::size_t N>
void showForm(PageUpdate& update, const Form& form, const FormBox<Form> (&boxes)[N]) {
    for (const FormBox<Form>& box : boxes) {
        update.setText(box.id, form.*box.text);
    }
}

// A refusal of the operator's input before anything is sent.
// `note` says what was (not) sent.
void refuse(HWND page, AdminContext& context, const std::string& title, const std::string& message,
            const std::string& note = "Nothing was sent.");
// Asks before an action that cannot be undone; true only on Yes (No is the default).
bool confirm(HWND page, AdminContext& context, const std::string& title, const std::string& question);

// One command and its judged reply. False when it was not sent or not
// answered (`verdict.text` says why) or when the server refused it.
struct Exchange {
    bool answered = false;
    bool judged = false;  // `verdict` holds the judge's word on the reply
    session::Reply reply;
    admin::Verdict verdict;
};
// The reply's lines come without colour codes (an operator with glftpd's
// colour flag gets every line coloured): no code reaches a control, a
// question or a result line.
Exchange send(AdminContext& context, const std::string& command);
// A command whose reply a reader reads: the same, but the reply is judged
// only if the reader refuses it (whyUnread): judging reads every line, and
// a listing of 50,000 rows is read once.
Exchange sendForReader(AdminContext& context, const std::string& command);
// Why an answered reply could not be read: the server's refusal when it
// refused (a server without the command says so), else the reader's words.
// The reply must be as the server sent it (but for its colour codes).
std::string whyUnread(const Exchange& exchange, const std::string& readerFailure);

// Sends a plan's commands in order up to the first one refused or not
// answered; the outcome's summary says what was applied and what was not.
admin::PlanOutcome runPlan(AdminContext& context, const admin::Plan& plan);
// For the change record: what the page read back after runPlan ("written
// and read back", or what the server holds instead). runWrite reports it.
void reportReadBack(AdminContext& context, const std::string& readBack);

// What a write's commands came to, for its read-back and verdict.
struct WriteSent {
    admin::PlanOutcome outcome;
    std::vector<session::Reply> replies;  // of the answered commands, in order, without colour codes
    std::string unanswered;               // why the next command had no reply; "" when every one sent had one
};

// The write every page shares: refuse what the plan refuses (nothing
// sent), say so when nothing changed, ask first when it cannot be undone or
// reaches many, send the plan up to its first refusal, read back, show the
// verdict and hand it to the change record. A page says only what is its
// own: the plan, the question, how to read its target back.
struct WriteAction {
    std::string title;     // of the refusal's message box and the question
    admin::Plan plan;
    std::string question;  // non-empty: asked first, No the default
    std::string notConfirmed;  // the result when not confirmed
    std::string nothingChanged = "Nothing changed: nothing was sent.";
    std::string refusedNote = "Nothing was sent.";  // after a refusal of the plan
    // A change for many: the count the question named; the server's
    // "applied to N" must equal it.
    std::int64_t confirmedCount = -1;
    // Reads the target back after sending (whatever the server answered):
    // "" when read, with what it shows of the written settings in `values`,
    // else why not. Unset: nothing is read back.
    std::function<std::string(const WriteSent& sent, std::vector<admin::Written>& values)> readBack;
    // The verdict in the page's own words (`values` null when nothing was
    // read back, `problem` why not); the change record keeps it too. Unset:
    // admin::writeVerdict, and admin::recordVerdict for the record.
    std::function<std::string(const WriteSent& sent, const std::vector<admin::Written>* values,
                              const std::string& problem)>
        verdict;
    // Shows the verdict, with whatever the read-back changed on the page, in
    // one paint. Unset: the result box shows it.
    std::function<void(const std::string& verdict)> show;
};
enum class WriteResult { Refused, NothingChanged, NotConfirmed, Sent };
// `outcome`, when given, gets what the plan came to.
WriteResult runWrite(HWND page, AdminContext& context, const WriteAction& action,
                     admin::PlanOutcome* outcome = nullptr);

// A report-view list view whose rows live in the page (LVS_OWNERDATA): the
// columns once, then only the row count on a fill.
struct Column {
    const wchar_t* title;
    int widthDlu;
    bool right;
};
void addColumns(HWND page, int listId, const Column* columns, std::size_t count);
void setRowCount(HWND page, int listId, std::size_t rows);
// The selected row, or -1.
int selectedRow(HWND page, int listId);
// Fills an LVN_GETDISPINFOW request with `utf8`, converted straight into
// the list's buffer (cut to its room).
void giveCellText(NMLVDISPINFOW& request, std::string_view utf8);

// The row an LVN_ODFINDITEMW asks for (typing a name in the list, or
// LVM_FINDITEM): the first from `find.iStart` whose name equals the text,
// or starts with it for LVFI_PARTIAL, without regard to ASCII case; -1 when
// none. `nameOf(i)` is row i's name.
int findRow(const NMLVFINDITEMW& find, std::size_t rows, const std::function<std::string_view(std::size_t)>& nameOf);

// A virtual list's request for a cell's text (LVN_GETDISPINFOW), answered
// with cellOf(row, column) for a row below `rows` and a column below
// `columns`. False for any other notification.
template <typename CellOf>
bool giveCell(NMHDR& header, std::size_t rows, int columns, CellOf&& cellOf) {
    if (header.code != LVN_GETDISPINFOW) {
        return false;
    }
    auto& request = reinterpret_cast<NMLVDISPINFOW&>(header);
    const int row = request.item.iItem;
    const int column = request.item.iSubItem;
    if (row >= 0 && static_cast<std::size_t>(row) < rows && column >= 0 && column < columns) {
        giveCellText(request, cellOf(static_cast<std::size_t>(row), column));
    }
    return true;
}
// A virtual list's search for a typed name (LVN_ODFINDITEMW), answered with
// findRow's row in the page's DWLP_MSGRESULT. False for any other
// notification.
bool answerFind(HWND page, NMHDR& header, std::size_t rows, const std::function<std::string_view(std::size_t)>& nameOf);
// Selects and focuses a list view's row and scrolls it into sight; `only`:
// every other row is unselected first.
void selectListRow(HWND page, int listId, std::size_t row, bool only);

// The text on the clipboard as Unicode text.
enum class Copied { Yes, ClipboardBusy, NoMemory };
Copied copyToClipboard(HWND owner, const std::string& utf8);

// A page's buttons, one row a button: its id and what a click does.
template <typename State>
struct Button {
    int id;
    void (*clicked)(HWND page, State& state);
};
// A click (BN_CLICKED) on one of the buttons, handed to its row; false for
// anything else.
template <typename State, std::size_t N>
bool clickButton(HWND page, State& state, int id, int code, const Button<State> (&buttons)[N]) {
    if (code != BN_CLICKED) {
        return false;
    }
    for (const Button<State>& button : buttons) {
        if (button.id == id) {
            button.clicked(page, state);
            return true;
        }
    }
    return false;
}

// The page's state object, kept in DWLP_USER from WM_INITDIALOG on.
template <typename State>
State* stateOf(HWND page) {
    return reinterpret_cast<State*>(GetWindowLongPtrW(page, DWLP_USER));
}

namespace detail {
template <typename State, typename = void>
struct HasNotify : std::false_type {};
template <typename State>
struct HasNotify<State, std::void_t<decltype(std::declval<State&>().notify(HWND{}, std::declval<NMHDR&>()))>>
    : std::true_type {};
template <typename State, typename = void>
struct HasTimer : std::false_type {};
template <typename State>
struct HasTimer<State, std::void_t<decltype(std::declval<State&>().timer(HWND{}, UINT_PTR{}))>> : std::true_type {};
template <typename State, typename = void>
struct HasShown : std::false_type {};
template <typename State>
struct HasShown<State, std::void_t<decltype(std::declval<State&>().shown(HWND{}, bool{}, LPARAM{}))>>
    : std::true_type {};
}  // namespace detail

// The dialog procedure of a page: its State made on WM_INITDIALOG with the
// context (lParam) in `state.context`, then `state.init(page)`; commands go
// to `state.command(page, id, code)`, and where the State has them,
// notifications to `state.notify(page, header)` (true when it set
// DWLP_MSGRESULT), timers to `state.timer(page, id)` and WM_SHOWWINDOW to
// `state.shown(page, shown, lParam)`; the state is deleted with the page
// (its destructor frees what it made). A page says only what is its own.
template <typename State>
INT_PTR CALLBACK pageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    State* state = stateOf<State>(page);
    switch (message) {
    case WM_INITDIALOG: {
        auto* created = new State;
        created->context = reinterpret_cast<AdminContext*>(lParam);
        SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(created));
        created->init(page);
        return TRUE;
    }
    case WM_COMMAND:
        if (state != nullptr) {
            state->command(page, LOWORD(wParam), HIWORD(wParam));
        }
        return TRUE;
    case WM_NOTIFY:
        if constexpr (detail::HasNotify<State>::value) {
            return state != nullptr && state->notify(page, *reinterpret_cast<NMHDR*>(lParam)) ? TRUE : FALSE;
        }
        return FALSE;
    case WM_TIMER:
        if constexpr (detail::HasTimer<State>::value) {
            if (state != nullptr) {
                state->timer(page, static_cast<UINT_PTR>(wParam));
            }
            return TRUE;
        }
        return FALSE;
    case WM_SHOWWINDOW:
        if constexpr (detail::HasShown<State>::value) {
            if (state != nullptr) {
                state->shown(page, wParam != FALSE, lParam);
            }
        }
        return FALSE;
    case WM_NCDESTROY:
        delete state;
        SetWindowLongPtrW(page, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace admin_page
