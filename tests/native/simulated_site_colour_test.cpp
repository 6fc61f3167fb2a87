// The simulated site's colour mode (--glftpd2 --colours) for the 2.x account
// commands, against the real glftpd 2.13's coloured replies captured beside
// their plain twins (tests/fixtures/glftpd213/colour/): the site replays the
// capture run, each coloured reply is its plain twin with the codes put in,
// the short ones byte for byte as captured, and the host's readers read them
// as they read the real server's.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "host/admin/account_settings.h"
#include "host/admin/admin_reply.h"
#include "host/admin/admin_text.h"
#include "host/admin/user_listing.h"
#include "host/simsite/simulated_site.h"

using session::Reply;
using simsite::SimulatedSite;

namespace {

std::vector<std::string> captured(const std::string& name) {
    const std::string path = std::string(QUORIN_FIXTURE_DIR) + "/glftpd213/colour/account-" + name;
    std::ifstream in("Z:" + path, std::ios::binary);
    if (!in) in.open(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// What the host's readers make of a reply: the same for a coloured one as
// for its plain twin.
std::string readAs(const std::string& command, const Reply& reply) {
    std::string failure;
    if (command.rfind("SITE USERS", 0) == 0) {
        admin::UserListing listing;
        if (!admin::readUserListing(reply, listing, failure)) return "unread: " + failure;
        std::string told;
        for (const admin::ListedUser& user : listing.users) told += user.name + "/" + user.group + " ";
        return told + std::to_string(listing.total);
    }
    if (command.rfind("SITE USER ", 0) == 0) {
        admin::AccountSettings account;
        if (!admin::readAccountSettings(reply, account, failure)) return "unread: " + failure;
        return account.name + " idle " + account.idleTime + " comment " + account.comment;
    }
    const admin::Verdict verdict = admin::judgeReply(reply);
    return (verdict.done ? "done: " : "refused: ") + verdict.text;
}

struct Twin {
    const char* command;
    const char* capture;  // the capture's name between "account-" and "-colour.txt"
    bool sameBytes;       // the coloured reply byte for byte as captured
};

// The capture run's commands in its order; each is answered plain, then
// coloured (the server's state is the same for both, as it was).
const Twin twins[] = {
    {"SITE USERS", "site-users", false},
    {"SITE USERS =iso", "site-users-eq-iso", false},
    {"SITE USERS =ISO", "site-users-eq-ISO", false},
    {"SITE USERS deleted", "site-users-deleted", false},
    {"SITE USERS =nosuchgrp", "site-users-eq-nosuchgrp", true},
    {"SITE USER isouser1", "site-user-isouser1", false},
    {"SITE USER nosuchuser", "site-user-nosuchuser", true},
    {"SITE CHANGE isouser1 comment Courier", "site-change-isouser1-comment", true},
    {"SITE CHANGE isouser1 max_sim_up 5", "site-change-isouser1-max_sim_up-5", true},
    {"SITE CHANGE isouser1 max_sim_up 30001", "site-change-isouser1-max_sim_up-30001", true},
    {"SITE CHANGE isouser1 timeframe 25 3", "site-change-isouser1-timeframe-25", true},
    {"SITE CHANGE nosuchuser comment x", "site-change-nosuchuser", true},
    {"SITE CHANGE delme comment x", "site-change-deleted", true},
    {"SITE CHANGE =iso idle_time 30", "site-change-eq-iso-idle_time-30", false},
    {"SITE CHANGE =ISO idle_time 30", "site-change-eq-ISO-idle_time-30", true},
    {"SITE CHANGE { isouser1 nosuchuser } idle_time 20", "site-change-list", true},
    {"SITE READD isouser1", "site-readd-not-deleted", true},
    {"SITE PURGE isouser1", "site-purge-not-deleted", true},
};

TEST(SimulatedSiteColours, TheAccountCommandsAnswerInColourAsTheRealServerDid) {
    SimulatedSite site(SimulatedSite::Contents::Empty);
    site.setGeneration(SimulatedSite::Generation::Glftpd2);
    for (const char* prepare :
         {"SITE GRPADD iso ISO release group", "SITE GRPADD mp3 Music", "SITE GADDUSER iso isoadm isoadmpw1",
          "SITE GADDUSER iso isouser1 isouserpw1", "SITE GADDUSER iso isoleech isoleechpw1",
          "SITE GADDUSER iso delme delmepw1", "SITE GADDUSER mp3 mp3one mp3onepw1", "SITE CHGADMIN isoadm iso",
          "SITE CHANGE isoleech ratio 0", "SITE DELUSER delme"}) {
        const Reply reply = site.handle(prepare);
        ASSERT_FALSE(reply.lines.empty()) << prepare;
        ASSERT_NE(reply.lines.back().find(prepare[5] == 'D' ? "deleted." : "ucc"), std::string::npos)
            << prepare << ": " << reply.lines.back();
    }
    int bytes = 0;
    for (const Twin& twin : twins) {
        SCOPED_TRACE(twin.command);
        site.setOperatorColours(false);
        const Reply plain = site.handle(twin.command);
        site.setOperatorColours(true);
        const Reply coloured = site.handle(twin.command);
        site.setOperatorColours(false);
        std::vector<std::string> stripped = coloured.lines;
        admin::removeColour(stripped);  // a few the server leaves plain ("Invalid hour")
        EXPECT_EQ(stripped, plain.lines) << "the coloured reply is its plain twin with codes put in";
        EXPECT_EQ(readAs(twin.command, coloured), readAs(twin.command, plain));
        const std::vector<std::string> real = captured(std::string(twin.capture) + "-colour.txt");
        ASSERT_FALSE(real.empty());
        if (twin.sameBytes) {
            EXPECT_EQ(coloured.lines, real);
            ++bytes;
        }
    }
    EXPECT_GE(bytes, 10);
}

// Where the real server puts its codes: inside the listing's names and the
// screen's values, so a reader that only strips a frame around the line
// would read a coloured name.
TEST(SimulatedSiteColours, CodesSitInsideNamesAndValuesAsCaptured) {
    SimulatedSite site(SimulatedSite::Contents::Empty);
    site.setGeneration(SimulatedSite::Generation::Glftpd2);
    site.handle("SITE GRPADD iso ISO release group");
    site.handle("SITE GADDUSER iso isouser1 isouserpw1");
    site.setOperatorColours(true);
    const Reply listing = site.handle("SITE USERS =iso");
    const Reply screen = site.handle("SITE USER isouser1");
    const std::vector<std::string> realListing = captured("site-users-eq-iso-colour.txt");
    const std::vector<std::string> realScreen = captured("site-user-isouser1-colour.txt");
    ASSERT_GE(listing.lines.size(), 5u);
    ASSERT_GE(realListing.size(), 5u);
    EXPECT_EQ(listing.lines.front(), realListing.front()) << "the header";
    EXPECT_EQ(listing.lines.back(), "200 \x1b[36m1 Total members.\x1b[0m");
    const auto rowOf = [](const std::vector<std::string>& lines, const std::string& name) {
        for (const std::string& line : lines)
            if (line.find("m" + name + " ") != std::string::npos) return line;
        return std::string();
    };
    EXPECT_EQ(rowOf(listing.lines, "isouser1"), rowOf(realListing, "isouser1"));
    const auto lineWith = [](const std::vector<std::string>& lines, const std::string& part) {
        for (const std::string& line : lines)
            if (line.find(part) != std::string::npos) return line;
        return std::string();
    };
    EXPECT_EQ(lineWith(screen.lines, "Username"), lineWith(realScreen, "Username"));
    EXPECT_EQ(lineWith(screen.lines, "User Comment"), lineWith(realScreen, "User Comment"));
    EXPECT_EQ(lineWith(screen.lines, "Max Sim Uploads"), lineWith(realScreen, "Max Sim Uploads"));
    EXPECT_EQ(screen.lines.back(), realScreen.back());
}

}  // namespace
