// SITE GRP and SITE GINFO readers on any bytes: no fault, and what they read
// holds together (a group read as it is plans no change).
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
    if (admin::readGroupInfo(reply, info, failure)) {
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
