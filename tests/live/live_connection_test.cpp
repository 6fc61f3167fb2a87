// The live connection (Winsock, SChannel, the fenced exchange) against
// glftpd_test_server.py on loopback: what opens and what is refused before
// any password is sent, and replies that are big, come one TLS record a
// line, are followed by a stray line, never end or are cut off.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/live/live_site_win32.h"
#include "tests/live/live_server.h"

namespace {

using Lines = std::vector<std::string>;

const std::string otherFingerprint =
    "0F:1E:2D:3C:4B:5A:69:78:87:96:A5:B4:C3:D2:E1:F0:0F:1E:2D:3C:4B:5A:69:78:87:96:A5:B4:C3:D2:E1:F0";

class LiveConnection : public testing::Test {
protected:
    static void SetUpTestSuite() { loaded = livetest::loadServer(server, loadFailure); }

    void SetUp() override {
        ASSERT_TRUE(loaded) << loadFailure;
        logMark = livetest::received(server).size();
        site.onNote = [this](const std::string& line) { notes.push_back(line); };
    }

    void openAs(const std::string& account, int replyTimeoutMs = 30000) {
        live::SiteOptions options = livetest::pinnedLogin(server, account);
        options.limits.replyTimeoutMs = replyTimeoutMs;
        std::string failure;
        ASSERT_TRUE(site.open(options, nullptr, failure)) << failure;
    }

    simsite::Reply ask(const std::string& command) {
        simsite::Reply reply;
        std::string failure;
        EXPECT_TRUE(site.exchange(command, reply, failure)) << command << ": " << failure;
        return reply;
    }

    // What the server received since the test began; a moment's wait first
    // so that a line still on its way is not missed.
    Lines receivedNow() const {
        Sleep(300);
        return livetest::received(server, logMark);
    }

