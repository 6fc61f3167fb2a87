#include "host/admin/admin_page_kit_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "host/admin/admin_text.h"
#include "host/resources/host_resources.h"
#include "host/sites/wide_text_win32.h"

namespace admin_page {

std::string controlText(HWND page, int id) {
    std::string text;
    if (!wide_text::windowText(GetDlgItem(page, id), text)) {
        text.clear();
    }
    return text;
}

namespace {

// Sets a control's text when it differs; true when it was set. A control
// given its own text again repaints for nothing.
bool replaceText(HWND control, const std::string& utf8) {
    const std::wstring wanted = wide_text::toWide(utf8);
    const int length = GetWindowTextLengthW(control);
    if (length == static_cast<int>(wanted.size())) {
        std::wstring shown(static_cast<std::size_t>(length) + 1, L'\0');
        GetWindowTextW(control, &shown[0], length + 1);
        shown.resize(static_cast<std::size_t>(length));
        if (shown == wanted) {
            return false;
        }
    }
    SetWindowTextW(control, wanted.c_str());
    return true;
}

// The result box's lines end in CR LF (a multi-line edit).
std::string resultText(const std::string& utf8) {
    std::string text;
    text.reserve(utf8.size() + 16);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\n' && (i == 0 || utf8[i - 1] != '\r')) {
            text += '\r';
        }
        text += utf8[i];
    }
    return text;
}

// What a control's frame shows of its scroll bars.
struct ScrollBars {
    LONG style = 0;
    SCROLLINFO vertical{};
    SCROLLINFO horizontal{};
};

ScrollBars scrollBarsOf(HWND control) {
    ScrollBars bars;
    bars.style = GetWindowLongW(control, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL);
    for (SCROLLINFO* info : {&bars.vertical, &bars.horizontal}) {
        info->cbSize = sizeof(SCROLLINFO);
        info->fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    }
    if ((bars.style & WS_VSCROLL) == 0 || !GetScrollInfo(control, SB_VERT, &bars.vertical)) {
        bars.vertical = SCROLLINFO{};
    }
    if ((bars.style & WS_HSCROLL) == 0 || !GetScrollInfo(control, SB_HORZ, &bars.horizontal)) {
        bars.horizontal = SCROLLINFO{};
    }
    return bars;
}

bool sameBar(const SCROLLINFO& a, const SCROLLINFO& b) {
    return a.nMin == b.nMin && a.nMax == b.nMax && a.nPage == b.nPage && a.nPos == b.nPos;
}

// The repaint of a changed control: its client area, and its frame when its
// scroll bars changed.
UINT repaintOf(const ScrollBars& before, const ScrollBars& after) {
    const bool same = before.style == after.style && sameBar(before.vertical, after.vertical) &&
                      sameBar(before.horizontal, after.horizontal);
    return RDW_INVALIDATE | RDW_ERASE | (same ? 0u : static_cast<UINT>(RDW_FRAME));
}

const wchar_t pageUpdateProperty[] = L"QuorinPageUpdate";

}  // namespace

void setControlText(HWND page, int id, const std::string& utf8) {
    replaceText(GetDlgItem(page, id), utf8);
}

void showResult(HWND page, const std::string& utf8) {
    PageUpdate update(page);
    update.showResult(utf8);
}

