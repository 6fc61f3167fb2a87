#pragma once
// What the live tests of the host's administration pages share: the real
// glftpd 2.13 that run_glftpd213.sh started (glftpd213_server.h), a connection
// and host session whose every command is recorded, the pages' context with
// scripted answers, and the server's own answer past the page.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
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
#include "host/live/live_site_win32.h"
#include "host/resources/host_resources.h"
#include "host/session/host_session.h"
#include "tests/live/glftpd213_server.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace live_admin {

using Lines = glftpd213::Lines;

using glftpd213::holds;
using glftpd213::joined;
using glftpd213::loadRealServer;
using glftpd213::RealServer;
using glftpd213::RecordingLink;

// The first of the lines, "" when there are none.
std::string first(const Lines& lines) {
    return lines.empty() ? std::string() : lines.front();
}

// The row of a list view whose first cell is `name`; -1 when none is.
int rowNamed(HWND page, int listId, const std::string& name) {
    const std::vector<Lines> rows = listViewRows(page, listId);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (!rows[row].empty() && rows[row][0] == name) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

class LiveAdmin : public testing::Test {
protected:
    static void SetUpTestSuite() { loaded = loadRealServer(server, loadFailure); }

    void SetUp() override {
        ASSERT_TRUE(loaded) << loadFailure;
        connectAs(server.user, server.password);
        context.ask = [this](HWND, const std::string& text, const std::string& title, UINT type) {
            questions.push_back({title + ": " + text, type});
            if (answers.empty()) {
                return IDOK;
            }
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        };
        context.loadOwnCommands = [this] { return ownCommands; };
        context.saveOwnCommands = [this](const Lines& commands, std::string&) {
            ownCommands = commands;
            return true;
        };
        parent = CreateWindowExW(0, L"STATIC", L"Host pages", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1000, 700,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
    }

    // A fresh connection and host session as `user` (the siteop, or an
    // account the test made); the pages' commands go through it.
    void connectAs(const std::string& user, const std::string& password) {
        if (session) {
            for (const std::string& fault : session->faults()) {
                ADD_FAILURE() << "host session fault: " << fault;
            }
        }
        connection.close();
        std::string failure;
        ASSERT_TRUE(connection.open(glftpd213::siteOptions(server, user, password), nullptr, failure))
            << user << ": " << failure;
        session = std::make_unique<session::HostSession>(recorder);
        context.send = [this](const std::string& command, session::Reply& reply, std::string& why) {
            if (session->sendOwnCommand(command, reply)) {
                return true;
            }
            why = session->firstFailure();
            return false;
        };
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
        // The exact lines each run sent, for the record of what was changed.
        std::cout << "[ commands ] " << testing::UnitTest::GetInstance()->current_test_info()->name()
                  << joined(recorder.sent) << "\n[ read back ]" << joined(readBacks) << std::endl;
        connection.close();
    }

    HWND open(AdminPage which) {
        page = createAdminPage(which, parent, context);
        pumpMessages();
        return page;
    }

    // Presses a button and returns what that sent.
    Lines press(int buttonId) {
        const std::size_t mark = recorder.sent.size();
        clickButton(page, buttonId);
        pumpMessages();
        return Lines(recorder.sent.begin() + static_cast<long>(mark), recorder.sent.end());
    }

    // Selects the row of `name` in a list view and returns what that sent.
    Lines pick(int listId, const std::string& name) {
        const std::size_t mark = recorder.sent.size();
        const int row = rowNamed(page, listId, name);
        EXPECT_GE(row, 0) << name << " is not listed";
        if (row >= 0) {
            selectListViewRow(page, listId, row);
            pumpMessages();
        }
        return Lines(recorder.sent.begin() + static_cast<long>(mark), recorder.sent.end());
    }

    // Selects the item `text` of a list box as a click does; what that sent.
    Lines pickItem(int listId, const std::string& text) {
        const std::size_t mark = recorder.sent.size();
        const Lines items = listBoxItems(page, listId);
        const auto found = std::find(items.begin(), items.end(), text);
        EXPECT_NE(found, items.end()) << text << " is not listed:" << joined(items);
        if (found != items.end()) {
            selectListBoxItem(page, listId, static_cast<int>(found - items.begin()));
            SendMessageA(page, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(GetDlgItem(page, listId)));
            pumpMessages();
        }
        return Lines(recorder.sent.begin() + static_cast<long>(mark), recorder.sent.end());
    }

    // The server's own answer, on the same connection but past the page.
    session::Reply readBack(const std::string& command) {
        session::Reply reply;
        std::string failure;
        EXPECT_TRUE(connection.exchange(command, reply, failure)) << command << ": " << failure;
        readBacks.push_back(command);
        return reply;
    }

    struct Question {
        std::string text;
        UINT type;
    };

    inline static RealServer server;
    inline static bool loaded = false;
    inline static std::string loadFailure;
    live::LiveSite connection;
    RecordingLink recorder{connection};
    std::unique_ptr<session::HostSession> session;
    AdminContext context;
    std::vector<Question> questions;
    std::deque<int> answers;
    Lines ownCommands;
    Lines readBacks;  // the commands of the checks, past the page
    HWND parent = nullptr;
    HWND page = nullptr;
};


}  // namespace live_admin
