#pragma once
// Logging in to a live site as the operator asked: the certificate questions,
// a certificate trusted on first use remembered as the saved site's pin, a
// changed certificate refused with its warning, the saved site's password
// remembered as the Connect dialog asked.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "host/connect/connection_panel_win32.h"
#include "host/served/served_site.h"

// What a login works on and reports to: the window's options and saved
// site (both updated when a pin is taken), its transcript and its waiting
// mode.
struct LoginContext {
    HWND owner = nullptr;
    live::SiteOptions& options;
    connection_panel::SavedChoice& saved;
    int keepAliveMs = 60000;
    std::function<void(const std::string& line)> note;
    std::function<void()> waitBegin;
    std::function<void()> waitEnd;
    std::function<void(const std::string& command, std::size_t linesSoFar)> waitProgress;
};

// Opens context.options (asking the operator about an untrusted certificate
// when `interactive`). The site comes back closed, with the reason in
// `failure`, when it could not be opened.
std::unique_ptr<ServedSite> logInToLiveSite(const LoginContext& context, bool interactive, std::string& failure);
