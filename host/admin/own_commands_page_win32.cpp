// The operator's own commands: SITE commands kept with the site (requests,
// pre, approve, ...), each sent only on Send, its reply shown on the page
// (bounded, without colour). A command's password is kept nowhere: Send
// asks for it in a small dialog, each time.
#include <string>
#include <vector>

#include "host/admin/admin_input.h"
#include "host/admin/admin_page_kit_win32.h"
#include "host/admin/admin_page_procedures_win32.h"
#include "host/admin/own_commands.h"
#include "host/session/transcript_mask.h"
#include "host/resources/host_resources.h"
#include "host/sites/wide_text_win32.h"

namespace {

using namespace admin_page;

struct OwnCommandsPage {
    OwnCommandsPage() = default;
    OwnCommandsPage(const OwnCommandsPage&) = delete;
    OwnCommandsPage& operator=(const OwnCommandsPage&) = delete;
    ~OwnCommandsPage() {
        if (replyFont != nullptr) {
            DeleteObject(replyFont);  // deleted with the page: its edit is gone by now
        }
    }
    void init(HWND page);
    void command(HWND page, int id, int code);

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
        SendMessageW(list, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(wide_text::toWide(admin::ownCommandListed(command)).c_str()));
    }
    // A long command scrolls sideways rather than being cut.
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const std::string& command : state.commands) {
        const std::wstring text = wide_text::toWide(admin::ownCommandListed(command));
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
    std::string typed = controlText(page, IDC_ADMIN_OWN_NEW);
    const std::string problem = admin::ownCommandProblem(typed);
    if (!problem.empty()) {
        refuse(page, *state.context, "Own commands", problem + "\nThe command was not added to the list.");
        return;
    }
    // Blanks around it are no part of the command (and sites.ini keeps none).
    const std::size_t begin = typed.find_first_not_of(" \t");
    std::string command = typed.substr(begin, typed.find_last_not_of(" \t") + 1 - begin);
    const std::string kept = admin::ownCommandToKeep(command);
    const bool cut = kept != command;
    SecureZeroMemory(&typed[0], typed.size());
    SecureZeroMemory(&command[0], command.size());
    if (cut && !admin::ownCommandAsksPassword(kept)) {
        // "SITE CHPASS  pw": no account name where it belongs.
        refuse(page, *state.context, "Own commands",
               kept + " lacks the account name, so the word after it may be a password: the command was not "
                      "added.\nType the account name after " + kept + "; Send then asks for the password.");
        return;
    }
    for (const std::string& known : state.commands) {
        if (known == kept) {
            refuse(page, *state.context, "Own commands", kept + " is in the list already.");
            return;
        }
    }
    std::vector<std::string> next = state.commands;
    next.push_back(kept);
    if (keep(page, state, next)) {
        setControlText(page, IDC_ADMIN_OWN_NEW, "");
        showCommands(page, state, static_cast<int>(state.commands.size()) - 1);
        if (cut) {
            showResult(page, "Added to the list without its password: " + kept +
                                 "\nThe password and what followed it are kept nowhere: Send asks for them each "
                                 "time.\nNothing was sent.");
        } else if (admin::ownCommandAsksPassword(kept)) {
            showResult(page, "Added to the list: " + kept + "\nSend asks for the password each time.\nNothing was sent.");
        } else {
            showResult(page, "Added to the list: " + kept + "\nNothing was sent: pick it and press Send to send it.");
        }
    }
}

void remove(HWND page, OwnCommandsPage& state) {
    const int index = pickedCommand(page, state);
    if (index < 0) {
        refuse(page, *state.context, "Own commands", "Pick a command in the list first.");
        return;
    }
    std::vector<std::string> next = state.commands;
    next.erase(next.begin() + index);
    const std::string removed = state.commands[static_cast<std::size_t>(index)];
    if (keep(page, state, next)) {
        showCommands(page, state, index < static_cast<int>(next.size()) ? index : index - 1);
        showResult(page, "Removed from the list: " + removed + "\nNothing was sent.");
    }
}

// The password dialog: the command it completes, what was typed.
struct PasswordRequest {
    std::string command;
    std::string password;
};

