#include "pages/users/user_record.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/heap.h"
#include "tests/native/fake_host.h"

namespace {

using Names = std::vector<std::string>;
using Fields = std::map<std::string, std::string>;

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

// Every field of the record by name: the texts, "ip0".."ip9", "flags" (the
// set slots, e.g. "2 8 9"), "groups" and "privateGroups" (names joined by
// ',').
Fields recordFields() {
    const UserRecord& r = userRecord;
    Fields fields{{"password", shown(r.password)},
                  {"maxLogins", shown(r.maxLogins)},
                  {"gadminSlots", shown(r.gadminSlots)},
                  {"leechSlots", shown(r.leechSlots)},
                  {"timeLimit", shown(r.timeLimit)},
                  {"ratio", shown(r.ratio)},
                  {"weeklyAllotment", shown(r.weeklyAllotment)},
                  {"credits", shown(r.credits)},
                  {"tagline", shown(r.tagline)},
                  {"maxDownloadSpeed", shown(r.maxDownloadSpeed)},
                  {"maxUploadSpeed", shown(r.maxUploadSpeed)}};
    for (int i = 0; i < userIpMaskCount; ++i) {
        fields["ip" + std::to_string(i)] = shown(r.ipMasks[i]);
    }
    std::string flags;
    for (int slot = 0; slot < userFlagCount; ++slot) {
        if (r.flags[slot]) {
            flags += (flags.empty() ? "" : " ") + std::to_string(slot);
        }
    }
    fields["flags"] = flags;
    for (const auto& list : {std::make_pair("groups", r.groups),
                             std::make_pair("privateGroups", r.privateGroups)}) {
        std::string joined;
        for (const std::string& name : namesOf(list.second)) {
            joined += (joined.empty() ? "" : ",") + name;
        }
        fields[list.first] = joined;
    }
    return fields;
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
    static void read(const std::vector<std::string>& lines) {
        OwnedReply reply(lines);
        readUserRecordLines(reply.head());
    }

    // The named fields hold the expected texts; every other field as `rest`.
    static void expectFields(const Fields& expected, const Fields& rest = {}) {
        const Fields actual = recordFields();
        for (const auto& field : expected) {
            EXPECT_EQ(actual.at(field.first), field.second) << field.first;
        }
        for (const auto& field : rest) {
            if (expected.count(field.first) == 0) {
                EXPECT_EQ(actual.at(field.first), field.second) << field.first;
            }
        }
    }

    std::int32_t blocksBefore = 0;
};

// What a load leaves where the reply is silent.
const Fields untouchedDefaults{
    {"password", "?"},          {"maxLogins", "(absent)"},    {"gadminSlots", "?"},
    {"leechSlots", "?"},        {"timeLimit", "(absent)"},    {"ratio", "(absent)"},
    {"weeklyAllotment", "?"},   {"credits", "(absent)"},      {"tagline", "(absent)"},
    {"maxDownloadSpeed", "?"},  {"maxUploadSpeed", "?"},      {"flags", ""},
    {"groups", ""},             {"privateGroups", ""},        {"ip0", "(absent)"},
    {"ip1", "(absent)"},        {"ip2", "(absent)"},          {"ip3", "(absent)"},
    {"ip4", "(absent)"},        {"ip5", "(absent)"},          {"ip6", "(absent)"},
    {"ip7", "(absent)"},        {"ip8", "(absent)"},          {"ip9", "(absent)"},
};

struct LinesCase {
    std::vector<std::string> lines;  // read into a cleared record, in order
    Fields expected;                 // every other field keeps its default
};

const LinesCase linesCases[] = {
    {{"200- +====+", "200 Command Successful."}, {}},
    // Flags: letters count in either case; other characters are ignored;
    // the flags of several lines add up.
    {{"200- | Flags: 3ab    Idle time: Default |"}, {{"flags", "2 8 9"}}},
    {{"200- | Flags: 19z", "200- | Flags: I"}, {{"flags", "0 16"}}},
    // Ratio: the number after the colon, else unlim.
    {{"200- | Ratio: 1:3                         Credits:    2868.8 MB              |"},
     {{"ratio", "3"}, {"credits", "2868.8"}}},
    {{"200- | Ratio: Unlimited"}, {{"ratio", "unlim"}}},
    {{"200- | Ratio: 5"}, {{"ratio", "unlim"}}},
    {{"200- | Ratio: 1:3   Gadmin/Leech Slots: 2 5"},
     {{"ratio", "unlim"}, {"gadminSlots", "2"}, {"leechSlots", "5"}}},
    // Max logins and time limit.
    {{"200- | Max Logins: unLIMITED  From same IP: 2"}, {{"maxLogins", "unlim"}}},
    {{"200- | Max Logins:     4"}, {{"maxLogins", "4"}}},
    // Shorter than the word at the line's end: a number (0), never a read past the line.
    {{"200- | Max Logins: Unlim"}, {{"maxLogins", "0"}}},
    {{"200- | Time Limit:    0 minutes.          (0 = Unlimited)"}, {{"timeLimit", "unlim"}}},
    {{"200- | Time Limit: 90 minutes."}, {{"timeLimit", "90"}}},
    {{"200- | Time Limit: Unlimited"}, {{"timeLimit", "unlim"}}},
    // Real numbers have one decimal.
    {{"200- | Credits: 1024"}, {{"credits", "1024.0"}}},
    {{"200- | Max Upload Speed: 0    Max Download Speed: 12.345 K/s"},
     {{"maxUploadSpeed", "0.0"}, {"maxDownloadSpeed", "12.3"}}},
    {{"200- | Weekly Allotment: none"}, {{"weeklyAllotment", "0.0"}}},
    // Slot numbers.
    {{"200- | Gadmin/Leech Slots: -1 -1          (-1 = Unlimited, None)"},
     {{"gadminSlots", "unlim"}, {"leechSlots", "unlim"}}},
    {{"200- | Gadmin/Leech Slots: 2"}, {{"gadminSlots", "2"}}},
    {{"200- | Gadmin/Leech Slots: None"}, {{"gadminSlots", "0"}}},
    // Numbers beyond the 32-bit range clamp instead of wrapping, and a huge
    // real is not printed with hundreds of digits.
    {{"200- | Time Limit: 4294967296 minutes."}, {{"timeLimit", "2147483647"}}},
    {{"200- | Max Logins: -99999999999"}, {{"maxLogins", "-2147483648"}}},
    {{"200- | Ratio: 1:4294967295"}, {{"ratio", "2147483647"}}},
    {{"200- | Gadmin/Leech Slots: 99999999999 -4294967297"},
     {{"gadminSlots", "2147483647"}, {"leechSlots", "-2147483648"}}},
    {{"200- | Credits: 1e308 MB"}, {{"credits", "2147483647.0"}}},
    {{"200- | Weekly Allotment: -1e999 MB"}, {{"weeklyAllotment", "-2147483648.0"}}},
    {{"200- | Max Upload Speed: " + std::string(400, '9') + " K/s"},
     {{"maxUploadSpeed", "2147483647.0"}}},
    // Only decimal numbers are numbers.
    {{"200- | Credits: nan"}, {{"credits", "0.0"}}},
    {{"200- | Max Upload Speed: inf   Max Download Speed: 0x1p4"},
     {{"maxUploadSpeed", "0.0"}, {"maxDownloadSpeed", "0.0"}}},
    {{"200- | Weekly Allotment: .5e1 MB"}, {{"weeklyAllotment", "5.0"}}},
    {{"200- | Credits: 2e MB"}, {{"credits", "2.0"}}},
    // IP masks come in pairs, blanks dropped.
    {{"200- | IP0: *@127.0.0.1     IP1: alice@198.51.100.17     |"},
     {{"ip0", "*@127.0.0.1"}, {"ip1", "alice@198.51.100.17"}}},
    {{"200- | IP2: *@192.0.2.*"}, {{"ip2", "*@192.0.2.*"}}},
    // An upper-case I inside the even mask ends it.
    {{"200- | IP4: *@Intranet.example   IP5: *@10.*  |"}, {{"ip4", "*@"}, {"ip5", "*@10.*"}}},
    // One pair a line: the first even key in key order wins.
    {{"200- | IP8: *@8.8.8.8  IP9: *@9.9.9.9 | IP6: *@6.6.6.6  IP7: x |"},
     {{"ip6", "*@6.6.6.6"}, {"ip7", "x"}}},
    // The odd key right after the even one: the even mask is present, empty.
    {{"200- | IP0: IP1: y |"}, {{"ip0", ""}, {"ip1", "y"}}},
    // Group lines; " Groups: " is also the tail of "Priv Groups: ".
    {{"200- | Groups: friends testers   |", "200- | Priv Groups: STAFF        |",
      "200- | Groups: |", "200- | Groups: a  b|"},
     {{"groups", "friends,testers,a,,b"}, {"privateGroups", "STAFF"}}},
    // The newer account screen. Ratios per stat section: the first one is
    // the account's, with the same unlimited rules.
    {{"200- | Ratios: 1:3 1:5 -                    |"}, {{"ratio", "3"}}},
    {{"200- | Ratios: Unlimited |"}, {{"ratio", "unlim"}}},
    {{"200- | Ratios: 1:3 Unlimited |"}, {{"ratio", "3"}}},
    {{"200- | Ratios: - 1:3 |"}, {{"ratio", "unlim"}}},
    {{"200- | Ratios: |"}, {{"ratio", "unlim"}}},
    {{"200- | Ratios: 1:4294967295|"}, {{"ratio", "2147483647"}}},
    // Sizes carry a unit word: credits and allotment in megabytes, speeds in
    // kilobytes per second; a size beyond the range clamps after converting.
    {{"200- | Credits: 14.6MiB |"}, {{"credits", "14.6"}}},
    {{"200- | Credits: 1.5GiB |"}, {{"credits", "1536.0"}}},
    {{"200- | Credits: 512.0KiB |"}, {{"credits", "0.5"}}},
    {{"200- | Credits: -2.0TiB |"}, {{"credits", "-2097152.0"}}},
    {{"200- | Credits: 3000.0TiB |"}, {{"credits", "2147483647.0"}}},
    {{"200- | Credits: 2 GB |"}, {{"credits", "2048.0"}}},
    {{"200- | Weekly Allotment: 1.0GiB     Messages Waiting: 0 |"}, {{"weeklyAllotment", "1024.0"}}},
    {{"200- | Max Upload Speed: 120.5KiB/s   Max Download Speed: 2.0MiB/s |"},
     {{"maxUploadSpeed", "120.5"}, {"maxDownloadSpeed", "2048.0"}}},
    // A word that only starts like a unit is none.
    {{"200- | Credits: 5 Megs |"}, {{"credits", "5.0"}}},
    {{"200- | Credits: 5 KiBs |"}, {{"credits", "5.0"}}},
    // A leading '*' marks a group the user is group admin of.
    {{"200- | Groups: *friends testers *NoGroup |"}, {{"groups", "friends,testers,NoGroup"}}},
    // The tagline comes first and ends its line at the bar: the credits
    // behind it are not seen. A later line replaces a text.
    {{"200- | Tagline: hello  | Credits: 5"}, {{"tagline", "hello"}}},
    {{"200- | Tagline: first|", "200- | Tagline: second|"}, {{"tagline", "second"}}},
};

}  // namespace

