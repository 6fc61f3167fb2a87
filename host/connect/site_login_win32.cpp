#include "host/site_login_win32.h"

#include <windows.h>

#include "host/connection_panel_win32.h"
#include "host/host_app.h"
#include "host/live/fingerprint.h"
#include "host/site_manager_win32.h"
#include "host/sites/wide_text_win32.h"
#include "host/waiting_mode_win32.h"

namespace {

// What a connection's certificate came to: the one presented, and whether
// the operator asked to remember it.
struct CertificateOutcome {
    std::string presented;
    bool remember = false;
};

LiveSiteHooks liveSiteHooks(bool interactive, CertificateOutcome& outcome) {
    LiveSiteHooks hooks;
    hooks.note = [](const std::string& line) { app.session->note(line); };
    hooks.waiting = waiting_mode::showProgress;
    hooks.certificateSeen = [&outcome](const std::string& fingerprint) { outcome.presented = fingerprint; };
    if (interactive) {
        hooks.prompt = [&outcome](const std::string& fingerprint, const std::string& why) {
            const std::string rememberAs =
                app.savedSite.name.empty() ? site_manager::newEntryName(app.liveOptions) : app.savedSite.name;
            const connection_panel::CertificateAnswer answer =
                connection_panel::askAboutCertificate(app.main, app.liveOptions.host, fingerprint, why, rememberAs);
            outcome.remember = answer == connection_panel::CertificateAnswer::Remember;
            return answer != connection_panel::CertificateAnswer::Refuse;
        };
    }
    return hooks;
}

std::string canonicalFingerprint(const std::string& text) {
    live::Sha256Digest digest{};
    return live::parseFingerprint(text, digest) ? live::fingerprintText(digest) : text;
}

// After a connection that opened: a certificate the operator trusted and
// asked to remember becomes the saved site's pin (a new entry when the
// connection is no saved site's), and the saved site's password is
// remembered or forgotten as the Connect dialog asked. The store writes
// either only into the saved site this connection still is. A run without a
// window changes nothing.
void rememberAfterLogin(const CertificateOutcome& outcome, bool interactive) {
    std::string failure;
    const bool wasSaved = !app.savedSite.name.empty();
    if (outcome.remember) {
        live::SiteOptions pinned = app.liveOptions;
        pinned.fingerprint = outcome.presented;
        bool done = false;
        if (wasSaved) {
            done = site_manager::pin(app.savedSite.name, app.liveOptions, outcome.presented, failure);
        } else {
            const std::string entry = site_manager::newEntryName(app.liveOptions);
            done = site_manager::save(entry, pinned, app.savedSite.rememberPassword, site_manager::SaveMode::NewOnly,
                                      false, failure);
            if (done) {
                app.savedSite.name = entry;
            }
        }
        if (done) {
            app.liveOptions.fingerprint = outcome.presented;
            app.session->note("   the certificate is pinned for the saved site \"" + app.savedSite.name + "\"");
        }
    }
    if (interactive && wasSaved && failure.empty()) {
        site_manager::rememberPassword(app.savedSite.name, app.liveOptions, app.savedSite.rememberPassword, failure);
    }
    if (!failure.empty()) {
        app.session->note("   not saved: " + failure);
        if (interactive) {
            wide_text::messageBox(app.main, failure, "Saved sites", MB_ICONERROR | MB_OK);
        }
    }
}

// A saved site that presented another certificate than its pin: the
// warning, and only when the operator asks for it, the new pin.
void warnOfChangedCertificate(bool interactive, const CertificateOutcome& outcome, std::string& failure) {
    const std::string& name = app.savedSite.name;
    const std::string saved = canonicalFingerprint(app.liveOptions.fingerprint);
    if (name.empty() || saved.empty() || outcome.presented.empty() || outcome.presented == saved) {
        return;
    }
    failure = site_manager::changedCertificateText(name, saved, outcome.presented);
    if (interactive && connection_panel::askToReplacePin(app.main, name, saved, outcome.presented)) {
        std::string why;
        if (site_manager::pin(name, app.liveOptions, outcome.presented, why)) {
            app.liveOptions.fingerprint = outcome.presented;
            app.session->note("   the operator replaced the pinned certificate of \"" + name + "\"");
            failure += "\r\n\r\nThe new fingerprint is saved: connect again to use it.";
        } else {
            failure += "\r\n\r\n" + why;
        }
    }
}

}  // namespace

std::unique_ptr<ServedSite> logInToLiveSite(bool interactive, std::string& failure) {
    CertificateOutcome certificate;
    waiting_mode::begin();
    std::unique_ptr<ServedSite> site = openLiveSite(app.liveOptions, app.savedSite.name, app.keepAliveMs,
                                                    liveSiteHooks(interactive, certificate), failure);
    waiting_mode::end();
    if (site->isOpen()) {
        rememberAfterLogin(certificate, interactive);
    } else {
        warnOfChangedCertificate(interactive, certificate, failure);
        app.session->note("!! not connected: " + failure);
    }
    return site;
}
