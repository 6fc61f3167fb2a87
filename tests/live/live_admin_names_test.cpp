// The Groups page against a real glftpd 2.13 (started by run_glftpd213.sh)
// on groups and members with the names glftpd takes and a careless reader
// mistakes for others: a group iso|x beside iso, members alice|x beside
// alice, Alice|x beside alice|x, verylongname12345 (shown cut as verylongn)
// beside an account verylongn, and two accounts cut to the same name. Run
// once by the siteop and once by a siteop with flag 5 (every reply
// coloured); after each change the server's own answer, past the page,
// shows that only the picked group or member changed.
#include <windows.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/admin/admin_pages_win32.h"
#include "host/live/live_site_win32.h"
#include "host/resources/host_resources.h"
#include "host/session/host_session.h"
#include "tests/live/live_admin_fixture.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

using glftpd213::holds;
using glftpd213::joined;
using glftpd213::RealServer;
using glftpd213::RecordingLink;

const char* const colourUser = "colourop";
const char* const colourPassword = "colourpw1";

// The odd names, added by the siteop; each reply must say glftpd took it.
const struct {
    const char* command;
    const char* taken;
} oddSite[] = {
    {"SITE CHANGE glftpd num_logins 6", "Command Successful."},  // the page's session and the checks' at once
    {"SITE GRPADD iso|x ISO with a pipe", "successfully added"},
    {"SITE GRPADD longs Cut names", "successfully added"},
    {"SITE GADDUSER iso|x alice|x alicepw1", "successfully added"},
    {"SITE GADDUSER iso|x Alice|x alicepw2", "successfully added"},
    {"SITE GADDUSER iso|x verylongname12345 longpw1", "successfully added"},
    {"SITE GADDUSER iso alice alicepw3", "successfully added"},
    {"SITE GADDUSER iso verylongn shortpw1", "successfully added"},
    {"SITE GADDUSER longs verylongnAAA longpw2", "successfully added"},
    {"SITE GADDUSER longs verylongnBBB longpw3", "successfully added"},
    {"SITE ADDUSER colourop colourpw1 *@127.0.0.1", "successfully added"},
    {"SITE CHANGE colourop flags +15ABCDEFGH", "Command Successful."},
};

class LiveAdminNames : public live_admin::LiveAdmin {
protected:
    static void SetUpTestSuite() {
        LiveAdmin::SetUpTestSuite();
        if (!loaded) {
            return;
        }
        live::LiveSite site;
        std::string failure;
        if (!site.open(glftpd213::siteOptions(server, server.user, server.password), nullptr, failure)) {
            loaded = false;
            loadFailure = "the siteop could not log in: " + failure;
            return;
        }
        for (const auto& step : oddSite) {
            session::Reply reply;
            if (!site.exchange(step.command, reply, failure) || !holds(reply, step.taken)) {
                loaded = false;
                loadFailure = std::string("preparing the site: ") + step.command + ":" + joined(reply.lines) + failure;
                return;
            }
        }
        site.close();
    }

    // The page over a session logged in as `user`; the checks go over a
    // second connection as the siteop, so that they read plain replies.
    void openGroupsAs(const std::string& user, const std::string& password) {
        connectAs(user, password);
        std::string failure;
        ASSERT_TRUE(checks.open(glftpd213::siteOptions(server, server.user, server.password), nullptr, failure))
            << failure;
        ASSERT_NE(open(AdminPage::Groups), nullptr);
    }

    void TearDown() override {
        LiveAdmin::TearDown();
        checks.close();
    }

    Lines pickGroup(const std::string& name) { return pickItem(IDC_ADMIN_GROUP_LIST, name); }

    // Selects the member row whose name cell is `name`; false when none is.
    bool pickMember(const std::string& name) {
        if (live_admin::rowNamed(page, IDC_ADMIN_MEMBER_LIST, name) < 0) {
            ADD_FAILURE() << name << " is not in the member list";
            return false;
        }
        pick(IDC_ADMIN_MEMBER_LIST, name);
        return true;
    }

    std::string result() { return getText(page, IDC_ADMIN_RESULT); }

    // The server's own answer, past the page.
    session::Reply check(const std::string& command) {
        session::Reply reply;
        std::string failure;
        EXPECT_TRUE(checks.exchange(command, reply, failure)) << command << ": " << failure;
        return reply;
    }

    // The "Groups:" line of an account's screen, as the server shows it.
    std::string groupsOf(const std::string& user) {
        for (const std::string& line : check("SITE USER " + user).lines) {
            if (line.find("| Groups: ") != std::string::npos) {
                return line.substr(line.find("| Groups: ") + 10, line.find_last_not_of(" |") - line.find("| Groups: ") - 9);
            }
        }
        return "(no screen)";
    }

    // What SITE GRP shows of a group, but for the line that was changed.
    Lines grpLines(const std::string& group) { return check("SITE GRP " + group).lines; }

    live::LiveSite checks;
};

