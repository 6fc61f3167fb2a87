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

namespace admin {

namespace {

// The length of the colour sequence at `at` (ESC '[' digits/';' 'm'), or 0.
std::size_t colourAt(std::string_view text, std::size_t at) {
    if (at + 2 >= text.size() || text[at] != '\x1b' || text[at + 1] != '[') return 0;
    std::size_t end = at + 2;
    while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == ';')) ++end;
    return end < text.size() && text[end] == 'm' ? end + 1 - at : 0;
}

}  // namespace

bool hasColour(std::string_view text) {
    for (std::size_t at = text.find('\x1b'); at != std::string_view::npos; at = text.find('\x1b', at + 1))
        if (colourAt(text, at) != 0) return true;
    return false;
}

std::string withoutColour(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t skip = text[at] == '\x1b' ? colourAt(text, at) : 0;
        if (skip != 0) {
            at += skip;
            continue;
        }
        plain += text[at++];
    }
    return plain;
}

bool removeColour(std::vector<std::string>& lines) {
    bool any = false;
    for (std::string& line : lines) {
        if (line.find('\x1b') == std::string::npos || !hasColour(line)) continue;
        line = withoutColour(line);
        any = true;
    }
    return any;
}

bool isUtf8(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {
            ++at;
            continue;
        }
        std::size_t more = 0;
        std::uint32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) more = 1, code = lead & 0x1Fu;
        else if (lead >= 0xE0 && lead <= 0xEF) more = 2, code = lead & 0x0Fu;
        else if (lead >= 0xF0 && lead <= 0xF4) more = 3, code = lead & 0x07u;
        else return false;
        if (at + more >= text.size()) return false;
        for (std::size_t i = 1; i <= more; ++i) {
            const unsigned char next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if ((more == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (more == 3 && (code < 0x10000 || code > 0x10FFFF)))
            return false;
        at += more + 1;
    }
    return true;
}

std::string displayText(std::string_view bytes) {
    if (isUtf8(bytes)) return std::string(bytes);
    // Windows-1252: Latin-1 with printable characters in 0x80-0x9F.
    static const std::uint16_t high[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string text;
    text.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        const std::uint32_t code = byte >= 0x80 && byte < 0xA0 ? high[byte - 0x80] : byte;
        if (code < 0x80) {
            text += static_cast<char>(code);
        } else if (code < 0x800) {
            text += static_cast<char>(0xC0 | (code >> 6));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            text += static_cast<char>(0xE0 | (code >> 12));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return text;
}

}  // namespace admin
