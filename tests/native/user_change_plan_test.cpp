#include "pages/users/user_change_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/heap.h"

namespace {

// What the page's form holds; the test edits it and hands it to the plan.
struct FormTexts {
    std::string userName = "bob";
    std::string ipMasks[userIpMaskCount];
    bool flags[userFlagCount] = {};
    std::string password = "?";
    std::string ratio = "3";
    std::string maxLogins = "2";
    std::string weeklyAllotment = "1024.0";
    std::string gadminSlots = "unlim";
    std::string leechSlots = "4";
    std::string timeLimit = "unlim";
    std::string credits = "2868.8";
    std::string tagline = "Bob was here";
    std::string maxUploadSpeed = "0.0";
    std::string maxDownloadSpeed = "250.0";
    std::vector<std::string> groups{"friends", "testers"};
    std::vector<std::string> privateGroups{"STAFF"};
};

struct Sent {
    std::vector<std::string> commands;
    int failAt = -1;  // index of the command the host fails
};

bool recordingSender(const CommandText& command, void* context) {
    Sent* sent = static_cast<Sent*>(context);
    sent->commands.push_back(command.text());
    return static_cast<int>(sent->commands.size()) - 1 != sent->failAt;
}

NameList* toList(const std::vector<std::string>& names) {
    NameList* list = nullptr;
    for (const std::string& name : names) {
        appendName(list, name.c_str());
    }
    return list;
}

class UserChangePlan : public testing::Test {
protected:
    void SetUp() override {
        clearUserRecord();
        blocksBefore = liveHeapBlocks();
        // The record as a load of bob's account leaves it.
        record.password = dupText("?");
        record.maxLogins = dupText("2");
        record.gadminSlots = dupText("unlim");
        record.leechSlots = dupText("4");
        record.timeLimit = dupText("unlim");
        record.ratio = dupText("3");
        record.weeklyAllotment = dupText("1024.0");
        record.credits = dupText("2868.8");
        record.tagline = dupText("Bob was here");
        record.maxDownloadSpeed = dupText("250.0");
        record.maxUploadSpeed = dupText("0.0");
        record.flags[2] = true;  // 3
        record.flags[8] = true;  // A
        record.ipMasks[0] = dupText("*@127.0.0.1");
        record.ipMasks[1] = dupText("bob@198.51.100.17");
        record.ipMasks[2] = dupText("*@192.0.2.*");
        record.ipMasks[3] = dupText("");
        appendName(record.groups, "friends");
        appendName(record.groups, "testers");
        appendName(record.privateGroups, "STAFF");
        resetForm();
    }

    void TearDown() override {
        clearUserRecord();
        EXPECT_EQ(liveHeapBlocks(), blocksBefore) << "the plan keeps no block";
    }

    // The form as the page shows the loaded record.
    void resetForm() {
        form = FormTexts{};
        for (int slot = 0; slot < userIpMaskCount; ++slot) {
            form.ipMasks[slot] = record.ipMasks[slot] != nullptr ? record.ipMasks[slot] : "";
        }
        std::copy(record.flags, record.flags + userFlagCount, form.flags);
    }

    // Runs the plan over the current form; the host fails command `failAt`.
    std::vector<std::string> run(int failAt = -1) {
        UserChangeForm input{};
        input.userName = form.userName.c_str();
        for (int slot = 0; slot < userIpMaskCount; ++slot) {
            input.ipMasks[slot] = form.ipMasks[slot].c_str();
        }
        for (int slot = 0; slot < userFlagCount; ++slot) {
            input.flags[slot] = form.flags[slot];
        }
        input.password = form.password.c_str();
        input.ratio = form.ratio.c_str();
        input.maxLogins = form.maxLogins.c_str();
        input.weeklyAllotment = form.weeklyAllotment.c_str();
        input.gadminSlots = form.gadminSlots.c_str();
        input.leechSlots = form.leechSlots.c_str();
        input.timeLimit = form.timeLimit.c_str();
        input.credits = form.credits.c_str();
        input.tagline = form.tagline.c_str();
        input.maxUploadSpeed = form.maxUploadSpeed.c_str();
        input.maxDownloadSpeed = form.maxDownloadSpeed.c_str();
        NameList* groups = toList(form.groups);
        NameList* privateGroups = toList(form.privateGroups);
        input.groups = groups;
        input.privateGroups = privateGroups;
        Sent sent;
        sent.failAt = failAt;
        result = writeUserChangePlan(input, record, recordingSender, &sent);
        freeNameList(groups);
        freeNameList(privateGroups);
        return sent.commands;
    }

    using Commands = std::vector<std::string>;

    std::int32_t blocksBefore = 0;
    UserRecord& record = userRecord;  // cleared by clearUserRecord
    FormTexts form;
    UserChangeResult result{};
};

}  // namespace

