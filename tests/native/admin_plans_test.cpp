// What the operator types, checked before anything is sent, and the commands
// that write only what changed; what a sent plan came to, from real replies.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "host/admin/admin_input.h"
#include "host/admin/admin_plans.h"
#include "host/admin/admin_reply.h"

namespace {

session::Reply capture(const std::string& file) {
    std::string dir = std::string(QUORIN_FIXTURE_DIR) + "/glftpd213";
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error)) dir = "Z:" + dir;  // under Wine
    std::ifstream in(dir + "/" + file, std::ios::binary);
    session::Reply reply;
    std::string line;
    while (std::getline(in, line)) reply.lines.push_back(line);
    EXPECT_FALSE(reply.lines.empty()) << file;
    if (!reply.lines.empty()) reply.code = std::atoi(reply.lines.back().substr(0, 3).c_str());
    return reply;
}

std::string repeated(char c, std::size_t count) { return std::string(count, c); }

struct Rule {
    const char* what;
    std::function<std::string()> check;
    bool fine;
};

const Rule rules[] = {
    // New account names (RENUSER): what glftpd refuses, and what it would cut.
    {"23 characters", [] { return admin::accountNameProblem(repeated('a', 23)); }, true},
    {"24 characters, cut by the server", [] { return admin::accountNameProblem(repeated('a', 24)); }, false},
    {"'!'", [] { return admin::accountNameProblem("a!b"); }, false},
    {"'/'", [] { return admin::accountNameProblem("a/b"); }, false},
    {"':'", [] { return admin::accountNameProblem("a:b"); }, false},
    {"'*' selects many", [] { return admin::accountNameProblem("ab*"); }, false},
    {"a blank", [] { return admin::accountNameProblem("a b"); }, false},
    {"empty", [] { return admin::accountNameProblem(""); }, false},
    {"default. prefix", [] { return admin::accountNameProblem("default.user"); }, false},
    {".lock suffix", [] { return admin::accountNameProblem("frank.lock"); }, false},
    {"dot and digits", [] { return admin::accountNameProblem("frank.12"); }, false},
    {"dot, digits, letter", [] { return admin::accountNameProblem("frank.12a"); }, true},
    {"dots inside", [] { return admin::accountNameProblem("f.r.ank"); }, true},
    {"..", [] { return admin::accountNameProblem(".."); }, false},
    // Dates.
    {"YYYY-MM-DD", [] { return admin::dateProblem("2027-06-30"); }, true},
    {"YYYY-M-D", [] { return admin::dateProblem("2027-6-3"); }, true},
    {"never, any case", [] { return admin::dateProblem("NEVER"); }, true},
    {"month 13", [] { return admin::dateProblem("2027-13-45"); }, false},
    {"DD.MM.YYYY", [] { return admin::dateProblem("30.06.2027"); }, false},
    {"29 February of a leap year", [] { return admin::dateProblem("2028-02-29"); }, true},
    {"29 February otherwise", [] { return admin::dateProblem("2027-02-29"); }, false},
    {"before 1970", [] { return admin::dateProblem("1969-12-31"); }, false},
    {"past a 32-bit server's time", [] { return admin::dateProblem("2038-01-01"); }, false},
    {"a past date the server takes", [] { return admin::dateProblem("2020-01-01"); }, true},
    // Hours.
    {"hour 0", [] { return admin::hourProblem("0"); }, true},
    {"hour 23", [] { return admin::hourProblem("23"); }, true},
    {"hour 24", [] { return admin::hourProblem("24"); }, false},
    {"hour 25, refused by the server too", [] { return admin::hourProblem("25"); }, false},
    {"hour -1", [] { return admin::hourProblem("-1"); }, false},
    {"hour abc, taken as 0 by the server", [] { return admin::hourProblem("abc"); }, false},
    // Numbers.
    {"-1 in -1..32767", [] { return admin::numberProblem("-1", -1, 32767, "Slots"); }, true},
    {"99999999, wrapped by the server", [] { return admin::numberProblem("99999999", -1, 32767, "Slots"); }, false},
    {"past 64 bits", [] { return admin::numberProblem("99999999999999999999999", -1, 32767, "Slots"); }, false},
    {"not a number", [] { return admin::numberProblem("abc", -1, 32767, "Slots"); }, false},
    {"a plus sign", [] { return admin::numberProblem("+5", -1, 32767, "Slots"); }, false},
    // Texts that end the server's session when too long.
    {"comment of 49", [] { return admin::commentProblem(repeated('c', 49)); }, true},
    {"comment of 50", [] { return admin::commentProblem(repeated('c', 50)); }, false},
    {"comment with a line break", [] { return admin::commentProblem("a\r\nSITE DELUSER x"); }, false},
    {"tagline of 63", [] { return admin::taglineProblem(repeated('t', 63)); }, true},
    {"tagline of 64", [] { return admin::taglineProblem(repeated('t', 64)); }, false},
    {"group comment of 63", [] { return admin::groupCommentProblem(repeated('g', 63)); }, true},
    {"group comment of 64, cut by the server", [] { return admin::groupCommentProblem(repeated('g', 64)); }, false},
    // The operator's own commands.
    {"SITE REQUESTS", [] { return admin::ownCommandProblem("SITE REQUESTS"); }, true},
    {"site pre with words", [] { return admin::ownCommandProblem("site pre My.Release-GRP mp3"); }, true},
    {"SITE alone", [] { return admin::ownCommandProblem("SITE "); }, false},
    {"not a SITE command", [] { return admin::ownCommandProblem("DELE /site/x"); }, false},
    {"two lines", [] { return admin::ownCommandProblem("SITE X\r\nDELE y"); }, false},
    {"256 characters", [] { return admin::ownCommandProblem("SITE " + repeated('x', 251)); }, false},
    // SITE CHANGE values for one change for many.
    {"ratio 9", [] { return admin::changeValueProblem("ratio", "9"); }, true},
    {"ratio 10", [] { return admin::changeValueProblem("ratio", "10"); }, false},
    {"max_ulspeed 2m", [] { return admin::changeValueProblem("max_ulspeed", "2m"); }, true},
    {"max_ulspeed 3000m", [] { return admin::changeValueProblem("max_ulspeed", "3000m"); }, false},
    {"max_sim_up -2", [] { return admin::changeValueProblem("max_sim_up", "-2"); }, false},
    {"num_logins 4 2", [] { return admin::changeValueProblem("num_logins", "4 2"); }, true},
    {"num_logins 4 abc", [] { return admin::changeValueProblem("num_logins", "4 abc"); }, false},
    {"timeframe 8 20", [] { return admin::changeValueProblem("timeframe", "8 20"); }, true},
    {"timeframe 25 3", [] { return admin::changeValueProblem("timeframe", "25 3"); }, false},
    {"idle_time abc", [] { return admin::changeValueProblem("idle_time", "abc"); }, false},
    {"time_limit abc", [] { return admin::changeValueProblem("time_limit", "abc"); }, false},
    {"wkly_allotment 0,2048", [] { return admin::changeValueProblem("wkly_allotment", "0,2048"); }, true},
    {"flags +I", [] { return admin::changeValueProblem("flags", "+I"); }, true},
    {"flags +!", [] { return admin::changeValueProblem("flags", "+!"); }, false},
    {"homedir /tmp/x", [] { return admin::changeValueProblem("homedir", "/site/iso home"); }, false},
    {"upper-case setting", [] { return admin::changeValueProblem("RATIO", "1"); }, false},
    {"unknown setting", [] { return admin::changeValueProblem("slots", "1"); }, false},
    {"no value", [] { return admin::changeValueProblem("tagline", " "); }, false},
};

