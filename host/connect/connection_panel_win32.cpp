#include "host/connect/connection_panel_win32.h"

#include <functional>
#include <vector>

#include "host/resources/host_resources.h"
#include "host/served/served_site.h"
#include "host/connect/site_manager_win32.h"
#include "host/sites/wide_text_win32.h"

namespace connection_panel {

namespace {

Controls panel;

const char connectTitle[] = "Connect to a glftpd site";

void wipe(std::string& secret) {
    SecureZeroMemory(&secret[0], secret.size());
    secret.clear();
}

void message(HWND dialog, const std::string& text, const char* title, UINT type = MB_ICONERROR | MB_OK) {
    wide_text::messageBox(dialog, text, title, type);
}

// The Connect dialog's state beside its controls.
struct DialogState {
    live::SiteOptions* options = nullptr;
    SavedChoice* saved = nullptr;
    // The saved site the fields stand for now (empty: an unsaved connection).
    std::string boundName;
    // The password field holds what the host filled in (remembered or typed
    // before), not what the operator typed here: its text is still
    // `prefilledPassword`, however it was edited meanwhile.
    bool passwordPrefilled = false;
    // The password box holds the filled-in password or an edit of it (a
    // character added or taken away): not typed whole by the operator.
    bool passwordFromPrefill = false;
    std::string prefilledPassword;
    // Fields being filled by the host, not edited by the operator.
    bool filling = false;
};

DialogState* stateOf(HWND dialog) { return reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

// A field as UTF-8; false when it holds a lone surrogate, which no site name
// can be.
bool fieldText(HWND dialog, int id, std::string& text) { return wide_text::windowText(GetDlgItem(dialog, id), text); }

void setField(HWND dialog, int id, const std::string& text) {
    wide_text::setWindowText(GetDlgItem(dialog, id), text);
}

// The password box as UTF-8, and its text set from UTF-8: every UTF-16 copy
// on the way is wiped as the UTF-8 ones are. False when it holds a lone
// surrogate.
bool passwordText(HWND dialog, std::string& utf8) {
    HWND box = GetDlgItem(dialog, IDC_CONNECT_PASSWORD);
    const int length = GetWindowTextLengthW(box);
    std::vector<wchar_t> text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int read = GetWindowTextW(box, text.data(), static_cast<int>(text.size()));
    wipe(utf8);
    bool converted = read <= 0;
    if (read > 0) {
        // WC_ERR_INVALID_CHARS: a lone surrogate fails instead of becoming U+FFFD.
        const int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), read, nullptr, 0, nullptr,
                                             nullptr);
        if (size > 0) {
            utf8.assign(static_cast<std::size_t>(size), '\0');
            converted = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), read, &utf8[0], size,
                                            nullptr, nullptr) == size;
        }
        if (!converted) {
            wipe(utf8);
        }
    }
    SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
    return converted;
}

void setPassword(HWND dialog, const std::string& utf8) {
    const int size = static_cast<int>(utf8.size());
    const int length = size > 0 ? MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0) : 0;
    std::vector<wchar_t> text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), length);
    }
    SetDlgItemTextW(dialog, IDC_CONNECT_PASSWORD, text.data());
    SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
}

void showBinding(HWND dialog, DialogState& state) {
    wide_text::setWindowText(dialog, state.boundName.empty() ? connectTitle
                                                             : std::string(connectTitle) + " - " + state.boundName);
}

void fillFields(HWND dialog, DialogState& state, const live::SiteOptions& options, bool passwordKnown) {
    state.filling = true;
    setField(dialog, IDC_CONNECT_HOST, options.host);
    SetDlgItemInt(dialog, IDC_CONNECT_PORT, static_cast<UINT>(options.port), FALSE);
    setField(dialog, IDC_CONNECT_USER, options.user);
    setPassword(dialog, options.password);
    CheckDlgButton(dialog, IDC_CONNECT_REQUIRE_TLS, options.requireTls ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_CONNECT_REMEMBER, passwordKnown ? BST_CHECKED : BST_UNCHECKED);
    setField(dialog, IDC_CONNECT_FINGERPRINT, options.fingerprint);
    wipe(state.prefilledPassword);
    state.prefilledPassword = options.password;
    state.passwordPrefilled = !options.password.empty();
    state.passwordFromPrefill = state.passwordPrefilled;
    state.filling = false;
}

// An edit of the password box: typed only once the text is not the one the
// host filled in (a character typed and taken back again changes nothing),
// and typed whole, for whatever connection the fields name, only once the
// box was emptied since.
void passwordEdited(HWND dialog, DialogState& state) {
    std::string now;
    if (state.filling || state.prefilledPassword.empty()) {
        return;
    }
    const bool read = passwordText(dialog, now);
    state.passwordPrefilled = read && now == state.prefilledPassword;
    if (read && now.empty()) {
        state.passwordFromPrefill = false;
    }
    wipe(now);
}

