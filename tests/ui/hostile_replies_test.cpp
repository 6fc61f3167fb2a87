// Every path that reads a kept reply, fed replies no glftpd sends: no line at
// all, a line of a megabyte, lines without the markers the parsers look for,
// and lines holding every byte value. Nothing may crash, leak or read past a
// line, no command may carry a line break, and the page must work afterwards.
#include <windows.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

enum Hostile { NoLine, MegabyteLine, MegabyteRow, NoMarkers, EveryByte };
const char* const hostileNames[] = {"NoLine", "MegabyteLine", "MegabyteRow", "NoMarkers", "EveryByte"};

std::string everyByte() {
    std::string bytes;
    for (int value = 1; value <= 255; ++value) {
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

// Where a reading path expects its rows: the lines before them, and what a
// row holds around the field under attack.
struct ReplyShape {
    Lines before;
    std::string rowStart;
    std::string rowEnd;
};

ScriptedReply hostileReply(Hostile kind, const ReplyShape& shape) {
    ScriptedReply reply;
    const std::string megabyte(1 << 20, 'M');
    switch (kind) {
    case NoLine:
        reply.lines.clear();
        break;
    case MegabyteLine:
        reply.lines = {megabyte};
        break;
    case MegabyteRow:
        reply.lines = shape.before;
        reply.lines.push_back(shape.rowStart + megabyte + shape.rowEnd);
        reply.lines.push_back(shape.rowStart + megabyte);
        reply.lines.push_back("200 Command Successful.");
        break;
    case NoMarkers:
        reply.lines = {"", "200-", "200-NoBlanksAtAll", "x", "200- just words here", "   ", "200 Done."};
        break;
    case EveryByte:
        reply.lines = {everyByte()};
        for (const std::string& line : shape.before) {
            reply.lines.push_back(line);
        }
        reply.lines.push_back(shape.rowStart + everyByte() + shape.rowEnd);
        reply.lines.push_back(shape.rowStart + "a\rSITE DELUSER x " + shape.rowEnd);
        reply.lines.push_back(shape.rowStart + "b\nSITE KICK y " + shape.rowEnd);
        reply.lines.push_back("\r\n");
        reply.lines.push_back(everyByte());
        reply.lines.push_back("200 Command Successful.");
        break;
    }
    return reply;
}

const ReplyShape groupsShape{{"200- #users  Group Abbr.      Group Description", "200- ------"},
                             "200- (   1)  ", " Some description"};
const ReplyShape usersShape{{"200-   -=[ User Listing ]=-", "200-    "}, "200- ", " alice "};
const ReplyShape swhoShape{{"200- | PiD     User  |", "200- |-------+-------|"}, "200- |  4711 | ", " | *@h |"};
const ReplyShape whoShape{{"200- | User | Group |", "200- |------+-------|"}, "200- | ", " | grp |"};
const ReplyShape readdShape{{}, "200 User ", " readded."};
const ReplyShape groupReplyShape{{}, "200 Group ", " added."};
const ReplyShape addUserShape{{}, "200 User ", " added."};
const ReplyShape accountShape{{"200- +=====+", "200- | Username: bob |"}, "200- | Tagline: ", " |"};

struct ReadingPath {
    const char* name;
    std::function<void(ScriptedSite&, const ScriptedReply&)> answer;
    std::function<void(HWND, ScriptedSite&)> worksAfterwards;
    const ReplyShape* shape;
};

void answerNormalDirectory(ScriptedSite& site) {
    site.answer("SITE GROUPS", fixtureReply("usercmd_groups.txt"));
    site.answer("SITE USER", fixtureReply("usercmd_users.txt"));
}

// Every user and group the User commands page offers can be used; a name
// holding a line break is refused by the channel, never sent.
void userCommandsWork(HWND page, ScriptedSite& site) {
    const int users = static_cast<int>(comboItems(page, IDC_USERCMD_USERNAME).size());
    for (int index = 0; index < users; ++index) {
        pickComboItem(page, IDC_USERCMD_USERNAME, index);
        clickButton(page, IDC_USERCMD_SHOW_USER);
        setText(page, IDC_USERCMD_AMOUNT, "1");
        clickButton(page, IDC_USERCMD_GIVE_CREDITS);
    }
    const int groups = static_cast<int>(comboItems(page, IDC_USERCMD_LIST_GROUP).size());
    for (int index = 0; index < groups; ++index) {
        pickComboItem(page, IDC_USERCMD_LIST_GROUP, index);
        clickButton(page, IDC_USERCMD_LIST_SPECIAL);
    }
    site.clearRecord();
    clickButton(page, IDC_USERCMD_LIST_USERS);
    EXPECT_EQ(site.commands(), (Lines{"SITE USERS"}));
}

void onlineWorks(HWND page, ScriptedSite& site) {
    const int rows = static_cast<int>(listViewRows(page, IDC_ONLINE_LIST).size());
    for (int row = 0; row < rows; ++row) {
        selectListViewRow(page, IDC_ONLINE_LIST, row);
        clickButton(page, IDC_ONLINE_SHOW_USER);
        clickButton(page, IDC_ONLINE_USER_STATS);
    }
    site.answer("SITE SWHO", fixtureReply("site_swho.txt"));
    site.clearRecord();
    clickButton(page, IDC_ONLINE_UPDATE);
    EXPECT_EQ(site.commands(), (Lines{"SITE SWHO"}));
    EXPECT_EQ(listViewRows(page, IDC_ONLINE_LIST).size(), 2u);
    selectListViewRow(page, IDC_ONLINE_LIST, 0);
    site.clearRecord();
    clickButton(page, IDC_ONLINE_SHOW_USER);
    EXPECT_EQ(site.commands(), (Lines{"SITE USER alice"}));
}

void groupsWork(HWND page, ScriptedSite& site) {
    site.answerPrefix("SITE GRPADD", oneLineReply("200 Group seniors added."));
    site.answerPrefix("SITE GRPDEL", oneLineReply("200 Group deleted."));
    setText(page, IDC_GROUPS_ADD_NAME, "seniors");
    setText(page, IDC_GROUPS_ADD_INFO, "Old hands");
    site.clearRecord();
    clickButton(page, IDC_GROUPS_ADD);
    EXPECT_EQ(site.commands(), (Lines{"SITE GRPADD seniors Old hands"}));
    bool listed = false;
    for (const auto& row : listViewRows(page, IDC_GROUPS_LIST)) {
        listed = listed || row.at(0) == "seniors";
    }
    EXPECT_TRUE(listed);
    selectListViewRow(page, IDC_GROUPS_LIST, 0);
    setText(page, IDC_GROUPS_NEW_INFO, "described");
    site.clearRecord();
    clickButton(page, IDC_GROUPS_CHANGE_INFO);
    ASSERT_EQ(site.commands().size(), 1u);
    EXPECT_EQ(site.commands()[0].compare(0, 12, "SITE GRPNFO "), 0);
}

void answerEditDirectory(ScriptedSite& site) {
    site.answer("SITE GROUPS", fixtureReply("edit_user_groups.txt"));
    site.answer("SITE USER", fixtureReply("edit_user_listing.txt"));
    site.answer("SITE USER bob", fixtureReply("edit_user_bob.txt"));
}

// Picks bob as the operator does: the close-up posts Get info.
void pickBob(HWND page) {
    EXPECT_TRUE(pickComboItemByText(page, IDC_EDITUSER_USERNAME, "bob")) << "bob is not offered";
}

void editUserWorks(HWND page, ScriptedSite& site) {
    // Whatever the hostile reply left in the form, Change sends no line break
    // (the channel refuses it) and the reload it posts brings the real account.
    clickButton(page, IDC_EDITUSER_CHANGE);
    pumpMessages();
    site.answer("SITE USER bob", fixtureReply("edit_user_bob.txt"));
    pickBob(page);
    EXPECT_EQ(getText(page, IDC_EDITUSER_RATIO), "3");
    EXPECT_EQ(getText(page, IDC_EDITUSER_TAGLINE), "Bob was here");
    setText(page, IDC_EDITUSER_RATIO, "5");
    site.clearRecord();
    clickButton(page, IDC_EDITUSER_CHANGE);
    pumpMessages();
    EXPECT_EQ(site.commands(), (Lines{"SITE CHANGE bob ratio 5", "SITE USER bob"}));
}

void fillAddUserForm(HWND page, const std::string& name) {
    setText(page, IDC_ADDUSER_USERNAME, name);
    setText(page, IDC_ADDUSER_PASSWORD, "secret");
    setText(page, IDC_ADDUSER_IP0, "10.0.0.1");
}

void addUserWorks(HWND page, ScriptedSite& site) {
    site.answerPrefix("SITE ADDUSER", oneLineReply("200 User zoe added."));
    fillAddUserForm(page, "zoe");
    site.clearRecord();
    clickButton(page, IDC_ADDUSER_ADD);
    EXPECT_EQ(site.commands(), (Lines{"SITE ADDUSER zoe secret", "SITE ADDIP zoe *@10.0.0.1"}));
    ASSERT_FALSE(site.requests().empty());
    EXPECT_EQ(site.requests().back().action, ACTION_USER_ADDED);
}

const ReadingPath readingPaths[] = {
    {"GroupListing",
     [](ScriptedSite& site, const ScriptedReply& reply) {
         answerNormalDirectory(site);
         site.answer("SITE GROUPS", reply);
     },
     userCommandsWork, &groupsShape},
    {"UserListing",
     [](ScriptedSite& site, const ScriptedReply& reply) {
         answerNormalDirectory(site);
         site.answer("SITE USER", reply);
     },
     userCommandsWork, &usersShape},
    {"ReaddFirstLine",
     [](ScriptedSite& site, const ScriptedReply& reply) {
         answerNormalDirectory(site);
         site.answer("SITE READD zed", reply);
     },
     [](HWND page, ScriptedSite& site) {
         site.answer("SITE READD zed", oneLineReply("200 User zed readded."));
         const std::size_t before = comboItems(page, IDC_USERCMD_USERNAME).size();
         setText(page, IDC_USERCMD_READD_NAME, "zed");
         site.clearRecord();
         clickButton(page, IDC_USERCMD_READD_USER);
         EXPECT_EQ(site.commands(), (Lines{"SITE READD zed"}));
         EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME).size(), before + 1);
         userCommandsWork(page, site);
     },
     &readdShape},
    {"SwhoListing",
     [](ScriptedSite& site, const ScriptedReply& reply) { site.answer("SITE SWHO", reply); },
     onlineWorks, &swhoShape},
    {"WhoListing",
     [](ScriptedSite& site, const ScriptedReply& reply) {
         site.answer("SITE SWHO", fixtureReply("site_swho_refused.txt"));
         site.answer("SITE WHO", reply);
     },
     onlineWorks, &whoShape},
    {"GroupAddFirstLine",
     [](ScriptedSite& site, const ScriptedReply& reply) {
         answerNormalDirectory(site);
         site.answerPrefix("SITE GRPADD", reply);
     },
     groupsWork, &groupReplyShape},
    {"GroupDeleteFirstLine",
     [](ScriptedSite& site, const ScriptedReply& reply) {
         answerNormalDirectory(site);
         site.answerPrefix("SITE GRPDEL", reply);
     },
     groupsWork, &groupReplyShape},
    {"AddUserFirstLine",
     [](ScriptedSite& site, const ScriptedReply& reply) {
         answerNormalDirectory(site);
         site.answerPrefix("SITE ADDUSER", reply);
     },
     addUserWorks, &addUserShape},
    {"AccountScreen",
     [](ScriptedSite& site, const ScriptedReply& reply) {
         answerEditDirectory(site);
         site.answer("SITE USER bob", reply);
     },
     editUserWorks, &accountShape},
};