INT_PTR CALLBACK passwordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<PasswordRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        request = reinterpret_cast<PasswordRequest*>(lParam);
        setControlText(dialog, IDC_ADMIN_OWN_PASSWORD_COMMAND, request->command + " <password>");
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && request != nullptr) {
            HWND edit = GetDlgItem(dialog, IDC_ADMIN_OWN_PASSWORD_EDIT);
            std::wstring typed(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
            typed.resize(static_cast<std::size_t>(GetWindowTextW(edit, &typed[0], static_cast<int>(typed.size()))));
            std::string password;
            const bool read = wide_text::toUtf8(typed, password);
            SecureZeroMemory(&typed[0], typed.size() * sizeof(wchar_t));
            const std::string problem =
                read ? admin::ownPasswordProblem(request->command, password) : "The password could not be read.";
            if (!problem.empty()) {
                SecureZeroMemory(&password[0], password.size());
                setControlText(dialog, IDC_ADMIN_OWN_PASSWORD_PROBLEM, problem);
                SetFocus(edit);
                return TRUE;
            }
            request->password.swap(password);
            SetWindowTextW(edit, L"");
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            SetDlgItemTextW(dialog, IDC_ADMIN_OWN_PASSWORD_EDIT, L"");
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// Asks for the password that goes after `command`; false when the operator cancels.
bool askPassword(HWND page, PasswordRequest& request) {
    const HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(page, GWLP_HINSTANCE));
    return DialogBoxParamW(module, MAKEINTRESOURCEW(IDD_ADMIN_OWN_PASSWORD), GetAncestor(page, GA_ROOT),
                           passwordDialogProc, reinterpret_cast<LPARAM>(&request)) == IDOK;
}

void sendPicked(HWND page, OwnCommandsPage& state) {
    const int index = pickedCommand(page, state);
    if (index < 0) {
        refuse(page, *state.context, "Own commands", "Pick a command in the list first.");
        return;
    }
    PasswordRequest request;
    request.command = state.commands[static_cast<std::size_t>(index)];
    std::string command = request.command;
    if (admin::ownCommandAsksPassword(request.command)) {
        if (!askPassword(page, request)) {
            showResult(page, "Not sent: no password was typed for " + request.command + ".");
            return;
        }
        command += " " + request.password;
        SecureZeroMemory(&request.password[0], request.password.size());
    }
    Exchange exchange = sendForReader(*state.context, command);
    if (!exchange.answered) {
        showResult(page, "> " + session::maskSecrets(command) + "\n" + exchange.verdict.text);
    } else {
        showResult(page, admin::ownCommandResult(command, exchange.reply));
    }
    SecureZeroMemory(&command[0], command.size());
}

const Button<OwnCommandsPage> ownButtons[] = {
    {IDC_ADMIN_OWN_ADD, add},
    {IDC_ADMIN_OWN_REMOVE, remove},
    {IDC_ADMIN_OWN_SEND, sendPicked},
};

void OwnCommandsPage::init(HWND page) {
    replyFont = fixedFontLike(page);
    if (replyFont != nullptr) {
        SendDlgItemMessageW(page, IDC_ADMIN_RESULT, WM_SETFONT, reinterpret_cast<WPARAM>(replyFont), FALSE);
    }
    if (context->loadOwnCommands) {
        commands = context->loadOwnCommands();
    }
    const std::string where = context->ownCommandsKeptWhere ? context->ownCommandsKeptWhere() : "for this run only";
    setControlText(page, IDC_ADMIN_NOTE,
                   "Your site's own SITE commands (its scripts: requests, pre, ...), kept " + where + ".");
    showCommands(page, *this, commands.empty() ? -1 : 0);
    showResult(page, "Nothing is sent until you pick a command and press Send.");
}

void OwnCommandsPage::command(HWND page, int id, int code) {
    if (id == IDC_ADMIN_OWN_LIST && code == LBN_DBLCLK) {
        sendPicked(page, *this);  // a double click sends, as Send does
        return;
    }
    clickButton(page, *this, id, code, ownButtons);
}

}  // namespace

DLGPROC ownCommandsAdminPageProcedure() { return pageProcedure<OwnCommandsPage>; }