// A saved site whose remembered password does not open for it as it is saved
// now: the operator is told why before being asked for the password.
const UINT showUnusablePassword = WM_APP + 1;

void tellUnusablePassword(HWND dialog, const std::string& name) {
    message(dialog, site_manager::unusablePasswordText(name) + ". Type the password to connect.",
            "Remembered password", MB_ICONWARNING | MB_OK);
    SetFocus(GetDlgItem(dialog, IDC_CONNECT_PASSWORD));
}

void fillSiteList(HWND dialog, DialogState& state, const std::string& selected) {
    HWND list = GetDlgItem(dialog, IDC_CONNECT_SITE);
    state.filling = true;
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : site_manager::names()) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide_text::toWide(name).c_str()));
    }
    wide_text::setWindowText(list, selected);
    state.filling = false;
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
        GetWindowTextLengthW(GetDlgItem(dialog, IDC_CONNECT_FINGERPRINT)) > 0) {
        // A pin is only checked on a TLS connection: never let one look as
        // if it protected a plain login.
        return "A certificate fingerprint is pinned, so the connection needs TLS: tick \"Require TLS\" or clear "
               "the fingerprint.";
    }
    return nullptr;
}

// The fields as they stand, password aside; false when one holds text that
// is not Unicode.
bool readConnection(HWND dialog, live::SiteOptions& options, BOOL& portRead) {
    const UINT port = GetDlgItemInt(dialog, IDC_CONNECT_PORT, &portRead, FALSE);
    options.port = portRead && port <= 65535 ? static_cast<int>(port) : 0;
    options.requireTls = IsDlgButtonChecked(dialog, IDC_CONNECT_REQUIRE_TLS) == BST_CHECKED;
    return fieldText(dialog, IDC_CONNECT_HOST, options.host) && fieldText(dialog, IDC_CONNECT_USER, options.user) &&
           fieldText(dialog, IDC_CONNECT_FINGERPRINT, options.fingerprint);
}

// The fields as options; false (with a message) when one is wrong.
bool readFields(HWND dialog, live::SiteOptions& options) {
    live::SiteOptions read = options;
    BOOL portRead = FALSE;
    std::string password;
    if (!readConnection(dialog, read, portRead) || !passwordText(dialog, password)) {
        message(dialog, "A field holds a character that is not Unicode text.", "Connect");
        return false;
    }
    if (const char* problem = problemOf(dialog, read.host, read.user, portRead, static_cast<UINT>(read.port))) {
        message(dialog, problem, "Connect");
        wipe(password);
        return false;
    }
    wipe(read.password);
    read.password.swap(password);
    wipe(options.password);
    options = read;
    wipe(read.password);
    return true;
}

