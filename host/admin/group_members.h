#pragma once
// A group's members as SITE GINFO shows them (glftpd 2.x).
#include <cstdint>
#include <string>
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

bool readGroupInfo(const session::Reply& reply, GroupInfo& out, std::string& failure);
// Marks the members that `deleted` (SITE USERS deleted) lists.
void markDeleted(GroupInfo& info, const UserListing& deleted);

}  // namespace admin
