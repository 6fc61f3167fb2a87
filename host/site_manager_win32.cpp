#include "host/site_manager_win32.h"

#include <windows.h>

#include "host/live/fingerprint.h"
#include "host/sites/site_store_win32.h"

namespace site_manager {

namespace {

sites::SiteStore store{""};
bool opened = false;

void wipe(std::string& secret) {
    SecureZeroMemory(&secret[0], secret.size());
    secret.clear();
}

// Edits the sites and saves the file, or leaves both as they were.
template <typename Edit>
bool saveEdited(Edit edit, bool overwriteDamaged, std::string& failure) {
    const sites::SavedSites before = store.sites();
    if (!edit(store.sites(), failure) || !store.save(overwriteDamaged, failure)) {
        store.sites() = before;
        return false;
    }
    return true;
}

bool noSuchSite(const std::string& name, std::string& failure) {
    failure = "There is no saved site \"" + name + "\".";
    return false;
}

}  // namespace

bool open(const std::string& path, std::string& failure) {
    std::string file = path;
    if (file.empty()) {
        file = sites::defaultSitesPath(failure);
        if (file.empty()) {
            failure = "The folder for saved sites is unknown: " + failure;
            return false;
        }
    }
    store = sites::SiteStore(file);
    opened = true;
    return store.load(failure);
}

const std::string& filePath() { return store.path(); }

bool damaged() { return store.damaged(); }

std::vector<std::string> names() { return opened ? store.sites().names() : std::vector<std::string>(); }

bool exists(const std::string& name) { return opened && store.sites().find(name) != nullptr; }

bool optionsFor(const std::string& name, live::SiteOptions& options, bool& passwordKnown) {
    const sites::SavedSite* site = opened ? store.sites().find(name) : nullptr;
    passwordKnown = false;
    if (site == nullptr) {
        return false;
    }
    options.host = site->host;
    options.port = site->port;
    options.user = site->user;
    options.requireTls = site->requireTls;
    options.fingerprint = site->fingerprint;
    wipe(options.password);
    passwordKnown = !site->protectedPassword.empty() && sites::unprotectPassword(site->protectedPassword,
                                                                                 options.password);
    return true;
}

bool save(const std::string& name, const live::SiteOptions& options, bool rememberPassword, bool overwriteDamaged,
          std::string& failure) {
    if (!opened) {
        failure = "The saved sites are not read yet.";
        return false;
    }
    sites::SavedSite site;
    site.name = name;
    site.host = options.host;
    site.port = options.port;
    site.user = options.user;
    site.requireTls = options.requireTls;
    site.fingerprint = options.fingerprint;
    if (rememberPassword && !options.password.empty()) {
        site.protectedPassword = sites::protectPassword(options.password);
        if (site.protectedPassword.empty()) {
            failure = "Windows could not protect the password, so it was not saved.";
            return false;
        }
    }
    return saveEdited([&](sites::SavedSites& all, std::string& why) { return all.put(site, why); },
                      overwriteDamaged, failure);
}

bool remove(const std::string& name, bool overwriteDamaged, std::string& failure) {
    if (!opened) {
        return noSuchSite(name, failure);
    }
    return saveEdited(
        [&](sites::SavedSites& all, std::string& why) { return all.remove(name) || noSuchSite(name, why); },
        overwriteDamaged, failure);
}

// Changes one saved site and saves the file, or leaves both as they were.
template <typename Change>
bool changeSite(const std::string& name, Change change, std::string& failure) {
    const sites::SavedSite* found = opened ? store.sites().find(name) : nullptr;
    if (found == nullptr) {
        return noSuchSite(name, failure);
    }
    sites::SavedSite site = *found;
    if (!change(site, failure)) {
        return false;
    }
    return saveEdited([&](sites::SavedSites& all, std::string& why) { return all.put(site, why); }, false, failure);
}

bool pin(const std::string& name, const std::string& fingerprint, std::string& failure) {
    return changeSite(
        name,
        [&](sites::SavedSite& site, std::string&) {
            site.fingerprint = fingerprint;
            return true;
        },
        failure);
}

bool rememberPassword(const std::string& name, const std::string& password, bool remember, std::string& failure) {
    return changeSite(
        name,
        [&](sites::SavedSite& site, std::string& why) {
            site.protectedPassword = remember && !password.empty() ? sites::protectPassword(password) : "";
            if (remember && !password.empty() && site.protectedPassword.empty()) {
                why = "Windows could not protect the password, so it was not saved.";
                return false;
            }
            return true;
        },
        failure);
}

std::string newEntryName(const live::SiteOptions& options) {
    const std::string withPort = options.host + ":" + std::to_string(options.port);
    std::string name = options.port == 21 && !exists(options.host) ? options.host : withPort;
    for (int number = 2; exists(name); ++number) {
        name = withPort + " (" + std::to_string(number) + ")";
    }
    return name;
}

std::string changedCertificateText(const std::string& name, const std::string& saved, const std::string& presented) {
    return "The certificate of the saved site \"" + name + "\" is not the one saved for it.\r\n\r\nSaved:  " + saved +
           "\r\nNow:    " + presented +
           "\r\n\r\nSomeone may be intercepting the connection. Nothing was sent for the login.\r\n"
           "Replace the saved fingerprint only if the site's owner told you that the certificate changed, and the "
           "new fingerprint is the one they gave you.";
}

}  // namespace site_manager
