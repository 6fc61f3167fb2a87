// The Accounts and One change for many pages against a real glftpd 2.13 on
// the names it takes (a '|' inside, 17 characters, two accounts differing
// only in case) and for an operator with its colour flag (5): a change made
// through a page lands on the account picked and on no other, as the
// server's own SITE USER and sysop.log say, and reads back as written.
#include "tests/live/live_admin_fixture.h"

#include "host/admin/admin_text.h"

namespace {

using namespace live_admin;

// The server's sysop.log (WORK/root/ftp-data/logs), through Wine's Z:.
std::string sysopLog() {
    const char* state = std::getenv("QUORIN_GLFTPD_STATE");
    std::ifstream in(std::string(state == nullptr ? "" : state) + "\\root\\ftp-data\\logs\\sysop.log",
                     std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The log's lines after `mark` characters that hold `part`.
Lines logLines(std::size_t mark, const std::string& part) {
    const std::string log = sysopLog();
    Lines found;
    std::istringstream lines(log.size() > mark ? log.substr(mark) : std::string());
    for (std::string line; std::getline(lines, line);) {
        if (line.find(part) != std::string::npos) {
            found.push_back(line);
        }
    }
    return found;
}

class LiveAccountNames : public LiveAdmin {
protected:
    // Makes the accounts with odd names once, through the siteop's own commands.
    void makeAccounts() {
        for (const char* name : {"alice", "alice|x", "Alice", "verylongname12345"}) {
            const session::Reply added = readBack(std::string("SITE GADDUSER iso ") + name + " pw4" + name);
            ASSERT_TRUE(holds(added, "successfully added") || holds(added, "already exists")) << joined(added.lines);
        }
    }
    std::string plain(const session::Reply& reply) {
        std::string text;
        for (const std::string& line : reply.lines) {
            text += admin::withoutColour(line) + "\n";
        }
        return text;
    }
};

TEST_F(LiveAccountNames, AChangeLandsOnThePickedAccountAndNoOther) {
    makeAccounts();
    ASSERT_NE(open(AdminPage::Accounts), nullptr);
    ASSERT_TRUE(pickComboItemByText(page, IDC_ADMIN_ACCOUNT_FILTER, "Group"));
    setText(page, IDC_ADMIN_ACCOUNT_FILTER_VALUE, "iso");
    EXPECT_EQ(press(IDC_ADMIN_ACCOUNT_LIST_BUTTON), (Lines{"SITE USERS =iso"}));

    const struct {
        const char* name;
        int field;
        const char* value;
        const char* sent;    // the page's command
        const char* shows;   // the server's SITE USER of the account afterwards
        const char* logged;  // sysop.log's words
    } changes[] = {
        {"alice|x", IDC_ADMIN_ACCOUNT_COMMENT, "The pipe one", "SITE CHANGE alice|x comment The pipe one",
         "200- User Comment: The pipe one", "changed comment for 'alice|x'"},
        {"Alice", IDC_ADMIN_ACCOUNT_IDLE, "12", "SITE CHANGE Alice idle_time 12", "Idle time: 12 ",
         "changed idle_time for 'Alice'"},
        {"verylongname12345", IDC_ADMIN_ACCOUNT_SIM_UP, "4", "SITE CHANGE verylongname12345 max_sim_up 4",
         "Max Sim Uploads: 4 ", "changed max_sim_up for 'verylongname12345'"},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.name);
        const std::size_t mark = sysopLog().size();
        EXPECT_EQ(pick(IDC_ADMIN_ACCOUNT_LIST, change.name), (Lines{std::string("SITE USER ") + change.name}));
        setText(page, change.field, change.value);
        const Lines written = press(IDC_ADMIN_ACCOUNT_WRITE);
        EXPECT_EQ(first(written), change.sent);
        EXPECT_EQ(written.size(), 2u) << "the change and its read-back:" << joined(written);
        EXPECT_EQ(getText(page, IDC_ADMIN_RESULT).rfind("Written and read back", 0), 0u)
            << getText(page, IDC_ADMIN_RESULT);
        EXPECT_TRUE(holds(readBack(std::string("SITE USER ") + change.name), change.shows));
        EXPECT_EQ(logLines(mark, "changed ").size(), 1u) << "one change, on one account:" << joined(logLines(mark, ""));
        EXPECT_EQ(logLines(mark, change.logged).size(), 1u) << joined(logLines(mark, ""));
    }
    // The account whose name the old page took from the screen: untouched.
    const session::Reply alice = readBack("SITE USER alice");
    EXPECT_TRUE(holds(alice, "200- User Comment: Added by glftpd")) << joined(alice.lines);
    EXPECT_TRUE(holds(alice, "Idle time: Disabled ")) << joined(alice.lines);
    EXPECT_TRUE(holds(alice, "Max Sim Uploads: Unlimited ")) << joined(alice.lines);

    // Purge asks naming the whole account and purges exactly it.
    ASSERT_TRUE(holds(readBack("SITE DELUSER alice|x"), "deleted."));
    ASSERT_TRUE(holds(readBack("SITE DELUSER alice"), "deleted."));
    ASSERT_TRUE(pickComboItemByText(page, IDC_ADMIN_ACCOUNT_FILTER, "Deleted"));
    EXPECT_EQ(press(IDC_ADMIN_ACCOUNT_LIST_BUTTON), (Lines{"SITE USERS deleted"}));
    pick(IDC_ADMIN_ACCOUNT_LIST, "alice|x");
    answers = {IDYES};
    EXPECT_EQ(first(press(IDC_ADMIN_ACCOUNT_PURGE)), "SITE PURGE alice|x");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].text.find("\"alice|x\""), std::string::npos) << questions[0].text;
    EXPECT_TRUE(holds(readBack("SITE USER alice|x"), "User 'alice|x' does not exist."));
    EXPECT_TRUE(holds(readBack("SITE USERS deleted"), "200- alice ")) << "alice was purged too";
    EXPECT_TRUE(holds(readBack("SITE READD alice"), "readded."));
}

