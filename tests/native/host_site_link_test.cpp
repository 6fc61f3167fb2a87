// The host's session over a site link that can fail, its masking of
// passwords and of the server's control bytes, and what the live tour lets
// through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/session/read_only_commands.h"
#include "host/session/host_session.h"

namespace {

// A site whose exchanges succeed or fail as the test says, counting sends.
class ScriptedLink : public session::SiteLink {
public:
    bool exchange(const std::string& command, session::Reply& reply, std::string& failure) override {
        sent.push_back(command);
        if (!answers) {
            failure = "the server closed the connection";
            open = false;
            return false;
        }
        reply.code = 200;
        reply.lines = replyLines;
        return true;
    }
    bool isOpen() const override { return open; }

    std::vector<std::string> replyLines = {"200- line one", "200 Command Successful."};
    bool answers = true;
    bool open = true;
    std::vector<std::string> sent;
};

}  // namespace

TEST(HostSessionOverALink, AFailedExchangeFailsTheRequestOnceAndLaterOnesAtOnce) {
    ScriptedLink link;
    session::HostSession session(link);
    link.answers = false;
    char give[] = "SITE GIVE bob 1024";
    HostRequest request{ACTION_SEND_COMMAND, give, 1, 0, nullptr};
    EXPECT_EQ(session.handle(&request), 0);
    EXPECT_EQ(request.replyLines, nullptr);
    EXPECT_EQ(session.keptReplies(), 0);
    // The link is closed now: the next request never reaches the server,
    // and the first is not sent again.
    EXPECT_EQ(session.handle(&request), 0);
    EXPECT_EQ(link.sent, std::vector<std::string>{"SITE GIVE bob 1024"});
    EXPECT_TRUE(session.faults().empty());
}

TEST(HostSessionOverALink, TheTranscriptNeverShowsAPassword) {
    ScriptedLink link;
    session::HostSession session(link);
    const struct {
        const char* command;
        const char* shown;
    } cases[] = {
        {"SITE ADDUSER newbie s3cret *@10.1.2.3", "> SITE ADDUSER newbie ****   (reply not kept)"},
        {"SITE CHPASS alice n3w", "> SITE CHPASS alice ****   (reply not kept)"},
        {"SITE CHANGE alice ratio 3", "> SITE CHANGE alice ratio 3   (reply not kept)"},
    };
    for (const auto& c : cases) {
        std::string command = c.command;
        HostRequest request{ACTION_SEND_COMMAND, &command[0], 0, 0, nullptr};
        EXPECT_EQ(session.handle(&request), 1);
        EXPECT_EQ(link.sent.back(), c.command);  // the server gets the real line
        bool found = false;
        for (const std::string& line : session.transcript()) {
            found = found || line == c.shown;
        }
        EXPECT_TRUE(found) << c.shown;
    }
    session::Reply reply;
    EXPECT_TRUE(session.sendOwnCommand("SITE CHPASS bob hunter2", reply));
    for (const std::string& line : session.transcript()) {
        EXPECT_EQ(line.find("s3cret"), std::string::npos);
        EXPECT_EQ(line.find("n3w"), std::string::npos);
        EXPECT_EQ(line.find("hunter2"), std::string::npos);
    }
}

// A server's line cannot start a line of the operator's record (a lone CR,
// U+2028 or U+0085 that the pane, a terminal or a script would take for
// one), hide text behind a NUL, colour it or turn it round; the plug-in
// still gets the lines as they came.
TEST(HostSessionOverALink, TheServersControlBytesAreWrittenOutInTheTranscriptOnly) {
    const struct {
        std::string line;
        std::string shown;
    } cases[] = {
        {"200 Done.\r2031-01-01 00:00:00 > SITE DELUSER bob", "< 200 Done.\\r2031-01-01 00:00:00 > SITE DELUSER bob"},
        {std::string("200 a\0b", 7), "< 200 a\\x00b"},
        {"200- \x1b[1;37m| Username: alice |\x1b[0m", "< 200- \\x1b[1;37m| Username: alice |\\x1b[0m"},
        {"200 \x7f\x01 end\r", "< 200 \\x7f\\x01 end\\r"},
        {"200- tab\tand caf\xc3\xa9 \xe6\x97\xa5", "< 200- tab\tand caf\xc3\xa9 \xe6\x97\xa5"},
        // Line breaks to Python's splitlines() and others, an escape
        // introducer to terminals, text turned round, bytes that are no UTF-8.
        {"200 a\xe2\x80\xa8> SITE DELUSER forged", "< 200 a\\u2028> SITE DELUSER forged"},
        {"200 a\xc2\x85" "b\xe2\x80\xa9" "c", "< 200 a\\u0085b\\u2029c"},
        {"200 \xc2\x9b" "2J \xc2\x80\xc2\x9f \xc2\xa0", "< 200 \\u009b2J \\u0080\\u009f \xc2\xa0"},
        {"200 \xe2\x80\xae" "evil\xe2\x80\xac \xe2\x81\xa6x\xe2\x81\xa9 \xe2\x80\x8f\xd8\x9c",
         "< 200 \\u202eevil\\u202c \\u2066x\\u2069 \\u200f\\u061c"},
        {"200 caf\xe9 \xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80 \xe2\x80",
         "< 200 caf\\xe9 \\xc0\\xaf \\xed\\xa0\\x80 \\xf4\\x90\\x80\\x80 \\xe2\\x80"},
        {"200 \xf0\x9f\x98\x80 \xe2\x80\x8b", "< 200 \xf0\x9f\x98\x80 \xe2\x80\x8b"},
    };
    ScriptedLink link;
    session::HostSession session(link);
    std::vector<std::string> shownToThePane;
    session.onTranscriptLine = [&](const std::string& line) { shownToThePane.push_back(line); };
    for (const auto& c : cases) {
        link.replyLines = {c.line};
        char command[] = "SITE USER alice";
        HostRequest request{ACTION_SEND_COMMAND, command, 1, 0, nullptr};
        ASSERT_EQ(session.handle(&request), 1);
        ASSERT_NE(request.replyLines, nullptr);
        EXPECT_STREQ(request.replyLines->text, c.line.c_str());
        EXPECT_EQ(session.transcript().back(), c.shown);
        EXPECT_EQ(shownToThePane.back(), c.shown);
        request.action = ACTION_RELEASE_REPLY;
        session.handle(&request);
    }
    // The host's own line breaks (a refused pin names both fingerprints on
    // lines of their own) start transcript lines as before.
    session.note("!! not connected: no match.\r\nPinned: AA\r\nServer: \x1b[2JBB");
    const std::vector<std::string> last(session.transcript().end() - 3, session.transcript().end());
    EXPECT_EQ(last, (std::vector<std::string>{"!! not connected: no match.", "Pinned: AA", "Server: \\x1b[2JBB"}));
    EXPECT_EQ(session.firstFailure(), "not connected: no match.\r\nPinned: AA\r\nServer: \\x1b[2JBB");
}

