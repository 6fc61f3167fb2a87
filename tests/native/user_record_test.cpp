#include "pages/users/user_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/heap.h"
#include "tests/native/fake_host.h"

namespace {

using Names = std::vector<std::string>;

Names namesOf(const NameList* list) {
    Names names;
    for (; list != nullptr; list = list->next) {
        names.push_back(list->text);
    }
    return names;
}

// "(absent)" for a missing text, so that absent and empty differ.
std::string shown(const char* text) {
    return text == nullptr ? "(absent)" : text;
}

std::vector<int> setFlagSlots() {
    std::vector<int> slots;
    for (int slot = 0; slot < userFlagCount; ++slot) {
        if (userRecord.flags[slot]) {
            slots.push_back(slot);
        }
    }
    return slots;
}

class UserRecordTest : public testing::Test {
protected:
    void SetUp() override {
        clearUserRecord();
        blocksBefore = liveHeapBlocks();
    }
    void TearDown() override {
        clearUserRecord();
        EXPECT_EQ(liveHeapBlocks(), blocksBefore);
    }

    // Reads reply lines into the cleared record, as a load does.
    void read(const std::vector<std::string>& lines) {
        OwnedReply reply(lines);
        readUserRecordLines(reply.head());
    }
    void readLine(const std::string& line) { read({line}); }

    std::int32_t blocksBefore = 0;
};

}  // namespace

TEST_F(UserRecordTest, ReadsEveryFieldOfAnAccount) {
    read(fixtureLines("site_user_alice.txt"));
    EXPECT_EQ(shown(userRecord.password), "?");
    EXPECT_EQ(shown(userRecord.maxLogins), "3");
    EXPECT_EQ(shown(userRecord.gadminSlots), "2");
    EXPECT_EQ(shown(userRecord.leechSlots), "5");
    EXPECT_EQ(shown(userRecord.timeLimit), "90");
    EXPECT_EQ(shown(userRecord.ratio), "3");
    EXPECT_EQ(shown(userRecord.weeklyAllotment), "1024.0");
    EXPECT_EQ(shown(userRecord.credits), "2868.8");
    EXPECT_EQ(shown(userRecord.tagline), "Upload or die trying");
    EXPECT_EQ(shown(userRecord.maxDownloadSpeed), "250.0");
    EXPECT_EQ(shown(userRecord.maxUploadSpeed), "120.5");
    EXPECT_EQ(setFlagSlots(), (std::vector<int>{2, 8, 9, 10, 11, 12, 15}));
    const char* const masks[userIpMaskCount] = {
        "*@127.0.0.1",  "alice@198.51.100.17", "*@192.0.2.*",       "alice@203.0.113.*",
        "*@10.1.2.3",   "*@*.dsl.example.net", "*@198.18.0.*",      "ident@192.0.2.44",
        "*@100.64.*.*", "*@198.51.100.*"};
    for (int i = 0; i < userIpMaskCount; ++i) {
        EXPECT_EQ(shown(userRecord.ipMasks[i]), masks[i]) << "IP" << i;
    }
    EXPECT_EQ(namesOf(userRecord.groups), (Names{"friends", "testers"}));
    EXPECT_EQ(namesOf(userRecord.privateGroups), (Names{"STAFF", "Council"}));
}

TEST_F(UserRecordTest, ReadsUnlimitedSettingsOfALeechAccount) {
    read(fixtureLines("site_user_leech.txt"));
    EXPECT_EQ(shown(userRecord.ratio), "unlim");
    EXPECT_EQ(shown(userRecord.maxLogins), "unlim");
    EXPECT_EQ(shown(userRecord.gadminSlots), "unlim");
    EXPECT_EQ(shown(userRecord.leechSlots), "unlim");
    EXPECT_EQ(shown(userRecord.timeLimit), "unlim");
    EXPECT_EQ(shown(userRecord.credits), "0.0");
    EXPECT_EQ(shown(userRecord.weeklyAllotment), "0.0");
    EXPECT_EQ(shown(userRecord.maxUploadSpeed), "0.0");
    EXPECT_EQ(shown(userRecord.maxDownloadSpeed), "0.0");
    EXPECT_EQ(shown(userRecord.tagline), "No Tagline Set");
    EXPECT_EQ(setFlagSlots(), (std::vector<int>{2}));
    EXPECT_EQ(namesOf(userRecord.groups), (Names{"NoGroup"}));
    EXPECT_EQ(userRecord.privateGroups, nullptr);
    EXPECT_EQ(shown(userRecord.ipMasks[0]), "*@10.0.0.*");
    // The server shows the empty slots: present, empty masks.
    for (int i = 1; i < userIpMaskCount; ++i) {
        EXPECT_EQ(shown(userRecord.ipMasks[i]), "") << "IP" << i;
    }
}