TEST_F(LiveAccountNames, OneChangeForManyReachesTheNamedAccountsAndRefusesAGroupInAnotherCase) {
    makeAccounts();
    ASSERT_NE(open(AdminPage::BulkChange), nullptr);
    // =ISO: SITE USERS lists iso's members, SITE CHANGE would change none.
    setText(page, IDC_ADMIN_BULK_GROUP, "ISO");
    ASSERT_TRUE(pickComboItemByText(page, IDC_ADMIN_BULK_SETTING, "Time limit (min.)"));
    setText(page, IDC_ADMIN_BULK_VALUE, "45");
    EXPECT_EQ(press(IDC_ADMIN_BULK_APPLY), (Lines{"SITE USERS =ISO"})) << "only the count";
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK)) << "not a question: a refusal";
    EXPECT_NE(questions[0].text.find("The group is called iso"), std::string::npos) << questions[0].text;
    questions.clear();

    // A list of the odd names: exactly those two change.
    const std::size_t mark = sysopLog().size();
    CheckRadioButton(page, IDC_ADMIN_BULK_TO_GROUP, IDC_ADMIN_BULK_TO_ALL, IDC_ADMIN_BULK_TO_LIST);
    clickButton(page, IDC_ADMIN_BULK_TO_LIST);
    setText(page, IDC_ADMIN_BULK_ACCOUNTS, "alice|x, Alice");
    answers = {IDYES};
    EXPECT_EQ(press(IDC_ADMIN_BULK_APPLY), (Lines{"SITE USERS", "SITE CHANGE { alice|x Alice } time_limit 45"}));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].text.find("changes 2 account(s)"), std::string::npos) << questions[0].text;
    const std::string result = getText(page, IDC_ADMIN_RESULT);
    EXPECT_NE(result.find("as counted"), std::string::npos) << result;
    EXPECT_EQ(result.find("differ"), std::string::npos) << result;
    EXPECT_TRUE(holds(readBack("SITE USER alice|x"), "Time Limit:   45 minutes."));
    EXPECT_TRUE(holds(readBack("SITE USER Alice"), "Time Limit:   45 minutes."));
    EXPECT_TRUE(holds(readBack("SITE USER alice"), "Time Limit:    0 minutes."));
    EXPECT_EQ(logLines(mark, "changed time_limit").size(), 2u) << joined(logLines(mark, ""));
}