TEST(AdminInput, RulesRefuseWhatTheServerRefusesCutsOrMisreads) {
    for (const Rule& rule : rules) {
        const std::string problem = rule.check();
        EXPECT_EQ(problem.empty(), rule.fine) << rule.what << ": " << problem;
    }
}

admin::GroupSettings iso() {
    admin::GroupSettings group;
    group.name = "iso";
    group.comment = "ISO couriers";
    group.slots = 20;
    group.leechSlots = 3;
    group.allotSlots = 5;
    group.maxAllotSizeKb = 4096;
    group.maxLogins = 4;
    return group;
}

admin::AccountSettings isouser1() {
    admin::AccountSettings account;
    std::string failure;
    EXPECT_TRUE(admin::readAccountSettings(capture("site-user-isouser1-all-settings.txt"), account, failure))
        << failure;
    return account;
}

struct PlanCase {
    const char* what;
    std::function<admin::Plan()> plan;
    std::vector<std::string> commands;  // empty with `refused` false: nothing changed
    bool refused;
};

const PlanCase plans[] = {
    {"a group form as read", [] { return admin::groupChangePlan(iso(), admin::groupFormOf(iso())); }, {}, false},
    {"only what changed, in the server's order",
     [] {
         admin::GroupForm form = admin::groupFormOf(iso());
         form.maxLogins = "0";
         form.slots = "10";
         form.comment = "  Fast ISO couriers ";
         return admin::groupChangePlan(iso(), form);
     },
     {"SITE GRPCHANGE iso slots 10", "SITE GRPCHANGE iso max_logins 0", "SITE GRPCHANGE iso comment Fast ISO couriers"},
     false},
    {"the screen's words for special values",
     [] {
         admin::GroupForm form = admin::groupFormOf(iso());
         form.slots = "Unlimited";
         form.leechSlots = "disabled";
         form.maxAllotSizeKb = "unlimited";
         return admin::groupChangePlan(iso(), form);
     },
     {"SITE GRPCHANGE iso slots -1", "SITE GRPCHANGE iso leech_slots -2", "SITE GRPCHANGE iso max_allot_size 0"},
     false},
    {"slots the server would wrap",
     [] {
         admin::GroupForm form = admin::groupFormOf(iso());
         form.slots = "99999999";
         return admin::groupChangePlan(iso(), form);
     },
     {}, true},
    {"slots that are no number",
     [] {
         admin::GroupForm form = admin::groupFormOf(iso());
         form.slots = "abc";
         return admin::groupChangePlan(iso(), form);
     },
     {}, true},
    {"leech slots below disabled",
     [] {
         admin::GroupForm form = admin::groupFormOf(iso());
         form.leechSlots = "-3";
         return admin::groupChangePlan(iso(), form);
     },
     {}, true},
    {"a group comment the server would cut",
     [] {
         admin::GroupForm form = admin::groupFormOf(iso());
         form.comment = repeated('D', 64);
         return admin::groupChangePlan(iso(), form);
     },
     {}, true},
    {"a wrapped value read back stays unsent beside a change",
     [] {
         admin::GroupSettings wrapped = iso();
         wrapped.slots = -7937;
         admin::GroupForm form = admin::groupFormOf(wrapped);
         form.maxLogins = "6";
         return admin::groupChangePlan(wrapped, form);
     },
     {"SITE GRPCHANGE iso max_logins 6"}, false},
    {"an account form as read", [] { return admin::accountChangePlan(isouser1(), admin::accountFormOf(isouser1())); },
     {}, false},
    {"the same date written another way",
     [] {
         admin::AccountForm form = admin::accountFormOf(isouser1());
         form.expires = "2027-6-30";
         form.timeframeFrom = "08";
         return admin::accountChangePlan(isouser1(), form);
     },
     {}, false},
    {"every account setting of the page",
     [] {
         admin::AccountForm form = admin::accountFormOf(isouser1());
         form.expires = "Never";
         form.timeframeFrom = "";
         form.timeframeTo = "";
         form.idleTime = "Disabled";
         form.comment = "Moved to mp3";
         form.maxSimUploads = "Unlimited";
         form.maxSimDownloads = "0";
         form.sameIpLogins = "Unlimited";
         return admin::accountChangePlan(isouser1(), form);
     },
     {"SITE CHANGE isouser1 expires never", "SITE CHANGE isouser1 timeframe 0 0", "SITE CHANGE isouser1 idle_time -1",
      "SITE CHANGE isouser1 max_sim_up -1", "SITE CHANGE isouser1 max_sim_down 0",
      "SITE CHANGE isouser1 comment Moved to mp3", "SITE CHANGE isouser1 num_logins 4 0"},
     false},
    {"a day February lacks",
     [] {
         admin::AccountForm form = admin::accountFormOf(isouser1());
         form.expires = "2027-02-30";
         return admin::accountChangePlan(isouser1(), form);
     },
     {}, true},
    {"hour 25",
     [] {
         admin::AccountForm form = admin::accountFormOf(isouser1());
         form.timeframeFrom = "25";
         return admin::accountChangePlan(isouser1(), form);
     },
     {}, true},
    {"idle time -5, taken silently by the server",
     [] {
         admin::AccountForm form = admin::accountFormOf(isouser1());
         form.idleTime = "-5";
         return admin::accountChangePlan(isouser1(), form);
     },
     {}, true},
    {"30001 uploads at once",
     [] {
         admin::AccountForm form = admin::accountFormOf(isouser1());
         form.maxSimUploads = "30001";
         return admin::accountChangePlan(isouser1(), form);
     },
     {}, true},
    {"a comment of 50, which ends the server's session",
     [] {
         admin::AccountForm form = admin::accountFormOf(isouser1());
         form.comment = repeated('c', 50);
         return admin::accountChangePlan(isouser1(), form);
     },
     {}, true},
    {"a deleted account",
     [] {
         admin::AccountSettings deleted = isouser1();
         deleted.deleted = true;
         admin::AccountForm form = admin::accountFormOf(deleted);
         form.idleTime = "5";
         return admin::accountChangePlan(deleted, form);
     },
     {}, true},
    {"rename", [] { return admin::renamePlan("mp3two", " mp3duo "); }, {"SITE RENUSER mp3two mp3duo"}, false},
    {"rename to the same name", [] { return admin::renamePlan("mp3duo", "mp3duo"); }, {}, true},
    {"rename to 24 characters", [] { return admin::renamePlan("mp3duo", repeated('a', 24)); }, {}, true},
    {"group admin toggle", [] { return admin::groupAdminTogglePlan("isoadm", "iso"); }, {"SITE CHGADMIN isoadm iso"},
     false},
    {"re-add", [] { return admin::readdPlan("delme"); }, {"SITE READD delme"}, false},
    {"purge one", [] { return admin::purgePlan("delme"); }, {"SITE PURGE delme"}, false},
    {"purge '*', every deleted account", [] { return admin::purgePlan("*"); }, {}, true},
    {"one change for a group",
     [] { return admin::bulkChangePlan({admin::BulkTarget::Group, "iso", {}, "ratio", "2"}); },
     {"SITE CHANGE =iso ratio 2"}, false},
    {"one change for a list",
     [] { return admin::bulkChangePlan({admin::BulkTarget::List, "", {"mp3one", "mp3duo"}, "tagline", "x y"}); },
     {"SITE CHANGE { mp3one mp3duo } tagline x y"}, false},
    {"one change for everyone",
     [] { return admin::bulkChangePlan({admin::BulkTarget::Everyone, "", {}, "expires", "2027-6-3"}); },
     {"SITE CHANGE * expires 2027-06-03"}, false},
    {"a list of 31",
     [] {
         std::vector<std::string> accounts;
         for (int i = 0; i < 31; ++i) accounts.push_back("user" + std::to_string(i));
         return admin::bulkChangePlan({admin::BulkTarget::List, "", accounts, "ratio", "1"});
     },
     {}, true},
    {"a name twice in the list",
     [] { return admin::bulkChangePlan({admin::BulkTarget::List, "", {"a", "b", "a"}, "ratio", "1"}); }, {}, true},
    {"a group name that selects more",
     [] { return admin::bulkChangePlan({admin::BulkTarget::Group, "*", {}, "ratio", "1"}); }, {}, true},
    {"a tagline of 64 for everyone",
     [] { return admin::bulkChangePlan({admin::BulkTarget::Everyone, "", {}, "tagline", repeated('t', 64)}); }, {},
     true},
};

