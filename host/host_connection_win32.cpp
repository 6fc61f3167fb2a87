// Connecting the reference host to a live glftpd site: the Connect dialog,
// the certificate question, and reloading the plug-in for the new site.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "host/host_app.h"
#include "host/host_resources.h"

namespace {

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

INT_PTR CALLBACK connectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        const live::SiteOptions& options = app.liveOptions;
        SetDlgItemTextA(dialog, IDC_CONNECT_HOST, options.host.c_str());
        SetDlgItemInt(dialog, IDC_CONNECT_PORT, static_cast<UINT>(options.port), FALSE);
        SetDlgItemTextA(dialog, IDC_CONNECT_USER, options.user.c_str());
        SetDlgItemTextA(dialog, IDC_CONNECT_PASSWORD, options.password.c_str());
        CheckDlgButton(dialog, IDC_CONNECT_REQUIRE_TLS, options.requireTls ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemTextA(dialog, IDC_CONNECT_FINGERPRINT, options.fingerprint.c_str());
        SendDlgItemMessageA(dialog, IDC_CONNECT_PORT, EM_LIMITTEXT, 5, 0);
        const int first = options.host.empty() ? IDC_CONNECT_HOST
                          : options.user.empty() ? IDC_CONNECT_USER
                                                 : IDC_CONNECT_PASSWORD;
        SetFocus(GetDlgItem(dialog, first));
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            BOOL portRead = FALSE;
            const UINT port = GetDlgItemInt(dialog, IDC_CONNECT_PORT, &portRead, FALSE);
            std::string host = controlText(dialog, IDC_CONNECT_HOST);
            std::string user = controlText(dialog, IDC_CONNECT_USER);
            const char* problem = nullptr;
            if (host.empty()) {
                problem = "Type the site's host name or address.";
            } else if (!portRead || port < 1 || port > 65535) {
                problem = "The port is a number from 1 to 65535.";
            } else if (user.empty()) {
                problem = "Type the user name to log in with.";
            } else if (IsDlgButtonChecked(dialog, IDC_CONNECT_REQUIRE_TLS) != BST_CHECKED &&
                       GetWindowTextLengthA(GetDlgItem(dialog, IDC_CONNECT_FINGERPRINT)) > 0) {
                // A pin is only checked on a TLS connection: never let one
                // look as if it protected a plain login.
                problem = "A certificate fingerprint is pinned, so the connection needs TLS: tick \"Require TLS\" "
                          "or clear the fingerprint.";
            }
            if (problem != nullptr) {
                MessageBoxA(dialog, problem, "Connect", MB_ICONERROR | MB_OK);
                return TRUE;
            }
            live::SiteOptions& options = app.liveOptions;
            options.host = host;
            options.port = static_cast<int>(port);
            options.user = user;
            wipe(options.password);
            options.password = controlText(dialog, IDC_CONNECT_PASSWORD);
            options.requireTls = IsDlgButtonChecked(dialog, IDC_CONNECT_REQUIRE_TLS) == BST_CHECKED;
            options.fingerprint = controlText(dialog, IDC_CONNECT_FINGERPRINT);
            // The edit's copy of the password goes with the dialog.
            SetDlgItemTextA(dialog, IDC_CONNECT_PASSWORD, "");
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            SetDlgItemTextA(dialog, IDC_CONNECT_PASSWORD, "");
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

bool askAboutCertificate(const std::string& fingerprint, const std::string& why) {
    const std::string text = "The certificate of " + app.liveOptions.host + " is not trusted by this system:\r\n" +
                             why + ".\r\n\r\nIts SHA-256 fingerprint is\r\n" + fingerprint +
                             "\r\n\r\nCompare it with the one the site's owner gave you. Trust this certificate "
                             "for this connection?\r\n(Nothing has been sent for the login yet.)";
    return MessageBoxA(app.main, text.c_str(), "Trust this certificate?",
                       MB_ICONWARNING | MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

std::string shortFingerprint(const std::string& fingerprint) {
    return fingerprint.size() > 23 ? fingerprint.substr(0, 23) + "..." : fingerprint;
}

}  // namespace

bool askConnectOptions(HWND owner) {
    return DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_CONNECT), owner, connectDialogProc, 0) == IDOK;
}

void showConnectionState(const std::string& detail) {
    std::string text;
    std::string title = QUORIN_HOST_TITLE;
    const bool open = app.live && app.liveSite.isOpen();
    if (!app.live) {
        text = "The simulated site (no connection).";
    } else if (open) {
        const live::SiteOptions& options = app.liveOptions;
        text = "Connected to " + options.host + ":" + std::to_string(options.port) + " as " + options.user + ", " +
               (app.liveSite.secured() ? "TLS, SHA-256 " + shortFingerprint(app.liveSite.certificateFingerprint())
                                       : std::string("plain (unencrypted)")) +
               ".";
        title += " - " + options.user + "@" + options.host + ":" + std::to_string(options.port);
    } else {
        text = detail.empty() ? std::string("Not connected.") : detail;
        title += " - not connected";
    }
    SetWindowTextA(app.connectionText, text.c_str());
    SetWindowTextA(app.main, title.c_str());
    EnableWindow(app.disconnectButton, open);
    EnableWindow(app.reconnectButton, app.live && !open && !app.liveOptions.host.empty());
    // The simulated site's switches mean nothing for a live one: greyed,
    // "Connected" shows the live connection's state.
    SendMessageA(app.connectedCheck, BM_SETCHECK, (app.live ? open : app.session->connected) ? BST_CHECKED : BST_UNCHECKED,
                 0);
    EnableWindow(app.connectedCheck, !app.live);
    EnableWindow(app.swhoCheck, !app.live);
}

bool connectLive(bool interactive, std::string& failure) {
    app.live = true;
    app.session->useSite(app.liveSite);
    app.session->connected = true;
    showConnectionState("Connecting to " + app.liveOptions.host + "...");
    app.busy = true;
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const bool opened = app.liveSite.open(
        app.liveOptions, interactive ? live::TrustPrompt(askAboutCertificate) : live::TrustPrompt(), failure);
    app.busy = false;
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    SetWindowTextA(app.statusLine, "Ready.");
    if (!opened) {
        app.session->note("!! not connected: " + failure);
        showConnectionState("Not connected: " + failure);
        return false;
    }
    // The plug-in reads the site's groups and users once per load: a fresh
    // load, so that no name of the site shown before stays in its lists.
    const std::int32_t pageId = app.currentPageId > 0 ? app.currentPageId : 1;
    if (app.plugin != nullptr) {
        if (app.initDialog != nullptr) {
            app.initDialog(0, app.pageArea, hostCallback);
        }
        app.currentPage = nullptr;
        FreeLibrary(app.plugin);
        app.plugin = nullptr;
        app.initDialog = nullptr;
        app.dialogNuke = nullptr;
    }
    std::string loadError;
    if (!loadPlugin(loadError)) {
        failure = loadError;
        showConnectionState(failure);
        return false;
    }
    showConnectionState("");
    showPage(pageId);
    return true;
}

void disconnectLive() {
    app.liveSite.close();
    showConnectionState("Disconnected by the operator.");
}
