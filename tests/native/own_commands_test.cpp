// The operator's own commands: what is kept of a command that holds a
// password, and what the page shows of a reply (colour, length, verdict).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "host/admin/own_commands.h"
#include "host/session/transcript_mask.h"

namespace {

// Every command the transcript masks is kept without what it masks, shown
// without it, and asks for it on Send; every other command is kept as typed.
TEST(OwnCommands, APasswordIsNeitherKeptNorShown) {
    const struct {
        const char* typed;
        const char* kept;
        bool asks;
    } cases[] = {
        {"SITE ADDUSER bob s3cretPW *@10.0.0.* bob@198.51.100.*", "SITE ADDUSER bob", true},
        {"SITE GADDUSER grp bob pw *@10.0.0.*", "SITE GADDUSER grp bob", true},
        {"SITE CHPASS bob pw", "SITE CHPASS bob", true},
        {"SITE CHPASS bob two words", "SITE CHPASS bob", true},
        // An account name left empty: the password may stand where it goes.
        {"SITE CHPASS  pw", "SITE CHPASS", false},
        {"SITE GADDUSER grp  pw", "SITE GADDUSER", false},
        // Already without the password: asks for it.
        {"SITE CHPASS bob", "SITE CHPASS bob", true},
        // No account yet, or no password taken.
        {"SITE CHPASS", "SITE CHPASS", false},
        {"SITE GADDUSER grp", "SITE GADDUSER grp", false},
        {"SITE REQUESTS", "SITE REQUESTS", false},
        {"SITE CHANGE bob tagline PASS word", "SITE CHANGE bob tagline PASS word", false},
    };
    for (const auto& c : cases) {
        const std::string kept = admin::ownCommandToKeep(c.typed);
        EXPECT_EQ(kept, c.kept) << c.typed;
        EXPECT_EQ(admin::ownCommandAsksPassword(kept), c.asks) << c.typed;
        // Nothing the transcript hides is left in what is kept or listed.
        EXPECT_EQ(session::maskSecrets(kept), kept) << c.typed;
        const std::string listed = admin::ownCommandListed(kept);
        EXPECT_EQ(listed.find("pw"), std::string::npos) << listed;
        EXPECT_EQ(listed.find("s3cret"), std::string::npos) << listed;
        EXPECT_EQ(listed.find("<password asked on Send>") != std::string::npos, c.asks) << listed;
    }
    EXPECT_NE(admin::ownPasswordProblem("SITE CHPASS bob", ""), "");
    EXPECT_NE(admin::ownPasswordProblem("SITE CHPASS bob", "a\r\nSITE DELUSER x"), "");
    EXPECT_NE(admin::ownPasswordProblem("SITE CHPASS bob", std::string(240, 'p')), "");
    EXPECT_EQ(admin::ownPasswordProblem("SITE CHPASS bob", "n3w p\xc3\xa4ss"), "");
}

session::Reply replyOf(int code, std::vector<std::string> lines) {
    session::Reply reply;
    reply.code = code;
    reply.lines = std::move(lines);
    return reply;
}

std::string lastLine(const std::string& text) { return text.substr(text.rfind('\n') + 1); }

// What the page shows of a reply: no code prefix, no colour, no control
// byte, the command masked, and a verdict only where the reply tells one.
TEST(OwnCommands, TheResultIsTheServersWordsWithoutColour) {
    const struct {
        const char* what;
        const char* command;
        session::Reply reply;
        const char* shownLine;
        const char* verdict;
    } cases[] = {
        {"glftpd's success, coloured (flag 5)", "SITE GRPCHANGE col comment x",
         replyOf(200, {"200 \x1b[1;37mCommand Successful.\x1b[0m"}), "Command Successful.",
         "Done: the server answered \"Command Successful.\""},
        {"a script's own last words", "SITE REQUESTS", replyOf(200, {"200 No requests."}), "No requests.",
         "Answered (code 200): whether it was done is in the server's words above."},
        {"a refusal with code 200, coloured", "SITE REQUESTS",
         replyOf(200, {"200 \x1b[1;31mYou do not have access to this command.\x1b[0m"}),
         "You do not have access to this command.",
         "Answered (code 200): whether it was done is in the server's words above."},
        {"a command the server does not know", "SITE NOPE",
         replyOf(500, {"500 'SITE NOPE': command not understood."}), "'SITE NOPE': command not understood.",
         "Refused by the server (code 500): 'SITE NOPE': command not understood."},
        {"an escape that is no colour, a bell", "SITE X", replyOf(200, {"200- a\x1b[2Jb\x07", "200 Done"}),
         "a\\x1b[2Jb\\x07", "Done: the server answered \"Done\""},
        {"a password in the command", "SITE CHPASS bob n3wpw", replyOf(200, {"200 Password Changed..."}),
         "Password Changed...", "Answered (code 200): whether it was done is in the server's words above."},
    };
    for (const auto& c : cases) {
        const std::string result = admin::ownCommandResult(c.command, c.reply);
        EXPECT_EQ(result.find('\x1b'), std::string::npos) << c.what;
        EXPECT_EQ(result.find('\x07'), std::string::npos) << c.what;
        EXPECT_NE(result.find("\n" + std::string(c.shownLine) + "\n"), std::string::npos) << c.what << ":\n" << result;
        EXPECT_EQ(lastLine(result), c.verdict) << c.what;
        EXPECT_EQ(result.substr(0, result.find('\n')), "> " + session::maskSecrets(c.command)) << c.what;
        EXPECT_EQ(result.find("n3wpw"), std::string::npos) << c.what;
    }
}

// Up to the bound a reply shows whole; past it, its first and last lines
// and one line for those left out (the Wine test sends 700,000). A long
// line is cut at a character.
TEST(OwnCommands, AReplyPastTheBoundIsShownBounded) {
    const std::size_t bound = admin::shownHeadLines + admin::shownTailLines;
    for (const std::size_t count : {bound, bound + 1}) {
        session::Reply reply;
        for (std::size_t i = 0; i < count; ++i) {
            reply.lines.push_back("200- line " + std::to_string(i));
        }
        const std::string result = admin::ownCommandResult("SITE BIG", reply);
        // The command, the lines, the note of those left out, the verdict.
        EXPECT_EQ(static_cast<std::size_t>(std::count(result.begin(), result.end(), '\n')),
                  count == bound ? 1 + bound : 2 + bound);
        EXPECT_EQ(result.find("\nline " + std::to_string(admin::shownHeadLines) + "\n") == std::string::npos,
                  count > bound);
        EXPECT_NE(result.find("\nline " + std::to_string(count - 1) + "\n"), std::string::npos);
    }
    std::string wide;
    for (int i = 0; i < 2000; ++i) {
        wide += "\xc3\xa4";
    }
    const std::string result = admin::ownCommandResult("SITE WIDE", replyOf(200, {"200- " + wide, "200 Done"}));
    EXPECT_NE(result.find("\n" + wide.substr(0, admin::shownLineBytes) + " ... (3,000 more bytes)\n"),
              std::string::npos);
}

}  // namespace