TEST(AdminPlans, OnlyWhatChangedIsSentAndWhatTheServerWouldMisreadIsRefused) {
    for (const PlanCase& test : plans) {
        const admin::Plan plan = test.plan();
        EXPECT_EQ(!plan.refusal.empty(), test.refused) << test.what << ": " << plan.refusal;
        EXPECT_EQ(plan.commands, test.commands) << test.what;
        if (test.refused) {
            EXPECT_TRUE(plan.commands.empty()) << test.what;
        }
    }
}

TEST(AdminPlans, TheCountBeforeOneChangeForManyIsTheServersOwn) {
    std::string failure;
    admin::UserListing listing;
    // SITE CHANGE =iso ratio 2 answered "applied to 5 users" with iso's
    // deleted member left out; SITE USERS =iso lists the same five.
    const admin::BulkForm group{admin::BulkTarget::Group, "iso", {}, "ratio", "2"};
    EXPECT_EQ(admin::bulkCountCommand(group), "SITE USERS =iso");
    ASSERT_TRUE(admin::readUserListing(capture("site-users-eq-iso-after-bulk.txt"), listing, failure)) << failure;
    EXPECT_EQ(admin::bulkCount(group, listing), 5);
    EXPECT_EQ(admin::judgeReply(capture("site-change-eq-iso-ratio-2.txt")).appliedCount, 5);
    // SITE CHANGE * max_sim_up 3: 10 users, the listing's 10 live accounts.
    const admin::BulkForm everyone{admin::BulkTarget::Everyone, "", {}, "max_sim_up", "3"};
    EXPECT_EQ(admin::bulkCountCommand(everyone), "SITE USERS");
    ASSERT_TRUE(admin::readUserListing(capture("site-users.txt"), listing, failure)) << failure;
    EXPECT_EQ(admin::bulkCount(everyone, listing), 10);
    EXPECT_EQ(admin::judgeReply(capture("site-change-all-max_sim_up-3.txt")).appliedCount, 10);
    // A list counts the live accounts it names, each once; a missing one is
    // what the server reports as "Error modifying".
    const admin::BulkForm list{admin::BulkTarget::List, "", {"mp3one", "nosuchuser", "delme"}, "tagline", "x"};
    EXPECT_EQ(admin::bulkCountCommand(list), "SITE USERS");
    EXPECT_EQ(admin::bulkCount(list, listing), 1);
}

