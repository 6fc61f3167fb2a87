#pragma once
// A group's members as SITE GINFO shows them (glftpd 2.x).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/session/site_link.h"

namespace admin {

struct UserListing;

struct GroupMember {
    std::string name;
    bool siteop = false;      // '*'
    bool groupAdmin = false;  // '+'
    bool deleted = false;     // not in GINFO: set from SITE USERS deleted (markDeleted)
    std::string filesUp, mibUp, filesDown, mibDown, ratio, weekly;  // as shown ("leech", "1:3")
};

struct GroupInfo {
    std::vector<GroupMember> members;
    std::int64_t usersInGroup = 0, withLeech = 0;
    std::int64_t freeSlots = 0, freeLeechSlots = 0;  // -1: "Unlimited"
};

// A coloured reply reads as its plain twin. glftpd cuts a member's name to
// the column's 9 characters (verylongname12345 shows as verylongn): see
// group_identity.h for the whole names.
bool readGroupInfo(const session::Reply& reply, GroupInfo& out, std::string& failure);
// Marks the members that `deleted` (SITE USERS deleted) lists.
void markDeleted(GroupInfo& info, const UserListing& deleted);

class UserListingIndex;

// One member row's cells as views into its reply line.
struct GroupMemberCells {
    std::string_view name;
    bool siteop = false, groupAdmin = false;
    std::string_view filesUp, mibUp, filesDown, mibDown, ratio, weekly;
};

// A SITE GINFO reply kept as its lines, its member rows read one at a time
// when they are shown: one pass checks the shape, every row and the footer
// as readGroupInfo does, and no string is made a cell. The cells equal
// readGroupInfo's.
class GroupInfoIndex {
public:
    // Takes the reply's lines (moved), their colours removed. False, with
    // readGroupInfo's words, when they are not a member list: the index is
    // then empty and the reply left as it was, without its colours.
    bool read(session::Reply&& reply, std::string& failure);
    void clear();

    std::size_t size() const { return rows_; }
    // Row `row` (below size(); past it, empty cells). Views into the kept lines.
    GroupMemberCells rowCells(std::size_t row) const;
    std::string_view rowName(std::size_t row) const;
    bool rowDeleted(std::size_t row) const { return row < deleted_.size() && deleted_[row] != 0; }
    // Marks the members that `deleted` (SITE USERS deleted) lists.
    void markDeleted(const UserListingIndex& deleted);

    std::int64_t usersInGroup = 0, withLeech = 0;
    std::int64_t freeSlots = 0, freeLeechSlots = 0;  // -1: "Unlimited"

private:
    std::vector<std::string> lines_;
    std::size_t firstRow_ = 0, rows_ = 0;
    std::vector<char> deleted_;  // a mark a row, once marked
};

}  // namespace admin
