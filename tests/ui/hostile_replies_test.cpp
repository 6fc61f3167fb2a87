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

INSTANTIATE_TEST_SUITE_P(
    EveryReadingPath, HostileReplies,
    testing::Combine(testing::Range(0, static_cast<int>(sizeof readingPaths / sizeof readingPaths[0])),
                     testing::Values(NoLine, MegabyteLine, MegabyteRow, NoMarkers, EveryByte)),
    [](const testing::TestParamInfo<std::tuple<int, Hostile>>& info) {
        return std::string(readingPaths[std::get<0>(info.param)].name) +
               hostileNames[std::get<1>(info.param)];
    });

}  // namespace
