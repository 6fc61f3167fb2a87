#include "host/simsite/site_text.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>

namespace simsite {

std::string padRight(const std::string& text, std::size_t width, bool cut) {
    if (text.size() >= width) {
        return cut ? text.substr(0, width) : text;
    }
    return text + std::string(width - text.size(), ' ');
}

std::string padLeft(const std::string& text, std::size_t width) {
    if (text.size() >= width) {
        return text;
    }
    return std::string(width - text.size(), ' ') + text;
}

std::string upperCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && upperCase(a) == upperCase(b);
}

bool containsIgnoreCase(const std::string& text, const std::string& part) {
    return upperCase(text).find(upperCase(part)) != std::string::npos;
}

std::string format(const char* pattern, ...) {
    char buffer[512];
    va_list arguments;
    va_start(arguments, pattern);
    const int length = std::vsnprintf(buffer, sizeof buffer, pattern, arguments);
    va_end(arguments);
    if (length < 0) {
        return std::string();
    }
    if (static_cast<std::size_t>(length) < sizeof buffer) {
        return std::string(buffer, static_cast<std::size_t>(length));
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    va_start(arguments, pattern);
    std::vsnprintf(&text[0], text.size(), pattern, arguments);
    va_end(arguments);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

namespace {

bool matchFrom(const char* pattern, const char* text) {
    // Iterative glob with one backtrack point: linear enough for listings.
    const char* star = nullptr;
    const char* afterStar = nullptr;
    while (*text != '\0') {
        if (*pattern == '*') {
            star = pattern++;
            afterStar = text;
        } else if (*pattern == '?' ||
                   std::toupper(static_cast<unsigned char>(*pattern)) ==
                       std::toupper(static_cast<unsigned char>(*text))) {
            ++pattern;
            ++text;
        } else if (star != nullptr) {
            pattern = star + 1;
            text = ++afterStar;
        } else {
            return false;
        }
    }
    while (*pattern == '*') {
        ++pattern;
    }
    return *pattern == '\0';
}

}  // namespace

bool wildcardMatch(const std::string& pattern, const std::string& text) {
    return matchFrom(pattern.c_str(), text.c_str());
}

bool searchMatch(const std::string& pattern, const std::string& text) {
    if (pattern.find_first_of("*?") == std::string::npos) {
        return containsIgnoreCase(text, pattern);
    }
    return wildcardMatch(pattern, text);
}

namespace {

// Every flag glftpd knows, in the order the account screen lists them.
const char flagOrder[] = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

}  // namespace

std::string canonicalFlags(const std::string& flags) {
    std::string result;
    for (const char* flag = flagOrder; *flag != '\0'; ++flag) {
        if (flags.find(*flag) != std::string::npos) {
            result += *flag;
        }
    }
    return result;
}

bool isFlag(char c) {
    return c != '\0' && std::string(flagOrder).find(c) != std::string::npos;
}

// "+3-A" runs add and remove flags; a value without a sign replaces them all.
std::string applyFlagChange(const std::string& current, const std::string& change) {
    const bool relative = change.find_first_of("+-") != std::string::npos;
    std::string flags = relative ? current : std::string();
    bool adding = true;
    for (char c : change) {
        if (c == '+' || c == '-') {
            adding = c == '+';
            continue;
        }
        const char flag = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (!isFlag(flag)) {
            continue;
        }
        const std::size_t at = flags.find(flag);
        if (adding && at == std::string::npos) {
            flags += flag;
        } else if (!adding && at != std::string::npos) {
            flags.erase(at, 1);
        }
    }
    return canonicalFlags(flags);
}

bool parseInteger(const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& value) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    if (at >= text.size()) {
        return false;
    }
    std::int64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        if (!std::isdigit(static_cast<unsigned char>(text[at]))) {
            return false;
        }
        // Stop before the 64-bit range could overflow; the caller's range is
        // far smaller anyway.
        if (magnitude > 100000000000000LL) {
            return false;
        }
        magnitude = magnitude * 10 + (text[at] - '0');
    }
    const std::int64_t result = negative ? -magnitude : magnitude;
    if (result < min || result > max) {
        return false;
    }
    value = result;
    return true;
}

CommandWords::CommandWords(const std::string& text) : line(text) {
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ') {
            ++at;
        }
        if (at >= line.size()) {
            break;
        }
        const std::size_t start = at;
        while (at < line.size() && line[at] != ' ') {
            ++at;
        }
        starts.push_back(start);
        words.push_back(line.substr(start, at - start));
    }
}

const std::string& CommandWords::operator[](std::size_t index) const {
    static const std::string none;
    return index < words.size() ? words[index] : none;
}

std::string CommandWords::rest(std::size_t index) const {
    return index < starts.size() ? line.substr(starts[index]) : std::string();
}

}  // namespace simsite
