// The Site commands page: its sixteen buttons, the message forms and the
// state it keeps across page switches.
#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

typedef std::vector<std::string> Lines;

const char* const messageMissing = "You need to input a message if you want to send one, duh";

class SiteCommandsPage : public PluginTest {
protected:
    HWND showSiteCommands() {
        site.answer("SITE GROUPS", fixtureReply("groups_listing.txt"));
        site.answer("SITE USER", fixtureReply("groups_user_listing.txt"));
        HWND shown = showPage(5);
        EXPECT_NE(shown, nullptr);
        return shown;
    }

    Lines sendAfterClick(HWND page, int id) {
        site.clearRecord();
        clickButton(page, id);
        for (const RecordedRequest& request : site.requests()) {
            EXPECT_EQ(request.param, 0) << "no reply is kept on this page";
        }
        return site.commands();
    }

    void expectParameterError(const std::string& text) {
        ASSERT_EQ(messageBoxes.size(), 1u);
        EXPECT_EQ(messageBoxes[0].title, "Parameter error");
        EXPECT_EQ(messageBoxes[0].text, text);
        messageBoxes.clear();
    }
};

}  // namespace

TEST_F(SiteCommandsPage, FirstShowingAndTheKeywordButtons) {
    HWND page = showSiteCommands();
    EXPECT_EQ(comboItems(page, IDC_SITECMD_MSG_USER),
              (Lines{"alice", "bob", "carol", "charlie_lon", "dave", "erin", "glftpd", "testu1"}));
    EXPECT_EQ(comboItems(page, IDC_SITECMD_MSG_GROUP), (Lines{"friends", "glftpd", "NoGroup"}));
    EXPECT_EQ(comboSelection(page, IDC_SITECMD_MSG_USER), 0);
    EXPECT_EQ(comboSelection(page, IDC_SITECMD_MSG_GROUP), 0);
    EXPECT_EQ(getText(page, IDC_SITECMD_AMOUNT), "10");
    EXPECT_TRUE(isChecked(page, IDC_SITECMD_TO_USER));
    EXPECT_TRUE(isEnabled(page, IDC_SITECMD_MSG_USER));
    EXPECT_FALSE(isEnabled(page, IDC_SITECMD_MSG_GROUP));

    const std::vector<std::pair<int, std::string>> buttons = {
        {IDC_SITECMD_LOGIN_LOG, "SITE LOGINS"},  {IDC_SITECMD_SYSLOG, "SITE UCHANGES"},
        {IDC_SITECMD_LAST_USERS, "SITE LASTON"}, {IDC_SITECMD_WELCOME, "SITE WELCOME"},
        {IDC_SITECMD_RULES, "SITE RULES"},       {IDC_SITECMD_VERSION, "SITE VERS"},
        {IDC_SITECMD_SITE_TIME, "SITE TIME"},    {IDC_SITECMD_VIEW_REQS, "SITE REQUEST"},
        {IDC_SITECMD_VIEW_MSGS, "SITE MSG READ"},
    };
    for (const auto& button : buttons) {
        EXPECT_EQ(sendAfterClick(page, button.first), Lines{button.second});
    }
    EXPECT_TRUE(messageBoxes.empty());
}

TEST_F(SiteCommandsPage, AmountAndReleaseForms) {
    HWND page = showSiteCommands();
    EXPECT_EQ(sendAfterClick(page, IDC_SITECMD_NEW_DIRS), Lines{"SITE NEW 10"});
    setText(page, IDC_SITECMD_AMOUNT, "");
    EXPECT_EQ(sendAfterClick(page, IDC_SITECMD_LIST_NUKES), Lines{"SITE NUKES 0"});
    setText(page, IDC_SITECMD_AMOUNT, "99999999999");
    EXPECT_EQ(sendAfterClick(page, IDC_SITECMD_LIST_UNNUKES), Lines{"SITE UNNUKES 2147483647"});

    for (int id : {IDC_SITECMD_SEARCH_DIR, IDC_SITECMD_DUPECHECK, IDC_SITECMD_UNDUPE}) {
        EXPECT_TRUE(sendAfterClick(page, id).empty());
        expectParameterError("You need to specify a release/filemask");
    }
    setText(page, IDC_SITECMD_RELEASE, "Some.Release-GRP 2004");
    EXPECT_EQ(sendAfterClick(page, IDC_SITECMD_SEARCH_DIR), Lines{"SITE SEARCH Some.Release-GRP 2004"});
    EXPECT_EQ(sendAfterClick(page, IDC_SITECMD_DUPECHECK), Lines{"SITE DUPE Some.Release-GRP 2004"});
    EXPECT_EQ(sendAfterClick(page, IDC_SITECMD_UNDUPE), Lines{"SITE UNDUPE Some.Release-GRP 2004"});

    setText(page, IDC_SITECMD_RELEASE, "x\r\nSITE DELUSER alice");  // the channel refuses it
    EXPECT_TRUE(sendAfterClick(page, IDC_SITECMD_SEARCH_DIR).empty());
}

