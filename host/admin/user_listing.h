#pragma once
// SITE USERS (glftpd 2.x): one row per account, then the counters.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/session/site_link.h"

namespace admin {

struct ListedUser {
    std::string name, group;                    // group empty when the account has none
    std::string uploaded, downloaded, credits;  // as shown: "15MiB"
};

struct UserListing {
    std::vector<ListedUser> users;
    // The counter line counts the whole selection, deleted accounts included.
    std::int64_t siteops = 0, gadmins = 0, leech = 0, deleted = 0;
    std::int64_t total = 0;  // "N Total members.": the rows shown
};

// A coloured listing reads as its plain twin: the same names, groups and counts.
bool readUserListing(const session::Reply& reply, UserListing& out, std::string& failure);

// One row's cells as views into its reply line.
struct ListedUserCells {
    std::string_view name, group, uploaded, downloaded, credits;
};

// A SITE USERS reply kept as its lines, its rows read one at a time when
// they are shown: a list of 50,000 accounts costs one pass over the lines
// (the shape, every row and the count checked as readUserListing checks
// them) and no string a cell. The cells equal readUserListing's.
class UserListingIndex {
public:
    // Takes the reply's lines (moved), without their colour codes. False,
    // with readUserListing's words, when they are not an account listing:
    // the index is then empty and the reply left as it was (but for its
    // colour codes, which the judge reads past).
    bool read(session::Reply&& reply, std::string& failure);
    void clear();

    std::size_t size() const { return rows_; }
    // Row `row` (below size(); past it, empty cells). Views into the kept lines.
    ListedUserCells rowCells(std::size_t row) const;
    std::string_view rowName(std::size_t row) const;

    // The counter line's figures; `total` equals size().
    std::int64_t siteops = 0, gadmins = 0, leech = 0, deleted = 0, total = 0;

private:
    std::vector<std::string> lines_;
    std::size_t rows_ = 0;  // lines 1..rows_
};

// A size as the listing shows it ("1227MiB") for a column headed in MiB:
// the number with thousands grouped ("1,227"); any other text as it is.
// The result lives in `buffer` or in `shown`.
std::string_view mibCell(std::string_view shown, char (&buffer)[32]);

// The SITE USERS argument for a filter: everyone "", a group "=iso", a prefix
// "f*", a flag word ("siteop") or flag character, "deleted".
enum class UserFilter { Everyone, Group, NamePrefix, FlagWord, Deleted };
bool usersArgument(UserFilter filter, const std::string& value, std::string& argument,
                   std::string& refusal);
// "SITE USERS" with the argument, if any.
std::string usersCommand(const std::string& argument);

}  // namespace admin
