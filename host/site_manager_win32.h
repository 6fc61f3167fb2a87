#pragma once
// The operator's saved sites as the host uses them: the options a saved site
// connects with, saving the Connect dialog's fields under a name, and the
// certificate a site is pinned to, first trusted on first use.
#include <string>
#include <vector>

#include "host/live/live_site_win32.h"

namespace site_manager {

// Uses the file at `path` (empty: the operator's own under AppData) and
// reads it. False with the reason (a damaged file names its path and
// damage); the sites read whole are offered all the same, and a damaged
// file is only replaced when the operator agrees (see save).
bool open(const std::string& path, std::string& failure);
const std::string& filePath();
bool damaged();

std::vector<std::string> names();
bool exists(const std::string& name);

// The saved site's connection options (its pin included) and its
// remembered password, when there is one that this Windows user can
// unprotect; false when there is no such site.
bool optionsFor(const std::string& name, live::SiteOptions& options, bool& passwordKnown);
// Saves the options under `name` (replacing a site of that name), the
// password only when `rememberPassword`, and then only in protected form.
bool save(const std::string& name, const live::SiteOptions& options, bool rememberPassword,
          bool overwriteDamaged, std::string& failure);
bool remove(const std::string& name, bool overwriteDamaged, std::string& failure);
// Pins `fingerprint` for the saved site `name`.
bool pin(const std::string& name, const std::string& fingerprint, std::string& failure);
// Remembers the password of the saved site `name` (protected), or forgets
// it when `remember` is false; nothing else of the site changes.
bool rememberPassword(const std::string& name, const std::string& password, bool remember, std::string& failure);
// A name for a new entry of this host: "host", or "host:port" when that is
// taken or the port is not 21, numbered when both are taken.
std::string newEntryName(const live::SiteOptions& options);

// The warning for a saved site whose certificate is not the pinned one.
std::string changedCertificateText(const std::string& name, const std::string& saved, const std::string& presented);

}  // namespace site_manager
