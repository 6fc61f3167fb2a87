#include "host/connect/site_login_win32.h"

#include <windows.h>

#include "host/connect/site_manager_win32.h"
#include "host/live/fingerprint.h"
#include "host/sites/wide_text_win32.h"

namespace {

// What a connection's certificate came to: the one presented, and whether
// the operator asked to remember it.
struct CertificateOutcome {
    std::string presented;
    bool remember = false;
};

LiveSiteHooks liveSiteHooks(const LoginContext& context, bool interactive, CertificateOutcome& outcome) {
    LiveSiteHooks hooks;
    hooks.note = context.note;
    hooks.waiting = context.waitProgress;
    hooks.certificateSeen = [&outcome](const std::string& fingerprint) { outcome.presented = fingerprint; };
    if (interactive) {
        hooks.prompt = [&context, &outcome](const std::string& fingerprint, const std::string& why) {
            const std::string rememberAs =
                context.saved.name.empty() ? site_manager::newEntryName(context.options) : context.saved.name;
            const connection_panel::CertificateAnswer answer =
                connection_panel::askAboutCertificate(context.owner, context.options.host, fingerprint, why, rememberAs);
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
void rememberAfterLogin(const LoginContext& context, const CertificateOutcome& outcome, bool interactive) {
    std::string failure;
    const bool wasSaved = !context.saved.name.empty();
    if (outcome.remember) {
        live::SiteOptions pinned = context.options;
        pinned.fingerprint = outcome.presented;
        bool done = false;
        if (wasSaved) {
            done = site_manager::pin(context.saved.name, context.options, outcome.presented, failure);
        } else {
            const std::string entry = site_manager::newEntryName(context.options);
            done = site_manager::save(entry, pinned, context.saved.rememberPassword, site_manager::SaveMode::NewOnly,
                                      false, failure);
            if (done) {
                context.saved.name = entry;
            }
        }
        SecureZeroMemory(&pinned.password[0], pinned.password.size());
        if (done) {
            context.options.fingerprint = outcome.presented;
            context.note("   the certificate is pinned for the saved site \"" + context.saved.name + "\"");
        }
    }
    if (interactive && wasSaved && failure.empty()) {
        site_manager::rememberPassword(context.saved.name, context.options, context.saved.rememberPassword, failure);
    }
    if (!failure.empty()) {
        context.note("   not saved: " + failure);
        if (interactive) {
            wide_text::messageBox(context.owner, failure, "Saved sites", MB_ICONERROR | MB_OK);
        }
    }
}

// A saved site that presented another certificate than its pin: the
// warning, and only when the operator asks for it, the new pin.
void warnOfChangedCertificate(const LoginContext& context, bool interactive, const CertificateOutcome& outcome, std::string& failure) {
    const std::string& name = context.saved.name;
    const std::string saved = canonicalFingerprint(context.options.fingerprint);
    if (name.empty() || saved.empty() || outcome.presented.empty() || outcome.presented == saved) {
        return;
    }
    failure = site_manager::changedCertificateText(name, saved, outcome.presented);
    if (interactive && connection_panel::askToReplacePin(context.owner, name, saved, outcome.presented)) {
        std::string why;
        if (site_manager::pin(name, context.options, outcome.presented, why)) {
            context.options.fingerprint = outcome.presented;
            context.note("   the operator replaced the pinned certificate of \"" + name + "\"");
            failure += "\r\n\r\nThe new fingerprint is saved: connect again to use it.";
        } else {
            failure += "\r\n\r\n" + why;
        }
    }
}

}  // namespace

std::unique_ptr<ServedSite> logInToLiveSite(const LoginContext& context, bool interactive, std::string& failure) {
    CertificateOutcome certificate;
    context.waitBegin();
    std::unique_ptr<ServedSite> site = openLiveSite(context.options, context.saved.name, context.keepAliveMs,
                                                    liveSiteHooks(context, interactive, certificate), failure);
    context.waitEnd();
    if (site->isOpen()) {
        rememberAfterLogin(context, certificate, interactive);
    } else {
        warnOfChangedCertificate(context, interactive, certificate, failure);
        context.note("!! not connected: " + failure);
    }
    return site;
}
