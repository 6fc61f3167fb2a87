#pragma once
// The saved sites' file on disk and the protection of their passwords.
// Paths are UTF-8, handed to Windows as UTF-16.
#include <functional>
#include <string>
#include <utility>

#include "host/sites/saved_sites.h"

namespace sites {

// %APPDATA%\Quorin reference host\sites.ini; empty with the reason in `why`
// when the folder is unknown.
std::string defaultSitesPath(std::string& why);

class SiteStore {
public:
    explicit SiteStore(std::string path) : file(std::move(path)) {}

    const std::string& path() const { return file; }
    const SavedSites& sites() const { return saved; }

    // Reads the file as it is now. A missing file is no sites. A file that
    // cannot be read or is damaged is a failure naming the path and the
    // damage; the sites read whole are kept and the store is damaged().
    bool load(std::string& failure);
    bool damaged() const { return isDamaged; }

    using Edit = std::function<bool(SavedSites& sites, std::string& why)>;
    // One change to the file, safe beside other host processes: takes the
    // file's lock ("<path>.lock"), reads the file as it is now, applies
    // `edit` to it and replaces the file with the result (the whole text goes
    // to "<path>.new", is flushed and moved over the file), then lets the
    // lock go. What another process saved meanwhile stays. Refused, with the
    // file left byte for byte as it was, when the edit refuses, when the
    // result would pass maxFileBytes, and when the file is damaged unless
    // `overwriteDamaged` (the operator agreed to lose what cannot be read).
    // That agreement is for the damaged file as load() last found it: when
    // the file read under the lock is another (other bytes, or now
    // unreadable or too large), nothing is changed and the failure says to
    // look again. Afterwards sites() is what the file holds.
    bool update(const Edit& edit, bool overwriteDamaged, std::string& failure);
    // The last update was refused because the damaged file it was to
    // replace is not the one load() had found before it; sites() and
    // damaged() are now the file as it is, for the question to be asked again.
    bool damagedFileChanged() const { return changedSinceAsked; }

    // Tests: called between the flushed new file and the move; false stops
    // the change there, as a crash would.
    std::function<bool()> beforeReplace;
    // How long update waits for another process to let the lock go.
    int lockWaitMs = 10000;

private:
    bool write(const SavedSites& sites, std::string& failure);

    std::string file;
    SavedSites saved;
    bool isDamaged = false;
    // What load() last found: the file's bytes, or why they could not be
    // read; what a damaged file is compared with before it is replaced.
    std::string found;
    bool foundRead = false;
    bool changedSinceAsked = false;
};

// The hex of a CryptProtectData blob of the password, readable only by this
// Windows user on this machine and only for this key's host, port and user
// (passwordEntropy); empty when Windows refuses.
std::string protectPassword(const std::string& password, const SiteKey& key);
// False when the blob cannot be unprotected here for this key (another
// user, machine, host, port or user, a blob without the key, damaged, not
// hex): not a remembered password; ask the operator again.
bool unprotectPassword(const std::string& protectedHex, const SiteKey& key, std::string& password);

// Pins `fingerprint` for the saved site that `name` and `key` bind to, its
// remembered password protected again for the new pin in the same edit (a
// blob that does not open for `key` is dropped). For the operator's Yes to
// a certificate; nothing else moves a password to another pin.
bool pinSite(SavedSites& sites, const std::string& name, const SiteKey& key, const std::string& fingerprint,
             std::string& why);

}  // namespace sites