TEST_F(SiteCommandsPage, MessagesGoToAUserAGroupOrEveryone) {
    HWND page = showSiteCommands();
    setText(page, IDC_SITECMD_MESSAGE, "server restarts at 22:00");
    pickComboItem(page, IDC_SITECMD_MSG_USER, 2);
    EXPECT_EQ(sendAfterClick(page, IDC_SITECMD_SEND_MESSAGE), Lines{"SITE MSG carol server restarts at 22:00"});

    clickButton(page, IDC_SITECMD_TO_GROUP);
    EXPECT_FALSE(isEnabled(page, IDC_SITECMD_MSG_USER));
    EXPECT_TRUE(isEnabled(page, IDC_SITECMD_MSG_GROUP));
    EXPECT_TRUE(isChecked(page, IDC_SITECMD_TO_GROUP));
    EXPECT_EQ(sendAfterClick(page, IDC_SITECMD_SEND_MESSAGE), Lines{"SITE MSG =friends server restarts at 22:00"});

    clickButton(page, IDC_SITECMD_TO_ALL);
    EXPECT_FALSE(isEnabled(page, IDC_SITECMD_MSG_GROUP));
    EXPECT_EQ(sendAfterClick(page, IDC_SITECMD_SEND_MESSAGE), Lines{"SITE MSG *  server restarts at 22:00"});

    setText(page, IDC_SITECMD_MESSAGE, "");
    EXPECT_TRUE(sendAfterClick(page, IDC_SITECMD_SEND_MESSAGE).empty());
    expectParameterError(messageMissing);
    clickButton(page, IDC_SITECMD_TO_USER);
    EXPECT_TRUE(sendAfterClick(page, IDC_SITECMD_SEND_MESSAGE).empty());
    expectParameterError(messageMissing);
}

TEST_F(SiteCommandsPage, AMessageToNoKnownUserOrGroupIsDroppedSilently) {
    site.answer("SITE GROUPS", oneLineReply("200 You do not have access to this command."));
    site.answer("SITE USER", oneLineReply("200 You do not have access to this command."));
    HWND page = showPage(5);
    EXPECT_TRUE(sendAfterClick(page, IDC_SITECMD_SEND_MESSAGE).empty());  // message empty too
    setText(page, IDC_SITECMD_MESSAGE, "hello");
    EXPECT_TRUE(sendAfterClick(page, IDC_SITECMD_SEND_MESSAGE).empty());
    clickButton(page, IDC_SITECMD_TO_GROUP);
    EXPECT_TRUE(sendAfterClick(page, IDC_SITECMD_SEND_MESSAGE).empty());
    EXPECT_TRUE(messageBoxes.empty());
    clickButton(page, IDC_SITECMD_TO_ALL);
    EXPECT_EQ(sendAfterClick(page, IDC_SITECMD_SEND_MESSAGE), Lines{"SITE MSG *  hello"});
}

TEST_F(SiteCommandsPage, EveryFieldSurvivesAPageSwitch) {
    HWND page = showSiteCommands();
    setText(page, IDC_SITECMD_MESSAGE, "welcome back");
    setText(page, IDC_SITECMD_RELEASE, "Some.Release-GRP");
    setText(page, IDC_SITECMD_AMOUNT, "25");
    pickComboItem(page, IDC_SITECMD_MSG_USER, 3);
    pickComboItem(page, IDC_SITECMD_MSG_GROUP, 2);
    clickButton(page, IDC_SITECMD_TO_GROUP);
    showPage(3);
    page = showPage(5);
    EXPECT_EQ(getText(page, IDC_SITECMD_MESSAGE), "welcome back");
    EXPECT_EQ(getText(page, IDC_SITECMD_RELEASE), "Some.Release-GRP");
    EXPECT_EQ(getText(page, IDC_SITECMD_AMOUNT), "25");
    EXPECT_EQ(comboSelection(page, IDC_SITECMD_MSG_USER), 3);
    EXPECT_EQ(comboSelection(page, IDC_SITECMD_MSG_GROUP), 2);
    EXPECT_TRUE(isChecked(page, IDC_SITECMD_TO_GROUP));
    EXPECT_FALSE(isChecked(page, IDC_SITECMD_TO_USER));
    EXPECT_FALSE(isEnabled(page, IDC_SITECMD_MSG_USER));
    EXPECT_TRUE(isEnabled(page, IDC_SITECMD_MSG_GROUP));
    EXPECT_EQ(sendAfterClick(page, IDC_SITECMD_SEND_MESSAGE), Lines{"SITE MSG =NoGroup welcome back"});

    setText(page, IDC_SITECMD_AMOUNT, "");
    clickButton(page, IDC_SITECMD_TO_ALL);
    showPage(6);
    page = showPage(5);
    EXPECT_EQ(getText(page, IDC_SITECMD_AMOUNT), "0");
    EXPECT_TRUE(isChecked(page, IDC_SITECMD_TO_ALL));
    EXPECT_FALSE(isEnabled(page, IDC_SITECMD_MSG_USER));
    EXPECT_FALSE(isEnabled(page, IDC_SITECMD_MSG_GROUP));
}