PageUpdate::PageUpdate(HWND page) : page_(page) {
    auto* outer = static_cast<PageUpdate*>(GetPropW(page, pageUpdateProperty));
    if (outer != nullptr) {
        holder_ = outer;
        return;
    }
    if ((GetWindowLongW(page, GWL_STYLE) & WS_VISIBLE) == 0) {
        return;  // a hidden page draws nothing: changed as it is
    }
    // Turning drawing off drops what waits to be painted: painted first.
    RedrawWindow(page, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (!SetPropW(page, pageUpdateProperty, this)) {
        return;
    }
    holder_ = this;
    SendMessageW(page, WM_SETREDRAW, FALSE, 0);
}

PageUpdate::~PageUpdate() {
    if (holder_ != this) {
        return;
    }
    SendMessageW(page_, WM_SETREDRAW, TRUE, 0);
    RemovePropW(page_, pageUpdateProperty);
    for (const Repaint& repaint : repaints_) {
        RedrawWindow(repaint.control, nullptr, nullptr, repaint.flags);
    }
}

void PageUpdate::repaint(HWND control, UINT flags) {
    if (holder_ == nullptr || control == nullptr) {
        return;  // drawn as it changed
    }
    for (Repaint& known : holder_->repaints_) {
        if (known.control == control) {
            known.flags |= flags;
            return;
        }
    }
    holder_->repaints_.push_back({control, flags});
}

void PageUpdate::setText(int id, const std::string& utf8) {
    HWND control = GetDlgItem(page_, id);
    const ScrollBars before = scrollBarsOf(control);
    if (replaceText(control, utf8)) {
        repaint(control, repaintOf(before, scrollBarsOf(control)));
    }
}

void PageUpdate::showResult(const std::string& utf8) {
    setText(IDC_ADMIN_RESULT, resultText(utf8));
}

void PageUpdate::enable(int id, bool enabled) {
    HWND control = GetDlgItem(page_, id);
    if ((IsWindowEnabled(control) != FALSE) != enabled) {
        EnableWindow(control, enabled);
        repaint(control, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
}

void PageUpdate::setRowCount(int listId, std::size_t rows) {
    HWND list = GetDlgItem(page_, listId);
    const ScrollBars before = scrollBarsOf(list);
    admin_page::setRowCount(page_, listId, rows);
    repaint(list, repaintOf(before, scrollBarsOf(list)));
}

void PageUpdate::changed(int id) {
    repaint(GetDlgItem(page_, id), RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void refuse(HWND page, AdminContext& context, const std::string& title, const std::string& message,
            const std::string& note) {
    showResult(page, message + "\n" + note);
    if (context.ask) {
        context.ask(page, message + "\n\n" + note, title, MB_OK | MB_ICONWARNING);
    }
}

bool confirm(HWND page, AdminContext& context, const std::string& title, const std::string& question) {
    return context.ask && context.ask(page, question, title, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

namespace {

admin::Verdict verdictOf(const session::Reply& reply) {
    admin::Verdict verdict = admin::judgeReply(reply);
    if (reply.code >= 500 && reply.code < 600 && verdict.text.find("not understood") != std::string::npos) {
        // A server without the command: glftpd 1.x has none of these pages'.
        verdict.text += " (this server does not know the command: the host's pages need glftpd 2.x)";
    }
    return verdict;
}

}  // namespace

Exchange sendForReader(AdminContext& context, const std::string& command) {
    Exchange exchange;
    std::string failure;
    if (!context.send || !context.send(command, exchange.reply, failure)) {
        exchange.verdict.text =
            failure.empty() ? "Not sent, or no complete reply: see the transcript." : failure;
        return exchange;
    }
    exchange.answered = true;
    admin::removeColour(exchange.reply.lines);
    return exchange;
}

Exchange send(AdminContext& context, const std::string& command) {
    Exchange exchange = sendForReader(context, command);
    if (exchange.answered) {
        exchange.verdict = verdictOf(exchange.reply);
        exchange.judged = true;
    }
    return exchange;
}

std::string whyUnread(const Exchange& exchange, const std::string& readerFailure) {
    const admin::Verdict verdict = exchange.judged ? exchange.verdict : verdictOf(exchange.reply);
    return verdict.done || verdict.text.empty() ? readerFailure : verdict.text;
}

namespace {

WriteSent sendPlan(AdminContext& context, const admin::Plan& plan) {
    WriteSent sent;
    reportReadBack(context, std::string());  // a change begins: the record's earlier ones wait no longer
    for (const std::string& command : plan.commands) {
        Exchange exchange = send(context, command);
        if (!exchange.answered) {
            sent.unanswered = command + ": " + exchange.verdict.text;
            break;
        }
        sent.replies.push_back(std::move(exchange.reply));
        if (!exchange.verdict.done) {
            break;
        }
    }
    sent.outcome = admin::planOutcome(plan, sent.replies);
    if (!sent.unanswered.empty()) {
        sent.outcome.complete = false;
        sent.outcome.summary += (sent.outcome.summary.empty() ? "" : "\n") + sent.unanswered;
    }
    return sent;
}

// One line for the change record.
std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

}  // namespace

admin::PlanOutcome runPlan(AdminContext& context, const admin::Plan& plan) { return sendPlan(context, plan).outcome; }

WriteResult runWrite(HWND page, AdminContext& context, const WriteAction& action, admin::PlanOutcome* outcome) {
    if (!action.plan.refusal.empty()) {
        refuse(page, context, action.title, action.plan.refusal, action.refusedNote);
        return WriteResult::Refused;
    }
    if (action.plan.commands.empty()) {
        showResult(page, action.nothingChanged);
        return WriteResult::NothingChanged;
    }
    if (!action.question.empty() && !confirm(page, context, action.title, action.question)) {
        showResult(page, action.notConfirmed.empty() ? "Not confirmed: nothing was sent." : action.notConfirmed);
        return WriteResult::NotConfirmed;
    }
    const WriteSent sent = sendPlan(context, action.plan);
    std::vector<admin::Written> values;
    std::string problem;
    if (action.readBack) {
        problem = action.readBack(sent, values);
    }
    const std::vector<admin::Written>* readBack = action.readBack && problem.empty() ? &values : nullptr;
    std::string verdict, record;
    if (action.verdict) {
        verdict = action.verdict(sent, readBack, problem);
        record = oneLine(verdict);
    } else {
        verdict = admin::writeVerdict(action.plan, sent.outcome, action.confirmedCount, readBack, problem);
        record = admin::recordVerdict(action.plan, sent.outcome, action.confirmedCount, readBack, problem);
    }
    reportReadBack(context, record);
    if (action.show) {
        action.show(verdict);
    } else {
        showResult(page, verdict);
    }
    if (outcome != nullptr) {
        *outcome = sent.outcome;
    }
    return WriteResult::Sent;
}

void addColumns(HWND page, int listId, const Column* columns, std::size_t count) {
    HWND list = GetDlgItem(page, listId);
    SendMessageW(list, LVM_SETUNICODEFORMAT, TRUE, 0);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (std::size_t i = 0; i < count; ++i) {
        RECT width{0, 0, columns[i].widthDlu, 0};
        MapDialogRect(page, &width);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = columns[i].right ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = width.right;
        column.pszText = const_cast<wchar_t*>(columns[i].title);
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void setRowCount(HWND page, int listId, std::size_t rows) {
    HWND list = GetDlgItem(page, listId);
    // A virtual list keeps its selection by row number: the rows are new, so
    // none is selected (another account would stand where the old one was).
    // Only when one is: Wine clears the state of every old row one by one.
    if (SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) != 0 ||
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) != -1) {
        LVITEMW none{};
        none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    }
    // Only the count: the list asks for the rows it shows (and repaints).
    SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), 0);
}

int selectedRow(HWND page, int listId) {
    return static_cast<int>(
        SendMessageW(GetDlgItem(page, listId), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void giveCellText(NMLVDISPINFOW& request, std::string_view utf8) {
    if ((request.item.mask & LVIF_TEXT) == 0 || request.item.pszText == nullptr || request.item.cchTextMax <= 0) {
        return;
    }
    // Called for every cell painted: no allocation.
    const int room = request.item.cchTextMax - 1;
    int length = utf8.size() > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(utf8.size());
    int written = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, request.item.pszText, room);
    if (written == 0 && length > 0) {
        // Longer than the room (260 characters): the characters that fit,
        // cut where one starts.
        int units = 0;
        int cut = 0;
        while (cut < length) {
            const unsigned char lead = static_cast<unsigned char>(utf8[static_cast<std::size_t>(cut)]);
            const int bytes = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 1;
            const int needed = bytes == 4 ? 2 : 1;
            if (units + needed > room || cut + bytes > length) {
                break;
            }
            units += needed;
            cut += bytes;
        }
        length = cut;
        written = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, request.item.pszText, room);
        // Malformed bytes may take more room than counted: shorter still.
        while (written == 0 && length > 0) {
            --length;
            written = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, request.item.pszText, room);
        }
    }
    request.item.pszText[written] = L'\0';
}

int findRow(const NMLVFINDITEMW& find, std::size_t rows, const std::function<std::string_view(std::size_t)>& nameOf) {
    if ((find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || find.lvfi.psz == nullptr || rows == 0) {
        return -1;
    }
    std::string wanted;
    if (!wide_text::toUtf8(find.lvfi.psz, wanted)) {
        return -1;
    }
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    const bool partial = (find.lvfi.flags & LVFI_PARTIAL) != 0;
    const std::size_t start =
        find.iStart >= 0 && static_cast<std::size_t>(find.iStart) < rows ? static_cast<std::size_t>(find.iStart) : 0;
    for (std::size_t step = 0; step < rows; ++step) {
        const std::size_t row = (start + step) % rows;
        const std::string_view name = nameOf(row);
        if (name.size() < wanted.size() || (!partial && name.size() != wanted.size())) {
            continue;
        }
        bool same = true;
        for (std::size_t i = 0; i < wanted.size() && same; ++i) {
            same = lower(name[i]) == lower(wanted[i]);
        }
        if (same) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

bool answerFind(HWND page, NMHDR& header, std::size_t rows, const std::function<std::string_view(std::size_t)>& nameOf) {
    if (header.code != LVN_ODFINDITEMW) {
        return false;
    }
    SetWindowLongPtrW(page, DWLP_MSGRESULT, findRow(reinterpret_cast<NMLVFINDITEMW&>(header), rows, nameOf));
    return true;
}

void selectListRow(HWND page, int listId, std::size_t row, bool only) {
    HWND list = GetDlgItem(page, listId);
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    if (only) {
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    }
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

Copied copyToClipboard(HWND owner, const std::string& utf8) {
    const std::wstring text = wide_text::toWide(utf8);
    if (!OpenClipboard(owner)) {
        return Copied::ClipboardBusy;
    }
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool copied = false;
    if (memory != nullptr) {
        auto* target = static_cast<wchar_t*>(GlobalLock(memory));
        if (target != nullptr) {
            std::copy(text.c_str(), text.c_str() + text.size() + 1, target);
            GlobalUnlock(memory);
            copied = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!copied) {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
    return copied ? Copied::Yes : Copied::NoMemory;
}

void reportReadBack(AdminContext& context, const std::string& readBack) {
    if (context.reportReadBack) {
        context.reportReadBack(readBack);
    }
}

}  // namespace admin_page
