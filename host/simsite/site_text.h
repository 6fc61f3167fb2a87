#pragma once
// Small text helpers of the simulated site: padding to glftpd's table
// columns, number formatting, case folding and wildcard matching.
#include <cstdint>
#include <string>
#include <vector>

namespace simsite {

// The text padded with blanks to `width`, or cut to it when `cut` is set.
std::string padRight(const std::string& text, std::size_t width, bool cut = false);
std::string padLeft(const std::string& text, std::size_t width);
std::string upperCase(std::string text);
bool equalsIgnoreCase(const std::string& a, const std::string& b);
bool containsIgnoreCase(const std::string& text, const std::string& part);

// printf into a std::string.
std::string format(const char* pattern, ...)
#if defined(__MINGW_PRINTF_FORMAT)
    __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)))
#elif defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// glob match with '*' and '?', ignoring case (dupe and search patterns).
bool wildcardMatch(const std::string& pattern, const std::string& text);
// A pattern without wildcards matches as a substring, as the dupe search does.
bool searchMatch(const std::string& pattern, const std::string& text);

// Flags in the account screen's order, each once.
std::string canonicalFlags(const std::string& flags);
bool isFlag(char c);
// "+3-A" runs add and remove flags; a value without a sign replaces them all.
std::string applyFlagChange(const std::string& current, const std::string& change);

// Whole decimal number with optional sign; false for anything else or for
// a value outside [min, max].
bool parseInteger(const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& value);

// The command line split at blanks, remembering where each word starts, so
// that a handler can take "the rest of the line" from any word on.
class CommandWords {
public:
    explicit CommandWords(const std::string& line);
    std::size_t size() const { return words.size(); }
    const std::string& operator[](std::size_t index) const;
    // The line from word `index` to its end, unchanged; empty past the end.
    std::string rest(std::size_t index) const;

private:
    std::string line;
    std::vector<std::string> words;
    std::vector<std::size_t> starts;
};

}  // namespace simsite
