#include "host/history/record_view.h"

#include <cstring>
#include <utility>

namespace history {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// 2026-12-08T05:12:03+01:00
bool isTime(std::string_view text) {
    static const char shape[] = "dddd-dd-ddTdd:dd:dd+dd:dd";
    if (text.size() != sizeof shape - 1) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char want = shape[i];
        const bool fits = want == 'd' ? isDigit(text[i]) : want == '+' ? (text[i] == '+' || text[i] == '-')
                                                                       : text[i] == want;
        if (!fits) {
            return false;
        }
    }
    return true;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// `needle` is in lower case.
bool containsFolded(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) {
        return true;
    }
    if (haystack.size() < needle.size()) {
        return false;
    }
    const char first = needle[0];
    const char firstUpper = first >= 'a' && first <= 'z' ? static_cast<char>(first - 'a' + 'A') : first;
    for (std::size_t at = 0; at + needle.size() <= haystack.size(); ++at) {
        if (haystack[at] != first && haystack[at] != firstUpper) {
            continue;
        }
        std::size_t i = 1;
        while (i < needle.size() && lower(haystack[at + i]) == needle[i]) {
            ++i;
        }
        if (i == needle.size()) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool isChangeLine(std::string_view line, Outcome& outcome) {
    if (line.empty() || line[0] == '#') {
        return false;
    }
    std::size_t tabs = 0;
    std::size_t lastTab = 0;
    for (const char* at = line.data(), *end = line.data() + line.size();;) {
        const void* found = std::memchr(at, '\t', static_cast<std::size_t>(end - at));
        if (found == nullptr) {
            break;
        }
        const char* tab = static_cast<const char*>(found);
        ++tabs;
        lastTab = static_cast<std::size_t>(tab - line.data());
        at = tab + 1;
        if (tabs > fieldCount - 1) {
            return false;
        }
    }
    return tabs == fieldCount - 1 && outcomeOfWord(line.substr(lastTab + 1), outcome) &&
           isTime(line.substr(0, line.find('\t')));
}

void RecordView::read(std::string text) {
    text_ = std::move(text);
    rows_.clear();
    shown_.clear();
    filtered_ = false;
    passedOver_ = 0;
    const char* const base = text_.data();
    const char* at = base;
    const char* const end = base + text_.size();
    while (at < end) {
        const void* found = std::memchr(at, '\n', static_cast<std::size_t>(end - at));
        if (found == nullptr) {
            // Cut short: the writer was stopped in the middle of it.
            ++passedOver_;
            break;
        }
        const char* lineEnd = static_cast<const char*>(found);
        const std::string_view line(at, static_cast<std::size_t>(lineEnd - at));
        Outcome outcome = Outcome::Unknown;
        if (isChangeLine(line, outcome)) {
            rows_.push_back({static_cast<std::uint32_t>(at - base), static_cast<std::uint32_t>(line.size()), outcome});
        } else if (!line.empty() && line[0] != '#') {
            ++passedOver_;
        }
        at = lineEnd + 1;
    }
}

void RecordView::filter(const RecordFilter& filter) {
    shown_.clear();
    filtered_ = !filter.text.empty() || !filter.took || !filter.refused || !filter.unknown;
    if (!filtered_) {
        return;
    }
    std::string needle;
    for (const char c : filter.text) {
        needle += lower(c);
    }
    for (std::size_t i = rows_.size(); i-- > 0;) {
        const Row& row = rows_[i];
        const bool wanted = row.outcome == Outcome::Took      ? filter.took
                            : row.outcome == Outcome::Refused ? filter.refused
                                                              : filter.unknown;
        if (wanted && containsFolded(std::string_view(text_.data() + row.begin, row.length), needle)) {
            shown_.push_back(static_cast<std::uint32_t>(i));
        }
    }
}

std::string_view RecordView::line(std::size_t row) const {
    const Row& found = rows_[indexOf(row)];
    return std::string_view(text_.data() + found.begin, found.length);
}

std::string_view RecordView::field(std::size_t row, std::size_t index) const {
    std::string_view rest = line(row);
    for (std::size_t i = 0; i < index; ++i) {
        rest.remove_prefix(rest.find('\t') + 1);
    }
    return rest.substr(0, rest.find('\t'));
}

}  // namespace history
