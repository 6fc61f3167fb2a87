// The simulated glftpd site behind the reference host: command, reply, state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "common/site_directory.h"
#include "host/session/host_session.h"
#include "host/simsite/simulated_site.h"
#include "host/simsite/site_text.h"
#include "pages/users/user_record.h"

using session::HostSession;
using session::Reply;
using simsite::SimulatedSite;

namespace {

std::vector<std::string> fixtureLines(const std::string& name) {
    // Under Wine the Unix path of the source tree is reached through Z:.
    std::ifstream in(std::string("Z:") + QUORIN_FIXTURE_DIR + "/" + name, std::ios::binary);
    if (!in) {
        in.open(std::string(QUORIN_FIXTURE_DIR) + "/" + name, std::ios::binary);
    }
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

bool mentions(const Reply& reply, const std::string& text) {
    for (const std::string& line : reply.lines) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// The names the plug-in's listing parser would take from a SITE USER reply:
// from the third line on, blank-separated names each followed by a blank,
// until a line holding nothing but its prefix and blanks.
std::vector<std::string> listedNames(const Reply& reply) {
    std::vector<std::string> names;
    for (std::size_t i = 2; i < reply.lines.size(); ++i) {
        const std::string& line = reply.lines[i];
        std::size_t at = line.find(' ');
        if (at == std::string::npos) {
            continue;
        }
        bool any = false;
        for (;;) {
            at = line.find_first_not_of(' ', at);
            if (at == std::string::npos) {
                break;
            }
            const std::size_t end = line.find(' ', at);
            if (end == std::string::npos) {
                break;
            }
            names.push_back(line.substr(at, end - at));
            any = true;
            at = end;
        }
        if (!any) {
            break;
        }
    }
    return names;
}

// Every line but the last "<code>- ", the last "<code> ".
void expectWellFormed(const Reply& reply, const std::string& command) {
    ASSERT_FALSE(reply.lines.empty()) << command;
    const std::string code = std::to_string(reply.code);
    for (std::size_t i = 0; i + 1 < reply.lines.size(); ++i) {
        EXPECT_EQ(reply.lines[i].compare(0, code.size() + 2, code + "- "), 0) << command << ": " << reply.lines[i];
    }
    EXPECT_EQ(reply.lines.back().compare(0, code.size() + 1, code + " "), 0) << command << ": " << reply.lines.back();
    for (const std::string& line : reply.lines) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << command;
    }
}

// The site of the reply samples: the operator, alice as shown there, and
// the sample's other names and groups.
SimulatedSite sampleSite() {
    SimulatedSite site(SimulatedSite::Contents::Empty);
    site.setSiteName("MSN");
    for (const char* name : {"bob", "carol"}) {
        site.addAccount(name, "x").groups = {"friends"};
    }
    simsite::SiteUser& alice = site.addAccount("alice", "secret");
    alice.created = "01-15-04";
    alice.lastSeen = "Thu Jan 15 21:04:11 2004";
    alice.flags = "3ABC";
    alice.creditsKb = 2937651;
    alice.totalLogins = 680;
    alice.maxLogins = 3;
    alice.maxDownloadSpeed = 250;
    alice.weeklyAllotmentKb = 1024 * 1024;
    alice.gadminSlots = 2;
    alice.leechSlots = 5;
    alice.groups = {"friends", "testers"};
    alice.adminGroups = {"friends"};
    alice.privateGroups = {"STAFF"};
    alice.ipMasks = {"*@127.0.0.1", "alice@198.51.100.17", "*@192.0.2.*"};
    site.addAccount("charlie_london", "x");
    site.addAccount("testu1", "x");
    site.addAccount("dave", "x");
    site.addAccount("erin", "x");
    site.addGroup("friends", "Friends of the site", false);
    site.addGroup("NoGroup", "No Group", false);
    site.addGroup("STAFF", "My Private Group", true);
    return site;
}

void connectSampleUsers(SimulatedSite& site) {
    site.addConnection({4711, "glftpd", "*@127.0.0.1", "0m 28s", "0m 13s", "none", "SITE WHO"});
    site.addConnection({4690, "alice", "alice@198.51.100.17", "12m 40s", "4m 10s", "ctrl", "IDLE for 0m 12s"});
}

}  // namespace

TEST(SimulatedSiteFormat, RepliesMatchTheServersSamplesLineForLine) {
    SimulatedSite site = sampleSite();
    EXPECT_EQ(site.handle("SITE USER alice").lines, fixtureLines("sample_site_user_alice.txt"));
    connectSampleUsers(site);
    EXPECT_EQ(site.handle("SITE SWHO").lines, fixtureLines("sample_site_swho.txt"));
    EXPECT_EQ(site.handle("SITE WHO").lines, fixtureLines("sample_site_who.txt"));
    EXPECT_EQ(site.handle("SITE USER").lines, fixtureLines("sample_site_user_listing.txt"));
    EXPECT_EQ(site.handle("site groups").lines, fixtureLines("sample_site_groups.txt"));
}

// The framed listings keep their frames straight: every line of a table is
// as wide as its rules.
TEST(SimulatedSiteFormat, TablesAreAsWideAsTheirFrames) {
    SimulatedSite site;
    for (const char* command : {"SITE STATS carol", "SITE WKUP", "SITE GPAL", "SITE NEW", "SITE NUKES",
                                "SITE UNNUKES", "SITE LASTON", "SITE REQUEST", "SITE SWHO", "SITE WHO"}) {
        const Reply reply = site.handle(command);
        std::size_t width = 0;
        for (const std::string& line : reply.lines) {
            const char first = line.size() > 5 ? line[5] : ' ';
            if (first != '|' && first != '.' && first != '`') {
                continue;
            }
            if (width == 0) {
                width = line.size();
            }
            EXPECT_EQ(line.size(), width) << command << ": " << line;
        }
        EXPECT_NE(width, 0u) << command;
    }
}

TEST(SimulatedSiteFormat, EveryCommandOfTheDemoSiteAnswersWellFormed) {
    for (SimulatedSite::Generation generation :
         {SimulatedSite::Generation::Glftpd1, SimulatedSite::Generation::Glftpd2}) {
        SimulatedSite site;
        site.setGeneration(generation);
        const std::string commands[] = {
            "SITE GROUPS", "SITE USER", "SITE USER alice", "SITE USER nobody", "SITE SWHO", "SITE WHO",
            "SITE WKUP 5", "SITE WKDN", "SITE GPWK 3", "SITE GPWD", "SITE DAYUP", "SITE DAYDN", "SITE ALUP",
            "SITE ALDN", "SITE GPAL", "SITE GPAD", "SITE MONTHUP", "SITE MONTHDN", "SITE LOGINS",
            "SITE UCHANGES", "SITE LASTON", "SITE WELCOME", "SITE RULES", "SITE VERS", "SITE TIME",
            "SITE REQUEST", "SITE NEW 5", "SITE NUKES 10", "SITE UNNUKES 10", "SITE SEARCH Linux",
            "SITE DUPE *GRP*", "SITE USERS", "SITE USERS friends", "SITE USERS LEECH", "SITE STATS carol",
            "SITE SEEN bob", "SITE MSG READ", "SITE ADDIP bob", "SITE FOO", "RETR x", "SITE",
            // The administration of the 2.x server, odd arguments included.
            "SITE GRP", "SITE GRP friends", "SITE GRP STAFF", "SITE GRPCHANGE", "SITE GRPCHANGE friends",
            "SITE GRPCHANGE friends slots", "SITE GRPCHANGE { friends", "SITE GRPCHANGE { } slots 1",
            "SITE GRPCHANGE * comment", "SITE GRPCHANGE friends max_allot_size -99999999999999",
            "SITE GRP friends", "SITE GINFO", "SITE GINFO friends", "SITE GINFO STAFF", "SITE GINFO x",
            "SITE CHGADMIN", "SITE CHGADMIN judy", "SITE CHGADMIN alice", "SITE CHGADMIN bob couriers",
            "SITE USERS =", "SITE USERS *", "SITE USERS =friends", "SITE USERS help", "SITE USERS 6",
            "SITE USERS f*", "SITE CHANGE", "SITE CHANGE bob", "SITE CHANGE bob expires", "SITE CHANGE { bob",
            "SITE CHANGE { } ratio 1",
            "SITE CHANGE = ratio 1", "SITE CHANGE bob timeframe -99999999999 x", "SITE CHANGE bob idle_time -",
            "SITE CHANGE bob expires 2027-1-", "SITE CHANGE bob expires --", "SITE CHANGE bob max_dlspeed m",
            "SITE CHANGE bob max_ulspeed 99999999999g", "SITE CHANGE bob num_logins 2 99999999999999999999",
            "SITE CHANGE bob homedir", "SITE CHANGE bob homedir /sitex", "SITE CHANGE bob sratio",
            "SITE RENUSER", "SITE RENUSER bob", "SITE RENUSER bob .", "SITE RENUSER bob b.0", "SITE GADDUSER",
            "SITE GADDUSER friends", "SITE GADDUSER friends newbie", "SITE GADDUSER friends newbie pw 1 2 3 4 5 6 7",
            "SITE READD", "SITE PURGE", "SITE PURGE bob", "SITE PURGE *", "SITE DELUSER",
            "SITE USER " + std::string(40, 'x'),
        };
        for (const std::string& command : commands) {
            expectWellFormed(site.handle(command), command);
        }
    }
}

TEST(SimulatedSiteAccounts, AnAddedUserIsListedAndShownAndCannotBeAddedTwice) {
    SimulatedSite site;
    const std::size_t before = listedNames(site.handle("SITE USER")).size();
    EXPECT_EQ(site.handle("SITE ADDUSER newguy s3cret").lines,
              std::vector<std::string>{"200 User (newguy) successfully added."});
    const std::vector<std::string> names = listedNames(site.handle("SITE USER"));
    EXPECT_EQ(names.size(), before + 1);
    EXPECT_EQ(names.back(), "newguy");
    ASSERT_NE(site.findUser("newguy"), nullptr);
    EXPECT_EQ(site.findUser("newguy")->password, "s3cret");
    EXPECT_TRUE(mentions(site.handle("SITE USER newguy"), "| Username: newguy "));

    Reply again = site.handle("SITE ADDUSER newguy other");
    ASSERT_EQ(again.lines.size(), 1u);
    EXPECT_NE(again.lines[0].find("already exists"), std::string::npos);
    EXPECT_EQ(site.findUser("newguy")->password, "s3cret");
    EXPECT_NE(site.handle("SITE ADDUSER bad/name x").lines[0].find("Illegal characters"), std::string::npos);
    EXPECT_EQ(site.handle("SITE ADDUSER lonely").code, 501);
}

TEST(SimulatedSiteAccounts, AnUnknownAccountCannotBeLoaded) {
    SimulatedSite site;
    const Reply reply = site.handle("SITE USER nobody");
    ASSERT_EQ(reply.lines.size(), 1u);
    EXPECT_NE(reply.lines[0].find("Unable to load"), std::string::npos);
    EXPECT_EQ(reply.code, 200);
}

TEST(SimulatedSiteGenerations, TheNewerServerShowsAndRefusesAsItsOwnTexts) {
    SimulatedSite site = sampleSite();
    site.setGeneration(SimulatedSite::Generation::Glftpd2);
    const Reply screen = site.handle("SITE USER alice");
    EXPECT_TRUE(mentions(screen, "| Ratios: 1:3 -"));
    EXPECT_TRUE(mentions(screen, "| Credits: 2.8GiB "));
    EXPECT_TRUE(mentions(screen, "| Weekly Allotment: 1.0GiB "));
    EXPECT_TRUE(mentions(screen, "Max Download Speed: 250.0KiB/s"));
    EXPECT_TRUE(mentions(screen, "| Groups: *friends testers "));
    EXPECT_TRUE(mentions(screen, "| Timeframe: "));
    EXPECT_FALSE(mentions(screen, "Gadmin/Leech Slots"));
    EXPECT_FALSE(mentions(screen, "Ratio: "));
    EXPECT_EQ(site.handle("SITE USER nobody").lines, std::vector<std::string>{"200 User 'nobody' does not exist."});
    EXPECT_EQ(site.handle("SITE READD nobody").lines, std::vector<std::string>{"200 Error loading userfile for nobody"});
    EXPECT_EQ(site.handle("SITE CHANGE alice group_slots 1 1").lines.front(), "200- Invalid Field");
    // Leaving a group ends its admin mark.
    site.handle("SITE CHGRP alice friends");
    site.handle("SITE CHGRP alice friends");
    EXPECT_TRUE(mentions(site.handle("SITE USER alice"), "| Groups: testers friends "));
}

TEST(SimulatedSiteGenerations, ColoursWrapTheTextOfEveryLineAfterItsCode) {
    SimulatedSite site = sampleSite();
    const Reply plain = site.handle("SITE GROUPS");
    site.setOperatorColours(true);
    const Reply coloured = site.handle("SITE GROUPS");
    ASSERT_EQ(coloured.lines.size(), plain.lines.size());
    for (std::size_t i = 0; i < plain.lines.size(); ++i) {
        const std::string& line = plain.lines[i];
        EXPECT_EQ(coloured.lines[i], line.substr(0, 4) + "\x1b[1;37m" + line.substr(4) + "\x1b[0m\x1b[0;37m");
    }
    site.setOperatorColours(false);
    EXPECT_EQ(site.handle("SITE GROUPS").lines, plain.lines);
}

TEST(SimulatedSiteAccounts, DelipRenumbersTheMasksThatFollow) {
    SimulatedSite site = sampleSite();
    EXPECT_EQ(site.handle("SITE DELIP alice 0").lines,
              std::vector<std::string>{"200 IP (*@127.0.0.1) removed from alice."});
    EXPECT_EQ(site.findUser("alice")->ipMasks,
              (std::vector<std::string>{"alice@198.51.100.17", "*@192.0.2.*"}));
    // Index 1 is now what was IP2: the plug-in counts on this.
    site.handle("SITE DELIP alice 1");
    EXPECT_EQ(site.findUser("alice")->ipMasks, std::vector<std::string>{"alice@198.51.100.17"});
    EXPECT_TRUE(mentions(site.handle("SITE USER alice"), "| IP0: alice@198.51.100.17 "));
    EXPECT_EQ(site.handle("SITE DELIP alice 5").lines, std::vector<std::string>{"200 IP 5 not found."});
    EXPECT_EQ(site.findUser("alice")->ipMasks.size(), 1u);
}

TEST(SimulatedSiteAccounts, AddipRefusesCoveredMasksAndKeepsTenSlots) {
    SimulatedSite site = sampleSite();
    EXPECT_NE(site.handle("SITE ADDIP alice *@192.0.2.15").lines[0].find("an equal or broader mask already exists"),
              std::string::npos);
    EXPECT_NE(site.handle("SITE ADDIP alice 10.0.0.1").lines[0].find("not added"), std::string::npos);
    EXPECT_EQ(site.handle("SITE ADDIP alice *@10.0.0.*").lines,
              std::vector<std::string>{"200 IP '*@10.0.0.*' successfully added to alice."});
    for (int i = 0; i < 8; ++i) {
        site.handle("SITE ADDIP alice *@172.16.0." + std::to_string(i));
    }
    EXPECT_EQ(site.findUser("alice")->ipMasks.size(), 10u);
    EXPECT_NE(site.handle("SITE ADDIP alice *@172.16.9.9").lines[0].find("not added"), std::string::npos);
    EXPECT_EQ(site.findUser("alice")->ipMasks.size(), 10u);
    EXPECT_TRUE(mentions(site.handle("SITE USER alice"), "IP9: *@172.16.0.5"));
}

TEST(SimulatedSiteAccounts, ChangeSetsEachSettingTheEditPageShows) {
    SimulatedSite site = sampleSite();
    site.handle("SITE CHANGE alice ratio 0");
    site.handle("SITE CHANGE alice flags +3-A+5");
    site.handle("SITE CHANGE alice wkly_allotment 1536");
    site.handle("SITE CHANGE alice credits -2048");
    site.handle("SITE CHANGE alice tagline two  words | here");
    site.handle("SITE CHANGE alice group_slots -1 5");
    site.handle("SITE CHANGE alice num_logins 0");
    site.handle("SITE CHANGE alice time_limit 90");
    site.handle("SITE CHANGE alice max_ulspeed 100");
    site.handle("SITE CHANGE alice max_dlspeed 0");
    const simsite::SiteUser& alice = *site.findUser("alice");
    EXPECT_EQ(alice.ratio, 0);
    EXPECT_EQ(alice.flags, "35BC");
    EXPECT_EQ(alice.weeklyAllotmentKb, 1536);
    EXPECT_EQ(alice.creditsKb, -2048);
    EXPECT_EQ(alice.tagline, "two  words | here");
    site.handle("SITE CHANGE alice tagline a tagline that is longer than its column");
    // A long tagline takes its row without pushing the frame out.
    for (const std::string& line : site.handle("SITE USER alice").lines) {
        if (line.find("| Tagline: a tagline that is longer than its column ") != std::string::npos) {
            EXPECT_EQ(line.size(), 78u);
            EXPECT_EQ(line.back(), '|');
        }
    }
    site.handle("SITE CHANGE alice tagline two  words | here");
    EXPECT_EQ(alice.gadminSlots, -1);
    EXPECT_EQ(alice.leechSlots, 5);
    EXPECT_EQ(alice.maxLogins, 0);
    EXPECT_EQ(alice.timeLimitMinutes, 90);
    EXPECT_EQ(alice.maxUploadSpeed, 100);

    const Reply screen = site.handle("SITE USER alice");
    EXPECT_TRUE(mentions(screen, "| Ratio: Unlimited "));
    EXPECT_TRUE(mentions(screen, "| Flags: 35BC "));
    EXPECT_TRUE(mentions(screen, "Weekly Allotment:     1.5 MB"));
    EXPECT_TRUE(mentions(screen, "Credits:      -2.0 MB"));
    EXPECT_TRUE(mentions(screen, "| Max Logins: Unlimited "));
    EXPECT_TRUE(mentions(screen, "| Gadmin/Leech Slots: -1 5 "));
    EXPECT_TRUE(mentions(screen, "| Time Limit:   90 minutes."));
    EXPECT_TRUE(mentions(screen, "Max Upload Speed:   100.0 K/s"));

    // A value the server cannot take changes nothing; a flags value without
    // signs replaces the flags.
    EXPECT_NE(site.handle("SITE CHANGE alice ratio lots").lines[0].find("Invalid value"), std::string::npos);
    EXPECT_NE(site.handle("SITE CHANGE alice credits 99999999999999999999").lines[0].find("Invalid value"),
              std::string::npos);
    EXPECT_NE(site.handle("SITE CHANGE alice colour red").lines[0].find("Unknown setting"), std::string::npos);
    site.handle("SITE CHANGE alice flags 3a");
    EXPECT_EQ(site.findUser("alice")->ratio, 0);
    EXPECT_EQ(site.findUser("alice")->creditsKb, -2048);
    EXPECT_EQ(site.findUser("alice")->flags, "3A");
    EXPECT_EQ(site.handle("SITE CHANGE alice ratio").code, 501);
}

TEST(SimulatedSiteAccounts, ChgrpTogglesPublicAndPrivateMembership) {
    SimulatedSite site = sampleSite();
    EXPECT_EQ(site.handle("SITE CHGRP alice friends").lines,
              std::vector<std::string>{"200 'alice' has been successfully removed from 'friends'"});
    EXPECT_EQ(site.handle("SITE CHGRP alice friends").lines,
              std::vector<std::string>{"200 'alice' has been successfully added to 'friends'"});
    EXPECT_EQ(site.findUser("alice")->groups, (std::vector<std::string>{"testers", "friends"}));
    site.handle("SITE CHGRP alice STAFF");
    EXPECT_TRUE(site.findUser("alice")->privateGroups.empty());
    EXPECT_EQ(site.handle("SITE CHGRP alice nosuch").lines,
              std::vector<std::string>{"200 Group (nosuch) does not exist."});
    EXPECT_TRUE(mentions(site.handle("SITE USER alice"), "| Priv Groups:  "));
}

TEST(SimulatedSiteAccounts, DeletedAccountsLeaveTheListingUntilReadded) {
    SimulatedSite site;
    EXPECT_EQ(site.handle("SITE DELUSER bob").lines, std::vector<std::string>{"200 User (bob) deleted."});
    EXPECT_TRUE(site.findUser("bob")->deleted());
    std::vector<std::string> names = listedNames(site.handle("SITE USER"));
    EXPECT_EQ(std::count(names.begin(), names.end(), "bob"), 0);
    EXPECT_TRUE(mentions(site.handle("SITE USER bob"), "| Flags: 36 "));

    EXPECT_EQ(site.handle("SITE READD bob").lines, std::vector<std::string>{"200 User (bob) readded."});
    names = listedNames(site.handle("SITE USER"));
    EXPECT_EQ(std::count(names.begin(), names.end(), "bob"), 1);
    EXPECT_EQ(site.handle("SITE READD bob").lines, std::vector<std::string>{"200 User bob has not been deleted."});
    EXPECT_NE(site.handle("SITE READD nobody").lines[0].find("Unable to load"), std::string::npos);
    EXPECT_EQ(site.handle("SITE DELUSER nobody").lines, std::vector<std::string>{"200 User 'nobody' does not exist."});

    // PURGE removes what was deleted, for good.
    site.handle("SITE DELUSER bob");
    EXPECT_EQ(site.handle("SITE PURGE").lines.back().find("200 Purged"), 0u);
    EXPECT_EQ(site.findUser("bob"), nullptr);
}

TEST(SimulatedSiteAccounts, GiveAndTakeMoveKilobytesAndRefuseNonsense) {
    SimulatedSite site = sampleSite();
    const std::int64_t start = site.findUser("bob")->creditsKb;
    EXPECT_EQ(site.handle("SITE GIVE bob 1024").lines,
              std::vector<std::string>{"200 Successfully transferred 1024K to bob."});
    EXPECT_EQ(site.findUser("bob")->creditsKb, start + 1024);
    site.handle("SITE GIVE bob 2048 for the archive work");
    ASSERT_EQ(site.findUser("bob")->messages.size(), 1u);
    EXPECT_NE(site.findUser("bob")->messages[0].text.find("for the archive work"), std::string::npos);
    EXPECT_EQ(site.handle("SITE TAKE bob 1024").lines,
              std::vector<std::string>{"200 Successfully took 1024K from bob."});
    EXPECT_EQ(site.findUser("bob")->creditsKb, start + 2048);

    EXPECT_NE(site.handle("SITE GIVE bob -2048").lines[0].find("Invalid amount"), std::string::npos);
    EXPECT_NE(site.handle("SITE TAKE bob 999999999").lines[0].find("has only"), std::string::npos);
    EXPECT_NE(site.handle("SITE GIVE bob 1x").lines[0].find("Invalid amount"), std::string::npos);
    // Credits can never wrap around, however often they are given.
    site.handle("SITE GIVE bob 1099511627776");
    EXPECT_NE(site.handle("SITE GIVE bob 1099511627776").lines[0].find("cannot hold"), std::string::npos);
    EXPECT_GT(site.findUser("bob")->creditsKb, 0);
}

TEST(SimulatedSiteGroups, AddDescribeRenameAndDeleteAGroup) {
    SimulatedSite site = sampleSite();
    EXPECT_EQ(site.handle("SITE GRPADD movies Movie couriers").lines,
              std::vector<std::string>{"200 Group (movies) successfully added."});
    EXPECT_EQ(site.findGroup("movies")->description, "Movie couriers");
    EXPECT_EQ(site.handle("SITE GRPADD movies again").lines,
              std::vector<std::string>{"200 Group (movies) already exists."});
    site.handle("SITE GRPNFO movies Films and series");
    EXPECT_EQ(site.findGroup("movies")->description, "Films and series");

    // A rename carries the members along.
    site.handle("SITE GRPREN friends pals");
    EXPECT_EQ(site.findGroup("friends"), nullptr);
    EXPECT_EQ(site.findUser("alice")->groups.front(), "pals");
    EXPECT_TRUE(mentions(site.handle("SITE GROUPS"), "(   3)  pals "));

    const Reply linked = site.handle("SITE GRPDEL pals");
    EXPECT_NE(linked.lines[0].find("delete failed"), std::string::npos);
    EXPECT_NE(site.findGroup("pals"), nullptr);
    EXPECT_NE(site.handle("SITE GRPDEL nosuch").lines[0].find("does not exist"), std::string::npos);
    EXPECT_EQ(site.handle("SITE GRPDEL movies").lines,
              std::vector<std::string>{"200 Group (movies) successfully deleted."});
    EXPECT_EQ(site.findGroup("movies"), nullptr);
}

TEST(SimulatedSiteOnline, SwhoCanBeRefusedAndWhoStillLists) {
    SimulatedSite site = sampleSite();
    connectSampleUsers(site);
    site.setSwhoAllowed(false);
    EXPECT_EQ(site.handle("SITE SWHO").lines,
              std::vector<std::string>{"200 You do not have access to this command."});
    EXPECT_EQ(site.handle("SITE WHO").lines.size(), 12u);
    site.setSwhoAllowed(true);
    EXPECT_TRUE(mentions(site.handle("SITE SWHO"), "|  4690 | alice "));
}

TEST(SimulatedSiteOnline, KickAndKillEndConnections) {
    SimulatedSite site = sampleSite();
    connectSampleUsers(site);
    EXPECT_EQ(site.handle("SITE KICK alice").lines,
              std::vector<std::string>{"200 Kicked 1 connection(s) of alice."});
    EXPECT_FALSE(mentions(site.handle("SITE SWHO"), "alice"));
    EXPECT_EQ(site.handle("SITE KICK alice").lines, std::vector<std::string>{"200 alice is not online."});
    EXPECT_EQ(site.handle("SITE KILL 99999").lines, (std::vector<std::string>{"200- ", "200 99999: Invalid PiD."}));
    EXPECT_EQ(site.handle("SITE KILL 4711").lines, (std::vector<std::string>{"200- ", "200 4711: Killed."}));
    EXPECT_TRUE(site.connections().empty());
}

TEST(SimulatedSiteCommands, UnknownAndDeniedCommands) {
    SimulatedSite site;
    EXPECT_EQ(site.handle("SITE FROB x").lines,
              std::vector<std::string>{"500 'SITE FROB x': command not understood."});
    EXPECT_EQ(site.handle("SITE FROB x").code, 500);
    site.setCommandAllowed("grpdel", false);
    EXPECT_EQ(site.handle("SITE GRPDEL friends").lines,
              std::vector<std::string>{"200 You do not have access to this command."});
    EXPECT_NE(site.findGroup("friends"), nullptr);
}

TEST(SimulatedSiteCommands, StatisticsRankAndHonourTheEntryCount) {
    SimulatedSite site;
    const Reply top3 = site.handle("SITE WKUP 3");
    std::vector<double> sizes;
    for (const std::string& line : top3.lines) {
        if (line.compare(0, 7, "200- | ") == 0 && std::isdigit(static_cast<unsigned char>(line[7]))) {
            sizes.push_back(std::stod(line.substr(line.rfind('|', line.size() - 2) + 1)));
        }
    }
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_GE(sizes[0], sizes[1]);
    EXPECT_GE(sizes[1], sizes[2]);
    EXPECT_TRUE(mentions(site.handle("SITE GPWK"), "| Group        | Members "));
    EXPECT_TRUE(mentions(site.handle("SITE WKUP 0"), "Top 10 users: week upload"));
}

TEST(SimulatedSiteCommands, ANukeRenamesTheReleaseAndTheStrippedNameUnnukesIt) {
    SimulatedSite site;
    const Reply nuked = site.handle("SITE NUKE Some.Release-GRP 3 bad.release");
    EXPECT_EQ(nuked.lines.back(), "200 NUKE of Some.Release-GRP successful.");
    EXPECT_TRUE(mentions(site.handle("SITE NEW 20"), "NUKED-Some.Release-GRP"));
    EXPECT_TRUE(mentions(site.handle("SITE NUKES"), "bad.release"));
    EXPECT_EQ(site.findUser("alice")->timesNuked, 2);
    EXPECT_NE(site.handle("SITE NUKE NUKED-Some.Release-GRP 3 again").lines[0].find("already nuked"),
              std::string::npos);

    // The unnuke dialog hands back the name without its nuke word.
    EXPECT_EQ(site.handle("SITE UNNUKE Some.Release-GRP fixed now").lines.back(),
              "200 UNNUKE of Some.Release-GRP successful.");
    EXPECT_TRUE(mentions(site.handle("SITE UNNUKES"), "fixed now"));
    EXPECT_NE(site.handle("SITE UNNUKE Some.Release-GRP twice").lines[0].find("No nuked directory"),
              std::string::npos);
    EXPECT_NE(site.handle("SITE NUKE Missing-GRP 1 x").lines[0].find("does not exist"), std::string::npos);
}

TEST(SimulatedSiteCommands, DupeSearchAndUndupe) {
    SimulatedSite site;
    EXPECT_TRUE(mentions(site.handle("SITE DUPE linux"), "Dupe: Linux.Distro.ISO-GRP"));
    EXPECT_TRUE(mentions(site.handle("SITE SEARCH *Distro*"), "/site/incoming/Linux.Distro.ISO-GRP"));
    EXPECT_EQ(site.handle("SITE UNDUPE Linux.Distro.ISO-*").lines,
              std::vector<std::string>{"200 Undupe of 'Linux.Distro.ISO-*': 2 entries removed."});
    EXPECT_NE(site.handle("SITE DUPE Linux.Distro").lines[0].find("No dupes found"), std::string::npos);
}

TEST(SimulatedSiteCommands, MessagesReachUsersGroupsAndEveryone) {
    SimulatedSite site = sampleSite();
    EXPECT_EQ(site.handle("SITE MSG bob hello bob").lines, std::vector<std::string>{"200 Message sent to bob."});
    EXPECT_EQ(site.findUser("bob")->messages.back().text, "hello bob");
    EXPECT_EQ(site.handle("SITE MSG =friends meeting").lines,
              std::vector<std::string>{"200 Message sent to 3 member(s) of friends."});
    EXPECT_EQ(site.handle("SITE MSG *  to all").lines, std::vector<std::string>{"200 Message sent to 7 user(s)."});
    EXPECT_EQ(site.findUser("carol")->messages.back().text, "to all");
    EXPECT_EQ(site.handle("SITE MSG nobody hi").lines, std::vector<std::string>{"200 User nobody does not exist."});

    SimulatedSite demo;
    const Reply read = demo.handle("SITE MSG READ");
    EXPECT_TRUE(mentions(read, "From: judy"));
    EXPECT_EQ(demo.handle("SITE MSG READ").lines, std::vector<std::string>{"200 You have no messages."});
}

TEST(SimulatedSiteDemo, ADemoSiteWithGroupsPeopleOnlineAndADeletedAccount) {
    SimulatedSite site;
    EXPECT_GE(site.users().size(), 25u);
    EXPECT_GE(site.connections().size(), 4u);
    int privateGroups = 0;
    for (const simsite::SiteGroup& group : site.groups()) {
        privateGroups += group.isPrivate ? 1 : 0;
    }
    EXPECT_GE(privateGroups, 1);
    ASSERT_NE(site.findUser("olduser"), nullptr);
    EXPECT_TRUE(site.findUser("olduser")->deleted());
    EXPECT_TRUE(site.findUser(site.operatorName())->hasFlag('1'));
    // Every demo account fits the user listing's eleven columns.
    for (const simsite::SiteUser& user : site.users()) {
        EXPECT_LE(user.name.size(), 11u) << user.name;
    }
}

TEST(SiteText, WildcardsIntegersAndTheRestOfALine) {
    EXPECT_TRUE(simsite::wildcardMatch("*@10.0.0.*", "*@10.0.0.5"));
    EXPECT_TRUE(simsite::wildcardMatch("a?c*", "ABCdef"));
    EXPECT_FALSE(simsite::wildcardMatch("*@10.0.0.*", "*@10.0.1.5"));
    EXPECT_FALSE(simsite::wildcardMatch("abc", "abcd"));
    EXPECT_TRUE(simsite::wildcardMatch("**", ""));
    std::int64_t value = 7;
    EXPECT_FALSE(simsite::parseInteger("", 0, 10, value));
    EXPECT_FALSE(simsite::parseInteger("-", 0, 10, value));
    EXPECT_FALSE(simsite::parseInteger("11", 0, 10, value));
    EXPECT_FALSE(simsite::parseInteger("99999999999999999999999", INT64_MIN, INT64_MAX, value));
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(simsite::parseInteger("-1", -1, 10, value));
    EXPECT_EQ(value, -1);
    const simsite::CommandWords words("SITE  MSG *  two  blanks ");
    EXPECT_EQ(words.size(), 5u);
    EXPECT_EQ(words.rest(3), "two  blanks ");
    EXPECT_EQ(words.rest(9), "");
}

TEST(HostSessionChannel, KeptRepliesAreWritableOwnedAndReleasedOnce) {
    SimulatedSite site;
    HostSession session(site);
    char command[] = "SITE USER alice";
    HostRequest request{ACTION_SEND_COMMAND, command, 1, 0, nullptr};
    ASSERT_EQ(session.handle(&request), 1);
    EXPECT_EQ(request.replyCode, 200);
    ASSERT_NE(request.replyLines, nullptr);
    int count = 0;
    for (ReplyLine* line = request.replyLines; line != nullptr; line = line->next) {
        ASSERT_NE(line->next == nullptr ? nullptr : line->next->text, line->text);
        line->text[0] = 'X';  // the plug-in cuts fields in place
        ++count;
    }
    EXPECT_EQ(count, 23);
    EXPECT_EQ(session.keptReplies(), 1);
    HostRequest release = request;
    release.action = ACTION_RELEASE_REPLY;
    // The release must come through the very record that received the reply.
    EXPECT_EQ(session.handle(&release), 1);
    EXPECT_EQ(session.keptReplies(), 1);
    request.action = ACTION_RELEASE_REPLY;
    EXPECT_EQ(session.handle(&request), 1);
    EXPECT_EQ(session.keptReplies(), 0);
    EXPECT_EQ(request.replyLines, nullptr);
    EXPECT_TRUE(session.faults().empty());

    const auto& log = session.transcript();
    EXPECT_EQ(log.front(), "> SITE USER alice");
    EXPECT_EQ(log.back(), "   (reply released)");
}

TEST(HostSessionChannel, ADisconnectedHostFailsEverySendAndKeepsNothing) {
    SimulatedSite site;
    HostSession session(site);
    session.connected = false;
    char command[] = "SITE DELUSER bob";
    HostRequest request{ACTION_SEND_COMMAND, command, 1, 0, nullptr};
    EXPECT_EQ(session.handle(&request), 0);
    EXPECT_EQ(request.replyLines, nullptr);
    EXPECT_FALSE(site.findUser("bob")->deleted());
    EXPECT_EQ(session.keptReplies(), 0);
    // The release the Groups page sends after a failed send is a no-op.
    request.action = ACTION_RELEASE_REPLY;
    EXPECT_EQ(session.handle(&request), 1);
    EXPECT_TRUE(session.faults().empty());
}

TEST(HostSessionChannel, FaultsAreSeenAndNothingLeaks) {
    SimulatedSite site;
    std::vector<std::int32_t> shown;
    int added = 0;
    {
        HostSession session(site);
        session.onShowPage = [&](std::int32_t page) { shown.push_back(page); };
        session.onUserAdded = [&]() { ++added; };
        char twoLines[] = "SITE USER alice\r\nSITE DELUSER bob";
        HostRequest request{ACTION_SEND_COMMAND, twoLines, 0, 0, nullptr};
        EXPECT_EQ(session.handle(&request), 0);
        EXPECT_FALSE(site.findUser("bob")->deleted());

        char groups[] = "SITE GROUPS";
        request = {ACTION_SEND_COMMAND, groups, 1, 0, nullptr};
        session.handle(&request);
        session.handle(&request);  // a second kept reply before the release
        request.action = ACTION_SHOW_PAGE;
        request.param = 2;
        session.handle(&request);
        request.action = ACTION_USER_ADDED;
        session.handle(&request);
        request.action = 9;
        EXPECT_EQ(session.handle(&request), 0);
        const std::vector<std::string> faults = session.faults();
        ASSERT_EQ(faults.size(), 4u);
        EXPECT_NE(faults[0].find("line break"), std::string::npos);
        EXPECT_NE(faults[1].find("second kept reply"), std::string::npos);
        EXPECT_NE(faults[2].find("unknown action 9"), std::string::npos);
        EXPECT_NE(faults[3].find("never released"), std::string::npos);
        // Destroying the session frees the reply still kept (ASan checks).
    }
    EXPECT_EQ(shown, std::vector<std::int32_t>{2});
    EXPECT_EQ(added, 1);
}

namespace {

HostSession* pluginHost = nullptr;

std::int32_t HOST_CDECL sessionCallback(HostRequest* request) {
    return pluginHost->handle(request);
}

// The plug-in's portable core with the simulated site behind its callback.
class SimulatedSiteWithThePlugin : public testing::Test {
protected:
    void SetUp() override {
        pluginHost = &session;
        storeHostCallback(sessionCallback);
        clearUserRecord();
    }
    void TearDown() override {
        releaseSiteDirectory();
        clearUserRecord();
        storeHostCallback(nullptr);
        pluginHost = nullptr;
        EXPECT_TRUE(session.faults().empty());
    }