class HostileReplies : public PluginTest, public testing::WithParamInterface<std::tuple<int, Hostile>> {
protected:
    const ReadingPath& path() const { return readingPaths[std::get<0>(GetParam())]; }
    Hostile kind() const { return std::get<1>(GetParam()); }

    // Shows the page that reads the reply and makes it read it.
    HWND readHostileReply() {
        const std::string name = path().name;
        if (name == "SwhoListing" || name == "WhoListing") {
            return showPage(7);
        }
        if (name == "AddUserFirstLine") {
            HWND page = showPage(1);
            fillAddUserForm(page, "zed");
            clickButton(page, IDC_ADDUSER_ADD);
            return page;
        }
        if (name == "AccountScreen") {
            HWND page = showPage(2);
            pickBob(page);
            return page;
        }
        if (name == "GroupAddFirstLine" || name == "GroupDeleteFirstLine") {
            HWND page = showPage(6);
            if (name == "GroupAddFirstLine") {
                setText(page, IDC_GROUPS_ADD_NAME, "newbies");
                setText(page, IDC_GROUPS_ADD_INFO, "New people");
                clickButton(page, IDC_GROUPS_ADD);
            } else {
                selectListViewRow(page, IDC_GROUPS_LIST, 0);
                clickButton(page, IDC_GROUPS_DELETE);
            }
            return page;
        }
        HWND page = showPage(4);
        if (name == "ReaddFirstLine") {
            setText(page, IDC_USERCMD_READD_NAME, "zed");
            clickButton(page, IDC_USERCMD_READD_USER);
        }
        return page;
    }
};

