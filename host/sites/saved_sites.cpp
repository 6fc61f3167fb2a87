#include "host/sites/saved_sites.h"

#include <algorithm>
#include <map>
#include <set>

#include "host/live/fingerprint.h"
#include "host/session/transcript_mask.h"

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

// Own commands go to the server as typed: one line each, UTF-8, bounded.
std::string commandsProblem(const std::vector<std::string>& commands) {
    if (commands.size() > maxOwnCommands) {
        return "more than " + std::to_string(maxOwnCommands) + " own commands";
    }
    for (const std::string& command : commands) {
        if (command.empty()) {
            return "a command is empty";
        }
        if (command.size() > maxOwnCommandBytes) {
            return "a command is longer than " + std::to_string(maxOwnCommandBytes) + " bytes";
        }
        const std::string problem = textProblem("a command", command);
        if (!problem.empty()) {
            return problem;
        }
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

const char fileHeader[] =
    "; Quorin reference host: saved sites. Passwords are kept only in\r\n"
    "; protected form, readable by this Windows user on this machine.\r\n";

// A site as the file holds it: the keys whose absence would mean another
// value, so that the writer never needs more room than the reader's file.
std::string sectionText(const SavedSite& site) {
    std::string text = "\r\n[" + site.name + "]\r\nhost=" + site.host + "\r\n";
    if (site.port != 21) {
        text += "port=" + std::to_string(site.port) + "\r\n";
    }
    if (!site.user.empty()) {
        text += "user=" + site.user + "\r\n";
    }
    if (!site.requireTls) {
        text += "tls=no\r\n";
    }
    if (!site.fingerprint.empty()) {
        text += "fingerprint=" + site.fingerprint + "\r\n";
    }
    if (!site.protectedPassword.empty()) {
        text += "password=" + site.protectedPassword + "\r\n";
    }
    for (const std::string& command : site.ownCommands) {
        text += "command=" + command + "\r\n";
    }
    return text;
}

const std::string tooManySites =
    "there would be more than " + std::to_string(maxSites) + " saved sites, more than the host keeps";

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
    if (key == "command") {
        site.ownCommands.push_back(value);
        const std::string problem = commandsProblem({value});
        return !problem.empty() || site.ownCommands.size() <= maxOwnCommands
                   ? problem
                   : "site " + quoted(site.name) + " has more than " + std::to_string(maxOwnCommands) +
                         " own commands";
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
        commandsProblem(site.ownCommands),
    };
    for (const std::string& problem : problems) {
        if (!problem.empty()) {
            return problem;
        }
    }
    return "";
}

const SavedSite* SavedSites::find(const std::string& name) const {
    const auto found = index.find(lowered(name));
    return found == index.end() ? nullptr : &list[found->second];
}

std::string passwordEntropy(const SiteKey& key) {
    // NUL cannot occur in any of the five, so no two keys give one text. The
    // first words differ from those of hosts that bound only host, port and
    // user, whose blobs therefore open for no site.
    std::string pin;
    if (!key.fingerprint.empty() && !canonicalFingerprint(key.fingerprint, pin)) {
        pin = "not a fingerprint: " + key.fingerprint;
    }
    return std::string("Quorin saved site password: host, port, user, TLS, pin") + '\0' + lowered(key.host) +
           '\0' + std::to_string(key.port) + '\0' + key.user + '\0' + (key.requireTls ? "tls" : "plain") + '\0' +
           pin;
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
                     const std::string& protectedHex, std::string& why) {
    return changeBound(
        name, key,
        [&](SavedSite& site) {
            site.fingerprint = fingerprint;
            site.protectedPassword = protectedHex;
        },
        why);
}

bool SavedSites::setProtectedPassword(const std::string& name, const SiteKey& key, const std::string& protectedHex,
                                      std::string& why) {
    return changeBound(name, key, [&](SavedSite& site) { site.protectedPassword = protectedHex; }, why);
}

bool SavedSites::setOwnCommands(const std::string& name, const SiteKey& key,
                                const std::vector<std::string>& commands, std::string& why) {
    return changeBound(name, key, [&](SavedSite& site) { site.ownCommands = commands; }, why);
}

bool SavedSites::changeBound(const std::string& name, const SiteKey& key,
                             const std::function<void(SavedSite&)>& change, std::string& why) {
    const SavedSite* bound = bind(name, key);
    if (bound == nullptr) {
        why = unboundProblem(name);
        return false;
    }
    SavedSite changed = *bound;
    change(changed);
    return put(changed, why);
}

bool SavedSites::put(const SavedSite& site, std::string& why) {
    const std::string folded = lowered(site.name);
    const auto existing = index.find(folded);
    if (existing == index.end() && list.size() >= maxSites) {
        why = tooManySites;
        return false;
    }
    why = siteProblem(site);
    if (!why.empty()) {
        return false;
    }
    SavedSite kept = site;
    // A command holding a password is kept without it (Send asks for it):
    // the file never holds one in the clear, nor does a file read back.
    for (std::string& command : kept.ownCommands) {
        const std::string without = session::withoutSecrets(command);
        leftOutPassword = leftOutPassword || without != command;
        command = without;
    }
    if (!kept.fingerprint.empty()) {
        canonicalFingerprint(site.fingerprint, kept.fingerprint);
    }
    const std::size_t replaced = existing == index.end() ? 0 : sectionText(list[existing->second]).size();
    const std::size_t after = sectionBytes - replaced + sectionText(kept).size();
    if (sizeof fileHeader - 1 + after > maxFileBytes) {
        why = "the saved sites would take more than " + std::to_string(maxFileBytes / 1024 / 1024) +
              " MB, more than the host reads back";
        return false;
    }
    sectionBytes = after;
    if (existing != index.end()) {
        list[existing->second] = kept;
    } else {
        index.emplace(folded, list.size());
        list.push_back(kept);
    }
    return true;
}

bool SavedSites::remove(const std::string& name) {
    const auto found = index.find(lowered(name));
    if (found == index.end()) {
        return false;
    }
    const std::size_t place = found->second;
    sectionBytes -= sectionText(list[place]).size();
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(place));
    index.erase(found);
    for (auto& entry : index) {
        entry.second -= entry.second > place ? 1 : 0;
    }
    return true;
}

