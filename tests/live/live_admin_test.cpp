// The host's own administration pages against a real glftpd 2.13, started
// and given a small site by run_glftpd213.sh: each page is driven as an
// operator drives it, its commands go through the host session over a live
// TLS connection, and what it changed is read back with a fresh command of
// the server's own. The tests share one site and run in order: Groups reads
// delme as deleted before Accounts re-adds him.
#include "tests/live/live_admin_fixture.h"

namespace {

using namespace live_admin;

TEST_F(LiveAdmin, GroupsChangesSlotsAndCommentAndTogglesAGroupAdmin) {
    ASSERT_NE(open(AdminPage::Groups), nullptr);
    EXPECT_TRUE(recorder.sent.empty()) << "sent before the operator acted:" << joined(recorder.sent);
    EXPECT_EQ(press(IDC_ADMIN_GROUP_LOAD), (Lines{"SITE GROUPS"}));
    const Lines loaded = pickItem(IDC_ADMIN_GROUP_LIST, "iso");
    EXPECT_EQ(loaded, (Lines{"SITE GRP iso", "SITE GINFO iso", "SITE USERS deleted"}));
    EXPECT_EQ(getText(page, IDC_ADMIN_GROUP_SLOTS), "-1") << "slots read as unlimited";
    const std::vector<Lines> members = listViewRows(page, IDC_ADMIN_MEMBER_LIST);
    ASSERT_GE(rowNamed(page, IDC_ADMIN_MEMBER_LIST, "delme"), 0);
    const Lines& delme = members[static_cast<std::size_t>(rowNamed(page, IDC_ADMIN_MEMBER_LIST, "delme"))];
    EXPECT_NE(joined(delme).find("deleted"), std::string::npos) << joined(delme);

    setText(page, IDC_ADMIN_GROUP_SLOTS, "7");
    setText(page, IDC_ADMIN_GROUP_COMMENT, "Couriers of the week");
    const Lines written = press(IDC_ADMIN_GROUP_WRITE);
    EXPECT_EQ(Lines(written.begin(), written.begin() + std::min<std::size_t>(written.size(), 2)),
              (Lines{"SITE GRPCHANGE iso slots 7", "SITE GRPCHANGE iso comment Couriers of the week"}));
    const session::Reply grp = readBack("SITE GRP iso");
    EXPECT_TRUE(holds(grp, "| Number of slots left: 7 ")) << joined(grp.lines);
    EXPECT_TRUE(holds(grp, "| Groupcomment: Couriers of the week ")) << joined(grp.lines);
    EXPECT_EQ(getText(page, IDC_ADMIN_GROUP_SLOTS), "7") << "the page did not read it back";

    pick(IDC_ADMIN_MEMBER_LIST, "isouser1");
    EXPECT_EQ(first(press(IDC_ADMIN_MEMBER_ADMIN)), "SITE CHGADMIN isouser1 iso");
    EXPECT_TRUE(holds(readBack("SITE USER isouser1"), "| Groups: *iso "));
    pick(IDC_ADMIN_MEMBER_LIST, "isouser1");
    EXPECT_EQ(first(press(IDC_ADMIN_MEMBER_ADMIN)), "SITE CHGADMIN isouser1 iso");
    EXPECT_TRUE(holds(readBack("SITE USER isouser1"), "| Groups: iso "));
}

TEST_F(LiveAdmin, AccountsChangesSettingsRenamesReaddsAndPurges) {
    ASSERT_NE(open(AdminPage::Accounts), nullptr);
    EXPECT_TRUE(recorder.sent.empty()) << "sent before the operator acted:" << joined(recorder.sent);
    ASSERT_TRUE(pickComboItemByText(page, IDC_ADMIN_ACCOUNT_FILTER, "Group"));
    setText(page, IDC_ADMIN_ACCOUNT_FILTER_VALUE, "iso");
    EXPECT_EQ(press(IDC_ADMIN_ACCOUNT_LIST_BUTTON), (Lines{"SITE USERS =iso"}));
    EXPECT_EQ(pick(IDC_ADMIN_ACCOUNT_LIST, "isouser1"), (Lines{"SITE USER isouser1"}));

    setText(page, IDC_ADMIN_ACCOUNT_EXPIRES, "2027-06-30");
    setText(page, IDC_ADMIN_ACCOUNT_IDLE, "30");
    setText(page, IDC_ADMIN_ACCOUNT_COMMENT, "Courier since 2026");
    const Lines written = press(IDC_ADMIN_ACCOUNT_WRITE);
    EXPECT_EQ(Lines(written.begin(), written.begin() + std::min<std::size_t>(written.size(), 3)),
              (Lines{"SITE CHANGE isouser1 expires 2027-06-30", "SITE CHANGE isouser1 idle_time 30",
                     "SITE CHANGE isouser1 comment Courier since 2026"}));
    const session::Reply user = readBack("SITE USER isouser1");
    EXPECT_TRUE(holds(user, "Expires: 2027-06-30")) << joined(user.lines);
    EXPECT_TRUE(holds(user, "Idle time: 30 ")) << joined(user.lines);
    EXPECT_TRUE(holds(user, "200- User Comment: Courier since 2026")) << joined(user.lines);

    // A comment of 50 characters would end the server's session: refused on
    // the page, nothing sent, the connection still open.
    setText(page, IDC_ADMIN_ACCOUNT_COMMENT, std::string(50, 'c'));
    EXPECT_TRUE(press(IDC_ADMIN_ACCOUNT_WRITE).empty()) << "a 50-character comment was sent";
    EXPECT_EQ(questions.size(), 1u) << "no refusal shown";
    EXPECT_TRUE(holds(readBack("SITE USER isouser1"), "200- User Comment: Courier since 2026"));
    questions.clear();

    // Rename: mp3two becomes mp3duo.
    ASSERT_TRUE(pickComboItemByText(page, IDC_ADMIN_ACCOUNT_FILTER, "Everyone"));
    press(IDC_ADMIN_ACCOUNT_LIST_BUTTON);
    pick(IDC_ADMIN_ACCOUNT_LIST, "mp3two");
    setText(page, IDC_ADMIN_ACCOUNT_NEW_NAME, "mp3duo");
    EXPECT_EQ(first(press(IDC_ADMIN_ACCOUNT_RENAME)), "SITE RENUSER mp3two mp3duo");
    const session::Reply renamed = readBack("SITE USERS =mp3");
    EXPECT_TRUE(holds(renamed, "200- mp3duo ")) << joined(renamed.lines);
    EXPECT_FALSE(holds(renamed, "200- mp3two ")) << joined(renamed.lines);

    // The deleted ones: delme back, gone for good (asked first, No the default).
    ASSERT_TRUE(pickComboItemByText(page, IDC_ADMIN_ACCOUNT_FILTER, "Deleted"));
    EXPECT_EQ(press(IDC_ADMIN_ACCOUNT_LIST_BUTTON), (Lines{"SITE USERS deleted"}));
    pick(IDC_ADMIN_ACCOUNT_LIST, "delme");
    EXPECT_EQ(first(press(IDC_ADMIN_ACCOUNT_READD)), "SITE READD delme");
    EXPECT_TRUE(holds(readBack("SITE USERS =iso"), "200- delme "));
    EXPECT_GE(rowNamed(page, IDC_ADMIN_ACCOUNT_LIST, "delme"), 0) << "the list shows the re-added account";

    // The re-add listed everyone; the deleted ones again for gone.
    ASSERT_TRUE(pickComboItemByText(page, IDC_ADMIN_ACCOUNT_FILTER, "Deleted"));
    EXPECT_EQ(press(IDC_ADMIN_ACCOUNT_LIST_BUTTON), (Lines{"SITE USERS deleted"}));
    pick(IDC_ADMIN_ACCOUNT_LIST, "gone");
    answers = {IDYES};
    EXPECT_EQ(first(press(IDC_ADMIN_ACCOUNT_PURGE)), "SITE PURGE gone");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].text.find("gone"), std::string::npos) << questions[0].text;
    EXPECT_EQ(questions[0].type & MB_DEFMASK, static_cast<UINT>(MB_DEFBUTTON2)) << "No is not the default";
    EXPECT_TRUE(holds(readBack("SITE USER gone"), "User 'gone' does not exist."));
    EXPECT_FALSE(holds(readBack("SITE USERS deleted"), "200- gone "));
}

