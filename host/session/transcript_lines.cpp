#include "host/session/transcript_lines.h"

#include <cstddef>
#include <cstdint>
#include <utility>

namespace session {

namespace {

const char hex[] = "0123456789abcdef";

bool isControl(unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7f; }

bool isContinuation(unsigned char c) { return (c & 0xc0) == 0x80; }

// Code points that end, start or reorder a line for some reader of the record.
bool isShownAsEscape(std::uint32_t codePoint) {
    return (codePoint >= 0x80 && codePoint <= 0x9f) || codePoint == 0x061c || codePoint == 0x200e ||
           codePoint == 0x200f || (codePoint >= 0x2028 && codePoint <= 0x202e) ||
           (codePoint >= 0x2066 && codePoint <= 0x2069);
}

// The length of the valid UTF-8 sequence at `at` (shortest form, no
// surrogates, at most U+10FFFF) and its code point; 0 when there is none.
std::size_t utf8Sequence(const std::string& text, std::size_t at, std::size_t end, std::uint32_t& codePoint) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    unsigned char low = 0x80;  // the bounds of the second byte
    unsigned char high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        codePoint = lead & 0x1fu;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        codePoint = lead & 0x0fu;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        codePoint = lead & 0x07u;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (end - at < length) {
        return 0;
    }
    const unsigned char second = static_cast<unsigned char>(text[at + 1]);
    if (second < low || second > high) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[at + i]);
        if (!isContinuation(next)) {
            return 0;
        }
        codePoint = codePoint << 6 | (next & 0x3fu);
    }
    return length;
}

void appendByteEscape(std::string& shown, unsigned char c) {
    shown += "\\x";
    shown += hex[c >> 4];
    shown += hex[c & 0x0f];
}

bool isPlain(unsigned char c) { return c >= 0x20 && c < 0x7f; }

void appendShown(std::string& shown, const std::string& text, std::size_t begin, std::size_t end) {
    for (std::size_t at = begin; at < end;) {
        // A run of printable ASCII (most of any listing) goes in at once.
        std::size_t plain = at;
        while (plain < end && isPlain(static_cast<unsigned char>(text[plain]))) {
            ++plain;
        }
        if (plain > at) {
            shown.append(text, at, plain - at);
            at = plain;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c < 0x80) {
            if (!isControl(c)) {
                shown += static_cast<char>(c);
            } else if (c == '\r') {
                shown += "\\r";
            } else {
                appendByteEscape(shown, c);
            }
            ++at;
            continue;
        }
        std::uint32_t codePoint = 0;
        const std::size_t length = utf8Sequence(text, at, end, codePoint);
        if (length == 0) {
            appendByteEscape(shown, c);
            ++at;
        } else if (isShownAsEscape(codePoint)) {
            shown += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) {
                shown += hex[(codePoint >> shift) & 0x0f];
            }
            at += length;
        } else {
            shown.append(text, at, length);
            at += length;
        }
    }
}

}  // namespace

std::vector<std::string> transcriptLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t lineFeed = text.find('\n', begin);
        std::size_t end = lineFeed == std::string::npos ? text.size() : lineFeed;
        if (lineFeed != std::string::npos && end > begin && text[end - 1] == '\r') {
            --end;
        }
        std::string shown;
        shown.reserve(end - begin);
        appendShown(shown, text, begin, end);
        lines.push_back(std::move(shown));
        if (lineFeed == std::string::npos || lineFeed + 1 == text.size()) {
            return lines;
        }
        begin = lineFeed + 1;
    }
}

}  // namespace session