TEST_F(UserRecordTest, ReadsEachKeyAndLeavesTheOthersAtTheirDefaults) {
    for (const LinesCase& testCase : linesCases) {
        SCOPED_TRACE(testCase.lines.front());
        clearUserRecord();
        read(testCase.lines);
        expectFields(testCase.expected, untouchedDefaults);
    }
}

TEST_F(UserRecordTest, ReadsWholeAccounts) {
    read(fixtureLines("site_user_alice.txt"));
    expectFields({{"password", "?"},
                  {"maxLogins", "3"},
                  {"gadminSlots", "2"},
                  {"leechSlots", "5"},
                  {"timeLimit", "90"},
                  {"ratio", "3"},
                  {"weeklyAllotment", "1024.0"},
                  {"credits", "2868.8"},
                  {"tagline", "Upload or die trying"},
                  {"maxDownloadSpeed", "250.0"},
                  {"maxUploadSpeed", "120.5"},
                  {"flags", "2 8 9 10 11 12 15"},
                  {"ip0", "*@127.0.0.1"},
                  {"ip1", "alice@198.51.100.17"},
                  {"ip2", "*@192.0.2.*"},
                  {"ip3", "alice@203.0.113.*"},
                  {"ip4", "*@10.1.2.3"},
                  {"ip5", "*@*.dsl.example.net"},
                  {"ip6", "*@198.18.0.*"},
                  {"ip7", "ident@192.0.2.44"},
                  {"ip8", "*@100.64.*.*"},
                  {"ip9", "*@198.51.100.*"},
                  {"groups", "friends,testers"},
                  {"privateGroups", "STAFF,Council"}});

    // A leech account: unlimited settings; the server shows its empty slots
    // as present, empty masks.
    clearUserRecord();
    read(fixtureLines("site_user_leech.txt"));
    Fields leech{{"ratio", "unlim"},        {"maxLogins", "unlim"},         {"gadminSlots", "unlim"},
                 {"leechSlots", "unlim"},   {"timeLimit", "unlim"},         {"credits", "0.0"},
                 {"weeklyAllotment", "0.0"}, {"maxUploadSpeed", "0.0"},     {"maxDownloadSpeed", "0.0"},
                 {"tagline", "No Tagline Set"}, {"flags", "2"},             {"groups", "NoGroup"},
                 {"privateGroups", ""},     {"ip0", "*@10.0.0.*"}};
    for (int i = 1; i < userIpMaskCount; ++i) {
        leech["ip" + std::to_string(i)] = "";
    }
    expectFields(leech);
}