TEST(AdminPlans, TheOutcomeSaysWhichPartWasTaken) {
    const admin::Plan group{"", {"SITE GRPCHANGE iso slots 10", "SITE GRPCHANGE iso max_logins abc",
                                 "SITE GRPCHANGE iso comment x"}};
    admin::PlanOutcome outcome = admin::planOutcome(
        group, {capture("site-grpchange-iso-slots-10.txt"), capture("site-grpchange-iso-slots-abc.txt")});
    EXPECT_EQ(outcome.applied, 1u);
    EXPECT_FALSE(outcome.complete);
    EXPECT_EQ(outcome.summary, "Done: slots 10. The server refused max_logins abc: The value specified is out of "
                               "range. Not sent: comment x.");

    outcome = admin::planOutcome(group, {capture("site-grpchange-iso-slots-10.txt"),
                                         capture("site-grpchange-iso-max_logins-3.txt"),
                                         capture("site-grpchange-iso-comment.txt")});
    EXPECT_EQ(outcome.applied, 3u);
    EXPECT_TRUE(outcome.complete);

    const admin::Plan list{"", {"SITE CHANGE { mp3one nosuchuser } tagline x"}};
    outcome = admin::planOutcome(list, {capture("site-change-list-with-missing.txt")});
    EXPECT_EQ(outcome.applied, 0u);
    EXPECT_FALSE(outcome.complete);
    EXPECT_EQ(outcome.summary, "tagline x: modified mp3one; not modified: nosuchuser.");

    const admin::Plan everyone{"", {"SITE CHANGE * max_sim_up 3"}};
    outcome = admin::planOutcome(everyone, {capture("site-change-all-max_sim_up-3.txt")});
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(outcome.summary, "Done: max_sim_up 3 (applied to 10).");

    const admin::Plan crash{"", {"SITE CHANGE crashme comment " + repeated('c', 50), "SITE CHANGE crashme idle_time 5"}};
    outcome = admin::planOutcome(crash, {capture("site-change-comment-50.txt")});
    EXPECT_EQ(outcome.applied, 0u);
    EXPECT_NE(outcome.summary.find("The server ended the session."), std::string::npos) << outcome.summary;
    EXPECT_NE(outcome.summary.find("Not sent: idle_time 5."), std::string::npos) << outcome.summary;

    EXPECT_EQ(admin::planOutcome(admin::Plan{}, {}).summary, "Nothing to change.");
}