TEST_P(HostileReplies, AreReadWithoutHarmAndThePageWorksAfterwards) {
    path().answer(site, hostileReply(kind(), *path().shape));
    HWND page = readHostileReply();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(site.keptReplies(), 0);
    path().worksAfterwards(page, site);
    // The page still comes back after a switch, from what it kept.
    showPage(3);
    page = readHostileReply();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(site.keptReplies(), 0);
    if (std::string(path().name) == "GroupListing") {
        // The Groups page lists the same groups and reads its rows back.
        page = showPage(6);
        const int rows = static_cast<int>(listViewRows(page, IDC_GROUPS_LIST).size());
        for (int row = 0; row < rows; ++row) {
            selectListViewRow(page, IDC_GROUPS_LIST, row);
            setText(page, IDC_GROUPS_NEW_INFO, "described");
            clickButton(page, IDC_GROUPS_CHANGE_INFO);
        }
    }
    EXPECT_TRUE(messageBoxes.empty());
}

class AccountScreen : public PluginTest {};

TEST_F(AccountScreen, ThirtyDigitNumbersShowClampedAndAnUnchangedFormSendsNothing) {
    answerEditDirectory(site);
    const std::string big = "123456789012345678901234567890";
    site.answer("SITE USER bob", linesReply({
        "200- +=======================================================================+",
        "200- | Username: bob                      Created: 11-02-03                  |",
        "200- | Flags: 2ABCH                       Idle time: Default                 |",
        "200- | Ratio: 1:" + big + "     Credits: " + big + " MB |",
        "200- | Max Logins: " + big + "     From same IP: Unlimited |",
        "200- | Max Upload Speed: " + big + " K/s  Max Download Speed: -" + big + " K/s |",
        "200- | Weekly Allotment: " + big + " MB   Messages Waiting: N |",
        "200- | Time Limit: " + big + " minutes.          (0 = Unlimited)   |",
        "200- | Gadmin/Leech Slots: " + big + " -" + big + " (-1 = Unlimited, None) |",
        "200- | Tagline: " + big + " |",
        "200- | IP0: *@127.0.0.1                   IP1: bob@198.51.100.17             |",
        "200 Command Successful."}));
    HWND page = showPage(2);
    pickBob(page);
    EXPECT_EQ(getText(page, IDC_EDITUSER_RATIO), "2147483647");
    EXPECT_EQ(getText(page, IDC_EDITUSER_MAX_LOGINS), "2147483647");
    EXPECT_EQ(getText(page, IDC_EDITUSER_TIME_LIMIT), "2147483647");
    EXPECT_EQ(getText(page, IDC_EDITUSER_GROUP_SLOTS), "2147483647");
    EXPECT_EQ(getText(page, IDC_EDITUSER_LEECH_SLOTS), "-2147483648");
    EXPECT_EQ(getText(page, IDC_EDITUSER_TAGLINE), big);
    // Real values clamp to the 32-bit range as well.
    for (int id : {IDC_EDITUSER_CREDITS, IDC_EDITUSER_ALLOTMENT, IDC_EDITUSER_UL_SPEED}) {
        EXPECT_EQ(getText(page, id), "2147483647.0") << id;
    }
    EXPECT_EQ(getText(page, IDC_EDITUSER_DL_SPEED), "-2147483648.0");
    // What the form shows is what the record holds: nothing to write.
    site.clearRecord();
    clickButton(page, IDC_EDITUSER_CHANGE);
    pumpMessages();
    EXPECT_TRUE(site.commands().empty());
    setText(page, IDC_EDITUSER_RATIO, "5");
    clickButton(page, IDC_EDITUSER_CHANGE);
    pumpMessages();
    EXPECT_EQ(site.commands(), (Lines{"SITE CHANGE bob ratio 5", "SITE USER bob"}));
}

