// The plug-in's pages over a live connection: the host session serving the
// plug-in's callback from a LiveSite logged in to glftpd_test_server.py,
// beside the same steps over the scripted site answering with the replies
// the server gave. The server must receive what the scripted site records
// and each page must show the same, control by control.
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/live/live_site_win32.h"
#include "host/session/host_session.h"
#include "resources/resource_ids.h"
#include "tests/live/live_server.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

// Keeps every command's reply, for the scripted run to give the same.
class RecordingLink : public session::SiteLink {
public:
    explicit RecordingLink(session::SiteLink& link) : inner(link) {}
    bool exchange(const std::string& command, session::Reply& reply, std::string& failure) override {
        const bool answered = inner.exchange(command, reply, failure);
        if (answered) {
            replies[command] = reply;
        }
        return answered;
    }
    bool isOpen() const override { return inner.isOpen(); }

    std::map<std::string, session::Reply> replies;

private:
    session::SiteLink& inner;
};

session::HostSession* liveSession = nullptr;

std::int32_t HOST_CDECL liveCallback(HostRequest* request) {
    return liveSession != nullptr ? liveSession->handle(request) : 0;
}

BOOL CALLBACK describeControl(HWND control, LPARAM into) {
    HWND page = GetParent(control);
    const int id = GetDlgCtrlID(control);
    char className[64] = {};
    GetClassNameA(control, className, sizeof className);
    std::string line = std::string(className) + " " + std::to_string(id) + " '" + windowText(control) + "'" +
                       (IsWindowEnabled(control) ? "" : " disabled");
    if (lstrcmpiA(className, "ComboBox") == 0) {
        for (const std::string& item : comboItems(page, id)) {
            line += " |" + item;
        }
        line += " @" + std::to_string(comboSelection(page, id));
    } else if (lstrcmpiA(className, "ListBox") == 0) {
        for (const std::string& item : listBoxItems(page, id)) {
            line += " |" + item;
        }
    } else if (lstrcmpiA(className, "Button") == 0) {
        line += isChecked(page, id) ? " checked" : "";
    } else if (lstrcmpiA(className, WC_LISTVIEWA) == 0) {
        for (const Lines& row : listViewRows(page, id)) {
            for (const std::string& cell : row) {
                line += " |" + cell;
            }
        }
    }
    reinterpret_cast<Lines*>(into)->push_back(line);
    return TRUE;
}