// An operator with glftpd's colour flag gets every reply coloured: the
// pages read them as the plain ones, and no code reaches what they show.
TEST_F(LiveAccountNames, AnOperatorWithColoursChangesThePickedAccount) {
    const session::Reply added = readBack("SITE GADDUSER iso colop colourpw1 *@127.0.0.1");
    ASSERT_TRUE(holds(added, "successfully added") || holds(added, "already exists")) << joined(added.lines);
    ASSERT_TRUE(holds(readBack("SITE CHANGE colop flags +15ABCDEFGH"), "Command Successful."));
    connectAs("colop", "colourpw1");
    ASSERT_TRUE(plain(readBack("SITE USER colop")).find("Flags: 135ABCDEFGH") != std::string::npos);
    ASSERT_NE(readBack("SITE USER colop").lines.back().find('\x1b'), std::string::npos) << "no colours came";

    ASSERT_NE(open(AdminPage::Accounts), nullptr);
    EXPECT_EQ(press(IDC_ADMIN_ACCOUNT_LIST_BUTTON), (Lines{"SITE USERS"}));
    const std::vector<Lines> rows = listViewRows(page, IDC_ADMIN_ACCOUNT_LIST);
    EXPECT_GE(rows.size(), 5u);
    for (const Lines& row : rows) {
        EXPECT_EQ(joined(row).find('\x1b'), std::string::npos) << joined(row);
    }
    EXPECT_EQ(pick(IDC_ADMIN_ACCOUNT_LIST, "mp3one"), (Lines{"SITE USER mp3one"}));
    const std::size_t mark = sysopLog().size();
    setText(page, IDC_ADMIN_ACCOUNT_COMMENT, "Coloured siteop was here");
    setText(page, IDC_ADMIN_ACCOUNT_TF_FROM, "8");
    setText(page, IDC_ADMIN_ACCOUNT_TF_TO, "20");
    EXPECT_EQ(press(IDC_ADMIN_ACCOUNT_WRITE), (Lines{"SITE CHANGE mp3one timeframe 8 20",
                                                     "SITE CHANGE mp3one comment Coloured siteop was here",
                                                     "SITE USER mp3one"}));
    const std::string result = getText(page, IDC_ADMIN_RESULT);
    EXPECT_EQ(result, "Written and read back: Timeframe 8 20, Comment \"Coloured siteop was here\".");
    for (int id : {IDC_ADMIN_ACCOUNT_COMMENT, IDC_ADMIN_ACCOUNT_SELECTED, IDC_ADMIN_ACCOUNT_SUMMARY}) {
        EXPECT_EQ(getText(page, id).find('\x1b'), std::string::npos) << getText(page, id);
    }
    const std::string screen = plain(readBack("SITE USER mp3one"));
    EXPECT_NE(screen.find("User Comment: Coloured siteop was here"), std::string::npos) << screen;
    EXPECT_NE(screen.find("Timeframe: 08:00-20:00"), std::string::npos) << screen;
    // glftpd logs the timeframe without quotes: "colop changed timeframe for mp3one ...".
    const Lines changed = logLines(mark, "changed ");
    EXPECT_EQ(changed.size(), 2u) << joined(logLines(mark, ""));
    for (const std::string& line : changed) {
        EXPECT_NE(line.find("colop"), std::string::npos) << line;
        EXPECT_NE(line.find(" for mp3one ") == std::string::npos ? line.find(" for 'mp3one' ") : 0,
                  std::string::npos)
            << line;
    }

    // One change for many in colour: counted, asked, the server's count said.
    DestroyWindow(page);
    page = nullptr;
    ASSERT_NE(open(AdminPage::BulkChange), nullptr);
    setText(page, IDC_ADMIN_BULK_GROUP, "mp3");
    ASSERT_TRUE(pickComboItemByText(page, IDC_ADMIN_BULK_SETTING, "Downloads at once"));
    setText(page, IDC_ADMIN_BULK_VALUE, "2");
    answers = {IDYES};
    EXPECT_EQ(press(IDC_ADMIN_BULK_APPLY), (Lines{"SITE USERS =mp3", "SITE CHANGE =mp3 max_sim_down 2"}));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].text.find('\x1b'), std::string::npos) << questions[0].text;
    const std::string bulk = getText(page, IDC_ADMIN_RESULT);
    EXPECT_NE(bulk.find("(applied to 2), as counted."), std::string::npos) << bulk;
    EXPECT_NE(plain(readBack("SITE USER mp3one")).find("Max Sim Downloads: 2 "), std::string::npos);
}

}  // namespace