// A comment an older client wrote in Latin-1 is shown readable and kept as
// the server's bytes: changing only the idle time sends only the idle time.
TEST(AdminPlans, AValueTheOperatorLeftIsNeverSentAndKeepsTheServersBytes) {
    admin::AccountSettings eve = isouser1();
    eve.name = "eve12";
    eve.comment = "Gr\xfc\xdf" "e aus K\xf6ln";  // Latin-1
    eve.idleTime = "Disabled";
    admin::AccountForm form = admin::accountFormOf(eve);
    EXPECT_EQ(form.comment, "Gr\xc3\xbc\xc3\x9f" "e aus K\xc3\xb6ln");
    EXPECT_EQ(form.idleTime, "-1") << "the box holds a number; -1 is said beside it";
    EXPECT_TRUE(admin::accountChangePlan(eve, form).commands.empty());
    form.idleTime = "15";
    EXPECT_EQ(admin::accountChangePlan(eve, form).commands,
              std::vector<std::string>{"SITE CHANGE eve12 idle_time 15"});
    form.comment = "Gruesse aus Koeln";
    EXPECT_EQ(admin::accountChangePlan(eve, form).commands,
              (std::vector<std::string>{"SITE CHANGE eve12 idle_time 15", "SITE CHANGE eve12 comment Gruesse aus Koeln"}));
}

