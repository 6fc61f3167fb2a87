#include "host/connect/site_manager_win32.h"

#include <windows.h>

#include "host/sites/site_store_win32.h"

namespace site_manager {

namespace {

sites::SiteStore store{""};
bool opened = false;

void wipe(std::string& secret) {
    SecureZeroMemory(&secret[0], secret.size());
    secret.clear();
}

sites::SiteKey keyOf(const live::SiteOptions& options) {
    return {options.host, options.port, options.user, options.requireTls, options.fingerprint};
}

bool noSuchSite(const std::string& name, std::string& failure) {
    failure = "There is no saved site \"" + name + "\".";
    return false;
}

bool notOpened(std::string& failure) {
    failure = "The saved sites are not read yet.";
    return false;
}

// The protected form of the connection's password, bound to its site.
bool protectFor(const live::SiteOptions& options, std::string& protectedHex, std::string& failure) {
    if (options.password.size() > sites::maxRememberedPasswordBytes) {
        failure = "The password is longer than " + std::to_string(sites::maxRememberedPasswordBytes) +
                  " bytes, so it was not remembered.";
        return false;
    }
    protectedHex = sites::protectPassword(options.password, keyOf(options));
    if (protectedHex.empty()) {
        failure = "Windows could not protect the password, so it was not saved.";
        return false;
    }
    return true;
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
    if (!store.load(failure)) {
        return false;
    }
    if (store.sites().passwordsLeftOut()) {
        // An older host kept an own command with its password: the file is
        // written again without it, as every change would write it.
        std::string ignored;
        store.update([](sites::SavedSites&, std::string&) { return true; }, false, ignored);
    }
    return true;
}

bool reload(std::string& failure) { return opened ? store.load(failure) : notOpened(failure); }

const std::string& filePath() { return store.path(); }

bool damaged() { return store.damaged(); }

bool damagedFileChanged() { return store.damagedFileChanged(); }

std::vector<std::string> names() { return opened ? store.sites().names() : std::vector<std::string>(); }

bool exists(const std::string& name) { return opened && store.sites().find(name) != nullptr; }

std::string savedName(const std::string& name) {
    const sites::SavedSite* site = opened ? store.sites().find(name) : nullptr;
    return site == nullptr ? "" : site->name;
}

bool bound(const std::string& name, const live::SiteOptions& options) {
    return opened && store.sites().bind(name, keyOf(options)) != nullptr;
}

bool optionsFor(const std::string& name, live::SiteOptions& options, RememberedPassword& password) {
    const sites::SavedSite* site = opened ? store.sites().find(name) : nullptr;
    password = RememberedPassword::None;
    if (site == nullptr) {
        return false;
    }
    options.host = site->host;
    options.port = site->port;
    options.user = site->user;
    options.requireTls = site->requireTls;
    options.fingerprint = site->fingerprint;
    wipe(options.password);
    if (!site->protectedPassword.empty()) {
        // The blob opens only for the key it was made with, so a file edited
        // to another host, port, user, TLS or pin has no remembered password.
        password = sites::unprotectPassword(site->protectedPassword, site->key(), options.password)
                       ? RememberedPassword::Known
                       : RememberedPassword::Unusable;
    }
    return true;
}

std::string unusablePasswordText(const std::string& name) {
    return "The remembered password of \"" + name +
           "\" does not belong to the site as it is saved now (the file may have been changed), so it is not used";
}

bool save(const std::string& name, const live::SiteOptions& options, bool rememberPassword, SaveMode mode,
          bool overwriteDamaged, std::string& failure) {
    if (!opened) {
        return notOpened(failure);
    }
    sites::SavedSite site;
    site.name = name;
    site.host = options.host;
    site.port = options.port;
    site.user = options.user;
    site.requireTls = options.requireTls;
    site.fingerprint = options.fingerprint;
    if (rememberPassword && !options.password.empty() && !protectFor(options, site.protectedPassword, failure)) {
        return false;
    }
    return store.update(
        [&](sites::SavedSites& all, std::string& why) {
            if (mode == SaveMode::NewOnly && all.find(name) != nullptr) {
                why = "Another host saved a site called \"" + all.find(name)->name +
                      "\" meanwhile; nothing was changed.";
                return false;
            }
            // The site's own commands stay with its name when its connection is replaced.
            const sites::SavedSite* replaced = all.find(name);
            site.ownCommands = replaced == nullptr ? std::vector<std::string>() : replaced->ownCommands;
            return all.put(site, why);
        },
        overwriteDamaged, failure);
}

bool remove(const std::string& name, bool overwriteDamaged, std::string& failure) {
    if (!opened) {
        return noSuchSite(name, failure);
    }
    return store.update(
        [&](sites::SavedSites& all, std::string& why) { return all.remove(name) || noSuchSite(name, why); },
        overwriteDamaged, failure);
}

bool pin(const std::string& name, const live::SiteOptions& options, const std::string& fingerprint,
         std::string& failure) {
    if (!opened) {
        return noSuchSite(name, failure);
    }
    return store.update(
        [&](sites::SavedSites& all, std::string& why) {
            return sites::pinSite(all, name, keyOf(options), fingerprint, why);
        },
        false, failure);
}

bool rememberPassword(const std::string& name, const live::SiteOptions& options, bool remember,
                      std::string& failure) {
    if (!opened) {
        return noSuchSite(name, failure);
    }
    std::string protectedHex;
    if (remember && !options.password.empty() && !protectFor(options, protectedHex, failure)) {
        return false;
    }
    return store.update(
        [&](sites::SavedSites& all, std::string& why) {
            return all.setProtectedPassword(name, keyOf(options), protectedHex, why);
        },
        false, failure);
}

std::vector<std::string> ownCommands(const std::string& savedName) {
    const sites::SavedSite* site = opened ? store.sites().find(savedName) : nullptr;
    return site == nullptr ? std::vector<std::string>() : site->ownCommands;
}

bool setOwnCommands(const std::string& savedName, const live::SiteOptions& key,
                    const std::vector<std::string>& commands, std::string& failure) {
    if (!opened) {
        return noSuchSite(savedName, failure);
    }
    return store.update(
        [&](sites::SavedSites& all, std::string& why) {
            return all.setOwnCommands(savedName, keyOf(key), commands, why);
        },
        false, failure);
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
