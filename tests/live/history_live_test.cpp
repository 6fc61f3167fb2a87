// The change record against a real glftpd 2.13, started and given a small
// site by run_glftpd213.sh: a user added through the plug-in's channel, a
// group's slots changed on the Groups page, a change the server refuses and
// a change cancelled while its reply is awaited each leave their line, with
// the server's own words and what was read back; the History page shows
// them newest first. Prints the record and leaves a picture of the page
// (history-page.png in the working folder).
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/admin/admin_page_kit_win32.h"
#include "host/admin/admin_pages_win32.h"
#include "host/history/change_log.h"
#include "host/history/record_files_win32.h"
#include "host/history/record_view.h"
#include "host/live/live_site_win32.h"
#include "host/live/operator_wait.h"
#include "host/resources/host_resources.h"
#include "host/session/host_session.h"
#include "tests/live/glftpd213_server.h"
#include "tests/ui/harness/plugin_fixture.h"

bool saveWindowPicture(HWND window, const std::string& path, std::string& error);

namespace {

using Lines = std::vector<std::string>;

// Cancels every wait while armed, as the window's Cancel button does.
class CancelWhenArmed : public live::OperatorWait {
public:
    bool cancelled() override { return armed; }
    bool keepWaiting(const std::string&, int) override { return false; }
    bool keepSending(const std::string&, int) override { return false; }
    void waitBegins() override {}
    void waitEnds() override {}
    bool armed = false;
};

TEST(HistoryLive, APagesChangeARefusalAndACancelEachLeaveTheirLine) {
    glftpd213::RealServer server;
    std::string failure;
    ASSERT_TRUE(glftpd213::loadRealServer(server, failure)) << failure;
    const live::SiteOptions options = glftpd213::siteOptions(server);
    live::LiveSite connection;
    ASSERT_TRUE(connection.open(options, nullptr, failure)) << failure;
    CancelWhenArmed cancel;
    live::installOperatorWait(&cancel);

    // The record, as the host keeps it: beside a sites.ini, for the saved site "Main".
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "quorin-history-live-" + std::to_string(GetCurrentProcessId());
    history::RecordFiles files(folder);
    const history::RecordKey key{true, "Main"};
    std::string cleared;
    files.clear(key, cleared);
    std::string page;
    bool hostPage = false;
    history::ChangeLog log([&](const std::string& record, const std::string& line) {
        std::string why;
        EXPECT_EQ(record, "site:Main");
        EXPECT_TRUE(files.append(key, "Main", line, why)) << why;
    });
    session::HostSession session(connection);
    session.onExchange = [&](const std::string& command, const session::Reply* reply, const std::string& why) {
        history::Sent sent;
        sent.record = "site:Main";
        sent.time = "2026-12-08T05:12:03+01:00";
        sent.account = options.user;
        sent.page = page;
        sent.readsBack = hostPage;
        sent.command = command;
        sent.reply = reply;
        sent.failure = why;
        log.sent(sent);
    };
    history::FilesShelf shelf(files);
    shelf.savedNames = [] { return Lines{"Main"}; };
    shelf.served = [] { return std::string("site:Main"); };
    AdminContext context;
    context.send = [&](const std::string& command, session::Reply& reply, std::string& why) {
        if (session.sendOwnCommand(command, reply)) {
            return true;
        }
        why = session.firstFailure();
        return false;
    };
    context.ask = [](HWND, const std::string&, const std::string&, UINT) { return IDYES; };
    Lines ownCommands;
    context.loadOwnCommands = [&] { return ownCommands; };
    context.saveOwnCommands = [&](const Lines& commands, std::string&) {
        ownCommands = commands;
        return true;
    };
    context.reportReadBack = [&](const std::string& readBack) { log.readBack(readBack); };
    context.changeRecords = &shelf;
    HWND parent = CreateWindowExW(0, L"STATIC", L"History", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 520,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);

    // 1. The plug-in's Add user page adds an account (its request record).
    page = "Add user";
    char addUser[] = "SITE ADDUSER histuser histpw1 *@127.0.0.1";
    HostRequest request{};
    request.action = ACTION_SEND_COMMAND;
    request.command = addUser;
    EXPECT_EQ(session.handle(&request), 1);

    // 2. The Groups page: iso's slots to 9, written and read back.
    page = "Groups";
    hostPage = true;
    HWND groups = createAdminPage(AdminPage::Groups, parent, context);
    ASSERT_NE(groups, nullptr);
    clickButton(groups, IDC_ADMIN_GROUP_LOAD);
    const Lines groupNames = listBoxItems(groups, IDC_ADMIN_GROUP_LIST);
    int iso = -1;
    for (std::size_t i = 0; i < groupNames.size(); ++i) {
        iso = groupNames[i] == "iso" ? static_cast<int>(i) : iso;
    }
    ASSERT_GE(iso, 0);
    selectListBoxItem(groups, IDC_ADMIN_GROUP_LIST, iso);
    SendMessageA(groups, WM_COMMAND, MAKEWPARAM(IDC_ADMIN_GROUP_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(groups, IDC_ADMIN_GROUP_LIST)));
    setText(groups, IDC_ADMIN_GROUP_SLOTS, "9");
    clickButton(groups, IDC_ADMIN_GROUP_WRITE);
    pumpMessages();
    DestroyWindow(groups);

    // 3. An own command the server refuses.
    page = "Own commands";
    HWND own = createAdminPage(AdminPage::OwnCommands, parent, context);
    ASSERT_NE(own, nullptr);
    setText(own, IDC_ADMIN_OWN_NEW, "SITE GRPCHANGE nosuchgrp slots 3");
    clickButton(own, IDC_ADMIN_OWN_ADD);
    selectListBoxItem(own, IDC_ADMIN_OWN_LIST, 0);
    clickButton(own, IDC_ADMIN_OWN_SEND);
    pumpMessages();
    DestroyWindow(own);

    // 4. The plug-in's Edit user page changes a comment; the operator
    //    cancels the wait: whether it took is unknown.
    page = "Edit user";
    hostPage = false;
    cancel.armed = true;
    char change[] = "SITE CHANGE isouser1 comment Cancelled before its reply";
    request = HostRequest{};
    request.action = ACTION_SEND_COMMAND;
    request.command = change;
    EXPECT_EQ(session.handle(&request), 0);
    live::installOperatorWait(nullptr);
    log.flush();

    std::string text;
    ASSERT_TRUE(files.read(key, text, failure)) << failure;
    std::cout << "[ record ] " << files.pathOf(key) << "\n" << text << std::flush;
    history::RecordView view;
    view.read(text);
    ASSERT_EQ(view.size(), 4u) << text;
    EXPECT_EQ(view.passedOver(), 0u);
    const struct {
        const char* page;
        const char* command;
        const char* server;
        const char* readBack;
        history::Outcome outcome;
    } expected[] = {
        {"Edit user", "SITE CHANGE isouser1 comment Cancelled before its reply",
         "cancelled by the operator; the outcome is unknown", "", history::Outcome::Unknown},
        {"Own commands", "SITE GRPCHANGE nosuchgrp slots 3", "200 Group (nosuchgrp) does not exist.",
         history::noReadBack, history::Outcome::Refused},
        {"Groups", "SITE GRPCHANGE iso slots 9", "200 Command Successful.", "written and read back",
         history::Outcome::Took},
        {"Add user", "SITE ADDUSER histuser ****", "200 User (histuser) successfully added.", "",
         history::Outcome::Took},
    };
    for (std::size_t row = 0; row < 4; ++row) {
        SCOPED_TRACE(expected[row].command);
        EXPECT_EQ(view.field(row, 1), options.user);
        EXPECT_EQ(view.field(row, 2), expected[row].page);
        EXPECT_EQ(view.field(row, 3), expected[row].command);
        EXPECT_NE(view.field(row, 4).find(expected[row].server), std::string::npos) << view.field(row, 4);
        EXPECT_EQ(view.field(row, 5), expected[row].readBack);
        EXPECT_EQ(view.outcome(row), expected[row].outcome);
    }
    EXPECT_EQ(text.find("histpw1"), std::string::npos) << "the password is in the record";

    // The History page: the same four, newest first; filtered by outcome.
    HWND history = createAdminPage(AdminPage::History, parent, context);
    ASSERT_NE(history, nullptr);
    pumpMessages();
    const std::vector<Lines> rows = listViewRows(history, IDC_HISTORY_LIST);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][1], "unknown");
    EXPECT_EQ(rows[1][1], "refused");
    EXPECT_EQ(rows[2][1], "took");
    EXPECT_EQ(rows[2][3], "SITE GRPCHANGE iso slots 9");
    EXPECT_EQ(rows[2][5], "written and read back");
    EXPECT_EQ(rows[3][3], "SITE ADDUSER histuser ****");
    std::string error;
    EXPECT_TRUE(saveWindowPicture(parent, "history-page.png", error)) << error;
    setChecked(history, IDC_HISTORY_TOOK, false);
    clickButton(history, IDC_HISTORY_TOOK);
    EXPECT_EQ(listViewRows(history, IDC_HISTORY_LIST).size(), 2u) << "took unticked";
    setChecked(history, IDC_HISTORY_TOOK, true);
    clickButton(history, IDC_HISTORY_TOOK);
    setText(history, IDC_HISTORY_FILTER, "nosuchgrp");
    SendMessageW(history, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_FILTER, EN_CHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(history, IDC_HISTORY_FILTER)));
    EXPECT_EQ(listViewRows(history, IDC_HISTORY_LIST).size(), 1u) << "filtered by text";
    DestroyWindow(history);
    DestroyWindow(parent);
    pumpMessages();
    for (const std::string& fault : session.faults()) {
        ADD_FAILURE() << "host session fault: " << fault;
    }
    connection.close();
}

}  // namespace
