#pragma once
// The connection panel: the Connect dialog, the question about a certificate
// nobody vouches for, and the panel's state text and buttons.
#include <windows.h>

#include <string>

#include "host/live/live_site_win32.h"
#include "quorin_version.h"

#define QUORIN_HOST_TITLE "Quorin reference host " QUORIN_VERSION_TEXT " - glftpd site administration"

class ServedSite;

namespace connection_panel {

struct Controls {
    HWND main = nullptr;
    HWND stateText = nullptr;
    HWND connectButton = nullptr;
    HWND disconnectButton = nullptr;
    HWND reconnectButton = nullptr;
    HWND simulatedButton = nullptr;
};

void attach(const Controls& controls);
// What the operator chose in the Connect dialog besides the options: the
// saved site it connects to (empty: none) and whether its password is to be
// remembered.
struct SavedChoice {
    std::string name;
    bool rememberPassword = false;
};

// The Connect dialog over `options`, with the saved sites; true when the
// operator pressed Connect.
bool askConnectOptions(HINSTANCE instance, HWND owner, live::SiteOptions& options, SavedChoice& saved);

enum class CertificateAnswer { Refuse, ThisConnection, Remember };
// "Trust this certificate?" for a certificate nobody vouches for; Remember
// pins it for the saved site `rememberAs` (a new entry when it is not saved
// yet).
CertificateAnswer askAboutCertificate(HWND owner, const std::string& host, const std::string& fingerprint,
                                      const std::string& why, const std::string& rememberAs);
// The warning for a saved site that presents another certificate; true when
// the operator replaces the saved pin (the default is not to).
bool askToReplacePin(HWND owner, const std::string& name, const std::string& saved, const std::string& presented);
// Shows what the served site is, `detail` in place of its own words when
// given; `canReconnect` when there is a live site to connect to again.
void showState(ServedSite& served, const std::string& detail, bool canReconnect);

}  // namespace connection_panel
