#include "host/connection_panel_win32.h"

#include "host/host_resources.h"
#include "host/served_site.h"
#include "host/site_manager_win32.h"

namespace connection_panel {

namespace {

Controls panel;

std::string controlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthA(control);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(control, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void wipe(std::string& secret) {
    SecureZeroMemory(&secret[0], secret.size());
    secret.clear();
}

// What is wrong with the dialog's fields, or null.
const char* problemOf(HWND dialog, const std::string& host, const std::string& user, BOOL portRead, UINT port) {
    if (host.empty()) {
        return "Type the site's host name or address.";
    }
    if (!portRead || port < 1 || port > 65535) {
        return "The port is a number from 1 to 65535.";
    }
    if (user.empty()) {
        return "Type the user name to log in with.";
    }
    if (IsDlgButtonChecked(dialog, IDC_CONNECT_REQUIRE_TLS) != BST_CHECKED &&
        GetWindowTextLengthA(GetDlgItem(dialog, IDC_CONNECT_FINGERPRINT)) > 0) {
        // A pin is only checked on a TLS connection: never let one look as
        // if it protected a plain login.
        return "A certificate fingerprint is pinned, so the connection needs TLS: tick \"Require TLS\" or clear "
               "the fingerprint.";
    }
    return nullptr;
}

struct DialogState {
    live::SiteOptions* options;
    SavedChoice* saved;
};

void fillFields(HWND dialog, const live::SiteOptions& options, bool passwordKnown) {
    SetDlgItemTextA(dialog, IDC_CONNECT_HOST, options.host.c_str());
    SetDlgItemInt(dialog, IDC_CONNECT_PORT, static_cast<UINT>(options.port), FALSE);
    SetDlgItemTextA(dialog, IDC_CONNECT_USER, options.user.c_str());
    SetDlgItemTextA(dialog, IDC_CONNECT_PASSWORD, options.password.c_str());
    CheckDlgButton(dialog, IDC_CONNECT_REQUIRE_TLS, options.requireTls ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_CONNECT_REMEMBER, passwordKnown ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(dialog, IDC_CONNECT_FINGERPRINT, options.fingerprint.c_str());
}

void fillSiteList(HWND dialog, const std::string& selected) {
    HWND list = GetDlgItem(dialog, IDC_CONNECT_SITE);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : site_manager::names()) {
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SetWindowTextA(list, selected.c_str());
}

// The fields as options; false (with a message) when one is wrong.
bool readFields(HWND dialog, live::SiteOptions& options) {
    BOOL portRead = FALSE;
    const UINT port = GetDlgItemInt(dialog, IDC_CONNECT_PORT, &portRead, FALSE);
    const std::string host = controlText(dialog, IDC_CONNECT_HOST);
    const std::string user = controlText(dialog, IDC_CONNECT_USER);
    if (const char* problem = problemOf(dialog, host, user, portRead, port)) {
        MessageBoxA(dialog, problem, "Connect", MB_ICONERROR | MB_OK);
        return false;
    }
    options.host = host;
    options.port = static_cast<int>(port);
    options.user = user;
    wipe(options.password);
    options.password = controlText(dialog, IDC_CONNECT_PASSWORD);
    options.requireTls = IsDlgButtonChecked(dialog, IDC_CONNECT_REQUIRE_TLS) == BST_CHECKED;
    options.fingerprint = controlText(dialog, IDC_CONNECT_FINGERPRINT);
    return true;
}

// A damaged file is only replaced when the operator agrees to lose what
// could not be read.
bool mayReplaceDamaged(HWND dialog) {
    if (!site_manager::damaged()) {
        return false;
    }
    const std::string text = "The saved sites' file " + site_manager::filePath() +
                             " is damaged: the sites that could not be read are not in the list.\r\n\r\nReplace "
                             "the file with the sites in the list?";
    return MessageBoxA(dialog, text.c_str(), "Saved sites", MB_ICONWARNING | MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void saveSite(HWND dialog) {
    const std::string name = controlText(dialog, IDC_CONNECT_SITE);
    live::SiteOptions options;
    if (name.empty()) {
        MessageBoxA(dialog, "Type a name for the site in \"Saved site\".", "Saved sites", MB_ICONERROR | MB_OK);
        return;
    }
    if (!readFields(dialog, options)) {
        return;
    }
    const bool remember = IsDlgButtonChecked(dialog, IDC_CONNECT_REMEMBER) == BST_CHECKED;
    std::string failure;
    if (!site_manager::save(name, options, remember, mayReplaceDamaged(dialog), failure)) {
        MessageBoxA(dialog, failure.c_str(), "Saved sites", MB_ICONERROR | MB_OK);
    }
    wipe(options.password);
    fillSiteList(dialog, name);
}

void deleteSite(HWND dialog) {
    const std::string name = controlText(dialog, IDC_CONNECT_SITE);
    if (!site_manager::exists(name)) {
        return;
    }
    const std::string question = "Delete the saved site \"" + name + "\"?";
    if (MessageBoxA(dialog, question.c_str(), "Saved sites", MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2) != IDYES) {
        return;
    }
    std::string failure;
    if (!site_manager::remove(name, mayReplaceDamaged(dialog), failure)) {
        MessageBoxA(dialog, failure.c_str(), "Saved sites", MB_ICONERROR | MB_OK);
    }
    fillSiteList(dialog, "");
}

void pickSite(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_CONNECT_SITE);
    const LRESULT index = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (index < 0) {
        return;
    }
    std::string name(static_cast<std::size_t>(SendMessageA(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0)) + 1,
                     '\0');
    SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&name[0]));
    name.resize(name.size() - 1);
    live::SiteOptions options;
    bool passwordKnown = false;
    if (site_manager::optionsFor(name, options, passwordKnown)) {
        fillFields(dialog, options, passwordKnown);
        wipe(options.password);
    }
}

INT_PTR CALLBACK connectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<DialogState*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const live::SiteOptions& options = *state->options;
        fillSiteList(dialog, state->saved->name);
        fillFields(dialog, options, state->saved->rememberPassword);
        SendDlgItemMessageA(dialog, IDC_CONNECT_PORT, EM_LIMITTEXT, 5, 0);
        const int first = options.host.empty() ? IDC_CONNECT_HOST
                          : options.user.empty() ? IDC_CONNECT_USER
                                                 : IDC_CONNECT_PASSWORD;
        SetFocus(GetDlgItem(dialog, first));
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_CONNECT_SITE:
            if (HIWORD(wParam) == CBN_SELCHANGE) {
                pickSite(dialog);
            }
            return TRUE;
        case IDC_CONNECT_SAVE:
            saveSite(dialog);
            return TRUE;
        case IDC_CONNECT_DELETE:
            deleteSite(dialog);
            return TRUE;
        case IDOK: {
            if (!readFields(dialog, *state->options)) {
                return TRUE;
            }
            const std::string name = controlText(dialog, IDC_CONNECT_SITE);
            state->saved->name = site_manager::exists(name) ? name : std::string();
            state->saved->rememberPassword = IsDlgButtonChecked(dialog, IDC_CONNECT_REMEMBER) == BST_CHECKED;
            // The edit's copy of the password goes with the dialog.
            SetDlgItemTextA(dialog, IDC_CONNECT_PASSWORD, "");
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL:
            SetDlgItemTextA(dialog, IDC_CONNECT_PASSWORD, "");
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace

void attach(const Controls& controls) { panel = controls; }

bool askConnectOptions(HINSTANCE instance, HWND owner, live::SiteOptions& options, SavedChoice& saved) {
    DialogState state{&options, &saved};
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_CONNECT), owner, connectDialogProc,
                           reinterpret_cast<LPARAM>(&state)) == IDOK;
}

CertificateAnswer askAboutCertificate(HWND owner, const std::string& host, const std::string& fingerprint,
                                      const std::string& why, const std::string& rememberAs) {
    const std::string where = site_manager::exists(rememberAs) ? "for the saved site \"" + rememberAs + "\""
                                                               : "as a new saved site \"" + rememberAs + "\"";
    const std::string text = "The certificate of " + host + " is not trusted by this system:\r\n" + why +
                             ".\r\n\r\nIts SHA-256 fingerprint is\r\n" + fingerprint +
                             "\r\n\r\nCompare it with the one the site's owner gave you. Trust this certificate?"
                             "\r\n\r\nYes: trust it and remember it " + where +
                             ": from now on any other certificate is refused.\r\nNo: trust it for this connection "
                             "only.\r\nCancel: do not connect.\r\n(Nothing has been sent for the login yet.)";
    switch (MessageBoxA(owner, text.c_str(), "Trust this certificate?",
                        MB_ICONWARNING | MB_YESNOCANCEL | MB_DEFBUTTON3)) {
    case IDYES:
        return CertificateAnswer::Remember;
    case IDNO:
        return CertificateAnswer::ThisConnection;
    default:
        return CertificateAnswer::Refuse;
    }
}

bool askToReplacePin(HWND owner, const std::string& name, const std::string& saved, const std::string& presented) {
    const std::string text = site_manager::changedCertificateText(name, saved, presented) +
                             "\r\n\r\nReplace the saved fingerprint with the new one?";
    return MessageBoxA(owner, text.c_str(), "The site's certificate has changed",
                       MB_ICONWARNING | MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void showState(ServedSite& served, const std::string& detail, bool canReconnect) {
    const bool open = served.simulation() == nullptr && served.isOpen();
    const std::string text = detail.empty() ? served.stateText() : detail;
    const std::string title = QUORIN_HOST_TITLE + served.titleSuffix();
    SetWindowTextA(panel.stateText, text.c_str());
    SetWindowTextA(panel.main, title.c_str());
    EnableWindow(panel.disconnectButton, open);
    EnableWindow(panel.reconnectButton, !open && canReconnect);
    EnableWindow(panel.simulatedButton, served.simulation() == nullptr);
}

}  // namespace connection_panel
