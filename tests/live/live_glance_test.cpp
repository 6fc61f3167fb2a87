// Online now and Top lists against a real glftpd 2.13, started and given a
// small site by run_glftpd213.sh, with two sessions of other accounts kept
// logged in over TLS by glance_companion.py: the page shows them, asks
// before a kick and a kill (No sends nothing), kicks one and kills the
// other by its PID after Yes, and no longer shows either; the top lists
// read and their chart saves as a PNG.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <deque>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/admin/admin_pages_win32.h"
#include "host/glance/glance_pages_win32.h"
#include "host/live/live_site_win32.h"
#include "host/resources/host_resources.h"
#include "host/session/host_session.h"
#include "tests/live/glftpd213_server.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

using glftpd213::joined;
using glftpd213::RecordingLink;

// The rows of the sessions list whose user is `user`.
std::vector<Lines> rowsOf(HWND page, const std::string& user) {
    std::vector<Lines> found;
    for (const Lines& row : listViewRows(page, IDC_GLANCE_SESSIONS)) {
        if (row.size() > 1 && row[1] == user) {
            found.push_back(row);
        }
    }
    return found;
}

int rowIndexOf(HWND page, const std::string& user) {
    const std::vector<Lines> rows = listViewRows(page, IDC_GLANCE_SESSIONS);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].size() > 1 && rows[i][1] == user) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