TEST_F(UserChangePlan, AnUnchangedFormSendsNothingAndNeedsNoReload) {
    EXPECT_EQ(run(), Commands{});
    EXPECT_FALSE(result.failed);
    EXPECT_FALSE(userChangeNeedsReload(result));
    // Case alone is no change where the comparison ignores it.
    form.gadminSlots = "UNLIM";
    form.timeLimit = "Unlim";
    EXPECT_EQ(run(), Commands{});
}

TEST_F(UserChangePlan, MasksFollowTheServersRenumberingAndTheirFullForm) {
    form.ipMasks[0] = "";
    form.ipMasks[1] = "203.0.113";        // replaced: a delete, then the add
    form.ipMasks[2] = "192.0.2.*";        // the loaded *@192.0.2.* typed short
    form.ipMasks[3] = "ident@";           // the present but empty slot
    form.ipMasks[5] = "*@10.0.0.1";       // an absent slot
    EXPECT_EQ(run(), (Commands{"SITE DELIP bob 0", "SITE DELIP bob 0", "SITE ADDIP bob *@203.0.113.*",
                               "SITE ADDIP bob ident@*.*.*.*", "SITE ADDIP bob *@10.0.0.1"}));
    form.ipMasks[1] = record.ipMasks[1];
    form.ipMasks[3] = form.ipMasks[5] = "";
    form.ipMasks[2] = "";
    EXPECT_EQ(run(), (Commands{"SITE DELIP bob 0", "SITE DELIP bob 1"}));
}

TEST_F(UserChangePlan, FlagsPasswordAndTaglineFollowTheirOwnRules) {
    // Every slot flipped but two: the longest flags text still fits.
    for (bool& flag : form.flags) {
        flag = !flag;
    }
    form.flags[0] = false;
    form.flags[8] = true;
    form.password = "";
    form.tagline = "bob was here";  // exact comparison
    EXPECT_EQ(run(), (Commands{"SITE CHANGE bob flags +2-3+4+5+6+7+8+B+C+D+E+F+G+H+I",
                               "SITE CHPASS bob ", "SITE CHANGE bob tagline bob was here"}));
    resetForm();
    // An absent tagline is only written over by typed text.
    clearText(record.tagline);
    form.tagline = "";
    EXPECT_EQ(run(), Commands{});
    form.tagline = "new one";
    EXPECT_EQ(run(), Commands{"SITE CHANGE bob tagline new one"});
}

TEST_F(UserChangePlan, ATaglinePastWhatTheServerKeepsIsCaughtOnlyWhenItWouldBeSent) {
    auto refused = [this] {
        UserChangeForm input{};
        input.tagline = form.tagline.c_str();
        return taglineTooLongToSend(input, record);
    };
    form.tagline = std::string(63, 't');
    EXPECT_FALSE(refused());
    form.tagline = std::string(64, 't');  // glftpd 2.x asserts and ends the session
    EXPECT_TRUE(refused());
    replaceText(record.tagline, form.tagline.c_str());  // what the server already holds is not sent
    EXPECT_FALSE(refused());
    clearText(record.tagline);
    EXPECT_TRUE(refused());
}

TEST_F(UserChangePlan, NumbersConvertLikeTheServerWantsThemAndClampAtThirtyTwoBits) {
    form.ratio = "UNLIM";                   // unlim means 0 here
    form.maxLogins = "-4294967295";
    form.weeklyAllotment = "3000000";       // 3 072 000 000 kB
    form.gadminSlots = "unlimited";         // not the unlim word: no number, 0
    form.leechSlots = "2147483648";
    form.timeLimit = "90 minutes";
    form.credits = "-99999999999999999999";
    form.maxUploadSpeed = "Unlim";
    form.maxDownloadSpeed = "2147483647.9";
    EXPECT_EQ(run(), (Commands{
                         "SITE CHANGE bob ratio 0",
                         "SITE CHANGE bob num_logins -2147483648",
                         "SITE CHANGE bob wkly_allotment 2147483647",
                         "SITE CHANGE bob group_slots 0",
                         "SITE CHANGE bob group_slots 0 2147483647",
                         "SITE CHANGE bob time_limit 90",
                         "SITE CHANGE bob credits -2147483648",
                         "SITE CHANGE bob max_ulspeed 0",
                         "SITE CHANGE bob max_dlspeed 2147483647",
                     }));
    EXPECT_EQ(megabytesToKilobytes("1.5"), 1536);
    EXPECT_EQ(megabytesToKilobytes("unlim"), 0);
    EXPECT_EQ(megabytesToKilobytes("1e400"), 2147483647);
    EXPECT_EQ(megabytesToKilobytes("nan"), 0);
    EXPECT_EQ(megabytesToKilobytes("-0.0009"), 0);  // truncated toward zero
    // Megabytes compare exactly: the same number written otherwise is sent.
    resetForm();
    form.credits = "2868.80";
    EXPECT_EQ(run(), Commands{"SITE CHANGE bob credits 2937651"});
}

