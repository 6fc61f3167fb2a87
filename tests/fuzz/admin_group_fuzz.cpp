// SITE GRP and SITE GINFO readers on any bytes: no fault, and what they read
// holds together (a group read as it is plans no change); the
// row-at-a-time member reader reads what the full reader reads.
#include <utility>

#include "host/admin/admin_plans.h"
#include "host/admin/group_members.h"
#include "host/admin/group_settings.h"
#include "tests/fuzz/admin_fuzz_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const session::Reply reply = adminFuzzReply(data, size);
    std::string failure;
    admin::GroupSettings group;
    if (admin::readGroupSettings(reply, group, failure)) {
        FUZZ_CHECK(failure.empty() && !group.name.empty());
        FUZZ_CHECK(admin::groupChangePlan(group, admin::groupFormOf(group)).commands.empty());
    } else {
        FUZZ_CHECK(!failure.empty());
    }
    admin::GroupInfo info;
    const bool membersRead = admin::readGroupInfo(reply, info, failure);
    // The row-at-a-time reader reads the same rows, or refuses alike.
    admin::GroupInfoIndex index;
    session::Reply taken = reply;
    std::string indexFailure;
    FUZZ_CHECK(index.read(std::move(taken), indexFailure) == membersRead && indexFailure == failure);
    FUZZ_CHECK(index.size() == info.members.size() && index.usersInGroup == info.usersInGroup);
    for (std::size_t i = 0; i < index.size(); ++i) {
        const admin::GroupMemberCells cells = index.rowCells(i);
        const admin::GroupMember& member = info.members[i];
        FUZZ_CHECK(cells.name == member.name && cells.siteop == member.siteop &&
                   cells.groupAdmin == member.groupAdmin && cells.filesUp == member.filesUp &&
                   cells.mibUp == member.mibUp && cells.filesDown == member.filesDown &&
                   cells.mibDown == member.mibDown && cells.ratio == member.ratio && cells.weekly == member.weekly);
    }
    if (membersRead) {
        FUZZ_CHECK(info.members.size() <= reply.lines.size());
        admin::UserListing deleted;
        for (const admin::GroupMember& member : info.members) {
            FUZZ_CHECK(!member.name.empty());
            deleted.users.push_back({member.name, "", "", "", ""});
        }
        admin::markDeleted(info, deleted);
        for (const admin::GroupMember& member : info.members) FUZZ_CHECK(member.deleted);
    } else {
        FUZZ_CHECK(!failure.empty() && info.members.empty());
    }
    return 0;
}
