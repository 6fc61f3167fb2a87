// The simulated site's colour mode (--glftpd2 --colours) for the group
// commands: the plain replies of a real glftpd 2.13, painted, are its
// coloured replies to an operator with flag 5 byte for byte
// (tests/fixtures/glftpd213/colour), and the site answers its operator
// with flag 5 so, every line once.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/admin/group_settings.h"
#include "host/simsite/group_colours.h"
#include "host/simsite/simulated_site.h"

namespace {

using Lines = std::vector<std::string>;

session::Reply capture(const std::string& file) {
    std::string dir = std::string(QUORIN_FIXTURE_DIR) + "/glftpd213/colour";
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error)) dir = "Z:" + dir;  // the 32-bit build under Wine
    std::ifstream in(dir + "/" + file, std::ios::binary);
    session::Reply reply;
    for (std::string line; std::getline(in, line);) reply.lines.push_back(line);
    return reply;
}

TEST(SimulatedSite2xColour, PlainGroupRepliesPaintedAreTheServersColouredOnes) {
    using simsite::GroupReply;
    const struct {
        const char* what;
        GroupReply kind;
    } twins[] = {
        {"groups", GroupReply::Groups},
        {"grp-isox", GroupReply::Settings},
        {"grp-isox-slots-7", GroupReply::Settings},
        {"grp-case-twin", GroupReply::Settings},
        {"grp-latin1-comment", GroupReply::Settings},
        {"grp-nosuchgrp", GroupReply::Settings},
        {"ginfo-isox", GroupReply::Members},
        {"grpchange-isox-slots-7", GroupReply::Change},
        {"grpchange-isox-slots-abc", GroupReply::Change},
        {"grpchange-nosuchgrp", GroupReply::Change},
        {"chgadmin-give", GroupReply::Admin},
        {"chgadmin-take", GroupReply::Admin},
        {"chgadmin-list", GroupReply::Admin},
        {"chgadmin-nosuchuser", GroupReply::Admin},
        {"chgadmin-notmember", GroupReply::Admin},
    };
    for (const auto& twin : twins) {
        const session::Reply plain = capture(std::string("group-") + twin.what + ".txt");
        const session::Reply coloured = capture(std::string("group-") + twin.what + "-colour.txt");
        ASSERT_FALSE(plain.lines.empty()) << twin.what;
        EXPECT_EQ(simsite::paintGroupReply(twin.kind, plain).lines, coloured.lines) << twin.what;
    }
}

TEST(SimulatedSite2xColour, TheOperatorWithFlag5GetsTheGroupCommandsColouredOnce) {
    simsite::SimulatedSite site(simsite::SimulatedSite::Contents::Empty);
    site.setGeneration(simsite::SimulatedSite::Generation::Glftpd2);
    site.addGroup("iso|x", "ISO pipe group", false);
    site.setOperatorColours(true);
    const Lines changed = site.handle("SITE GRPCHANGE iso|x slots 7").lines;
    EXPECT_EQ(changed, Lines{"200 \x1b[1;37mCommand Successful.\x1b[0m"});
    session::Reply grp = site.handle("SITE GRP iso|x");
    ASSERT_TRUE(std::any_of(grp.lines.begin(), grp.lines.end(), [](const std::string& line) { return line.find('\x1b') != std::string::npos; }));
    ASSERT_EQ(grp.lines.size(), 11u);
    EXPECT_EQ(grp.lines[2].find("\x1b[1;37m\x1b[1;37m"), std::string::npos) << "coloured twice: " << grp.lines[2];
    admin::GroupSettings settings;
    std::string failure;
    ASSERT_TRUE(admin::readGroupSettings(grp, settings, failure)) << failure;
    EXPECT_EQ(settings.name, "iso|x");
    EXPECT_EQ(settings.slots, 7);
    // The login limit is kept in 16 bits, as the server keeps it.
    site.handle("SITE GRPCHANGE iso|x max_logins 70000");
    ASSERT_TRUE(admin::readGroupSettings(site.handle("SITE GRP iso|x"), settings, failure)) << failure;
    EXPECT_EQ(settings.maxLogins, 4464);
    // Group names are found without regard to case; member names are cut to 9.
    site.addGroup("ISO", "upper case", false);
    ASSERT_TRUE(admin::readGroupSettings(site.handle("SITE GRP iso"), settings, failure)) << failure;
    EXPECT_EQ(settings.name, "ISO");
    site.addAccount("verylongname12345", "longpw1").groups = {"ISO"};
    site.setOperatorColours(false);
    EXPECT_NE(site.handle("SITE GINFO ISO").lines[8].find("| verylongn |"), std::string::npos);
}

}  // namespace