// "Written and read back" only when the read-back holds what was written;
// otherwise the setting and what the server holds.
TEST(AdminPlans, TheVerdictComparesTheReadBackWithWhatWasWritten) {
    admin::AccountSettings before;
    std::string failure;
    ASSERT_TRUE(admin::readAccountSettings(capture("colour/account-site-user-isouser1-plain.txt"), before, failure));
    admin::AccountSettings after;
    ASSERT_TRUE(admin::readAccountSettings(capture("colour/account-site-user-isouser1-after-colour.txt"), after, failure));
    admin::AccountForm form = admin::accountFormOf(before);
    form.idleTime = "20";
    form.comment = "Courier";
    const admin::Plan plan = admin::accountChangePlan(before, form);
    ASSERT_EQ(plan.commands.size(), 2u);
    const admin::PlanOutcome taken =
        admin::planOutcome(plan, {capture("colour/account-site-change-isouser1-comment-colour.txt"),
                                  capture("colour/account-site-change-isouser1-comment-colour.txt")});
    ASSERT_TRUE(taken.complete);
    std::vector<admin::Written> readBack = admin::accountReadBack(after);
    EXPECT_EQ(admin::writeVerdict(plan, taken, -1, &readBack, ""),
              "Written and read back: Idle time 20, Comment \"Courier\".");

    // The server took idle time 20 but holds 0 (as it does for "abc").
    after.idleTime = "0";
    readBack = admin::accountReadBack(after);
    const std::string differs = admin::writeVerdict(plan, taken, -1, &readBack, "");
    EXPECT_EQ(differs.find("Written and read back"), std::string::npos) << differs;
    EXPECT_NE(differs.find("Idle time: written 20, the server holds 0."), std::string::npos) << differs;

    const std::string unread = admin::writeVerdict(plan, taken, -1, nullptr, "User 'isouser1' does not exist.");
    EXPECT_EQ(unread, "Sent and taken by the server: Idle time 20, Comment \"Courier\".\n"
                      "Not read back: User 'isouser1' does not exist.");
}