    SimulatedSite site;
    HostSession session{site};
};

std::vector<std::string> names(const NameList* list) {
    std::vector<std::string> result;
    for (; list != nullptr; list = list->next) {
        result.push_back(list->text);
    }
    return result;
}

std::vector<std::string> pairNames(const NamePairList* list) {
    std::vector<std::string> result;
    for (; list != nullptr; list = list->next) {
        result.push_back(std::string(list->name) + "=" + list->info);
    }
    return result;
}

std::string text(const char* value) {
    return value != nullptr ? value : "(absent)";
}

}  // namespace

TEST_F(SimulatedSiteWithThePlugin, TheSiteDirectoryReadsEveryGroupAndListedUser) {
    site.handle("SITE DELUSER bob");
    loadSiteDirectory();
    ASSERT_TRUE(siteDirectory.loaded);
    std::vector<std::string> publicGroups;
    std::vector<std::string> privateGroups;
    std::vector<std::string> users;
    for (const simsite::SiteGroup& group : site.groups()) {
        (group.isPrivate ? privateGroups : publicGroups).push_back(group.name + "=" + group.description);
    }
    for (const simsite::SiteUser& user : site.users()) {
        if (!user.deleted()) {
            users.push_back(user.name);
        }
    }
    EXPECT_EQ(pairNames(siteDirectory.groupList), publicGroups);
    EXPECT_EQ(pairNames(siteDirectory.privateGroupList), privateGroups);
    EXPECT_EQ(names(siteDirectory.userNames), users);
    EXPECT_EQ(session.keptReplies(), 0);
}

TEST_F(SimulatedSiteWithThePlugin, TheUserRecordReadsTheAccountScreenAndItsChanges) {
    ASSERT_TRUE(loadUserRecord("alice"));
    EXPECT_EQ(text(userRecord.ratio), "3");
    EXPECT_EQ(text(userRecord.credits), "2869.6");
    EXPECT_EQ(text(userRecord.weeklyAllotment), "1024.0");
    EXPECT_EQ(text(userRecord.maxLogins), "3");
    EXPECT_EQ(text(userRecord.gadminSlots), "2");
    EXPECT_EQ(text(userRecord.leechSlots), "5");
    EXPECT_EQ(text(userRecord.timeLimit), "unlim");
    EXPECT_EQ(text(userRecord.maxDownloadSpeed), "250.0");
    EXPECT_EQ(text(userRecord.maxUploadSpeed), "0.0");
    EXPECT_EQ(text(userRecord.tagline), "No Tagline Set");
    EXPECT_EQ(text(userRecord.ipMasks[0]), "*@127.0.0.1");
    EXPECT_EQ(text(userRecord.ipMasks[1]), "alice@198.51.100.17");
    EXPECT_EQ(text(userRecord.ipMasks[2]), "*@192.0.2.*");
    EXPECT_EQ(text(userRecord.ipMasks[3]), "");
    EXPECT_EQ(names(userRecord.groups), (std::vector<std::string>{"friends", "testers"}));
    EXPECT_EQ(names(userRecord.privateGroups), std::vector<std::string>{"STAFF"});
    for (int slot = 0; slot < userFlagCount; ++slot) {
        const char flag = userFlagCharacter(slot);
        EXPECT_EQ(userRecord.flags[slot], std::string("3ABC").find(flag) != std::string::npos) << flag;
    }

    // What the change writer sends, read back the way the page reloads.
    site.handle("SITE CHANGE alice ratio 0");
    site.handle("SITE CHANGE alice group_slots -1 -1");
    site.handle("SITE CHANGE alice num_logins 0");
    site.handle("SITE CHANGE alice time_limit 90");
    site.handle("SITE CHANGE alice wkly_allotment 1536");
    site.handle("SITE CHANGE alice tagline edited | twice");
    site.handle("SITE DELIP alice 0");
    clearUserRecord();
    ASSERT_TRUE(loadUserRecord("alice"));
    EXPECT_EQ(text(userRecord.ratio), "unlim");
    EXPECT_EQ(text(userRecord.gadminSlots), "unlim");
    EXPECT_EQ(text(userRecord.leechSlots), "unlim");
    EXPECT_EQ(text(userRecord.maxLogins), "unlim");
    EXPECT_EQ(text(userRecord.timeLimit), "90");
    EXPECT_EQ(text(userRecord.weeklyAllotment), "1.5");
    EXPECT_EQ(text(userRecord.tagline), "edited");
    EXPECT_EQ(text(userRecord.ipMasks[0]), "alice@198.51.100.17");
    EXPECT_EQ(text(userRecord.ipMasks[2]), "");
    EXPECT_EQ(session.keptReplies(), 0);
}

TEST_F(SimulatedSiteWithThePlugin, AnAccountTheSiteCannotLoadGivesNoRecord) {
    for (SimulatedSite::Generation generation :
         {SimulatedSite::Generation::Glftpd1, SimulatedSite::Generation::Glftpd2}) {
        site.setGeneration(generation);
        EXPECT_FALSE(loadUserRecord("nobody"));
        EXPECT_EQ(userRecord.ratio, nullptr);
        EXPECT_EQ(session.keptReplies(), 0);
    }
}

// Every account of the demo site, read from either server's screen, with or
// without colours, gives the record the older screen gives; the newer one
// has no per-user slots and rounds sizes to one decimal of its unit.
TEST_F(SimulatedSiteWithThePlugin, EveryGenerationAndColourGiveTheSameDirectoryAndAccounts) {
    ASSERT_EQ(site.findUser("judy")->adminGroups, std::vector<std::string>{"friends"});
    std::vector<std::vector<std::string>> directory;
    std::vector<std::vector<std::string>> records;
    auto readAll = [&]() {
        releaseSiteDirectory();
        loadSiteDirectory();
        directory = {pairNames(siteDirectory.groupList), pairNames(siteDirectory.privateGroupList),
                     names(siteDirectory.userNames)};
        records.clear();
        for (const std::string& name : names(siteDirectory.userNames)) {
            clearUserRecord();
            EXPECT_TRUE(loadUserRecord(name.c_str())) << name;
            records.push_back({name, text(userRecord.ratio), text(userRecord.maxLogins), text(userRecord.timeLimit),
                               text(userRecord.tagline), text(userRecord.maxUploadSpeed),
                               text(userRecord.maxDownloadSpeed), text(userRecord.ipMasks[0]),
                               text(userRecord.ipMasks[9])});
            for (const NameList* groups : {userRecord.groups, userRecord.privateGroups}) {
                for (const std::string& group : names(groups)) {
                    records.back().push_back(group);
                }
            }
            std::string flags;
            for (bool flag : userRecord.flags) {
                flags += flag ? '1' : '0';
            }
            records.back().push_back(flags);
            const UserRecord& r = userRecord;
            const bool newer = site.generation() == SimulatedSite::Generation::Glftpd2;
            EXPECT_EQ(text(r.gadminSlots) == "?", newer) << name;
            // The size as the account holds it, within the rounding of the unit shown.
            const simsite::SiteUser& account = *site.findUser(name);
            for (const auto& size : {std::make_pair(r.credits, account.creditsKb),
                                     std::make_pair(r.weeklyAllotment, account.weeklyAllotmentKb)}) {
                const double megabytes = static_cast<double>(size.second) / 1024.0;
                const double shown = std::strtod(text(size.first).c_str(), nullptr);
                const double rounding = newer && megabytes >= 1024.0 ? 52.0 : 0.06;
                EXPECT_NEAR(shown, megabytes, rounding) << name;
            }
        }
    };
    readAll();
    const auto olderDirectory = directory;
    const auto olderRecords = records;
    ASSERT_GT(olderRecords.size(), 10u);
    for (auto generation : {SimulatedSite::Generation::Glftpd1, SimulatedSite::Generation::Glftpd2}) {
        for (bool colours : {false, true}) {
            SCOPED_TRACE(std::string(generation == SimulatedSite::Generation::Glftpd2 ? "2.x" : "1.x") +
                         (colours ? " in colour" : ""));
            site.setGeneration(generation);
            site.setOperatorColours(colours);
            readAll();
            EXPECT_EQ(directory, olderDirectory);
            auto expected = olderRecords;
            if (colours) {
                expected.front().back()[4] = '1';  // the operator's own flag 5
            }
            EXPECT_EQ(records, expected);
        }
    }
    EXPECT_EQ(session.keptReplies(), 0);
}
