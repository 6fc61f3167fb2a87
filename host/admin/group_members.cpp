#include "host/admin/group_members.h"

#include "host/admin/user_listing.h"

namespace admin {

bool readGroupInfo(const session::Reply&, GroupInfo& out, std::string& failure) {
    out = GroupInfo{};
    failure = "Not read yet.";
    return false;
}

void markDeleted(GroupInfo& info, const UserListing& deleted) {
    for (GroupMember& member : info.members)
        for (const ListedUser& user : deleted.users)
            if (user.name == member.name) member.deleted = true;
}

}  // namespace admin
