// The Groups page's readers against the replies of a real glftpd 2.13 to an
// operator with flag 5 (every line coloured) and to one without, captured
// in the same state (tests/fixtures/glftpd213/colour, group-<what>.txt and
// group-<what>-colour.txt): each coloured reply reads as its plain twin,
// with the same verdict, names, counts and values, and no escape code gets
// into what the page shows. The site holds the odd names glftpd takes:
// groups iso|x, a|b|c, Mixed, tb<tab>x and ISO beside iso; members alice|x,
// verylongname12345, verylongname99 (deleted) and verylongn of iso|x.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "host/admin/admin_reply.h"
#include "host/admin/admin_text.h"
#include "host/admin/group_identity.h"
#include "host/admin/group_members.h"
#include "host/admin/group_names.h"
#include "host/admin/group_settings.h"
#include "host/admin/user_listing.h"

namespace {

// Whether any line of the reply holds an escape byte (a coloured reply).
bool hasColours(const session::Reply& reply) {
    return std::any_of(reply.lines.begin(), reply.lines.end(),
                       [](const std::string& line) { return line.find('\x1b') != std::string::npos; });
}

std::string colourDir() {
    const std::string dir = std::string(QUORIN_FIXTURE_DIR) + "/glftpd213/colour";
    std::error_code error;
    if (std::filesystem::is_directory(dir, error)) return dir;
    return "Z:" + dir;  // the 32-bit build under Wine
}

session::Reply replyOf(const std::string& file) {
    std::ifstream in(colourDir() + "/" + file, std::ios::binary);
    session::Reply reply;
    for (std::string line; std::getline(in, line);) reply.lines.push_back(line);
    if (!reply.lines.empty()) reply.code = std::atoi(reply.lines.back().substr(0, 3).c_str());
    return reply;
}

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// What the page's reader for the capture's command made of it, in one line;
// false when it read no list or screen, or the change was not done.
bool told(const std::string& what, const session::Reply& reply, std::string& out) {
    std::string failure;
    out.clear();
    if (startsWith(what, "groups")) {
        std::vector<std::string> names;
        if (!admin::readPublicGroupNames(reply, names, failure)) return out = failure, false;
        for (const std::string& name : names) out += "[" + name + "]";
        return true;
    }
    if (startsWith(what, "grp-")) {
        admin::GroupSettings group;
        if (!admin::readGroupSettings(reply, group, failure)) return out = failure, false;
        out = group.name + " slots " + std::to_string(group.slots) + " leech " + std::to_string(group.leechSlots) +
              " allot " + std::to_string(group.allotSlots) + " size " + std::to_string(group.maxAllotSizeKb) +
              " logins " + std::to_string(group.maxLogins) + " comment " + group.comment;
        return true;
    }
    if (startsWith(what, "ginfo-")) {
        admin::GroupInfo info;
        if (!admin::readGroupInfo(reply, info, failure)) return out = failure, false;
        admin::GroupInfoIndex index;
        session::Reply taken = reply;
        if (!index.read(std::move(taken), failure) || index.size() != info.members.size()) return out = failure, false;
        for (std::size_t i = 0; i < index.size(); ++i) {
            const admin::GroupMemberCells cells = index.rowCells(i);
            const admin::GroupMember& member = info.members[i];
            if (cells.name != member.name || cells.ratio != member.ratio || cells.groupAdmin != member.groupAdmin)
                return out = "the row readers differ at row " + std::to_string(i), false;
            out += std::string(member.siteop ? "*" : member.groupAdmin ? "+" : "") + member.name + ":" + member.ratio +
                   " ";
        }
        out += "users " + std::to_string(info.usersInGroup) + " free " + std::to_string(info.freeSlots) + "/" +
               std::to_string(info.freeLeechSlots);
        return true;
    }
    if (startsWith(what, "users-")) {
        // The page hands listings over without their colours.
        session::Reply plain = reply;
        admin::removeColour(plain.lines);
        admin::UserListingIndex listing;
        if (!listing.read(std::move(plain), failure)) return out = failure, false;
        for (std::size_t i = 0; i < listing.size(); ++i) out += std::string(listing.rowName(i)) + " ";
        out += "total " + std::to_string(listing.total);
        return true;
    }
    if (what == "chgadmin-list") {
        std::vector<admin::AdminGroup> groups;
        std::string user;
        if (!admin::readAdminGroups(reply, user, groups, failure)) return out = failure, false;
        out = user + ":";
        for (const admin::AdminGroup& group : groups) out += " " + std::string(group.groupAdmin ? "@" : "") + group.name;
        return true;
    }
    // A change: judged as the page judges it, without colours.
    session::Reply plain = reply;
    admin::removeColour(plain.lines);
    const admin::Verdict verdict = admin::judgeReply(plain);
    out = verdict.text;
    const int direction = admin::toggleDirection(reply);
    if (direction != 0) out += direction > 0 ? " [made group admin]" : " [group admin taken back]";
    return verdict.done;
}

struct Twin {
    const char* what;  // group-<what>.txt and group-<what>-colour.txt
    bool read;
    const char* told;
};

// clang-format off
const Twin twins[] = {
    {"groups", true, "[glftpd][NoGroup][iso|x][iso][tab][abcdefghijklmn][a|b|c][Mixed][tb\tx][ISO]"},
    {"grp-isox", true, "iso|x slots 9 leech 0 allot 0 size 0 logins 0 comment Pipe couriers"},
    {"grp-isox-slots-7", true, "iso|x slots 7 leech 0 allot 0 size 0 logins 0 comment Pipe couriers"},
    {"grp-case-twin", true, "iso slots 7 leech 0 allot 0 size 0 logins 0 comment Added by glftpd"},
    {"grp-latin1-comment", true, "a|b|c slots -2 leech 32767 allot -2 size 0 logins -2 comment Gr\xfc\xdf" "e aus K\xf6ln"},
    {"grp-nosuchgrp", false, "Group (nosuchgrp) does not exist."},
    {"ginfo-isox", true, "+verylongn:1:3 verylongn:1:3 +alice|x:1:3 verylongn:1:3 users 4 free 9/0"},
    {"grpchange-isox-slots-7", true, "Command Successful."},
    {"grpchange-isox-slots-abc", false, "The value specified is out of range."},
    {"grpchange-nosuchgrp", false, "Group (nosuchgrp) does not exist."},
    {"chgadmin-give", true, "'verylongn' has been successfully added as gadmin for 'iso|x' [made group admin]"},
    {"chgadmin-take", true, "'verylongn' has been successfully removed as gadmin for 'iso|x' [group admin taken back]"},
    {"chgadmin-list", true, "verylongname12345: @iso|x"},
    {"chgadmin-nosuchuser", false, "'nosuchuser': user not found."},
    {"chgadmin-notmember", false, "User is not a member of the group."},
    {"users-eq-isox", true, "alice|x verylongn verylongname12345 total 3"},
    {"users-deleted", true, "verylongname99 total 1"},
};
// clang-format on

TEST(GroupReadersColour, EachColouredCaptureReadsAsItsPlainTwin) {
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(colourDir()))
        if (startsWith(entry.path().filename().string(), "group-")) files.insert(entry.path().filename().string());
    for (const Twin& twin : twins) {
        const std::string plainFile = std::string("group-") + twin.what + ".txt";
        const std::string colourFile = std::string("group-") + twin.what + "-colour.txt";
        ASSERT_EQ(files.erase(plainFile), 1u) << "no capture " << plainFile;
        ASSERT_EQ(files.erase(colourFile), 1u) << "no capture " << colourFile;
        const session::Reply plain = replyOf(plainFile), coloured = replyOf(colourFile);
        ASSERT_TRUE(hasColours(coloured)) << colourFile << " is not coloured";
        ASSERT_FALSE(hasColours(plain)) << plainFile << " is coloured";
        std::string plainTold, colourTold;
        EXPECT_EQ(told(twin.what, plain, plainTold), twin.read) << plainFile << ": " << plainTold;
        EXPECT_EQ(plainTold, twin.told) << plainFile;
        EXPECT_EQ(told(twin.what, coloured, colourTold), twin.read) << colourFile << ": " << colourTold;
        EXPECT_EQ(colourTold, plainTold) << colourFile;
        EXPECT_EQ(colourTold.find('\x1b'), std::string::npos) << colourFile;
    }
    for (const std::string& file : files) ADD_FAILURE() << "no row for " << file;
}

// Without its colours a coloured capture is its plain twin byte for byte:
// the colours take no column, so every layout rule holds for both.
TEST(GroupReadersColour, WithoutItsColoursACaptureIsItsPlainTwin) {
    for (const Twin& twin : twins) {
        session::Reply coloured = replyOf(std::string("group-") + twin.what + "-colour.txt");
        admin::removeColour(coloured.lines);
        EXPECT_EQ(coloured.lines, replyOf(std::string("group-") + twin.what + ".txt").lines) << twin.what;
    }
    // Only ESC '[' digits and ';' ... 'm' is a colour: anything else stays.
    std::string line = "200- \x1b[1;3xm \x1b[ \x1b" "a|b\x1b[0m";
    line = admin::withoutColour(line);
    EXPECT_EQ(line, "200- \x1b[1;3xm \x1b[ \x1b" "a|b");
}

}  // namespace
