#pragma once
// Which account a command acts on. A command names the whole account the
// operator picked, as a listing (SITE USERS) gave it; glftpd 2.13 takes
// names that hold '|', a tab, up to 23 characters, and tells 'Alice' from
// 'alice'. Before any change the screen read for the account must name that
// same account, byte for byte.
#include <string>

namespace admin {

// Why no command line can name this account so that glftpd acts on it and on
// no other; "" when one can. Found on glftpd 2.13: a blank ends the name; of
// a longer name only the first 23 characters are read (another account's
// name); a leading '=' is a group (SITE CHANGE =x changes its members); a
// leading '{' or a '*' anywhere is a list or pattern, for which SITE USER
// shows no account (and SITE PURGE * purges every deleted one). '|', tabs
// and any case are carried as they are.
std::string accountNameProblem2x(const std::string& name);

// Why the SITE USER screen read for `picked` is not that account's; "" when
// it names exactly it. The screen's name is compared byte for byte: a name
// cut short, one with colour codes, one differing in case (another account
// on glftpd) or another name altogether is refused.
std::string accountScreenProblem(const std::string& picked, const std::string& shown);

}  // namespace admin