    static livetest::ServerInfo server;
    static bool loaded;
    static std::string loadFailure;
    std::size_t logMark = 0;
    live::LiveSite site;
    Lines notes;
};

livetest::ServerInfo LiveConnection::server;
bool LiveConnection::loaded = false;
std::string LiveConnection::loadFailure;

bool anyUserCommand(const Lines& log) {
    for (const std::string& entry : log) {
        // "<listener> <account> <line>": a USER line comes before any account is known.
        const std::size_t line = entry.find(' ', entry.find(' ') + 1);
        if (line != std::string::npos && entry.compare(line + 1, 5, "USER ") == 0) {
            return true;
        }
    }
    return false;
}

int countOf(const Lines& lines, const std::string& line) {
    int count = 0;
    for (const std::string& entry : lines) {
        count += entry == line ? 1 : 0;
    }
    return count;
}

// --- opening -----------------------------------------------------------------

enum class Pin { Server, Other, None };
enum class Prompt { None, Declines, Trusts };

struct OpenCase {
    const char* name;
    bool tlsListener;
    bool requireTls;
    Pin pin;
    Prompt prompt;
    const char* password;
    bool opens;
    bool userSent;
    std::vector<std::string> failureNames;  // "server"/"other": the fingerprints
};

const OpenCase openCases[] = {
    {"PinnedTls", true, true, Pin::Server, Prompt::None, "secret", true, true, {}},
    {"WrongPinIsRefused", true, true, Pin::Other, Prompt::None, "secret", false, false, {"server", "other"}},
    {"UnpinnedAndDeclined", true, true, Pin::None, Prompt::Declines, "secret", false, false, {}},
    {"UnpinnedAndTrusted", true, true, Pin::None, Prompt::Trusts, "secret", true, true, {}},
    {"NoTlsOnTheServer", false, true, Pin::Server, Prompt::None, "secret", false, false,
     {"500 'AUTH TLS': command not understood."}},
    {"PlainWhenTlsIsNotRequired", false, false, Pin::None, Prompt::None, "secret", true, true, {}},
    {"PlainOnAServerOfferingTls", true, false, Pin::None, Prompt::None, "secret", true, true, {}},
    {"WrongPassword", true, true, Pin::Server, Prompt::None, "guess", false, true, {"530 Login incorrect."}},
};

class Opening : public LiveConnection, public testing::WithParamInterface<OpenCase> {};

TEST_P(Opening, OpensOrFailsBeforeTheLogin) {
    const OpenCase& c = GetParam();
    live::SiteOptions options = livetest::pinnedLogin(server, "siteop");
    options.port = c.tlsListener ? server.tlsPort : server.plainPort;
    options.requireTls = c.requireTls;
    options.password = c.password;
    options.fingerprint = c.pin == Pin::Server ? server.fingerprint
                          : c.pin == Pin::Other ? otherFingerprint
                                                : std::string();
    Lines prompted;
    live::TrustPrompt prompt;
    if (c.prompt != Prompt::None) {
        prompt = [&](const std::string& fingerprint, const std::string&) {
            prompted.push_back(fingerprint);
            return c.prompt == Prompt::Trusts;
        };
    }

    std::string failure;
    const bool opened = site.open(options, prompt, failure);

    ASSERT_EQ(opened, c.opens) << failure;
    EXPECT_EQ(site.isOpen(), c.opens);
    EXPECT_EQ(prompted, c.prompt == Prompt::None ? Lines{} : Lines{server.fingerprint});
    if (opened) {
        const bool tls = c.requireTls;
        EXPECT_EQ(site.secured(), tls);
        EXPECT_EQ(site.certificateFingerprint(), tls ? server.fingerprint : std::string());
        const simsite::Reply reply = ask("SITE USER alice");
        EXPECT_EQ(reply.code, 200);
        EXPECT_EQ(reply.lines, livetest::fixtureLines("site_user_alice.txt"));
        site.close();
        EXPECT_FALSE(site.isOpen());
    } else {
        EXPECT_FALSE(failure.empty());
        for (const std::string& name : c.failureNames) {
            const std::string text =
                name == "server" ? server.fingerprint : name == "other" ? otherFingerprint : name;
            EXPECT_NE(failure.find(text), std::string::npos) << "'" << text << "' not in: " << failure;
        }
    }
    EXPECT_EQ(anyUserCommand(receivedNow()), c.userSent);
}

INSTANTIATE_TEST_SUITE_P(Live, Opening, testing::ValuesIn(openCases),
                         [](const testing::TestParamInfo<OpenCase>& info) { return info.param.name; });

// --- replies -----------------------------------------------------------------

TEST_F(LiveConnection, EachCommandIsSentOnceAndFencedAndItsReplyComesAsTheServerWroteIt) {
    openAs("siteop");
    const Lines fixtures[] = {livetest::fixtureLines("site_groups.txt"),
                              livetest::fixtureLines("site_user_alice.txt"),
                              livetest::fixtureLines("site_swho.txt")};
    EXPECT_EQ(ask("SITE GROUPS").lines, fixtures[0]);
    EXPECT_EQ(ask("SITE USER alice").lines, fixtures[1]);
    EXPECT_EQ(ask("SITE SWHO").lines, fixtures[2]);
    EXPECT_EQ(ask("SITE CHGRP alice friends").lines,
              Lines{"200 'alice' has been successfully added to 'friends'"});
    const Lines log = receivedNow();
    const Lines expected{"tls siteop SITE GROUPS",     "tls siteop NOOP", "tls siteop SITE USER alice",
                         "tls siteop NOOP",            "tls siteop SITE SWHO", "tls siteop NOOP",
                         "tls siteop SITE CHGRP alice friends", "tls siteop NOOP"};
    ASSERT_GE(log.size(), expected.size());
    EXPECT_EQ(Lines(log.end() - static_cast<long>(expected.size()), log.end()), expected);
}

// A listing of 120,000 names (20,006 lines with its frame, as run by ctest),
// in large writes and in one TLS record a line as glftpd sends it.
class BigReply : public LiveConnection, public testing::WithParamInterface<const char*> {};

TEST_P(BigReply, ArrivesWholeAndInOrderAndLeavesTheConnectionInStep) {
    openAs(GetParam());
    const Lines sent = livetest::stateFile(server, "big_listing.txt");
    ASSERT_GT(sent.size(), 1000u);
    const simsite::Reply reply = ask("SITE USER");
    EXPECT_EQ(reply.code, 200);
    EXPECT_EQ(reply.lines.size(), sent.size());
    EXPECT_TRUE(reply.lines == sent) << "the reply differs from what the server sent";
    EXPECT_EQ(ask("SITE USER alice").lines, livetest::fixtureLines("site_user_alice.txt"));
}

INSTANTIATE_TEST_SUITE_P(Live, BigReply, testing::Values("bigreply", "linerecords"),
                         [](const testing::TestParamInfo<const char*>& info) { return info.param; });

TEST_F(LiveConnection, AStrayLineAfterAKillGoesToTheNotesAndTheNextCommandGetsItsOwnReply) {
    openAs("stray");
    EXPECT_EQ(ask("SITE KILL 99999").lines, (Lines{"200- ", "200 99999: Invalid PiD."}));
    EXPECT_EQ(ask("SITE USER alice").lines, livetest::fixtureLines("site_user_alice.txt"));
    EXPECT_EQ(ask("SITE KILL 4711").lines, (Lines{"200- ", "200 4711: Invalid PiD."}));
    EXPECT_EQ(ask("SITE GROUPS").lines, livetest::fixtureLines("site_groups.txt"));
    int strays = 0;
    for (const std::string& note : notes) {
        strays += note.find("200-") != std::string::npos ? 1 : 0;
    }
    EXPECT_GE(strays, 2) << testing::PrintToString(notes);
    EXPECT_TRUE(site.isOpen());
}

// --- a connection that breaks ---------------------------------------------------

struct BreakCase {
    const char* account;
    int replyTimeoutMs;
    DWORD atLeastMs;  // how long the failure may take, at least and at most
    DWORD atMostMs;
};

const BreakCase breakCases[] = {
    {"stall", 1500, 1400, 8000},     // no reply: the time-out ends the wait
    {"dropper", 20000, 0, 8000},     // half a reply, then end of stream
};

class Breaking : public LiveConnection, public testing::WithParamInterface<BreakCase> {};

TEST_P(Breaking, TheExchangeFailsTheConnectionClosesAndNothingIsSentAgain) {
    const BreakCase& c = GetParam();
    openAs(c.account, c.replyTimeoutMs);
    simsite::Reply reply;
    std::string failure;
    const DWORD start = GetTickCount();
    EXPECT_FALSE(site.exchange("SITE USER alice", reply, failure));
    const DWORD took = GetTickCount() - start;
    EXPECT_FALSE(failure.empty());
    EXPECT_GE(took, c.atLeastMs);
    EXPECT_LE(took, c.atMostMs);
    EXPECT_FALSE(site.isOpen());

    failure.clear();
    EXPECT_FALSE(site.exchange("SITE USER alice", reply, failure));
    EXPECT_FALSE(failure.empty());
    const Lines sent = livetest::commandsOf(receivedNow(), c.account);
    EXPECT_EQ(countOf(sent, "SITE USER alice"), 1) << testing::PrintToString(sent);
}

INSTANTIATE_TEST_SUITE_P(Live, Breaking, testing::ValuesIn(breakCases),
                         [](const testing::TestParamInfo<BreakCase>& info) { return info.param.account; });

}  // namespace