std::vector<std::string> SavedSites::names() const {
    std::vector<std::string> names;
    for (const SavedSite& site : list) {
        names.push_back(site.name);
    }
    return names;
}

std::string formatSites(const SavedSites& sites) {
    std::string text = fileHeader;
    for (const SavedSite& site : sites.all()) {
        text += sectionText(site);
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
    std::size_t firstLeftOut = damage.max_size();  // the damage that says the bound is reached
    std::size_t moreLeftOut = 0;
    const auto finishSite = [&]() {
        std::string why;
        if (!inSite || siteDamaged) {
            return;
        }
        if (site.host.empty()) {
            damage.push_back({siteLine, "site " + quoted(site.name) + " has no host"});
        } else if (!sites.put(site, why)) {
            // Past the bound, one line says so for all the sites after it.
            if (why == tooManySites && firstLeftOut < damage.size()) {
                ++moreLeftOut;
                return;
            }
            firstLeftOut = why == tooManySites ? damage.size() : firstLeftOut;
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
            } else if (key != "command" && !keysSeen.insert(key).second) {
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
    if (moreLeftOut > 0) {
        damage[firstLeftOut].what += "; the " + std::to_string(moreLeftOut) + " sites after it are left out too";
    }
    return damage;
}

std::string damageText(const std::vector<SitesDamage>& damage) {
    const std::size_t shown = 20;  // a file of 60,000 bad lines still gives a message one can read
    std::string text;
    for (std::size_t i = 0; i < damage.size() && i < shown; ++i) {
        text += (text.empty() ? "" : "\n") + std::string("line ") + std::to_string(damage[i].line) + ": " +
                damage[i].what;
    }
    if (damage.size() > shown) {
        text += "\n... and " + std::to_string(damage.size() - shown) + " more lines with damage";
    }
    return text;
}

}  // namespace sites
