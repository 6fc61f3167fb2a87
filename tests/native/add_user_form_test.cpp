#include "pages/users/add_user_form.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/heap.h"
#include "common/site_directory.h"
#include "common/text_utils.h"
#include "pages/users/pending_edit_user.h"
#include "plugin/host_channel.h"

namespace {

std::vector<std::string> tokensOf(const char* line) {
    std::vector<std::string> tokens;
    std::size_t length = 0;
    const char* cursor = line;
    while (const char* token = nextBlankToken(cursor, length)) {
        tokens.emplace_back(token, length);
        cursor = token + length;
    }
    return tokens;
}

std::vector<std::string> masksOf(const ParsedAddLine& parsed) {
    std::vector<std::string> masks;
    for (const char* mask : parsed.masks) {
        masks.push_back(mask != nullptr ? mask : "<none>");
    }
    return masks;
}

std::vector<std::string> withNone(std::vector<std::string> masks) {
    masks.resize(addUserIpCount, "<none>");
    return masks;
}

}  // namespace

TEST(BlankTokens, OnlyTheBlankSeparatesAndRunsCountAsOne) {
    EXPECT_EQ(tokensOf("  a   b c  "), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(tokensOf("a\tb c\t"), (std::vector<std::string>{"a\tb", "c\t"}));
    EXPECT_EQ(tokensOf("\t"), (std::vector<std::string>{"\t"}));
    EXPECT_TRUE(tokensOf("").empty());
    EXPECT_TRUE(tokensOf("    ").empty());
    std::size_t length = 7;
    EXPECT_EQ(nextBlankToken(nullptr, length), nullptr);
    EXPECT_EQ(length, 0u);
}

namespace {

std::string tokenLine(const char* head, int first, int last) {
    std::string line = head;
    for (int i = first; i <= last; ++i) {
        line += " *@10.0.0." + std::to_string(i);
    }
    return line;
}

std::vector<std::string> numberedMasks(int first, int last) {
    std::vector<std::string> masks;
    for (int i = first; i <= last; ++i) {
        masks.push_back("*@10.0.0." + std::to_string(i));
    }
    return withNone(masks);
}

struct ParseCase {
    bool fullAdd;  // parseFullAddLine, else parseIpListLine
    std::string line;
    const char* userName;  // null: none
    const char* password;
    std::vector<std::string> masks;
};

const ParseCase parseCases[] = {
    {false, "   *@10.0.0.1    bob@gateway  ", nullptr, nullptr,
     withNone({"*@10.0.0.1", "bob@gateway"})},
    {false, tokenLine("", 1, 12), nullptr, nullptr, numberedMasks(1, 10)},  // past the tenth dropped
    {false, "      ", nullptr, nullptr, withNone({})},
    {false, "10.0.0.1 192.168.1 ident@10.0", nullptr, nullptr,
     withNone({"*@10.0.0.1", "*@192.168.1.*", "ident@10.0.*.*"})},
    {true, "  newbie  ", "newbie", nullptr, withNone({})},
    // Login and password as typed, a tab part of its token.
    {true, "new\tbie pa\tss *@10.0.0.1\t bob@gateway", "new\tbie", "pa\tss",
     withNone({"*@10.0.0.1\t", "bob@gateway"})},
    {true, tokenLine("newbie secret", 1, 11), "newbie", "secret", numberedMasks(1, 10)},
    {true, "", nullptr, nullptr, withNone({})},
};

}  // namespace

TEST(ParseAddLine, FillsLoginPasswordAndNormalisedMasksInOrder) {
    const auto before = liveHeapBlocks();
    for (const ParseCase& testCase : parseCases) {
        SCOPED_TRACE(testCase.line);
        ParsedAddLine parsed{};
        if (testCase.fullAdd) {
            parseFullAddLine(testCase.line.c_str(), parsed);
        } else {
            parseIpListLine(testCase.line.c_str(), parsed);
        }
        EXPECT_EQ(parsed.userName != nullptr ? parsed.userName : "<none>",
                  std::string(testCase.userName != nullptr ? testCase.userName : "<none>"));
        EXPECT_EQ(parsed.password != nullptr ? parsed.password : "<none>",
                  std::string(testCase.password != nullptr ? testCase.password : "<none>"));
        EXPECT_EQ(masksOf(parsed), testCase.masks);
        releaseParsedAddLine(parsed);
    }
    EXPECT_EQ(liveHeapBlocks(), before);
}

TEST(AddUserReplyRefused, CodeOrAlreadyExistsInTheFirstLine) {
    EXPECT_FALSE(addUserReplyRefused(200, "200 User (newbie) successfully added."));
    EXPECT_TRUE(addUserReplyRefused(200, "200 User newbie already exists"));
    EXPECT_FALSE(addUserReplyRefused(200, "200 User newbie Already Exists"));
    EXPECT_FALSE(addUserReplyRefused(399, nullptr));  // a reply without lines
    EXPECT_TRUE(addUserReplyRefused(400, nullptr));
    EXPECT_TRUE(addUserReplyRefused(550, "550 Scripted failure."));
}

TEST(PendingEditUser, SetReplacesTakeHandsOverReleaseFrees) {
    const auto before = liveHeapBlocks();
    setPendingEditUser("first");
    setPendingEditUser("newbie");
    EXPECT_STREQ(pendingEditUser, "newbie");
    EXPECT_EQ(liveHeapBlocks(), before + 1);
    char* taken = takePendingEditUser();
    EXPECT_STREQ(taken, "newbie");
    EXPECT_EQ(pendingEditUser, nullptr);
    EXPECT_EQ(takePendingEditUser(), nullptr);
    freeText(taken);
    setPendingEditUser("again");
    releasePendingEditUser();
    releasePendingEditUser();
    EXPECT_EQ(pendingEditUser, nullptr);
    EXPECT_EQ(liveHeapBlocks(), before);
}

namespace {

struct ChainHost {
    std::vector<std::string> log;  // commands, "release", "added", "show ..."
    int failAt = -1;               // send index answered with failCode
    std::int32_t failCode = 550;
    int sends = 0;
    char line[64] = "200 User (newbie) successfully added.";
    ReplyLine reply{nullptr, nullptr};
};
ChainHost* chainHost = nullptr;

std::int32_t HOST_CDECL chainCallback(HostRequest* request) {
    ChainHost& host = *chainHost;
    switch (request->action) {
    case ACTION_SEND_COMMAND: {
        host.log.push_back(request->command);
        const bool failing = host.sends++ == host.failAt;
        if (failing && host.failCode == 0) {
            return 0;
        }
        request->replyCode = failing ? host.failCode : 200;
        if (request->param == 1) {
            host.reply = ReplyLine{host.line, nullptr};
            request->replyLines = &host.reply;
        }
        return 1;
    }
    case ACTION_RELEASE_REPLY:
        host.log.push_back("release");
        return 1;
    case ACTION_USER_ADDED:
        host.log.push_back("added");
        return 1;
    default:
        // What the Edit user page would find when the host answers.
        host.log.push_back("show " + std::to_string(request->param) + " for " +
                           (pendingEditUser != nullptr ? pendingEditUser : "nobody"));
        return 1;
    }
}

void rememberMask(void* context, int ipNumber, const char* mask) {
    static_cast<std::vector<std::string>*>(context)->push_back(std::to_string(ipNumber) + "=" + mask);
}

class AddUserChain : public testing::Test {
protected:
    void SetUp() override {
        chainHost = &host;
        storeHostCallback(chainCallback);
        input.userName = "newbie";
        input.password = "secret";
        input.ipTexts[1] = "*@10.0.0.1";
        input.ipTexts[2] = "";
        input.ipTexts[7] = "bob@gateway";
        input.group = "friends";
        input.privateGroup = "STAFF";
    }
    void TearDown() override {
        storeHostCallback(nullptr);
        chainHost = nullptr;
    }
    ChainHost host;
    AddUserInput input{};
    std::vector<std::string> masks;
};

const std::vector<std::string> wholeChain = {
    "SITE ADDUSER newbie secret", "release", "SITE ADDIP newbie *@10.0.0.1",
    "SITE ADDIP newbie bob@gateway", "SITE CHGRP newbie friends", "SITE CHGRP newbie STAFF"};

}  // namespace

TEST_F(AddUserChain, SendsEveryCommandInOrderAndShowsEachMaskFirst) {
    const auto before = liveHeapBlocks();
    EXPECT_TRUE(sendAddUserChain(input, rememberMask, &masks));
    EXPECT_EQ(host.log, wholeChain);
    EXPECT_EQ(masks, (std::vector<std::string>{"1=*@10.0.0.1", "7=bob@gateway"}));
    EXPECT_EQ(liveHeapBlocks(), before);
}

TEST_F(AddUserChain, StopsAtTheFirstFailedOrRefusedCommand) {
    for (std::int32_t code : {0, 400, 550}) {
        for (int k = 0; k < 5; ++k) {
            host = ChainHost{};
            host.failAt = k;
            host.failCode = code;
            EXPECT_FALSE(sendAddUserChain(input, nullptr, nullptr)) << code << " at " << k;
            // The kept ADDUSER reply is released unless the host failed the send.
            std::vector<std::string> expected(wholeChain.begin(), wholeChain.begin() + k + 2);
            if (k == 0 && code == 0) {
                expected.pop_back();
            }
            EXPECT_EQ(host.log, expected) << code << " at " << k;
        }
    }
}

TEST_F(AddUserChain, AlreadyExistsEndsTheAddAfterTheRelease) {
    std::snprintf(host.line, sizeof host.line, "200 User newbie already exists");
    EXPECT_FALSE(sendAddUserChain(input, rememberMask, &masks));
    EXPECT_EQ(host.log, (std::vector<std::string>{"SITE ADDUSER newbie secret", "release"}));
    EXPECT_TRUE(masks.empty());
}

TEST_F(AddUserChain, CompletingRecordsTheNameThenHandsItOverLast) {
    const auto before = liveHeapBlocks();
    completeAddUser("newbie", false);
    EXPECT_EQ(host.log, (std::vector<std::string>{"added"}));
    EXPECT_EQ(pendingEditUser, nullptr);
    completeAddUser("newbie", true);
    EXPECT_EQ(host.log, (std::vector<std::string>{"added", "added", "show 2 for newbie"}));
    EXPECT_STREQ(pendingEditUser, "newbie");
    ASSERT_EQ(countNames(siteDirectory.userNames), 2u);  // no duplicate search
    EXPECT_STREQ(siteDirectory.userNames->text, "newbie");
    releasePendingEditUser();
    releaseSiteDirectory();
    EXPECT_EQ(liveHeapBlocks(), before);
}
