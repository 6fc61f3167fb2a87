#pragma once
// The operator's saved sites as the host uses them: the options a saved site
// connects with, saving the Connect dialog's fields under a name, and the
// certificate a site is pinned to, first trusted on first use. Which saved
// site a connection belongs to is the store's decision (bound); every change
// is checked against it again when it is written.
#include <string>
#include <vector>

#include "host/live/live_site_win32.h"

namespace site_manager {

// Uses the file at `path` (UTF-8; empty: the operator's own under AppData)
// and reads it. False with the reason (a damaged file names its path and
// damage); the sites read whole are offered all the same, and a damaged
// file is only replaced when the operator agrees.
bool open(const std::string& path, std::string& failure);
// Reads the file again, for what other host processes saved meanwhile.
bool reload(std::string& failure);
const std::string& filePath();
bool damaged();
// The last change was refused because the damaged file changed after the
// operator agreed to replace it; the file is read again, ask again.
bool damagedFileChanged();

std::vector<std::string> names();
bool exists(const std::string& name);
// The spelling saved for `name` (names are told apart without regard to
// ASCII case); empty when there is no such site.
std::string savedName(const std::string& name);
// Whether the saved site `name` stands for exactly this connection (host,
// port, user, TLS and pin): only then is it that site's, with its password.
bool bound(const std::string& name, const live::SiteOptions& options);

enum class RememberedPassword {
    None,      // none is saved
    Known,     // unprotected for the site as it is saved now
    Unusable,  // saved, but not for the site's present host, port, user, TLS and pin, nor Windows user or machine
};
// The saved site's connection options (its pin included) and its remembered
// password; false when there is no such site.
bool optionsFor(const std::string& name, live::SiteOptions& options, RememberedPassword& password);
// Why the remembered password of the saved site `name` is not used: it was
// made for the site as it was saved then, which is not the site the file
// describes now.
std::string unusablePasswordText(const std::string& name);

enum class SaveMode { Replace, NewOnly };
// Saves the options under `name`, replacing a site of that name only with
// SaveMode::Replace (its own commands are kept); the password only when
// `rememberPassword`, and then only in protected form, bound to the
// options' host, port, user, TLS and pin.
bool save(const std::string& name, const live::SiteOptions& options, bool rememberPassword, SaveMode mode,
          bool overwriteDamaged, std::string& failure);
bool remove(const std::string& name, bool overwriteDamaged, std::string& failure);
// Pins `fingerprint` for the saved site `name`, when it is still the site of
// the connection made with `options`; its remembered password is protected
// again for the new pin in the same locked change.
bool pin(const std::string& name, const live::SiteOptions& options, const std::string& fingerprint,
         std::string& failure);
// Remembers options.password for the saved site `name` (protected), or
// forgets it when `remember` is false; only when the site is still the one
// of `options`, and nothing else of it changes.
bool rememberPassword(const std::string& name, const live::SiteOptions& options, bool remember,
                      std::string& failure);
// The operator's own commands saved for the site `savedName`; none: empty.
std::vector<std::string> ownCommands(const std::string& savedName);
// Keeps `commands` as the own commands of the saved site `savedName`, only
// when it is still the site of the connection made with `key`, under the
// file's lock as every change is.
bool setOwnCommands(const std::string& savedName, const live::SiteOptions& key,
                    const std::vector<std::string>& commands, std::string& failure);
// A name for a new entry of this host: "host", or "host:port" when that is
// taken or the port is not 21, numbered when both are taken.
std::string newEntryName(const live::SiteOptions& options);

// The warning for a saved site whose certificate is not the pinned one.
std::string changedCertificateText(const std::string& name, const std::string& saved, const std::string& presented);

}  // namespace site_manager
