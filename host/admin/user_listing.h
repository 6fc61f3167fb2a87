#pragma once
// SITE USERS (glftpd 2.x): one row per account, then the counters.
#include <cstdint>
#include <string>
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

bool readUserListing(const session::Reply& reply, UserListing& out, std::string& failure);

// The SITE USERS argument for a filter: everyone "", a group "=iso", a prefix
// "f*", a flag word ("siteop") or flag character, "deleted".
enum class UserFilter { Everyone, Group, NamePrefix, FlagWord, Deleted };
bool usersArgument(UserFilter filter, const std::string& value, std::string& argument,
                   std::string& refusal);
// "SITE USERS" with the argument, if any.
std::string usersCommand(const std::string& argument);

}  // namespace admin