// SITE USERS =ISO lists iso without regard to case (5 accounts), SITE
// CHANGE =ISO matches with case and changes none: the count refuses the
// other case, and an applied count that differs is the server's numbers.
TEST(AdminPlans, AChangeForManyIsCountedWithTheChangesCaseAndNeverDoneOnOtherNumbers) {
    admin::UserListing listing;
    std::string failure;
    ASSERT_TRUE(admin::readUserListing(capture("colour/account-site-users-eq-ISO-colour.txt"), listing, failure));
    const admin::BulkForm upper{admin::BulkTarget::Group, "ISO", {}, "idle_time", "30"};
    EXPECT_EQ(admin::bulkCount(upper, listing), 5);
    const std::string problem = admin::bulkCountProblem(upper, listing);
    EXPECT_NE(problem.find("The group is called iso, not ISO"), std::string::npos) << problem;
    const admin::BulkForm lower{admin::BulkTarget::Group, "iso", {}, "idle_time", "30"};
    EXPECT_EQ(admin::bulkCountProblem(lower, listing), "");

    // Were it sent anyway: "applied to 0" against 5 confirmed.
    const admin::Plan plan = admin::bulkChangePlan(upper);
    const admin::PlanOutcome outcome =
        admin::planOutcome(plan, {capture("colour/account-site-change-eq-ISO-idle_time-30-colour.txt")});
    const std::string verdict = admin::writeVerdict(plan, outcome, 5, nullptr, "");
    EXPECT_EQ(verdict.find("Done"), std::string::npos) << verdict;
    EXPECT_EQ(verdict.find("Taken"), std::string::npos) << verdict;
    EXPECT_NE(verdict.find("The server's numbers differ from the count: it says applied to 0 account(s), but 5 "
                           "were counted and confirmed."),
              std::string::npos)
        << verdict;
    const admin::PlanOutcome same =
        admin::planOutcome(admin::bulkChangePlan(lower), {capture("colour/account-site-change-eq-iso-idle_time-30-colour.txt")});
    EXPECT_EQ(admin::writeVerdict(admin::bulkChangePlan(lower), same, 5, nullptr, ""),
              "Taken by the server: Idle time (min.) 30 for =iso (applied to 5), as counted.");
    // The change record's words for the same.
    EXPECT_EQ(admin::recordVerdict(admin::bulkChangePlan(lower), same, 5, nullptr, ""),
              "applied to 5 account(s), as counted");
    EXPECT_EQ(admin::recordVerdict(plan, outcome, 5, nullptr, ""),
              "applied to 0 account(s), but 5 were counted and confirmed");
}

// The same for a group (SITE GRPCHANGE, read back with SITE GRP): what the
// group page hands the kit.
TEST(AdminPlans, AGroupChangeReadsBackAsWrittenOrNamesWhatTheServerHolds) {
    admin::GroupSettings group = iso();
    group.comment = "Caf\xe9 couriers";  // Latin-1
    admin::GroupForm form = admin::groupFormOf(group);
    EXPECT_EQ(form.comment, "Caf\xc3\xa9 couriers");
    EXPECT_TRUE(admin::groupChangePlan(group, form).commands.empty()) << "the comment left as it was";
    form.slots = "7";
    const admin::Plan plan = admin::groupChangePlan(group, form);
    ASSERT_EQ(plan.commands, std::vector<std::string>{"SITE GRPCHANGE iso slots 7"});
    const admin::PlanOutcome taken = admin::planOutcome(plan, {capture("site-grpchange-iso-slots-10.txt")});
    admin::GroupSettings after = group;
    after.slots = 7;
    std::vector<admin::Written> readBack = admin::groupReadBack(after);
    EXPECT_EQ(admin::writeVerdict(plan, taken, -1, &readBack, ""), "Written and read back: Slots 7.");
    readBack = admin::groupReadBack(group);  // another group's screen: slots 20
    EXPECT_NE(admin::writeVerdict(plan, taken, -1, &readBack, "").find("Slots: written 7, the server holds 20."),
              std::string::npos);
}

}  // namespace

