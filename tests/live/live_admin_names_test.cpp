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
#include "tests/live/glftpd213_server.h"
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

class LiveAdminNames : public testing::Test {
protected:
    static void SetUpTestSuite() {
        loaded = glftpd213::loadRealServer(server, loadFailure);
        if (!loaded) {
            return;
        }
        live::LiveSite site;
        std::string failure;
        if (!site.open(options(server.user, server.password), nullptr, failure)) {
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

    static live::SiteOptions options(const std::string& user, const std::string& password) {
        return glftpd213::siteOptions(server, user, password);
    }

    // The page over a session logged in as `user`; the checks go over a
    // second connection as the siteop, so that they read plain replies.
    void openGroupsAs(const std::string& user, const std::string& password) {
        ASSERT_TRUE(loaded) << loadFailure;
        std::string failure;
        ASSERT_TRUE(connection.open(options(user, password), nullptr, failure)) << failure;
        ASSERT_TRUE(checks.open(options(server.user, server.password), nullptr, failure)) << failure;
        session = std::make_unique<session::HostSession>(recorder);
        context.send = [this](const std::string& command, session::Reply& reply, std::string& why) {
            if (session->sendOwnCommand(command, reply)) {
                return true;
            }
            why = session->firstFailure();
            return false;
        };
        context.ask = [this](HWND, const std::string& text, const std::string& title, UINT) {
            questions.push_back(title + ": " + text);
            return IDOK;
        };
        context.loadOwnCommands = [] { return Lines{}; };
        context.saveOwnCommands = [](const Lines&, std::string&) { return true; };
        parent = CreateWindowExW(0, L"STATIC", L"Host pages", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1000, 700,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        page = createAdminPage(AdminPage::Groups, parent, context);
        ASSERT_NE(page, nullptr);
        pumpMessages();
    }

    void TearDown() override {
        if (page != nullptr) {
            DestroyWindow(page);
        }
        if (parent != nullptr) {
            DestroyWindow(parent);
        }
        pumpMessages();
        if (session) {
            for (const std::string& fault : session->faults()) {
                ADD_FAILURE() << "host session fault: " << fault;
            }
        }
        std::cout << "[ commands ] " << testing::UnitTest::GetInstance()->current_test_info()->name()
                  << joined(recorder.sent) << std::endl;
        connection.close();
        checks.close();
    }

    Lines press(int buttonId) {
        const std::size_t mark = recorder.sent.size();
        clickButton(page, buttonId);
        pumpMessages();
        return Lines(recorder.sent.begin() + static_cast<long>(mark), recorder.sent.end());
    }

    Lines pickGroup(const std::string& name) {
        const std::size_t mark = recorder.sent.size();
        const Lines items = listBoxItems(page, IDC_ADMIN_GROUP_LIST);
        const auto found = std::find(items.begin(), items.end(), name);
        EXPECT_NE(found, items.end()) << name << " is not listed:" << joined(items);
        if (found != items.end()) {
            selectListBoxItem(page, IDC_ADMIN_GROUP_LIST, static_cast<int>(found - items.begin()));
            SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_ADMIN_GROUP_LIST, LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_ADMIN_GROUP_LIST)));
            pumpMessages();
        }
        return Lines(recorder.sent.begin() + static_cast<long>(mark), recorder.sent.end());
    }

    // Selects the member row whose name cell is `name`; false when none is.
    bool pickMember(const std::string& name) {
        const std::vector<Lines> rows = listViewRows(page, IDC_ADMIN_MEMBER_LIST);
        for (std::size_t row = 0; row < rows.size(); ++row) {
            if (!rows[row].empty() && rows[row][0] == name) {
                selectListViewRow(page, IDC_ADMIN_MEMBER_LIST, static_cast<int>(row));
                pumpMessages();
                return true;
            }
        }
        ADD_FAILURE() << name << " is not in the member list";
        return false;
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

    static RealServer server;
    static bool loaded;
    static std::string loadFailure;
    live::LiveSite connection, checks;
    RecordingLink recorder{connection};
    std::unique_ptr<session::HostSession> session;
    AdminContext context;
    Lines questions;
    HWND parent = nullptr;
    HWND page = nullptr;
};

RealServer LiveAdminNames::server;
bool LiveAdminNames::loaded = false;
std::string LiveAdminNames::loadFailure;

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
    EXPECT_NE(questions[0].find("verylongnAAA or verylongnBBB"), std::string::npos) << questions[0];
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