TEST_F(UserRecordTest, MissingKeysLeaveDefaultsOrAbsentFields) {
    read({"200- +====+", "200 Command Successful."});
    EXPECT_EQ(shown(userRecord.password), "?");
    EXPECT_EQ(shown(userRecord.weeklyAllotment), "?");
    EXPECT_EQ(shown(userRecord.gadminSlots), "?");
    EXPECT_EQ(shown(userRecord.leechSlots), "?");
    EXPECT_EQ(shown(userRecord.maxUploadSpeed), "?");
    EXPECT_EQ(shown(userRecord.maxDownloadSpeed), "?");
    EXPECT_EQ(shown(userRecord.maxLogins), "(absent)");
    EXPECT_EQ(shown(userRecord.timeLimit), "(absent)");
    EXPECT_EQ(shown(userRecord.ratio), "(absent)");
    EXPECT_EQ(shown(userRecord.credits), "(absent)");
    EXPECT_EQ(shown(userRecord.tagline), "(absent)");
    EXPECT_EQ(shown(userRecord.ipMasks[0]), "(absent)");
}

TEST_F(UserRecordTest, FlagsSetSlotsAndIgnoreOtherCharacters) {
    readLine("200- | Flags: 3ab    Idle time: Default |");
    EXPECT_EQ(setFlagSlots(), (std::vector<int>{2, 8, 9}));
    clearUserRecord();
    readLine("200- | Flags: 19z");
    EXPECT_EQ(setFlagSlots(), (std::vector<int>{0}));
    // Flags of several lines add up.
    readLine("200- | Flags: I");
    EXPECT_EQ(setFlagSlots(), (std::vector<int>{0, 16}));
}

TEST_F(UserRecordTest, RatioReadsTheNumberAfterTheColon) {
    readLine("200- | Ratio: 1:3                         Credits:    2868.8 MB              |");
    EXPECT_EQ(shown(userRecord.ratio), "3");
    EXPECT_EQ(shown(userRecord.credits), "2868.8");
    readLine("200- | Ratio: Unlimited");
    EXPECT_EQ(shown(userRecord.ratio), "unlim");
    readLine("200- | Ratio: 5");
    EXPECT_EQ(shown(userRecord.ratio), "unlim");
    readLine("200- | Ratio: 1:3   Gadmin/Leech Slots: 2 5");
    EXPECT_EQ(shown(userRecord.ratio), "unlim");
}

TEST_F(UserRecordTest, MaxLoginsAndTimeLimit) {
    readLine("200- | Max Logins: unLIMITED  From same IP: 2");
    EXPECT_EQ(shown(userRecord.maxLogins), "unlim");
    readLine("200- | Max Logins:     4");
    EXPECT_EQ(shown(userRecord.maxLogins), "4");
    // Shorter than the word at the line's end: a number (0), never a read past the line.
    readLine("200- | Max Logins: Unlim");
    EXPECT_EQ(shown(userRecord.maxLogins), "0");
    readLine("200- | Time Limit:    0 minutes.          (0 = Unlimited)");
    EXPECT_EQ(shown(userRecord.timeLimit), "unlim");
    readLine("200- | Time Limit: 90 minutes.");
    EXPECT_EQ(shown(userRecord.timeLimit), "90");
    readLine("200- | Time Limit: Unlimited");
    EXPECT_EQ(shown(userRecord.timeLimit), "unlim");
}

TEST_F(UserRecordTest, RealNumbersHaveOneDecimal) {
    readLine("200- | Credits: 1024");
    EXPECT_EQ(shown(userRecord.credits), "1024.0");
    readLine("200- | Max Upload Speed: 0    Max Download Speed: 12.345 K/s");
    EXPECT_EQ(shown(userRecord.maxUploadSpeed), "0.0");
    EXPECT_EQ(shown(userRecord.maxDownloadSpeed), "12.3");
    readLine("200- | Weekly Allotment: none");
    EXPECT_EQ(shown(userRecord.weeklyAllotment), "0.0");
}

