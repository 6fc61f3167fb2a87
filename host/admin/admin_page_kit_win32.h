#pragma once
// What the four administration pages share: their texts in and out of the
// controls (UTF-8 inside, UTF-16 at the control), the result box, sending a
// command or a plan through the context, and the virtual list views.
#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
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

// A refusal of the operator's input before anything is sent.
void refuse(HWND page, AdminContext& context, const std::string& title, const std::string& message);
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
Exchange send(AdminContext& context, const std::string& command);
// A command whose reply a reader reads: the same, but the reply is judged
// only if the reader refuses it (whyUnread): judging reads every line, and
// a listing of 50,000 rows is read once.
Exchange sendForReader(AdminContext& context, const std::string& command);
// Why an answered reply could not be read: the server's refusal when it
// refused (a server without the command says so), else the reader's words.
// The reply must be as the server sent it.
std::string whyUnread(const Exchange& exchange, const std::string& readerFailure);

// Sends a plan's commands in order up to the first one refused or not
// answered; the outcome's summary says what was applied and what was not.
admin::PlanOutcome runPlan(AdminContext& context, const admin::Plan& plan);
// For the change record: what the page read back after runPlan ("written
// and read back", or what the server holds instead).
void reportReadBack(AdminContext& context, const std::string& readBack);

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

// The page's state object, kept in DWLP_USER from WM_INITDIALOG on.
template <typename State>
State* stateOf(HWND page) {
    return reinterpret_cast<State*>(GetWindowLongPtrW(page, DWLP_USER));
}

}  // namespace admin_page