TEST_F(LiveAdminNames, ThePickedGroupAndMemberChangeAndNoOtherWithOddNames) {
    openGroupsAs(server.user, server.password);
    EXPECT_EQ(press(IDC_ADMIN_GROUP_LOAD), (Lines{"SITE GROUPS"}));
    const Lines iso = grpLines("iso");
    const Lines read = pickGroup("iso|x");
    EXPECT_EQ(read, (Lines{"SITE GRP iso|x", "SITE GINFO iso|x", "SITE USERS deleted", "SITE USERS =iso|x"}));

    // Slots of iso|x: iso stays as it was.
    setText(page, IDC_ADMIN_GROUP_SLOTS, "7");
    EXPECT_EQ(press(IDC_ADMIN_GROUP_WRITE).front(), "SITE GRPCHANGE iso|x slots 7");
    EXPECT_TRUE(holds(check("SITE GRP iso|x"), "| Number of slots left: 7 "));
    EXPECT_EQ(grpLines("iso"), iso) << "iso changed";
    EXPECT_NE(result().find("Written and read back: Slots 7."), std::string::npos) << result();

    // The member GINFO shows as verylongn is verylongname12345: the account
    // verylongn (of iso) is not touched.
    ASSERT_TRUE(pickMember("verylongname12345"));
    EXPECT_EQ(press(IDC_ADMIN_MEMBER_ADMIN).front(), "SITE CHGADMIN verylongname12345 iso|x");
    EXPECT_EQ(groupsOf("verylongname12345"), "*iso|x");
    EXPECT_EQ(groupsOf("verylongn"), "iso");
    EXPECT_NE(result().find("verylongname12345 is now group admin of iso|x"), std::string::npos) << result();

    // Alice|x, not alice|x, not alice.
    ASSERT_TRUE(pickMember("Alice|x"));
    EXPECT_EQ(press(IDC_ADMIN_MEMBER_ADMIN).front(), "SITE CHGADMIN Alice|x iso|x");
    EXPECT_EQ(groupsOf("Alice|x"), "*iso|x");
    EXPECT_EQ(groupsOf("alice|x"), "iso|x");
    EXPECT_EQ(groupsOf("alice"), "iso");
    ASSERT_TRUE(pickMember("Alice|x"));
    press(IDC_ADMIN_MEMBER_ADMIN);
    EXPECT_NE(result().find("Alice|x is no longer group admin of iso|x"), std::string::npos) << result();
    EXPECT_EQ(groupsOf("Alice|x"), "iso|x");

    // Two accounts cut to verylongn: refused, nothing sent.
    pickGroup("longs");
    ASSERT_TRUE(pickMember("verylongn..."));
    questions.clear();
    EXPECT_TRUE(press(IDC_ADMIN_MEMBER_ADMIN).empty()) << "sent for a cut name";
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].text.find("verylongnAAA or verylongnBBB"), std::string::npos) << questions[0].text;
    EXPECT_EQ(groupsOf("verylongnAAA"), "longs");
    EXPECT_EQ(groupsOf("verylongnBBB"), "longs");
}

TEST_F(LiveAdminNames, AnOperatorWithColoursChangesThePickedGroupOnly) {
    openGroupsAs(colourUser, colourPassword);
    EXPECT_EQ(press(IDC_ADMIN_GROUP_LOAD), (Lines{"SITE GROUPS"}));
    const Lines items = listBoxItems(page, IDC_ADMIN_GROUP_LIST);
    EXPECT_NE(std::find(items.begin(), items.end(), "iso|x"), items.end()) << joined(items);
    const Lines iso = grpLines("iso");
    pickGroup("iso|x");
    EXPECT_EQ(getText(page, IDC_ADMIN_GROUP_SLOTS), "7") << "the coloured screen was not read";

    setText(page, IDC_ADMIN_GROUP_MAX_LOGINS, "3");
    EXPECT_EQ(press(IDC_ADMIN_GROUP_WRITE).front(), "SITE GRPCHANGE iso|x max_logins 3");
    EXPECT_TRUE(holds(check("SITE GRP iso|x"), "| Max simultaneous logins: 3 "));
    EXPECT_EQ(grpLines("iso"), iso) << "iso changed";
    EXPECT_NE(result().find("Written and read back: Logins at once 3."), std::string::npos) << result();
    EXPECT_EQ(result().find('\x1b'), std::string::npos) << result();

    ASSERT_TRUE(pickMember("alice|x"));
    EXPECT_EQ(press(IDC_ADMIN_MEMBER_ADMIN).front(), "SITE CHGADMIN alice|x iso|x");
    EXPECT_EQ(groupsOf("alice|x"), "*iso|x");
    EXPECT_EQ(groupsOf("alice"), "iso");
    EXPECT_NE(result().find("alice|x is now group admin of iso|x"), std::string::npos) << result();
    EXPECT_EQ(result().find('\x1b'), std::string::npos) << result();
    const std::vector<Lines> rows = listViewRows(page, IDC_ADMIN_MEMBER_LIST);
    for (const Lines& row : rows) {
        for (const std::string& cell : row) {
            EXPECT_EQ(cell.find('\x1b'), std::string::npos) << cell;
        }
    }
}

}  // namespace
