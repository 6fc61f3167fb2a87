#include "host/admin/admin_identity.h"

#include <string_view>

#include "host/admin/admin_text.h"

namespace admin {

namespace {

// Names as the operator reads them in a message: a tab shown as "\t".
std::string quoted(std::string_view name) {
    std::string text = "\"";
    for (char c : withoutColour(name)) {
        if (c == '\t') text += "\\t";
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) text += '?';
        else text += c;
    }
    return text + "\"";
}

constexpr std::size_t longestName = 23;

}  // namespace

std::string accountNameProblem2x(const std::string& name) {
    const std::string_view text(name);
    if (text.empty()) return "Pick an account first.";
    const std::string shown = quoted(text);
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == ' ')
            return "The account name " + shown +
                   " holds a blank: glftpd ends a name at a blank, so no command can name this account.";
        if ((byte < 0x20 && c != '\t') || byte == 0x7f)
            return "The account name " + shown + " holds a control character that no command line can carry.";
    }
    if (text.size() > longestName)
        return "The account name " + shown + " has " + std::to_string(text.size()) +
               " characters: glftpd reads only the first 23 of a name in a command, " +
               quoted(text.substr(0, longestName)) + ", which is another account.";
    if (text.front() == '=')
        return "The account name " + shown + " starts with '=': SITE CHANGE takes it for the group " +
               quoted(text.substr(1)) + " and would change that group's members instead.";
    if (text.front() == '{')
        return "The account name " + shown +
               " starts with '{': glftpd takes it for a list of accounts, and SITE USER shows no account for it.";
    if (text.find('*') != std::string_view::npos)
        return "The account name " + shown +
               " holds '*': glftpd takes it for a pattern of names (SITE USER shows no account for it, and "
               "SITE PURGE with a pattern purges every deleted account it matches).";
    return {};
}

std::string accountScreenProblem(const std::string& picked, const std::string& shown) {
    if (shown == picked) return {};
    const std::string refused = " Nothing was changed.";
    if (shown.empty()) return "The server's SITE USER screen for " + quoted(picked) + " names no account." + refused;
    if (hasColour(shown))
        return "The server's SITE USER screen names the account with colour codes in its name (" + quoted(shown) +
               "), not as the picked " + quoted(picked) + "." + refused;
    if (equalsIgnoringCase(shown, picked))
        return "The server's SITE USER screen is of " + quoted(shown) + ", not of the picked " + quoted(picked) +
               ": the names differ in case, and glftpd keeps them apart as two accounts." + refused;
    if (startsWith(picked, shown))
        return "The server's SITE USER screen shows " + quoted(shown) + ", the picked " + quoted(picked) +
               " cut short: it may be another account." + refused;
    return "The server's SITE USER screen is of another account, " + quoted(shown) + ", not of the picked " +
           quoted(picked) + "." + refused;
}

}  // namespace admin