// Everything a page shows: each control's class, id, text, items and state.
Lines snapshot(HWND page) {
    Lines controls;
    EnumChildWindows(page, describeControl, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

struct Outcome {
    Lines commands;
    std::vector<Lines> views;  // the page after each step
    Lines messages;            // message boxes shown
};

class LivePages;
using Steps = void (LivePages::*)(HostCallback callback, std::vector<Lines>& views);

struct PageCase {
    const char* name;
    Steps steps;
    Lines commands;  // what both runs must send
};

class LivePages : public PluginTest, public testing::WithParamInterface<PageCase> {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        std::string failure;
        ASSERT_TRUE(livetest::loadServer(server, failure)) << failure;
        ASSERT_TRUE(connection.open(livetest::pinnedLogin(server, "siteop"), nullptr, failure)) << failure;
        session = std::make_unique<session::HostSession>(recorder);
        session->onShowPage = [this](std::int32_t pageId) { showPage(pageId, liveCallback); };
        liveSession = session.get();
    }

    void TearDown() override {
        PluginTest::TearDown();
        if (session) {
            for (const std::string& fault : session->faults()) {
                ADD_FAILURE() << "host session fault: " << fault;
            }
        }
        liveSession = nullptr;
        connection.close();
    }

    Outcome overLive(Steps steps) {
        const std::size_t mark = livetest::received(server).size();
        Outcome outcome;
        (this->*steps)(liveCallback, outcome.views);
        outcome.commands = livetest::commandsOf(livetest::received(server, mark), "siteop");
        outcome.messages = shownMessages();
        return outcome;
    }

    // A fresh load of the plug-in (its directory cache starts empty again)
    // answered by the scripted site with the replies the server gave.
    Outcome overScripted(Steps steps) {
        reloadLibrary();
        site.clearRecord();
        messageBoxes.clear();
        const std::map<std::string, session::Reply> replies = recorder.replies;
        site.fallback = [replies](const std::string& command) {
            const auto found = replies.find(command);
            ScriptedReply reply = oneLineReply("500 '" + command + "': not answered over the connection.", 500);
            if (found != replies.end()) {
                reply.replyCode = found->second.code;
                reply.lines = found->second.lines;
            }
            return reply;
        };
        Outcome outcome;
        (this->*steps)(&ScriptedSite::callback, outcome.views);
        outcome.commands = site.commands();
        outcome.messages = shownMessages();
        return outcome;
    }

    void reloadLibrary() {
        EXPECT_EQ(unloadLibrary(), 0) << "blocks the plug-in still held after its unload";
        ASSERT_NO_FATAL_FAILURE(loadLibrary());
    }

    Lines shownMessages() const {
        Lines texts;
        for (const CaughtMessageBox& box : messageBoxes) {
            texts.push_back(box.title + ": " + box.text);
        }
        return texts;
    }

public:
    // Edit user: the lists, alice loaded, a changed ratio written back.
    void editUser(HostCallback callback, std::vector<Lines>& views) {
        HWND page = showPage(2, callback);
        ASSERT_NE(page, nullptr);
        views.push_back(snapshot(page));
        ASSERT_TRUE(pickComboItemByText(page, IDC_EDITUSER_USERNAME, "alice"));
        views.push_back(snapshot(page));
        setText(page, IDC_EDITUSER_RATIO, "2");
        clickButton(page, IDC_EDITUSER_CHANGE);
        pumpMessages();
        views.push_back(snapshot(currentPage()));
    }

    // Add user: the group lists, then the add chain with masks and groups.
    void addUser(HostCallback callback, std::vector<Lines>& views) {
        HWND page = showPage(1, callback);
        ASSERT_NE(page, nullptr);
        views.push_back(snapshot(page));
        setText(page, IDC_ADDUSER_USERNAME, "newbie");
        setText(page, IDC_ADDUSER_PASSWORD, "s3cret");
        setText(page, IDC_ADDUSER_IP0, "10.0.0.1");
        setText(page, IDC_ADDUSER_IP1, "ident@gateway");
        ASSERT_TRUE(pickComboItemByText(page, IDC_ADDUSER_GROUP, "friends"));
        ASSERT_TRUE(pickComboItemByText(page, IDC_ADDUSER_PRIVATE_GROUP, "STAFF"));
        clickButton(page, IDC_ADDUSER_ADD);
        pumpMessages();
        views.push_back(snapshot(currentPage()));
    }

protected:
    livetest::ServerInfo server;
    live::LiveSite connection;
    RecordingLink recorder{connection};
    std::unique_ptr<session::HostSession> session;
};

const PageCase pageCases[] = {
    {"EditUser", &LivePages::editUser,
     {"SITE GROUPS", "SITE USER", "SITE USER alice", "SITE CHANGE alice ratio 2", "SITE USER alice"}},
    {"AddUser", &LivePages::addUser,
     {"SITE GROUPS", "SITE USER", "SITE ADDUSER newbie s3cret", "SITE ADDIP newbie *@10.0.0.1",
      "SITE ADDIP newbie ident@gateway", "SITE CHGRP newbie friends", "SITE CHGRP newbie STAFF"}},
};

TEST_P(LivePages, TheServerGetsWhatTheScriptedSiteGetsAndThePageShowsTheSame) {
    const PageCase& c = GetParam();
    const Outcome live = overLive(c.steps);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(live.commands, c.commands);
    EXPECT_TRUE(connection.isOpen());

    const Outcome scripted = overScripted(c.steps);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(scripted.commands, live.commands);
    ASSERT_EQ(scripted.views.size(), live.views.size());
    for (std::size_t step = 0; step < live.views.size(); ++step) {
        EXPECT_EQ(scripted.views[step], live.views[step]) << "after step " << step;
    }
    EXPECT_EQ(scripted.messages, live.messages);
}

INSTANTIATE_TEST_SUITE_P(Live, LivePages, testing::ValuesIn(pageCases),
                         [](const testing::TestParamInfo<PageCase>& info) { return info.param.name; });

}  // namespace
