// The operator's own commands: SITE commands kept with the site (requests,
// pre, approve, ...), each sent only on Send, its reply shown on the page.
#include "host/admin/admin_input.h"
#include "host/admin/admin_page_kit_win32.h"
#include "host/admin/admin_page_procedures_win32.h"
#include "host/resources/host_resources.h"
#include "host/sites/wide_text_win32.h"

namespace {

using namespace admin_page;

struct OwnCommandsPage {
    AdminContext* context = nullptr;
    std::vector<std::string> commands;
    HFONT replyFont = nullptr;
};

// Replies are often drawn in columns: a fixed-pitch font of the page's
// font height, so that it scales as the page does.
HFONT fixedFontLike(HWND page) {
    LOGFONTW pageFont{};
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(page, WM_GETFONT, 0, 0));
    if (font == nullptr || GetObjectW(font, sizeof pageFont, &pageFont) == 0) {
        return nullptr;
    }
    return CreateFontW(pageFont.lfHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New");
}

void showCommands(HWND page, const OwnCommandsPage& state, int select) {
    HWND list = GetDlgItem(page, IDC_ADMIN_OWN_LIST);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& command : state.commands) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide_text::toWide(command).c_str()));
    }
    // A long command scrolls sideways rather than being cut.
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const std::string& command : state.commands) {
        const std::wstring text = wide_text::toWide(command);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        widest = size.cx > widest ? size.cx : widest;
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
    if (select >= 0 && static_cast<std::size_t>(select) < state.commands.size()) {
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
    }
    const bool any = !state.commands.empty();
    EnableWindow(GetDlgItem(page, IDC_ADMIN_OWN_SEND), any);
    EnableWindow(GetDlgItem(page, IDC_ADMIN_OWN_REMOVE), any);
}

int pickedCommand(HWND page, const OwnCommandsPage& state) {
    const LRESULT index = SendDlgItemMessageW(page, IDC_ADMIN_OWN_LIST, LB_GETCURSEL, 0, 0);
    return index >= 0 && static_cast<std::size_t>(index) < state.commands.size() ? static_cast<int>(index) : -1;
}

// Keeps the list with the site; on failure the list stays as it was.
bool keep(HWND page, OwnCommandsPage& state, const std::vector<std::string>& next) {
    std::string failure;
    if (state.context->saveOwnCommands && !state.context->saveOwnCommands(next, failure)) {
        refuse(page, *state.context, "Own commands", "The commands could not be kept: " + failure);
        return false;
    }
    state.commands = next;
    return true;
}

void add(HWND page, OwnCommandsPage& state) {
    const std::string command = controlText(page, IDC_ADMIN_OWN_NEW);
    const std::string problem = admin::ownCommandProblem(command);
    if (!problem.empty()) {
        refuse(page, *state.context, "Own commands", problem);
        return;
    }
    std::vector<std::string> next = state.commands;
    next.push_back(command);
    if (keep(page, state, next)) {
        setControlText(page, IDC_ADMIN_OWN_NEW, "");
        showCommands(page, state, static_cast<int>(state.commands.size()) - 1);
        showResult(page, "Added (not sent): " + command);
    }
}

void remove(HWND page, OwnCommandsPage& state) {
    const int index = pickedCommand(page, state);
    if (index < 0) {
        refuse(page, *state.context, "Own commands", "Pick a command first.");
        return;
    }
    std::vector<std::string> next = state.commands;
    next.erase(next.begin() + index);
    if (keep(page, state, next)) {
        showCommands(page, state, index < static_cast<int>(next.size()) ? index : index - 1);
        showResult(page, "Removed.");
    }
}

void sendPicked(HWND page, OwnCommandsPage& state) {
    const int index = pickedCommand(page, state);
    if (index < 0) {
        refuse(page, *state.context, "Own commands", "Pick a command first.");
        return;
    }
    const std::string command = state.commands[static_cast<std::size_t>(index)];
    Exchange exchange = send(*state.context, command);
    if (!exchange.answered) {
        showResult(page, "> " + command + "\nNot done: " + exchange.verdict.text);
        return;
    }
    std::string text = "> " + command + "\n";
    for (const std::string& line : exchange.reply.lines) {
        text += admin::lineText(line) + "\n";
    }
    text += exchange.verdict.done ? "(the server took it)" : "Refused by the server: " + exchange.verdict.text;
    showResult(page, text);
}

INT_PTR CALLBACK ownCommandsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    OwnCommandsPage* state = stateOf<OwnCommandsPage>(page);
    switch (message) {
    case WM_INITDIALOG: {
        auto* created = new OwnCommandsPage;
        created->context = reinterpret_cast<AdminContext*>(lParam);
        SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(created));
        created->replyFont = fixedFontLike(page);
        if (created->replyFont != nullptr) {
            SendDlgItemMessageW(page, IDC_ADMIN_RESULT, WM_SETFONT, reinterpret_cast<WPARAM>(created->replyFont), FALSE);
        }
        if (created->context->loadOwnCommands) {
            created->commands = created->context->loadOwnCommands();
        }
        setControlText(page, IDC_ADMIN_NOTE,
                       "Your own SITE commands for this site (its scripts: requests, pre, ...): sent only on Send.");
        showCommands(page, *created, created->commands.empty() ? -1 : 0);
        showResult(page, "Nothing is sent until you press Send.");
        return TRUE;
    }
    case WM_COMMAND:
        if (state != nullptr && LOWORD(wParam) == IDC_ADMIN_OWN_LIST && HIWORD(wParam) == LBN_DBLCLK) {
            sendPicked(page, *state);  // a double click sends, as Send does
            return TRUE;
        }
        if (state == nullptr || HIWORD(wParam) != BN_CLICKED) {
            return TRUE;
        }
        switch (LOWORD(wParam)) {
        case IDC_ADMIN_OWN_ADD:
            add(page, *state);
            break;
        case IDC_ADMIN_OWN_REMOVE:
            remove(page, *state);
            break;
        case IDC_ADMIN_OWN_SEND:
            sendPicked(page, *state);
            break;
        default:
            break;
        }
        return TRUE;
    case WM_NCDESTROY:
        if (state != nullptr && state->replyFont != nullptr) {
            DeleteObject(state->replyFont);  // its edit is gone by now
        }
        delete state;
        SetWindowLongPtrW(page, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

DLGPROC ownCommandsAdminPageProcedure() { return ownCommandsPageProc; }
