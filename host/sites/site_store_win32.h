#pragma once
// The saved sites' file on disk and the protection of their passwords.
// Paths are in the ANSI code page, as the rest of the host takes them.
#include <functional>
#include <string>
#include <utility>

#include "host/sites/saved_sites.h"

namespace sites {

// %APPDATA%\Quorin reference host\sites.ini; empty with the reason in `why`
// when the folder is unknown or cannot be named in the ANSI code page.
std::string defaultSitesPath(std::string& why);

class SiteStore {
public:
    explicit SiteStore(std::string path) : file(std::move(path)) {}

    const std::string& path() const { return file; }
    SavedSites& sites() { return saved; }

    // A missing file is no sites. A file that cannot be read or is damaged
    // is a failure naming the path and the damage; the sites read whole are
    // kept and the store is damaged() until a save with overwriteDamaged.
    bool load(std::string& failure);
    bool damaged() const { return isDamaged; }

    // Replaces the file with all the sites at once: the whole text goes to
    // "<path>.new", is flushed to the disk and moved over the file. Any
    // failure leaves the old file whole. Refused before a load, and while
    // damaged unless overwriteDamaged (the operator agreed to lose what
    // could not be read). Creates the file's folder when it is missing.
    bool save(bool overwriteDamaged, std::string& failure);

    // Tests: called between the flushed new file and the move; false stops
    // the save there, as a crash would.
    std::function<bool()> beforeReplace;

private:
    std::string file;
    SavedSites saved;
    bool loaded = false;
    bool isDamaged = false;
};

// The hex of a CryptProtectData blob of the password, readable only by this
// Windows user on this machine; empty when Windows refuses.
std::string protectPassword(const std::string& password);
// False when the blob cannot be unprotected here (another user or machine,
// damaged, not hex): ask the operator for the password again.
bool unprotectPassword(const std::string& protectedHex, std::string& password);

}  // namespace sites