TEST(HostSessionOverALink, TheLiveTourSendsOnlyWhatChangesNothing) {
    const struct {
        const char* command;
        bool reads;
    } cases[] = {
        {"SITE GROUPS", true},          {"SITE USER", true},          {"SITE USER alice", true},
        {"site swho", true},            {"SITE WHO", true},           {"SITE STATS carol", true},
        {"SITE WKUP 5", true},          {"SITE MONTHDN 10", true},    {"NOOP", true},
        {"SITE USER alice x", false},   {"SITE GIVE bob 1", false},   {"SITE KICK zoe", false},
        {"SITE CHANGE a ratio 3", false}, {"SITE MSG READ", false},   {"SITE NUKE x 3 bad", false},
        {"SITE GRPNFO g text", false},  {"SITE", false},              {"SITE WHO\r\nSITE KICK x", false},
        {"DELE file", false},
        // The host's Groups and Accounts pages read with these.
        {"SITE GRP iso", true},         {"SITE GINFO iso", true},     {"SITE USERS", true},
        {"SITE USERS deleted", true},   {"SITE USERS =iso", true},    {"SITE GRP iso x", false},
        {"SITE GRPCHANGE iso slots 5", false}, {"SITE CHGADMIN a iso", false}, {"SITE RENUSER a b", false},
        {"SITE READD delme", false},    {"SITE PURGE delme", false},  {"SITE CHANGE =iso ratio 2", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(session::changesNothing(c.command), c.reads) << c.command;
    }
    ScriptedLink link;
    session::HostSession session(link);
    session.allowCommand = session::changesNothing;
    char kick[] = "SITE KICK zoe";
    HostRequest request{ACTION_SEND_COMMAND, kick, 0, 0, nullptr};
    EXPECT_EQ(session.handle(&request), 0);
    session::Reply reply;
    EXPECT_FALSE(session.sendOwnCommand("SITE NUKE Some.Release 3 bad", reply));
    EXPECT_TRUE(link.sent.empty());
}

TEST(HostSessionOverALink, ATalkativeSiteCostsNoMoreThanTheTranscriptBound) {
    ScriptedLink link;
    session::HostSession session(link);
    session.transcriptLimitBytes = 4096;
    session::Reply reply;
    for (int i = 0; i < 2000; ++i) {
        session.note("<? 200- noise line " + std::to_string(i) + "   (no command waiting)");
    }
    std::size_t bytes = 0;
    for (const std::string& line : session.transcript()) {
        bytes += line.size();
    }
    EXPECT_LE(bytes, 4096u);
    EXPECT_EQ(session.droppedLines() + session.transcript().size(), 2000u);
    EXPECT_EQ(session.transcript().back(), "<? 200- noise line 1999   (no command waiting)");
}

TEST(HostSessionOverALink, TheFirstFailureIsKeptForTheOperator) {
    ScriptedLink link;
    session::HostSession session(link);
    session::Reply reply;
    EXPECT_TRUE(session.sendOwnCommand("SITE WHO", reply));
    EXPECT_EQ(session.firstFailure(), "");
    link.answers = false;
    EXPECT_FALSE(session.sendOwnCommand("SITE USER alice", reply));
    session.note("!! not connected: later");
    EXPECT_EQ(session.firstFailure(), "no reply: the server closed the connection");
}
