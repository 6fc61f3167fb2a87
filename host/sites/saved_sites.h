#pragma once
// The sites the operator saved, and their file: INI text a person can read
// and mend in Notepad.
//
//   ; Quorin reference host: saved sites.
//   [Main site]
//   host=ftp.example.net
//   port=2121
//   user=siteop
//   tls=yes
//   fingerprint=0E:CF:16:...:3A:43
//   password=01000000d08c9ddf0115d1118c7a00c04fc297eb...
//   command=SITE WHO
//   command=SITE NUKE
//
// A section per site, in the order the sites were added. port is 1-65535
// (21 when absent), tls is yes or no (yes when absent), fingerprint is a
// pinned SHA-256 (empty or absent: none), password the hex of its
// CryptProtectData blob (empty or absent: none), protected with the site's
// host, port, user, TLS and pin as its entropy, so that it only unprotects
// for the site exactly as it was saved. command lines, repeated, are the
// operator's own commands for the site, in order. The writer leaves out a
// key whose value is the one its absence means. Names, hosts, users and
// commands are UTF-8. Blanks around keys and values and lines starting with
// ';' are ignored; a ';' anywhere else is text. Keys are known or the file
// is damaged: a misspelt "fingerprnt" would otherwise drop a pin without a
// word.
#include <cstddef>
#include <functional>
#include <string>
#include <map>
#include <vector>

namespace sites {

// What the writer writes and the reader reads, at most: a field longer than
// this is refused by both, and so is a file larger than maxFileBytes.
constexpr std::size_t maxTextCharacters = 255;  // name, host, user (a host name is at most 253)
constexpr std::size_t maxProtectedHexDigits = 8192;
constexpr std::size_t maxFileBytes = 1024 * 1024;
// The most sites the reader takes and the writer writes. Every change also
// keeps the sites, written out, within maxFileBytes, so that whatever the
// reader took the writer can write back.
constexpr std::size_t maxSites = 10000;
constexpr std::size_t maxOwnCommands = 64;
constexpr std::size_t maxOwnCommandBytes = 255;
// The longest password the host remembers (the blob stays far below its bound).
constexpr std::size_t maxRememberedPasswordBytes = 1024;

// What a saved site's name stands for: one connection, whose password and
// pin are that site's alone.
struct SiteKey {
    std::string host;
    int port = 21;
    std::string user;
    bool requireTls = true;
    std::string fingerprint;  // the pin the connection checks; empty: none
};

struct SavedSite {
    std::string name;
    std::string host;
    int port = 21;
    std::string user;
    bool requireTls = true;
    std::string fingerprint;        // "0E:CF:...", as fingerprintText writes it; empty: none
    std::string protectedPassword;  // hex of the CryptProtectData blob; empty: none
    std::vector<std::string> ownCommands;  // the operator's own commands, in order

    SiteKey key() const { return {host, port, user, requireTls, fingerprint}; }
};

// Empty when the site can be saved and read back exactly; otherwise why not.
// Texts are UTF-8 of at most maxTextCharacters characters, hold no control
// characters (line breaks, tabs, NUL) and do not start or end with a blank;
// a name is not empty and holds no ']'. Own commands are at most
// maxOwnCommands, each not empty, UTF-8 of at most maxOwnCommandBytes bytes
// without control characters or blanks at either end.
std::string siteProblem(const SavedSite& site);

// The bytes a remembered password is protected with besides the Windows
// user: the host (ASCII letters folded), the port, the user, TLS and the pin
// (in fingerprintText form). A blob made for one site does not unprotect for
// a site that differs in any of them, nor does a blob made by hosts that
// protected only host, port and user.
std::string passwordEntropy(const SiteKey& key);

// The operator's sites. Names are told apart without regard to ASCII case,
// as Windows users expect ("Main" and "MAIN" are one site); other bytes are
// compared as they are.
class SavedSites {
public:
    const SavedSite* find(const std::string& name) const;
    // The saved site a connection belongs to: the one called `name` when it
    // stands for exactly this connection (host without regard to ASCII case,
    // port, user, TLS and pin); null when there is none, and the connection
    // is an unsaved one. The one place that decides it.
    const SavedSite* bind(const std::string& name, const SiteKey& key) const;
    // Adds the site, or replaces the one of that name in its place (the
    // name takes the new spelling). A fingerprint is kept in fingerprintText
    // form; an own command that holds a password is kept without it, as
    // session::withoutSecrets cuts it ("SITE CHPASS bob pw" as "SITE CHPASS bob"). False with the reason when siteProblem refuses it.
    bool put(const SavedSite& site, std::string& why);
    bool remove(const std::string& name);
    // Pins `fingerprint` for the saved site that `name` and `key` bind to
    // (key.fingerprint is the pin the connection checked, empty for none),
    // with `protectedHex` as its password (made for the new pin; empty:
    // none): a password is never kept for a pin it was not made for. False
    // with the reason when they bind to none.
    bool pin(const std::string& name, const SiteKey& key, const std::string& fingerprint,
             const std::string& protectedHex, std::string& why);
    // Keeps `protectedHex` (made with passwordEntropy(key); empty: forget)
    // as the password of the saved site that `name` and `key` bind to.
    bool setProtectedPassword(const std::string& name, const SiteKey& key, const std::string& protectedHex,
                              std::string& why);
    // Keeps `commands` as the own commands of the saved site that `name`
    // and `key` bind to.
    bool setOwnCommands(const std::string& name, const SiteKey& key, const std::vector<std::string>& commands,
                        std::string& why);
    std::vector<std::string> names() const;  // in the order added
    // Whether a put left a password out of an own command (a file an older
    // host wrote holds one): the file holds what these sites do not.
    bool passwordsLeftOut() const { return leftOutPassword; }
    const std::vector<SavedSite>& all() const { return list; }

private:
    // Changes the saved site that `name` and `key` bind to.
    bool changeBound(const std::string& name, const SiteKey& key, const std::function<void(SavedSite&)>& change,
                     std::string& why);

    std::vector<SavedSite> list;
    // Name with ASCII letters folded -> place in list. Ordered, not hashed:
    // no choice of names in a hostile file makes a look-up slow.
    std::map<std::string, std::size_t> index;
    std::size_t sectionBytes = 0;  // the sites as formatSites writes them, without its header
    bool leftOutPassword = false;
};

struct SitesDamage {
    int line = 0;  // 1-based
    std::string what;
};

std::string formatSites(const SavedSites& sites);  // CRLF line ends

// Reads the text into `sites` (replacing what it held) and returns what is
// wrong, line by line; empty when the file was read whole. Sites with damage
// are left out, the others are read. A UTF-8 byte order mark is skipped;
// LF or CRLF line ends.
std::vector<SitesDamage> parseSites(const std::string& text, SavedSites& sites);

// "line 7: port must be a number from 1 to 65535, not '99999'", a line each
// (the first 20, then how many more).
std::string damageText(const std::vector<SitesDamage>& damage);

bool hexToBytes(const std::string& hex, std::string& bytes);
std::string bytesToHex(const std::string& bytes);  // lower case

}  // namespace sites
