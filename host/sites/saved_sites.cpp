#include "host/sites/saved_sites.h"

#include <algorithm>
#include <map>
#include <set>

#include "host/live/fingerprint.h"

namespace sites {

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string text) {
    for (char& c : text) {
        c = lowerAscii(c);
    }
    return text;
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && lowered(a) == lowered(b);
}

std::string trimmed(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(" \t");
    return begin == std::string::npos ? "" : text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
}

bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// A value as a message may show it: control characters as '?', long ones cut.
std::string quoted(const std::string& value) {
    std::string shown = value.substr(0, 40);
    for (char& c : shown) {
        if (isControl(c)) {
            c = '?';
        }
    }
    return "'" + shown + (value.size() > 40 ? "...'" : "'");
}

// The characters of UTF-8 text; npos when it is not UTF-8 (overlong forms,
// surrogates and code points past U+10FFFF included).
std::size_t utf8Characters(const std::string& text) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++characters) {
        const unsigned char lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                                 : lead >= 0xF0 && lead < 0xF5   ? 4
                                                                                 : 0;
        if (length == 0 || text.size() - at < length) {
            return std::string::npos;
        }
        unsigned long codePoint = length == 1 ? lead : lead & (0xFFu >> (length + 1));
        for (std::size_t i = 1; i < length; ++i) {
            const unsigned char next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80) {
                return std::string::npos;
            }
            codePoint = codePoint << 6 | (next & 0x3Fu);
        }
        const unsigned long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (codePoint < smallest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint < 0xE000)) {
            return std::string::npos;
        }
        at += length;
    }
    return characters;
}

std::string textProblem(const std::string& what, const std::string& text) {
    for (const char c : text) {
        if (isControl(c)) {
            return what + " holds a line break or another control character";
        }
    }
    const std::size_t characters = utf8Characters(text);
    if (characters == std::string::npos) {
        return what + " is not UTF-8 text";
    }
    if (characters > maxTextCharacters) {
        return what + " is longer than " + std::to_string(maxTextCharacters) + " characters";
    }
    if (!text.empty() && (text.front() == ' ' || text.back() == ' ')) {
        return what + " starts or ends with a blank";
    }
    return "";
}

std::string portProblem(int port) {
    return port >= 1 && port <= 65535 ? "" : "port must be a number from 1 to 65535, not " + std::to_string(port);
}

bool canonicalFingerprint(const std::string& text, std::string& canonical) {
    live::Sha256Digest digest{};
    if (!live::parseFingerprint(text, digest)) {
        return false;
    }
    canonical = live::fingerprintText(digest);
    return true;
}

const char* const fingerprintProblem = "fingerprint is not a SHA-256 fingerprint (32 hex pairs)";
const char* const passwordProblem = "password is not the hex of a protected password";

std::string protectedPasswordProblem(const std::string& hex) {
    std::string ignored;
    if (hex.size() > maxProtectedHexDigits) {
        return "password is longer than " + std::to_string(maxProtectedHexDigits) + " hex digits";
    }
    return hexToBytes(hex, ignored) ? "" : passwordProblem;
}

bool sameHost(const std::string& a, const std::string& b) { return sameName(a, b); }

bool sameFingerprint(const std::string& a, const std::string& b) {
    std::string first;
    std::string second;
    if (a.empty() || b.empty()) {
        return a.empty() && b.empty();
    }
    return canonicalFingerprint(a, first) && canonicalFingerprint(b, second) && first == second;
}

std::string unboundProblem(const std::string& name) {
    return "The saved site \"" + name +
           "\" is not the site of this connection any more (its host, port, user, TLS or pin changed); it is "
           "left as it is.";
}

