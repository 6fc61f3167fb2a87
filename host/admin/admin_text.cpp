#include "host/admin/admin_text.h"

#include <limits>

namespace admin {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string_view lineTextView(const std::string& line) {
    std::string_view text(line);
    if (text.size() >= 4 && isDigit(text[0]) && isDigit(text[1]) && isDigit(text[2]) &&
        (text[3] == '-' || text[3] == ' ')) {
        const bool continued = text[3] == '-';
        text.remove_prefix(4);
        // "200- text": the blank after the dash belongs to the prefix.
        if (continued && !text.empty() && text.front() == ' ') text.remove_prefix(1);
    }
    return text;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    return trimTrailingBlanks(text);
}

std::string_view trimTrailingBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool valueAfter(std::string_view text, std::string_view label, std::string_view& value) {
    const std::size_t at = text.find(label);
    if (at == std::string_view::npos) return false;
    std::string_view rest = text.substr(at + label.size());
    std::size_t end = 0;
    while (end < rest.size() && !isBlank(rest[end]) && rest[end] != '|') ++end;
    value = rest.substr(0, end);
    return true;
}

bool readInteger(std::string_view text, std::int64_t& value, bool* clamped) {
    if (clamped != nullptr) *clamped = false;
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    // Gathered as a negative number, whose range reaches one further.
    const std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    std::int64_t result = 0;
    bool over = false;
    for (char c : text) {
        if (!isDigit(c)) return false;
        const int digit = c - '0';
        if (over) continue;
        if (result < (lowest + digit) / 10) {
            over = true;
            continue;
        }
        result = result * 10 - digit;
    }
    if (over) {
        value = negative ? lowest : std::numeric_limits<std::int64_t>::max();
    } else if (!negative && result == lowest) {
        over = true;
        value = std::numeric_limits<std::int64_t>::max();
    } else {
        value = negative ? result : -result;
    }
    if (clamped != nullptr) *clamped = over;
    return true;
}

bool hasControl(std::string_view text) {
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) return true;
    }
    return false;
}

bool hasBlankOrControl(std::string_view text) {
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7f) return true;
    }
    return false;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace admin