TEST_F(UserRecordTest, SlotNumbers) {
    readLine("200- | Gadmin/Leech Slots: -1 -1          (-1 = Unlimited, None)");
    EXPECT_EQ(shown(userRecord.gadminSlots), "unlim");
    EXPECT_EQ(shown(userRecord.leechSlots), "unlim");
    readLine("200- | Gadmin/Leech Slots: 2 5");
    EXPECT_EQ(shown(userRecord.gadminSlots), "2");
    EXPECT_EQ(shown(userRecord.leechSlots), "5");
    clearUserRecord();
    readLine("200- | Gadmin/Leech Slots: 2");
    EXPECT_EQ(shown(userRecord.gadminSlots), "2");
    EXPECT_EQ(shown(userRecord.leechSlots), "?");
    clearUserRecord();
    readLine("200- | Gadmin/Leech Slots: None");
    EXPECT_EQ(shown(userRecord.gadminSlots), "0");
    EXPECT_EQ(shown(userRecord.leechSlots), "?");
}

// Numbers beyond the 32-bit range clamp instead of wrapping, and a huge real
// is not printed with hundreds of digits.
TEST_F(UserRecordTest, NumbersClampToThe32BitRange) {
    readLine("200- | Time Limit: 4294967296 minutes.");
    EXPECT_EQ(shown(userRecord.timeLimit), "2147483647");
    readLine("200- | Max Logins: -99999999999");
    EXPECT_EQ(shown(userRecord.maxLogins), "-2147483648");
    readLine("200- | Ratio: 1:4294967295");
    EXPECT_EQ(shown(userRecord.ratio), "2147483647");
    readLine("200- | Gadmin/Leech Slots: 99999999999 -4294967297");
    EXPECT_EQ(shown(userRecord.gadminSlots), "2147483647");
    EXPECT_EQ(shown(userRecord.leechSlots), "-2147483648");
    readLine("200- | Credits: 1e308 MB");
    EXPECT_EQ(shown(userRecord.credits), "2147483647.0");
    readLine("200- | Weekly Allotment: -1e999 MB");
    EXPECT_EQ(shown(userRecord.weeklyAllotment), "-2147483648.0");
    readLine("200- | Max Upload Speed: " + std::string(400, '9') + " K/s");
    EXPECT_EQ(shown(userRecord.maxUploadSpeed), "2147483647.0");
}

TEST_F(UserRecordTest, OnlyDecimalNumbersAreNumbers) {
    readLine("200- | Credits: nan");
    EXPECT_EQ(shown(userRecord.credits), "0.0");
    readLine("200- | Max Upload Speed: inf   Max Download Speed: 0x1p4");
    EXPECT_EQ(shown(userRecord.maxUploadSpeed), "0.0");
    EXPECT_EQ(shown(userRecord.maxDownloadSpeed), "0.0");
    readLine("200- | Weekly Allotment: .5e1 MB");
    EXPECT_EQ(shown(userRecord.weeklyAllotment), "5.0");
    readLine("200- | Credits: 2e MB");
    EXPECT_EQ(shown(userRecord.credits), "2.0");
}

TEST_F(UserRecordTest, IpMasksComeInPairs) {
    readLine("200- | IP0: *@127.0.0.1     IP1: alice@198.51.100.17     |");
    EXPECT_EQ(shown(userRecord.ipMasks[0]), "*@127.0.0.1");
    EXPECT_EQ(shown(userRecord.ipMasks[1]), "alice@198.51.100.17");
    readLine("200- | IP2: *@192.0.2.*");
    EXPECT_EQ(shown(userRecord.ipMasks[2]), "*@192.0.2.*");
    EXPECT_EQ(shown(userRecord.ipMasks[3]), "(absent)");
    // An upper-case I inside the even mask ends it.
    readLine("200- | IP4: *@Intranet.example   IP5: *@10.*  |");
    EXPECT_EQ(shown(userRecord.ipMasks[4]), "*@");
    EXPECT_EQ(shown(userRecord.ipMasks[5]), "*@10.*");
    // One pair a line: the first even key found wins.
    readLine("200- | IP8: *@8.8.8.8  IP9: *@9.9.9.9 | IP6: *@6.6.6.6  IP7: x |");
    EXPECT_EQ(shown(userRecord.ipMasks[6]), "*@6.6.6.6");
    EXPECT_EQ(shown(userRecord.ipMasks[7]), "x");
    EXPECT_EQ(shown(userRecord.ipMasks[8]), "(absent)");
    // The odd key right after the even one: the even mask is empty.
    readLine("200- | IP0: IP1: y |");
    EXPECT_EQ(shown(userRecord.ipMasks[0]), "");
    EXPECT_EQ(shown(userRecord.ipMasks[1]), "y");
}

TEST_F(UserRecordTest, GroupLines) {
    readLine("200- | Groups: friends testers   |");
    readLine("200- | Priv Groups: STAFF        |");
    readLine("200- | Groups: |");
    readLine("200- | Groups: a  b|");
    EXPECT_EQ(namesOf(userRecord.groups), (Names{"friends", "testers", "a", "", "b"}));
    EXPECT_EQ(namesOf(userRecord.privateGroups), (Names{"STAFF"}));
}