// After an edit of host, port, user, TLS or pin: a connection that no longer
// is the saved site's is an unsaved one, and a password the host filled in
// is not sent to wherever the fields point now.
void connectionEdited(HWND dialog, DialogState& state) {
    if (state.filling) {
        return;
    }
    live::SiteOptions now;
    BOOL portRead = FALSE;
    const bool stillBound = !state.boundName.empty() && readConnection(dialog, now, portRead) &&
                            site_manager::bound(state.boundName, now);
    if (!state.boundName.empty() && !stillBound) {
        // The site box stops naming the saved site, unless the operator
        // typed another name into it already.
        std::string named;
        if (fieldText(dialog, IDC_CONNECT_SITE, named) && site_manager::savedName(named) == state.boundName) {
            fillSiteList(dialog, state, "");
        }
        state.boundName.clear();
        showBinding(dialog, state);
    }
    // Neither the saved site's password nor an edit of it (one character
    // more, or one Backspace) goes to another connection.
    if ((state.passwordPrefilled || state.passwordFromPrefill) && !stillBound) {
        state.filling = true;
        SetDlgItemTextW(dialog, IDC_CONNECT_PASSWORD, L"");
        CheckDlgButton(dialog, IDC_CONNECT_REMEMBER, BST_UNCHECKED);
        state.passwordPrefilled = false;
        state.passwordFromPrefill = false;
        wipe(state.prefilledPassword);
        state.filling = false;
    }
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
    return wide_text::messageBox(dialog, text, "Saved sites", MB_ICONWARNING | MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

// One change to the saved sites (`change` is told whether a damaged file may
// be replaced). When the damaged file changed after the operator's answer,
// the change is refused: the operator is told, sees the list as the file is
// now and is asked again.
bool changeSites(HWND dialog, DialogState& state, const std::string& selected,
                 const std::function<bool(bool overwriteDamaged, std::string& failure)>& change,
                 std::string& failure) {
    for (;;) {
        const bool overwrite = mayReplaceDamaged(dialog);
        const bool done = change(overwrite, failure);
        if (done || !overwrite || !site_manager::damagedFileChanged()) {
            return done;
        }
        message(dialog, failure, "Saved sites");
        fillSiteList(dialog, state, selected);
        failure.clear();
    }
}

void saveSite(HWND dialog, DialogState& state) {
    std::string name;
    live::SiteOptions options;
    if (!fieldText(dialog, IDC_CONNECT_SITE, name)) {
        message(dialog, "The site's name holds a character that is not Unicode text.", "Saved sites");
        return;
    }
    if (name.empty()) {
        message(dialog, "Type a name for the site in \"Saved site\".", "Saved sites");
        return;
    }
    if (!readFields(dialog, options)) {
        return;
    }
    site_manager::SaveMode mode = site_manager::SaveMode::NewOnly;
    if (site_manager::exists(name)) {
        const std::string question = "Replace the saved site \"" + site_manager::savedName(name) + "\"?";
        if (wide_text::messageBox(dialog, question, "Saved sites", MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2) !=
            IDYES) {
            wipe(options.password);
            return;
        }
        mode = site_manager::SaveMode::Replace;
    }
    const bool remember = IsDlgButtonChecked(dialog, IDC_CONNECT_REMEMBER) == BST_CHECKED;
    std::string failure;
    const bool saved = changeSites(dialog, state, name, [&](bool overwrite, std::string& why) {
        return site_manager::save(name, options, remember, mode, overwrite, why);
    }, failure);
    wipe(options.password);
    if (!saved) {
        message(dialog, failure, "Saved sites");
        fillSiteList(dialog, state, name);
        return;
    }
    state.boundName = site_manager::savedName(name);
    fillSiteList(dialog, state, state.boundName);
    showBinding(dialog, state);
}

void deleteSite(HWND dialog, DialogState& state) {
    std::string name;
    if (!fieldText(dialog, IDC_CONNECT_SITE, name) || !site_manager::exists(name)) {
        return;
    }
    const std::string question = "Delete the saved site \"" + site_manager::savedName(name) + "\"?";
    if (wide_text::messageBox(dialog, question, "Saved sites", MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2) != IDYES) {
        return;
    }
    std::string failure;
    if (!changeSites(dialog, state, name, [&](bool overwrite, std::string& why) {
            return site_manager::remove(name, overwrite, why);
        }, failure)) {
        message(dialog, failure, "Saved sites");
    }
    if (!site_manager::exists(state.boundName)) {
        state.boundName.clear();
        showBinding(dialog, state);
    }
    fillSiteList(dialog, state, state.boundName);
}

void pickSite(HWND dialog, DialogState& state) {
    HWND list = GetDlgItem(dialog, IDC_CONNECT_SITE);
    const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (index < 0) {
        return;
    }
    const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) {
        return;
    }
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&wide[0]));
    wide.resize(static_cast<std::size_t>(length));
    std::string name;
    live::SiteOptions options;
    site_manager::RememberedPassword password = site_manager::RememberedPassword::None;
    if (!wide_text::toUtf8(wide, name) || !site_manager::optionsFor(name, options, password)) {
        return;
    }
    fillFields(dialog, state, options, password == site_manager::RememberedPassword::Known);
    wipe(options.password);
    state.boundName = site_manager::savedName(name);
    showBinding(dialog, state);
    // A remembered password that does not open here is asked for again.
    if (password == site_manager::RememberedPassword::Unusable) {
        tellUnusablePassword(dialog, state.boundName);
        return;
    }
    SetFocus(GetDlgItem(dialog, password == site_manager::RememberedPassword::Known ? IDOK : IDC_CONNECT_PASSWORD));
}

// The site box's own text no longer names the saved site picked.
void siteNameEdited(HWND dialog, DialogState& state) {
    std::string name;
    if (state.filling || state.boundName.empty() || (fieldText(dialog, IDC_CONNECT_SITE, name) &&
                                                     site_manager::savedName(name) == state.boundName)) {
        return;
    }
    state.boundName.clear();
    showBinding(dialog, state);
}

