#include "host/admin/admin_input.h"

#include <string_view>

#include "host/admin/admin_text.h"

namespace admin {

namespace {

bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

bool leapYear(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::string lengthProblem(std::string_view text, std::size_t most, const char* what) {
    if (hasControl(text)) return std::string(what) + " cannot hold control characters or line breaks.";
    if (text.size() > most)
        return std::string(what) + " has at most " + std::to_string(most) + " characters (this one has " +
               std::to_string(text.size()) + ").";
    return {};
}

}  // namespace

std::string accountNameProblem(const std::string& name) {
    const std::string_view text(name);
    if (text.empty()) return "Type the account name.";
    if (hasBlankOrControl(text)) return "An account name cannot hold blanks or control characters.";
    // glftpd takes longer names and cuts them to 23 without a word.
    if (text.size() > 23)
        return "An account name has at most 23 characters (this one has " + std::to_string(text.size()) + ").";
    for (char c : text)
        if (c == '!' || c == '/' || c == ':')
            return std::string("An account name cannot hold '") + c + "'.";
    // '*', '=', '{' and '}' would turn the name into a selection of many.
    for (char c : text)
        if (c == '*' || c == '=' || c == '{' || c == '}')
            return std::string("An account name cannot hold '") + c + "'.";
    if (text == "." || text == "..") return "An account name cannot be \".\" or \"..\".";
    if (startsWith(text, "default.")) return "An account name cannot start with \"default.\".";
    if (endsWith(text, ".lock")) return "An account name cannot end with \".lock\".";
    const std::size_t dot = text.rfind('.');
    if (dot != std::string_view::npos && allDigits(text.substr(dot + 1)))
        return "An account name cannot end with a dot and digits.";
    return {};
}

std::string dateProblem(const std::string& text) {
    const std::string_view date = trimBlanks(text);
    if (equalsIgnoringCase(date, "never")) return {};
    const std::string format = "Type the date as YYYY-MM-DD (for example 2027-06-30) or \"never\".";
    const std::size_t first = date.find('-');
    const std::size_t second = first == std::string_view::npos ? first : date.find('-', first + 1);
    if (second == std::string_view::npos) return format;
    const std::string_view year = date.substr(0, first);
    const std::string_view month = date.substr(first + 1, second - first - 1);
    const std::string_view day = date.substr(second + 1);
    if (year.size() != 4 || month.empty() || month.size() > 2 || day.empty() || day.size() > 2 ||
        !allDigits(year) || !allDigits(month) || !allDigits(day))
        return format;
    std::int64_t y = 0, m = 0, d = 0;
    readInteger(year, y);
    readInteger(month, m);
    readInteger(day, d);
    // Kept as seconds since 1970; a 32-bit server's time ends in January 2038.
    if (y < 1970 || y > 2037) return "Type a year from 1970 to 2037.";
    if (m < 1 || m > 12) return "There is no month " + std::to_string(m) + ".";
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const std::int64_t last = days[m - 1] + (m == 2 && leapYear(y) ? 1 : 0);
    if (d < 1 || d > last)
        return std::string(year) + "-" + (m < 10 ? "0" : "") + std::to_string(m) + " has no day " +
               std::to_string(d) + ".";
    return {};
}

std::string hourProblem(const std::string& text) {
    const std::string_view hour = trimBlanks(text);
    std::int64_t value = 0;
    if (hour.empty() || hour.size() > 2 || !allDigits(hour) || !readInteger(hour, value) || value > 23)
        return "Type an hour from 0 to 23.";
    return {};
}

std::string numberProblem(const std::string& text, std::int64_t low, std::int64_t high,
                          const std::string& what) {
    const std::string_view number = trimBlanks(text);
    const std::string range = what + " is a whole number from " + std::to_string(low) + " to " +
                              std::to_string(high) + ".";
    if (number.empty()) return "Type " + range;
    std::int64_t value = 0;
    bool clamped = false;
    if (!readInteger(number, value, &clamped)) return range;
    if (clamped || value < low || value > high) return range;
    return {};
}

std::string commentProblem(const std::string& text) {
    // 50 or more characters end the server's session instead of a refusal.
    return lengthProblem(text, 49, "A comment");
}

std::string taglineProblem(const std::string& text) {
    // 64 or more characters end the server's session instead of a refusal.
    return lengthProblem(text, 63, "A tagline");
}

std::string groupCommentProblem(const std::string& text) {
    if (hasControl(text)) return "A group comment cannot hold control characters or line breaks.";
    // The server cuts a longer one to 63 bytes without a word.
    if (text.size() > 63)
        return "A group comment has at most 63 bytes, and the server cuts a longer one without a word (this one has " +
               std::to_string(text.size()) + "; a letter such as \xc3\xbc takes two).";
    return {};
}

std::string ownCommandProblem(const std::string& text) {
    const std::string_view command(text);
    if (hasControl(command)) return "A command is one line without control characters.";
    if (command.size() > 255)
        return "A command has at most 255 characters (this one has " + std::to_string(command.size()) + ").";
    const std::string_view words = trimBlanks(command);
    if (words.size() < 6 || !equalsIgnoringCase(words.substr(0, 5), "SITE ") ||
        trimBlanks(words.substr(5)).empty())
        return "A command starts with SITE and a command word, for example \"SITE REQUESTS\".";
    return {};
}

}  // namespace admin