TEST_F(LiveAdmin, OneChangeForAGroupSaysHowManyFirstAndWhatTheServerReported) {
    ASSERT_NE(open(AdminPage::BulkChange), nullptr);
    EXPECT_TRUE(recorder.sent.empty()) << "sent before the operator acted:" << joined(recorder.sent);
    EXPECT_TRUE(isChecked(page, IDC_ADMIN_BULK_TO_GROUP));
    setText(page, IDC_ADMIN_BULK_GROUP, "mp3");
    ASSERT_TRUE(pickComboItemByText(page, IDC_ADMIN_BULK_SETTING, "Uploads at once"));
    setText(page, IDC_ADMIN_BULK_VALUE, "3");
    answers = {IDYES};
    EXPECT_EQ(press(IDC_ADMIN_BULK_APPLY), (Lines{"SITE USERS =mp3", "SITE CHANGE =mp3 max_sim_up 3"}));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].text.find("changes 2 account(s)"), std::string::npos) << questions[0].text;
    EXPECT_EQ(questions[0].type & MB_DEFMASK, static_cast<UINT>(MB_DEFBUTTON2)) << "No is not the default";
    EXPECT_NE(getText(page, IDC_ADMIN_RESULT).find("(applied to 2)"), std::string::npos)
        << getText(page, IDC_ADMIN_RESULT);
    EXPECT_TRUE(holds(readBack("SITE USER mp3one"), "Max Sim Uploads: 3 "));
    EXPECT_TRUE(holds(readBack("SITE USER mp3duo"), "Max Sim Uploads: 3 "));
}

