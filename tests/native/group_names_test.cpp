// SITE GROUPS as the host's Groups page reads it: the public groups only, as
// the plug-in's directory reads them; a refusal or another screen is no list.
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/admin/group_names.h"

namespace {

session::Reply fixture(const std::string& name) {
    std::ifstream in(std::string(QUORIN_FIXTURE_DIR) + "/" + name, std::ios::binary);
    if (!in) {
        in.open(std::string("Z:") + QUORIN_FIXTURE_DIR + "/" + name, std::ios::binary);
    }
    session::Reply reply;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        reply.lines.push_back(line);
    }
    return reply;
}

session::Reply lines(std::vector<std::string> text) {
    session::Reply reply;
    reply.lines = std::move(text);
    return reply;
}

using Names = std::vector<std::string>;

TEST(PublicGroupNames, ReadsThePublicRowsOnly) {
    const struct {
        session::Reply reply;
        Names names;
    } cases[] = {
        {fixture("site_groups.txt"), {"glftpd", "friends", "testers", "NoGroup"}},
        {fixture("site_groups_public_only.txt"), {"glftpd", "friends", "NoGroup"}},
        // No groups at all; a row whose name is missing is skipped.
        {lines({"200- #users  Group Abbr.      Group Description", "200- -------------------", "200- ",
                "200 0 user groups, 0 privileged groups."}),
         {}},
        {lines({"200- -------------------", "200- (   2)  ", "200- (   2)  iso   ISO (old) group", "200 1 groups."}),
         {"iso"}},
    };
    for (const auto& c : cases) {
        Names names{"stale"};
        std::string failure;
        EXPECT_TRUE(admin::readPublicGroupNames(c.reply, names, failure)) << failure;
        EXPECT_EQ(names, c.names);
    }
}

TEST(PublicGroupNames, ARefusalIsNoList) {
    for (const session::Reply& reply :
         {lines({"200 You do not have access to this command."}), lines({}), lines({"500 'SITE GROUPS': command not understood."})}) {
        Names names{"stale"};
        std::string failure;
        EXPECT_FALSE(admin::readPublicGroupNames(reply, names, failure));
        EXPECT_TRUE(names.empty());
        EXPECT_FALSE(failure.empty());
    }
}

}  // namespace