void initialise(HWND dialog, DialogState& state) {
    std::string failure;
    site_manager::reload(failure);  // what other host processes saved meanwhile
    const live::SiteOptions& options = *state.options;
    state.boundName =
        site_manager::bound(state.saved->name, options) ? site_manager::savedName(state.saved->name) : "";
    fillSiteList(dialog, state, state.boundName);
    fillFields(dialog, state, options, !state.boundName.empty() && state.saved->rememberPassword);
    showBinding(dialog, state);
    SendDlgItemMessageW(dialog, IDC_CONNECT_PORT, EM_LIMITTEXT, 5, 0);
    const int first = options.host.empty() ? IDC_CONNECT_HOST
                      : options.user.empty() ? IDC_CONNECT_USER
                                             : IDC_CONNECT_PASSWORD;
    SetFocus(GetDlgItem(dialog, first));
    // Opened for a saved site (--load) whose remembered password did not
    // open: said once the dialog shows.
    live::SiteOptions saved;
    site_manager::RememberedPassword remembered = site_manager::RememberedPassword::None;
    if (!state.boundName.empty() && options.password.empty() &&
        site_manager::optionsFor(state.boundName, saved, remembered) &&
        remembered == site_manager::RememberedPassword::Unusable) {
        PostMessageW(dialog, showUnusablePassword, 0, 0);
    }
    wipe(saved.password);
}

void finish(HWND dialog, DialogState& state) {
    if (!readFields(dialog, *state.options)) {
        return;
    }
    std::string name;
    fieldText(dialog, IDC_CONNECT_SITE, name);
    // The store decides which saved site, if any, this connection is.
    state.saved->name = site_manager::bound(name, *state.options) ? site_manager::savedName(name) : "";
    state.saved->rememberPassword = IsDlgButtonChecked(dialog, IDC_CONNECT_REMEMBER) == BST_CHECKED;
    // The edit's copy of the password goes with the dialog.
    SetDlgItemTextW(dialog, IDC_CONNECT_PASSWORD, L"");
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK connectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        initialise(dialog, *reinterpret_cast<DialogState*>(lParam));
        return FALSE;
    }
    DialogState* state = stateOf(dialog);
    if (message == showUnusablePassword && state != nullptr) {
        tellUnusablePassword(dialog, state->boundName);
        return TRUE;
    }
    if (message != WM_COMMAND || state == nullptr) {
        return FALSE;
    }
    const int code = HIWORD(wParam);
    switch (LOWORD(wParam)) {
    case IDC_CONNECT_SITE:
        if (code == CBN_SELCHANGE) {
            pickSite(dialog, *state);
        } else if (code == CBN_EDITCHANGE) {
            siteNameEdited(dialog, *state);
        }
        return TRUE;
    case IDC_CONNECT_HOST:
    case IDC_CONNECT_PORT:
    case IDC_CONNECT_USER:
    case IDC_CONNECT_FINGERPRINT:
        if (code == EN_CHANGE) {
            connectionEdited(dialog, *state);
        }
        return TRUE;
    case IDC_CONNECT_REQUIRE_TLS:
        if (code == BN_CLICKED) {
            connectionEdited(dialog, *state);
        }
        return TRUE;
    case IDC_CONNECT_PASSWORD:
        if (code == EN_CHANGE) {
            passwordEdited(dialog, *state);
        }
        return TRUE;
    case IDC_CONNECT_SAVE:
        saveSite(dialog, *state);
        return TRUE;
    case IDC_CONNECT_DELETE:
        deleteSite(dialog, *state);
        return TRUE;
    case IDOK:
        finish(dialog, *state);
        return TRUE;
    case IDCANCEL:
        SetDlgItemTextW(dialog, IDC_CONNECT_PASSWORD, L"");
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void attach(const Controls& controls) { panel = controls; }

bool askConnectOptions(HINSTANCE instance, HWND owner, live::SiteOptions& options, SavedChoice& saved) {
    DialogState state;
    state.options = &options;
    state.saved = &saved;
    // A Unicode dialog: names, hosts and users are read as typed.
    const bool connect = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_CONNECT), owner, connectDialogProc,
                                         reinterpret_cast<LPARAM>(&state)) == IDOK;
    wipe(state.prefilledPassword);
    return connect;
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
    switch (wide_text::messageBox(owner, text, "Trust this certificate?",
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
    return wide_text::messageBox(owner, text, "The site's certificate has changed",
                                 MB_ICONWARNING | MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void showState(ServedSite& served, const std::string& detail, bool canReconnect) {
    const bool open = served.simulation() == nullptr && served.isOpen();
    const std::string text = detail.empty() ? served.stateText() : detail;
    const std::string title = QUORIN_HOST_TITLE + served.titleSuffix();
    wide_text::setWindowText(panel.stateText, text);
    wide_text::setWindowText(panel.main, title);
    EnableWindow(panel.disconnectButton, open);
    EnableWindow(panel.reconnectButton, !open && canReconnect);
    EnableWindow(panel.simulatedButton, served.simulation() == nullptr);
}

}  // namespace connection_panel