TEST_F(UserChangePlan, GroupSlotsAlwaysCarryBothNumbers) {
    form.leechSlots = "5";  // group slots still show unlim
    EXPECT_EQ(run(), Commands{"SITE CHANGE bob group_slots -1 5"});
    form.gadminSlots = "3";
    form.leechSlots = "UNLIM";
    EXPECT_EQ(run(), (Commands{"SITE CHANGE bob group_slots 3", "SITE CHANGE bob group_slots 3 -1"}));
    form.gadminSlots = "Unlim";  // no change, the case aside
    EXPECT_EQ(run(), Commands{"SITE CHANGE bob group_slots -1 -1"});
}

TEST_F(UserChangePlan, AbsentLimitsAreSentOnlyWhenTheFormHoldsText) {
    clearText(record.ratio);
    clearText(record.maxLogins);
    clearText(record.timeLimit);
    clearText(record.credits);
    form.ratio = form.maxLogins = form.timeLimit = form.credits = "";
    EXPECT_EQ(run(), Commands{});
    form.ratio = "2";
    form.credits = "1";
    EXPECT_EQ(run(), (Commands{"SITE CHANGE bob ratio 2", "SITE CHANGE bob credits 1024"}));
}

TEST_F(UserChangePlan, GroupsLeftGoFirstThenGroupsJoinedPublicBeforePrivate) {
    form.groups = {"testers", "friends"};  // order alone is no change
    form.privateGroups = {"STAFF"};
    EXPECT_EQ(run(), Commands{});
    form.groups = {"testers", "glftpd"};
    form.privateGroups = {"STAFF", "VIP"};
    EXPECT_EQ(run(), (Commands{"SITE CHGRP bob friends", "SITE CHGRP bob glftpd",
                               "SITE CHGRP bob VIP"}));
    form.groups = {};
    form.privateGroups = {};
    EXPECT_EQ(run(), (Commands{"SITE CHGRP bob friends", "SITE CHGRP bob testers",
                               "SITE CHGRP bob STAFF"}));
    // The member list's search ignores case: a loaded name is still there.
    form.groups = {"FRIENDS", "testers"};
    form.privateGroups = {"STAFF"};
    EXPECT_EQ(run(), Commands{"SITE CHGRP bob FRIENDS"});
}

namespace {

// One change in every step, so every kind of command is in the chain.
void changeEverything(FormTexts& form) {
    form.ipMasks[0] = "";
    form.ipMasks[1] = "bob@203.0.113.7";
    form.flags[4] = true;
    form.password = "new";
    form.tagline = "changed";
    form.ratio = "unlim";
    form.maxLogins = "5";
    form.weeklyAllotment = "2";
    form.gadminSlots = "1";
    form.leechSlots = "2";
    form.timeLimit = "60";
    form.credits = "3";
    form.maxUploadSpeed = "100";
    form.maxDownloadSpeed = "200";
    form.groups = {"friends", "glftpd"};
    form.privateGroups = {};
}

const std::vector<std::string> everyChange{
    "SITE DELIP bob 0",
    "SITE DELIP bob 0",
    "SITE ADDIP bob bob@203.0.113.7",
    "SITE CHANGE bob flags +5",
    "SITE CHPASS bob new",
    "SITE CHANGE bob tagline changed",
    "SITE CHANGE bob ratio 0",
    "SITE CHANGE bob num_logins 5",
    "SITE CHANGE bob wkly_allotment 2048",
    "SITE CHANGE bob group_slots 1",
    "SITE CHANGE bob group_slots 1 2",
    "SITE CHANGE bob time_limit 60",
    "SITE CHANGE bob credits 3072",
    "SITE CHANGE bob max_ulspeed 100",
    "SITE CHANGE bob max_dlspeed 200",
    "SITE CHGRP bob testers",
    "SITE CHGRP bob glftpd",
    "SITE CHGRP bob STAFF",
};

}  // namespace

TEST_F(UserChangePlan, EveryStepRunsInItsFixedOrder) {
    changeEverything(form);
    EXPECT_EQ(run(), everyChange);
    EXPECT_EQ(result.commandsSucceeded, static_cast<int>(everyChange.size()));
    EXPECT_FALSE(result.failed);
}

TEST_F(UserChangePlan, AFailureAtAnyCommandStopsExactlyThere) {
    changeEverything(form);
    for (int failAt = 0; failAt < static_cast<int>(everyChange.size()); ++failAt) {
        const std::vector<std::string> sent = run(failAt);
        const std::vector<std::string> expected(everyChange.begin(), everyChange.begin() + failAt + 1);
        EXPECT_EQ(sent, expected) << "failing command " << failAt;
        EXPECT_TRUE(result.failed);
        EXPECT_EQ(result.commandsSucceeded, failAt);
        EXPECT_TRUE(userChangeNeedsReload(result)) << "failing command " << failAt;
    }
}