TEST_F(LiveAdmin, AnOwnCommandIsSentOnAClickAndItsReplyShown) {
    const std::string command = "SITE GRPCHANGE friends comment Friends who run the site";
    ASSERT_NE(open(AdminPage::OwnCommands), nullptr);
    setText(page, IDC_ADMIN_OWN_NEW, command);
    EXPECT_TRUE(press(IDC_ADMIN_OWN_ADD).empty()) << "an added command was sent";
    EXPECT_EQ(ownCommands, (Lines{command})) << "not kept with the site";
    pickItem(IDC_ADMIN_OWN_LIST, command);
    EXPECT_EQ(press(IDC_ADMIN_OWN_SEND), (Lines{command}));
    EXPECT_NE(getText(page, IDC_ADMIN_RESULT).find("Command Successful."), std::string::npos)
        << getText(page, IDC_ADMIN_RESULT);
    EXPECT_TRUE(holds(readBack("SITE GRP friends"), "| Groupcomment: Friends who run the site "));
}

// The reply lines without glftpd's colour sequences (ESC [ digits and ; m).
session::Reply plain(session::Reply reply) {
    for (std::string& line : reply.lines) {
        for (std::size_t at = line.find('\x1b'); at != std::string::npos; at = line.find('\x1b', at)) {
            const std::size_t end = line.find('m', at);
            line.erase(at, end == std::string::npos ? 1 : end + 1 - at);
        }
    }
    return reply;
}

// An operator with glftpd's colour flag (5): every reply is coloured, and
// the page shows the server's plain words and the same verdict.
TEST_F(LiveAdmin, AnOwnCommandOfAnOperatorWithColoursIsShownPlainAndDone) {
    const session::Reply flagged = readBack("SITE CHANGE " + server.user + " flags +5");
    ASSERT_TRUE(holds(flagged, "Command Successful.")) << joined(flagged.lines);
    struct AtEnd {
        std::function<void()> undo;
        ~AtEnd() { undo(); }
    } uncoloured{[this] { readBack("SITE CHANGE " + server.user + " flags -5"); }};
    // glftpd reads the flags at login: the operator logs in again.
    connection.close();
    std::string failure;
    ASSERT_TRUE(connection.open(glftpd213::siteOptions(server), nullptr, failure)) << failure;
    const session::Reply grp = readBack("SITE GRP mp3");
    ASSERT_NE(joined(grp.lines).find('\x1b'), std::string::npos) << "not coloured:" << joined(grp.lines);
    ASSERT_NE(open(AdminPage::OwnCommands), nullptr);

    const std::string command = "SITE GRPCHANGE mp3 comment Coloured but taken";
    setText(page, IDC_ADMIN_OWN_NEW, command);
    EXPECT_TRUE(press(IDC_ADMIN_OWN_ADD).empty());
    pickItem(IDC_ADMIN_OWN_LIST, command);
    EXPECT_EQ(press(IDC_ADMIN_OWN_SEND), (Lines{command}));
    const std::string result = getText(page, IDC_ADMIN_RESULT);
    EXPECT_EQ(result.find('\x1b'), std::string::npos) << "the reply was coloured: " << result;
    EXPECT_NE(result.find("Done: the server answered \"Command Successful.\""), std::string::npos) << result;
    EXPECT_TRUE(holds(plain(readBack("SITE GRP mp3")), "| Groupcomment: Coloured but taken "));
}

}  // namespace