TEST_F(UserRecordTest, ACutHidesTheRestOfItsLineFromLaterKeys) {
    // The tagline comes first and ends its line at the bar.
    readLine("200- | Tagline: hello  | Credits: 5");
    EXPECT_EQ(shown(userRecord.tagline), "hello");
    EXPECT_EQ(shown(userRecord.credits), "(absent)");
    // A later line replaces a text; the last one wins.
    readLine("200- | Tagline: second|");
    EXPECT_EQ(shown(userRecord.tagline), "second");
}

TEST_F(UserRecordTest, ClearEmptiesEverything) {
    read(fixtureLines("site_user_alice.txt"));
    editUserIndex = 4;
    clearUserRecord();
    EXPECT_EQ(editUserIndex, -1);
    EXPECT_EQ(userRecord.password, nullptr);
    EXPECT_EQ(userRecord.tagline, nullptr);
    EXPECT_EQ(userRecord.ipMasks[9], nullptr);
    EXPECT_EQ(userRecord.groups, nullptr);
    EXPECT_EQ(userRecord.privateGroups, nullptr);
    EXPECT_TRUE(setFlagSlots().empty());
    EXPECT_EQ(liveHeapBlocks(), blocksBefore);
}

class UserRecordLoad : public UserRecordTest {
protected:
    void TearDown() override {
        EXPECT_TRUE(host.faults.empty()) << host.faults.front();
        EXPECT_EQ(host.keptReplies(), 0u);
        UserRecordTest::TearDown();
    }
    bool recordUntouched() const {
        return userRecord.password == nullptr && userRecord.weeklyAllotment == nullptr &&
               userRecord.tagline == nullptr && setFlagSlots().empty();
    }
    FakeHost host;
};

TEST_F(UserRecordLoad, SendsTheCommandKeepsTheReplyAndReleasesIt) {
    host.replies["SITE USER alice"] = {1, 200, fixtureLines("site_user_alice.txt")};
    EXPECT_TRUE(loadUserRecord("alice"));
    ASSERT_EQ(host.seen.size(), 2u);
    EXPECT_EQ(host.seen[0].command, "SITE USER alice");
    EXPECT_EQ(host.seen[0].param, 1);
    EXPECT_EQ(host.seen[1].action, ACTION_RELEASE_REPLY);
    EXPECT_EQ(host.seen[1].record, host.seen[0].record);
    EXPECT_EQ(shown(userRecord.ratio), "3");
}

TEST_F(UserRecordLoad, AZeroResultIsNoRecordAndNoRelease) {
    host.replies["SITE USER alice"] = {0, 200, {}};
    EXPECT_FALSE(loadUserRecord("alice"));
    EXPECT_EQ(host.seen.size(), 1u);
    EXPECT_TRUE(recordUntouched());
}

TEST_F(UserRecordLoad, AFailingCodeIsReleasedAndIgnored) {
    host.replies["SITE USER alice"] = {1, 550, fixtureLines("site_user_alice.txt")};
    EXPECT_FALSE(loadUserRecord("alice"));
    ASSERT_EQ(host.seen.size(), 2u);
    EXPECT_EQ(host.seen[1].action, ACTION_RELEASE_REPLY);
    EXPECT_TRUE(recordUntouched());
}

TEST_F(UserRecordLoad, UnableToLoadWithCode200IsReleasedAndFails) {
    host.replies["SITE USER bob"] = {1, 200, fixtureLines("site_user_unable.txt")};
    EXPECT_FALSE(loadUserRecord("bob"));
    ASSERT_EQ(host.seen.size(), 2u);
    EXPECT_EQ(host.seen[1].action, ACTION_RELEASE_REPLY);
    EXPECT_TRUE(recordUntouched());
}

TEST_F(UserRecordLoad, OnlyTheFirstLineIsTestedForUnableToLoad) {
    std::vector<std::string> lines = fixtureLines("site_user_alice.txt");
    lines.insert(lines.begin() + 1, "200- | Unable to load the last uploader |");
    host.replies["SITE USER alice"] = {1, 200, lines};
    EXPECT_TRUE(loadUserRecord("alice"));
    EXPECT_EQ(shown(userRecord.ratio), "3");
}

TEST_F(UserRecordLoad, ANameWithALineBreakIsNotSent) {
    EXPECT_FALSE(loadUserRecord("alice\r\nSITE DELUSER bob"));
    EXPECT_TRUE(host.seen.empty());
    EXPECT_TRUE(recordUntouched());
}