TEST(LiveGlance, OnlineNowShowsKicksAndKillsAfterYesAndTheTopListsChart) {
    const char* stateDir = std::getenv("QUORIN_GLFTPD_STATE");
    ASSERT_TRUE(stateDir != nullptr && *stateDir != '\0') << "run this through tests/live/run_glftpd213.sh";
    const std::string state = stateDir;
    glftpd213::RealServer server;
    std::string failure;
    ASSERT_TRUE(glftpd213::loadRealServer(server, failure)) << failure;
    // The companion's sessions come up beside the program.
    for (int waited = 0; readFile(state + "\\companion.json").empty() && waited < 300; ++waited) {
        Sleep(100);
    }
    ASSERT_FALSE(readFile(state + "\\companion.json").empty()) << "the companion's sessions did not log in";

    live::LiveSite connection;
    const live::SiteOptions options = glftpd213::siteOptions(server);
    ASSERT_TRUE(connection.open(options, nullptr, failure)) << failure;
    RecordingLink recorder{connection};
    session::HostSession session(recorder);
    std::vector<std::string> questions;
    std::vector<UINT> questionTypes;
    std::deque<int> answers;
    AdminContext context;
    context.send = [&](const std::string& command, session::Reply& reply, std::string& why) {
        if (session.sendOwnCommand(command, reply)) {
            return true;
        }
        why = session.firstFailure();
        return false;
    };
    context.ask = [&](HWND, const std::string& text, const std::string& title, UINT type) {
        questions.push_back(title + ": " + text);
        questionTypes.push_back(type);
        if (answers.empty()) {
            return IDOK;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    };
    context.busy = [] { return false; };
    HWND parent = CreateWindowExW(0, L"STATIC", L"Host pages", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1000, 700,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);

    HWND page = createAdminPage(AdminPage::OnlineNow, parent, context);
    ASSERT_NE(page, nullptr);
    pumpMessages();
    EXPECT_TRUE(recorder.sent.empty()) << "sent before the operator acted:" << joined(recorder.sent);
    clickButton(page, IDC_GLANCE_REFRESH);
    pumpMessages();
    EXPECT_EQ(recorder.sent, (Lines{"SITE SWHO", "SITE WHO"}));
    // Both companions, over TLS, with their PIDs; the operator's own session too.
    const std::vector<Lines> visitor = rowsOf(page, "visitor");
    const std::vector<Lines> walker = rowsOf(page, "walker");
    ASSERT_EQ(visitor.size(), 1u) << getText(page, IDC_ADMIN_RESULT);
    ASSERT_EQ(walker.size(), 1u);
    EXPECT_EQ(rowsOf(page, "glftpd").size(), 1u);
    EXPECT_EQ(visitor[0][2], "friends");
    EXPECT_NE(visitor[0][6].find("ctrl"), std::string::npos) << visitor[0][6];
    EXPECT_NE(getText(page, IDC_GLANCE_TOTALS).find("3 of "), std::string::npos) << getText(page, IDC_GLANCE_TOTALS);
    const std::string walkerPid = walker[0][0];
    ASSERT_FALSE(walkerPid.empty());

    // Kick, answered No: the question names the user and the PID, No is
    // the default, and nothing is sent.
    selectListViewRow(page, IDC_GLANCE_SESSIONS, rowIndexOf(page, "visitor"));
    std::size_t mark = recorder.sent.size();
    answers = {IDNO};
    clickButton(page, IDC_GLANCE_KICK);
    pumpMessages();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].find("visitor"), std::string::npos) << questions[0];
    EXPECT_NE(questions[0].find("PID " + visitor[0][0]), std::string::npos) << questions[0];
    EXPECT_EQ(questionTypes[0] & MB_DEFMASK, static_cast<UINT>(MB_DEFBUTTON2));
    EXPECT_EQ(recorder.sent.size(), mark) << joined(recorder.sent);

    // Yes: SITE KICK, then the list read again without visitor.
    answers = {IDYES};
    clickButton(page, IDC_GLANCE_KICK);
    pumpMessages();
    EXPECT_EQ(Lines(recorder.sent.begin() + static_cast<long>(mark), recorder.sent.end()),
              (Lines{"SITE KICK visitor", "SITE SWHO", "SITE WHO"}));
    EXPECT_NE(getText(page, IDC_ADMIN_RESULT).find("Killed 1 connection"), std::string::npos)
        << getText(page, IDC_ADMIN_RESULT);
    EXPECT_TRUE(rowsOf(page, "visitor").empty());

    // Kill walker's session by its PID after Yes.
    ASSERT_GE(rowIndexOf(page, "walker"), 0);
    selectListViewRow(page, IDC_GLANCE_SESSIONS, rowIndexOf(page, "walker"));
    mark = recorder.sent.size();
    answers = {IDYES};
    clickButton(page, IDC_GLANCE_KILL);
    pumpMessages();
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_NE(questions[2].find("walker (PID " + walkerPid + ")"), std::string::npos) << questions[2];
    EXPECT_EQ(Lines(recorder.sent.begin() + static_cast<long>(mark), recorder.sent.end()),
              (Lines{"SITE KILL " + walkerPid, "SITE SWHO", "SITE WHO"}));
    EXPECT_NE(getText(page, IDC_ADMIN_RESULT).find("(walker) killed."), std::string::npos)
        << getText(page, IDC_ADMIN_RESULT);
    // glftpd takes a moment to clear a killed session's slot: read again.
    for (int tries = 0; tries < 20 && !rowsOf(page, "walker").empty(); ++tries) {
        Sleep(250);
        clickButton(page, IDC_GLANCE_REFRESH);
        pumpMessages();
    }
    EXPECT_TRUE(rowsOf(page, "walker").empty());
    EXPECT_EQ(rowsOf(page, "glftpd").size(), 1u);
    DestroyWindow(page);

    // Top lists: all time uploaders; visitor uploaded a MiB.
    page = createAdminPage(AdminPage::TopLists, parent, context);
    ASSERT_NE(page, nullptr);
    pumpMessages();
    mark = recorder.sent.size();
    ASSERT_TRUE(pickComboItemByText(page, IDC_GLANCE_PERIOD, "All time"));
    clickButton(page, IDC_GLANCE_SHOW);
    pumpMessages();
    EXPECT_EQ(Lines(recorder.sent.begin() + static_cast<long>(mark), recorder.sent.end()), (Lines{"SITE ALUP 10"}));
    const std::vector<Lines> table = listViewRows(page, IDC_GLANCE_TABLE);
    ASSERT_GE(table.size(), 1u) << getText(page, IDC_ADMIN_RESULT);
    EXPECT_EQ(table[0][1], "visitor");
    EXPECT_EQ(table[0][2], "1 MiB");
    const std::string png = state + "\\top-lists-chart.png";
    std::string error;
    ASSERT_TRUE(saveTopListsChart(page, png, error)) << error;
    EXPECT_EQ(readFile(png).substr(0, 4), "\x89PNG");
    DestroyWindow(page);

    DestroyWindow(parent);
    pumpMessages();
    for (const std::string& fault : session.faults()) {
        ADD_FAILURE() << "host session fault: " << fault;
    }
    std::cout << "[ commands ]" << joined(recorder.sent) << std::endl;
    connection.close();
}

}  // namespace
