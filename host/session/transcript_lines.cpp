#include "host/session/transcript_lines.h"

#include <cstddef>
#include <utility>

namespace session {

namespace {

bool isControl(unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7f; }

void appendShown(std::string& shown, const std::string& text, std::size_t begin, std::size_t end) {
    static const char hex[] = "0123456789abcdef";
    for (std::size_t at = begin; at < end; ++at) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (!isControl(c)) {
            shown += static_cast<char>(c);
        } else if (c == '\r') {
            shown += "\\r";
        } else {
            shown += "\\x";
            shown += hex[c >> 4];
            shown += hex[c & 0x0f];
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
