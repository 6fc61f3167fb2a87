// Which account a command acts on: the names a command line carries to
// glftpd 2.13 as they are (found on the real server: '|', a tab, 23
// characters, either case) and those it cannot; and the SITE USER screen read
// for a picked account, which must name exactly it before anything changes.
#include <gtest/gtest.h>

#include <string>

#include "host/admin/account_settings.h"
#include "host/admin/admin_identity.h"
#include "host/admin/admin_plans.h"

namespace {

// A SITE USER screen as glftpd 2.13 prints it for `name`, coloured as it is
// for an operator with flag 5 when `coloured`.
session::Reply screen(const std::string& name, bool coloured) {
    const std::string pad(name.size() < 25 ? 25 - name.size() : 1, ' ');
    session::Reply reply;
    if (coloured) {
        const std::string start = "200- \x1b[1;37m\x1b[34m| \x1b[36m", end = "\x1b[34m|\x1b[0m\x1b[0m\x1b[0;37m";
        reply.lines = {
            "200- \x1b[1;37m\x1b[44mUser Comment\x1b[1;36m: \x1b[1;33mAdded by glftpd\x1b[0m\x1b[0m\x1b[0;37m",
            start + "Username\x1b[1;36m: \x1b[1;32m" + name + pad + "\x1b[36mCreated\x1b[1;36m: \x1b[1;32m12-08-26   " + end,
            start + "Added by\x1b[1;36m: \x1b[1;32mglftpd                   \x1b[36mExpires\x1b[1;36m: \x1b[1;32mNever   " + end,
            start + "Flags\x1b[1;36m: \x1b[1;32m3                           \x1b[36mIdle time\x1b[1;36m: \x1b[1;32mDisabled " + end,
            start + "Max Logins\x1b[1;36m: \x1b[1;32m2                      \x1b[36mFrom same IP\x1b[1;36m: \x1b[1;32mUnlimited " + end,
            start + "Max Sim Uploads\x1b[1;36m: \x1b[1;32mUnlimited         \x1b[36mMax Sim Downloads\x1b[1;36m: \x1b[1;32mUnlimited " + end,
            start + "Timeframe\x1b[1;36m: \x1b[1;32m00:00-00:00             (24 hour format)      " + end,
            start + "Groups\x1b[1;36m:\x1b[1;32m iso                                         " + end,
            "200 \x1b[1;37mCommand Successful.\x1b[0m"};
        return reply;
    }
    reply.lines = {"200- User Comment: Added by glftpd",
                   "200- | Username: " + name + pad + "Created: 12-08-26                  |",
                   "200- | Added by: glftpd                   Expires: Never                     |",
                   "200- | Flags: 3                           Idle time: Disabled                |",
                   "200- | Max Logins: 2                      From same IP: Unlimited            |",
                   "200- | Max Sim Uploads: Unlimited         Max Sim Downloads: Unlimited       |",
                   "200- | Timeframe: 00:00-00:00             (24 hour format)                   |",
                   "200- | Groups: iso                                                           |",
                   "200 Command Successful."};
    return reply;
}

struct Identity {
    const char* what;
    std::string picked;    // as the listing gave it
    std::string shown;     // the name the server's screen prints
    bool coloured;         // the screen in colour (operator flag 5)
    const char* refusal;   // nullptr: the same account; else words of the refusal
};

const Identity identities[] = {
    {"a '|' inside", "alice|x", "alice|x", false, nullptr},
    {"a '|' inside, in colour", "alice|x", "alice|x", true, nullptr},
    {"a tab inside", "tab\tname", "tab\tname", false, nullptr},
    {"17 characters", "verylongname12345", "verylongname12345", false, nullptr},
    {"23 characters, the longest", "abcdefghijklmnopqrstuvw", "abcdefghijklmnopqrstuvw", false, nullptr},
    {"cut at '|' (another account's name)", "alice|x", "alice", false, "cut short"},
    {"cut to 9, as SITE GINFO shows members", "verylongname12345", "verylongn", false, "cut short"},
    {"coloured name left in", "alice", "\x1b[1;32malice", false, "colour codes"},
    {"another case: another account on glftpd", "Alice", "alice", false, "differ in case"},
    {"another case, in colour", "alice", "Alice", true, "differ in case"},
    {"another name", "bob", "alice|x", false, "another account"},
    {"no name", "bob", "", false, "names no account"},
};

TEST(AdminIdentity, TheScreenMustNameExactlyThePickedAccount) {
    for (const Identity& row : identities) {
        admin::AccountSettings account;
        std::string failure;
        std::string shown = row.shown;
        if (row.shown.empty() || row.shown.find('\x1b') != std::string::npos) {
            account.name = row.shown;  // no screen prints these: the rule alone
        } else {
            ASSERT_TRUE(admin::readAccountSettings(screen(row.shown, row.coloured), account, failure))
                << row.what << ": " << failure;
            EXPECT_EQ(account.name, row.shown) << row.what << ": the whole name, colour codes gone";
        }
        const std::string problem = admin::accountScreenProblem(row.picked, account.name);
        if (row.refusal == nullptr) {
            EXPECT_EQ(problem, "") << row.what;
        } else {
            EXPECT_NE(problem.find(row.refusal), std::string::npos) << row.what << ": " << problem;
            EXPECT_NE(problem.find("Nothing was changed."), std::string::npos) << row.what;
            EXPECT_EQ(problem.find('\x1b'), std::string::npos) << row.what;
        }
    }
}

struct Carried {
    const char* what;
    std::string name;
    const char* refusal;  // nullptr: a command line carries it to exactly this account
};

const Carried carried[] = {
    {"'|'", "alice|x", nullptr},
    {"a tab", "tab\tname", nullptr},
    {"upper case", "Alice", nullptr},
    {"23 characters", "abcdefghijklmnopqrstuvw", nullptr},
    {"'=' inside", "x=y", nullptr},
    {"'{' inside", "Ab{c", nullptr},
    {"'}' first", "}c", nullptr},
    {"'?' and '['", "q?x[1]", nullptr},
    {"24 characters: the server reads 23", "abcdefghijklmnopqrstuvwx", "only the first 23"},
    {"'=' first: a group", "=eq", "for the group \"eq\""},
    {"'{' first: a list", "{br", "list of accounts"},
    {"'*': a pattern", "st*r", "pattern"},
    {"a blank", "a b", "blank"},
    {"a line break", "a\rb", "control character"},
    {"nothing", "", "Pick an account"},
};

TEST(AdminIdentity, OnlyNamesACommandLineCarriesAreSent) {
    for (const Carried& row : carried) {
        const std::string problem = admin::accountNameProblem2x(row.name);
        if (row.refusal == nullptr) {
            EXPECT_EQ(problem, "") << row.what;
            EXPECT_EQ(admin::readdPlan(row.name).commands, std::vector<std::string>{"SITE READD " + row.name})
                << row.what;
            continue;
        }
        EXPECT_NE(problem.find(row.refusal), std::string::npos) << row.what << ": " << problem;
        // No plan names it: nothing is sent.
        admin::AccountSettings account;
        account.name = row.name;
        account.idleTime = "Disabled";
        admin::AccountForm form = admin::accountFormOf(account);
        form.idleTime = "5";
        EXPECT_EQ(admin::accountChangePlan(account, form).refusal, problem) << row.what;
        EXPECT_TRUE(admin::purgePlan(row.name).commands.empty()) << row.what;
        EXPECT_TRUE(admin::readdPlan(row.name).commands.empty()) << row.what;
        EXPECT_TRUE(admin::renamePlan(row.name, "other").commands.empty()) << row.what;
    }
}

}  // namespace