TEST_F(AccountScreen, AVeryLongTaglineIsShownWholeAndAnUnchangedFormSendsNothing) {
    answerEditDirectory(site);
    Lines lines = loadFixture("edit_user_bob.txt");
    const std::string tagline(1 << 20, 'T');
    for (std::string& line : lines) {
        if (line.find("Tagline: ") != std::string::npos) {
            line = "200- | Tagline: " + tagline + " |";
        }
    }
    site.answer("SITE USER bob", linesReply(lines));
    HWND page = showPage(2);
    pickBob(page);
    EXPECT_EQ(getText(page, IDC_EDITUSER_TAGLINE).size(), tagline.size());
    site.clearRecord();
    clickButton(page, IDC_EDITUSER_CHANGE);
    pumpMessages();
    EXPECT_TRUE(site.commands().empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryReadingPath, HostileReplies,
    testing::Combine(testing::Range(0, static_cast<int>(sizeof readingPaths / sizeof readingPaths[0])),
                     testing::Values(NoLine, MegabyteLine, MegabyteRow, NoMarkers, EveryByte)),
    [](const testing::TestParamInfo<std::tuple<int, Hostile>>& info) {
        return std::string(readingPaths[std::get<0>(info.param)].name) +
               hostileNames[std::get<1>(info.param)];
    });

}  // namespace