// The name in a "[name]" line; what is wrong with the line, or empty.
std::string readName(const std::string& line, std::string& name) {
    const std::size_t close = line.find(']');
    name = trimmed(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    if (close == std::string::npos) {
        return "a site's name has no closing ']'";
    }
    if (close + 1 != line.size()) {
        return "text after the site's ']'";
    }
    return name.empty() ? "a site has no name" : textProblem("the site's name", name);
}

// Takes one key's value into the site; what is wrong with it, or empty.
std::string readValue(const std::string& key, const std::string& value, SavedSite& site) {
    if (key == "host") {
        site.host = value;
        return value.empty() ? "host is empty" : textProblem("host", value);
    }
    if (key == "user") {
        site.user = value;
        return textProblem("user", value);
    }
    if (key == "port") {
        const bool digits =
            !value.empty() && value.size() <= 5 && value.find_first_not_of("0123456789") == std::string::npos;
        site.port = digits ? std::stoi(value) : 0;
        return portProblem(site.port).empty() ? "" : "port must be a number from 1 to 65535, not " + quoted(value);
    }
    if (key == "tls") {
        site.requireTls = lowered(value) == "yes";
        return site.requireTls || lowered(value) == "no" ? "" : "tls must be yes or no, not " + quoted(value);
    }
    if (key == "fingerprint") {
        return value.empty() || canonicalFingerprint(value, site.fingerprint) ? "" : fingerprintProblem;
    }
    if (key == "password") {
        site.protectedPassword = value;
        return protectedPasswordProblem(value);
    }
    return "unknown key " + quoted(key);
}

}  // namespace

bool hexToBytes(const std::string& hex, std::string& bytes) {
    const auto digit = [](char c) {
        c = lowerAscii(c);
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    if (hex.size() % 2 != 0) {
        return false;
    }
    std::string read;
    for (std::size_t at = 0; at < hex.size(); at += 2) {
        const int high = digit(hex[at]);
        const int low = digit(hex[at + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        read += static_cast<char>(high * 16 + low);
    }
    bytes.swap(read);
    return true;
}

std::string bytesToHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        hex += digits[static_cast<unsigned char>(c) >> 4];
        hex += digits[c & 0x0F];
    }
    return hex;
}

std::string siteProblem(const SavedSite& site) {
    if (site.name.empty()) {
        return "a site needs a name";
    }
    if (site.host.empty()) {
        return "host is empty";
    }
    std::string ignored;
    const std::string problems[] = {
        textProblem("the name", site.name),
        site.name.find(']') == std::string::npos ? "" : "the name holds ']'",
        textProblem("host", site.host),
        textProblem("user", site.user),
        portProblem(site.port),
        site.fingerprint.empty() || canonicalFingerprint(site.fingerprint, ignored) ? "" : fingerprintProblem,
        protectedPasswordProblem(site.protectedPassword),
    };
    for (const std::string& problem : problems) {
        if (!problem.empty()) {
            return problem;
        }
    }
    return "";
}

const SavedSite* SavedSites::find(const std::string& name) const {
    for (const SavedSite& site : list) {
        if (sameName(site.name, name)) {
            return &site;
        }
    }
    return nullptr;
}

std::string passwordEntropy(const SiteKey& key) {
    // NUL cannot occur in any of the three, so no two keys give one text.
    return std::string("Quorin saved site password", 26) + '\0' + lowered(key.host) + '\0' +
           std::to_string(key.port) + '\0' + key.user;
}

const SavedSite* SavedSites::bind(const std::string& name, const SiteKey& key) const {
    const SavedSite* site = find(name);
    if (site == nullptr || !sameHost(site->host, key.host) || site->port != key.port || site->user != key.user ||
        site->requireTls != key.requireTls || !sameFingerprint(site->fingerprint, key.fingerprint)) {
        return nullptr;
    }
    return site;
}

bool SavedSites::pin(const std::string& name, const SiteKey& key, const std::string& fingerprint,
                     std::string& why) {
    return changeBound(name, key, &SavedSite::fingerprint, fingerprint, why);
}

bool SavedSites::setProtectedPassword(const std::string& name, const SiteKey& key, const std::string& protectedHex,
                                      std::string& why) {
    return changeBound(name, key, &SavedSite::protectedPassword, protectedHex, why);
}

bool SavedSites::changeBound(const std::string& name, const SiteKey& key, std::string SavedSite::*field,
                             const std::string& value, std::string& why) {
    const SavedSite* bound = bind(name, key);
    if (bound == nullptr) {
        why = unboundProblem(name);
        return false;
    }
    SavedSite changed = *bound;
    changed.*field = value;
    return put(changed, why);
}

bool SavedSites::put(const SavedSite& site, std::string& why) {
    why = siteProblem(site);
    if (!why.empty()) {
        return false;
    }
    SavedSite kept = site;
    if (!kept.fingerprint.empty()) {
        canonicalFingerprint(site.fingerprint, kept.fingerprint);
    }
    for (SavedSite& existing : list) {
        if (sameName(existing.name, site.name)) {
            existing = kept;
            return true;
        }
    }
    list.push_back(kept);
    return true;
}

bool SavedSites::remove(const std::string& name) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (sameName(it->name, name)) {
            list.erase(it);
            return true;
        }
    }
    return false;
}