// The newer server's screen of the same account gives the same record; it
// has no per-user slots, so those stay unknown.
TEST_F(UserRecordTest, ReadsTheNewerServersScreenOfTheSameAccount) {
    read(fixtureLines("site_user_alice.txt"));
    Fields older = recordFields();
    clearUserRecord();
    read(fixtureLines("site_user_alice_glftpd2.txt"));
    older["gadminSlots"] = "?";
    older["leechSlots"] = "?";
    EXPECT_EQ(recordFields(), older);
}

TEST_F(UserRecordTest, ClearEmptiesEverything) {
    read(fixtureLines("site_user_alice.txt"));
    editUserIndex = 4;
    clearUserRecord();
    EXPECT_EQ(editUserIndex, -1);
    Fields empty = untouchedDefaults;
    for (const char* defaulted :
         {"password", "gadminSlots", "leechSlots", "weeklyAllotment", "maxDownloadSpeed", "maxUploadSpeed"}) {
        empty[defaulted] = "(absent)";
    }
    EXPECT_EQ(recordFields(), empty);
    EXPECT_EQ(liveHeapBlocks(), blocksBefore);
}

class UserRecordLoad : public UserRecordTest {
protected:
    void TearDown() override {
        EXPECT_TRUE(host.faults.empty()) << host.faults.front();
        EXPECT_EQ(host.keptReplies(), 0u);
        UserRecordTest::TearDown();
    }
    static bool recordUntouched() {
        return userRecord.password == nullptr && userRecord.weeklyAllotment == nullptr &&
               userRecord.tagline == nullptr && recordFields().at("flags").empty();
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

// A zero result holds nothing to release; a failing code or "Unable to load"
// in the first line (even with code 200) is released and fills nothing.
TEST_F(UserRecordLoad, FailedLoadsLeaveTheRecordUntouched) {
    const struct {
        FakeReply reply;
        std::size_t requests;
    } failures[] = {
        {{0, 200, {}}, 1},
        {{1, 550, fixtureLines("site_user_alice.txt")}, 2},
        {{1, 200, fixtureLines("site_user_unable.txt")}, 2},
        {{1, 200, fixtureLines("site_user_missing_glftpd2.txt")}, 2},
        {{1, 200, fixtureLines("site_user_unreadable_glftpd2.txt")}, 2},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.reply.code);
        host.seen.clear();
        host.replies["SITE USER alice"] = failure.reply;
        EXPECT_FALSE(loadUserRecord("alice"));
        ASSERT_EQ(host.seen.size(), failure.requests);
        EXPECT_EQ(host.seen.back().action, failure.requests == 1 ? ACTION_SEND_COMMAND : ACTION_RELEASE_REPLY);
        EXPECT_TRUE(recordUntouched());
    }
}

TEST_F(UserRecordLoad, OnlyTheFirstLineIsTestedForUnableToLoad) {
    std::vector<std::string> lines = fixtureLines("site_user_alice.txt");
    lines.insert(lines.begin() + 1, "200- | Unable to load the last uploader |");
    host.replies["SITE USER alice"] = {1, 200, lines};
    EXPECT_TRUE(loadUserRecord("alice"));
    EXPECT_EQ(shown(userRecord.ratio), "3");
}

TEST_F(UserRecordLoad, AnAccountShownInColourLoadsAsWithout) {
    host.replies["SITE USER alice"] = {1, 200, fixtureLines("site_user_alice.txt")};
    ASSERT_TRUE(loadUserRecord("alice"));
    const Fields plain = recordFields();
    clearUserRecord();
    std::vector<std::string> coloured;
    for (const std::string& line : fixtureLines("site_user_alice.txt")) {
        coloured.push_back(line.substr(0, 4) + "\x1b[1;37m" + line.substr(4) + "\x1b[0m\x1b[0;37m");
    }
    host.replies["SITE USER alice"] = {1, 200, coloured};
    ASSERT_TRUE(loadUserRecord("alice"));
    EXPECT_EQ(recordFields(), plain);
    // A refusal in colour is still a refusal.
    host.replies["SITE USER bob"] = {1, 200, {"200 \x1b[1;37mUser 'bob' does not exist.\x1b[0m"}};
    EXPECT_FALSE(loadUserRecord("bob"));
}

TEST_F(UserRecordLoad, ANameWithALineBreakIsNotSent) {
    EXPECT_FALSE(loadUserRecord("alice\r\nSITE DELUSER bob"));
    EXPECT_TRUE(host.seen.empty());
    EXPECT_TRUE(recordUntouched());
}