std::vector<std::string> SavedSites::names() const {
    std::vector<std::string> names;
    for (const SavedSite& site : list) {
        names.push_back(site.name);
    }
    return names;
}

std::string formatSites(const SavedSites& sites) {
    std::string text =
        "; Quorin reference host: saved sites. Passwords are kept only in\r\n"
        "; protected form, readable by this Windows user on this machine.\r\n";
    for (const SavedSite& site : sites.all()) {
        text += "\r\n[" + site.name + "]\r\n";
        text += "host=" + site.host + "\r\n";
        text += "port=" + std::to_string(site.port) + "\r\n";
        text += "user=" + site.user + "\r\n";
        text += std::string("tls=") + (site.requireTls ? "yes" : "no") + "\r\n";
        text += "fingerprint=" + site.fingerprint + "\r\n";
        text += "password=" + site.protectedPassword + "\r\n";
    }
    return text;
}

std::vector<SitesDamage> parseSites(const std::string& text, SavedSites& sites) {
    sites = SavedSites();
    std::vector<SitesDamage> damage;
    std::map<std::string, int> firstLines;  // lowered name -> its line
    bool inSite = false;
    bool siteDamaged = false;
    int siteLine = 0;
    SavedSite site;
    std::set<std::string> keysSeen;
    const auto finishSite = [&]() {
        std::string why;
        if (!inSite || siteDamaged) {
            return;
        }
        if (site.host.empty()) {
            damage.push_back({siteLine, "site " + quoted(site.name) + " has no host"});
        } else if (!sites.put(site, why)) {
            damage.push_back({siteLine, why});
        }
    };

    std::size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // Notepad's byte order mark
    for (int lineNumber = 1; at <= text.size(); ++lineNumber) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        line = trimmed(line);
        if (line.empty() || line[0] == ';') {
            continue;
        }
        const std::size_t equals = line.find('=');
        std::string problem;
        if (line[0] == '[') {
            finishSite();
            inSite = true;
            siteLine = lineNumber;
            site = SavedSite();
            keysSeen.clear();
            problem = readName(line, site.name);
            const auto first = problem.empty() ? firstLines.emplace(lowered(site.name), lineNumber)
                                               : std::make_pair(firstLines.end(), true);
            if (!first.second) {
                problem = "site " + quoted(site.name) + " appears twice (first on line " +
                          std::to_string(first.first->second) + ")";
            }
            siteDamaged = !problem.empty();
        } else if (equals == std::string::npos) {
            problem = "neither a [site] line, key=value, a blank line nor a ';' comment";
        } else {
            const std::string key = lowered(trimmed(line.substr(0, equals)));
            if (!inSite) {
                problem = quoted(key) + " comes before any [site] line";
            } else if (!keysSeen.insert(key).second) {
                problem = key + " is given twice for site " + quoted(site.name);
            } else {
                problem = readValue(key, trimmed(line.substr(equals + 1)), site);
            }
        }
        if (!problem.empty()) {
            damage.push_back({lineNumber, problem});
            siteDamaged = siteDamaged || inSite;
        }
    }
    finishSite();
    return damage;
}

std::string damageText(const std::vector<SitesDamage>& damage) {
    std::string text;
    for (const SitesDamage& one : damage) {
        text += (text.empty() ? "" : "\n") + std::string("line ") + std::to_string(one.line) + ": " + one.what;
    }
    return text;
}

}  // namespace sites
