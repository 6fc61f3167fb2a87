#include "plugin/host_channel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/command_text.h"
#include "common/heap.h"

namespace {

struct Seen {
    std::int32_t action;
    std::string command;
    std::int32_t param;
};

std::vector<Seen> seen;
std::int32_t nextResult = 1;
std::int32_t nextCode = 200;
char firstLine[] = "200 ok";
ReplyLine oneLine{firstLine, nullptr};

std::int32_t HOST_CDECL recordingHost(HostRequest* request) {
    seen.push_back({request->action, request->action == ACTION_SEND_COMMAND ? request->command : "",
                    request->param});
    if (request->action == ACTION_SEND_COMMAND) {
        request->replyCode = nextCode;
        if (request->param == 1) {
            request->replyLines = &oneLine;
        }
    }
    return nextResult;
}

class HostChannel : public testing::Test {
protected:
    void SetUp() override {
        seen.clear();
        nextResult = 1;
        nextCode = 200;
        storeHostCallback(recordingHost);
    }
    void TearDown() override { storeHostCallback(nullptr); }
};

}  // namespace

TEST(IsReplyOk, BelowFourHundredIsSuccess) {
    for (std::int32_t code : {399, 200, 0, -1, -2147483647 - 1}) {
        EXPECT_TRUE(isReplyOk(code)) << code;
    }
    for (std::int32_t code : {400, 550, 2147483647}) {
        EXPECT_FALSE(isReplyOk(code)) << code;
    }
}

TEST_F(HostChannel, SendsACopyAndFreesIt) {
    const auto before = liveHeapBlocks();
    CommandText command("SITE USER alice");
    HostRequest request{};
    EXPECT_EQ(sendCommand(request, command, true), 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].command, "SITE USER alice");
    EXPECT_EQ(seen[0].param, 1);
    EXPECT_STREQ(firstReplyText(request), "200 ok");
    releaseReply(request);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].action, ACTION_RELEASE_REPLY);
    EXPECT_EQ(request.command, nullptr);
    EXPECT_EQ(liveHeapBlocks(), before + 1);  // only the CommandText's own buffer
}

TEST_F(HostChannel, CheckedSendFailsOnZeroResultOrFailingCode) {
    const struct {
        std::int32_t result;
        std::int32_t code;
        bool ok;
    } cases[] = {{1, 200, true}, {1, 399, true}, {1, 400, false}, {0, 200, false}};
    for (const auto& c : cases) {
        nextResult = c.result;
        nextCode = c.code;
        EXPECT_EQ(sendCheckedCommand(CommandText("SITE ADDIP a *@1.2.3.4")), c.ok)
            << c.result << " " << c.code;
    }
    EXPECT_EQ(seen.size(), 4u);
}

TEST_F(HostChannel, ACommandHoldingALineBreakNeverReachesTheHost) {
    HostRequest request{};
    EXPECT_EQ(sendCommand(request, CommandText("SITE CHANGE a tagline x\r\nSITE DELUSER b"), false), 0);
    EXPECT_EQ(sendCommand(request, CommandText("SITE MSG a hi\nSITE KICK a"), false), 0);
    EXPECT_FALSE(sendCheckedCommand(CommandText("SITE ADDUSER a\rb p")));
    EXPECT_TRUE(seen.empty());
}

TEST_F(HostChannel, AReplyWithoutLinesHasNoFirstText) {
    HostRequest request{};
    EXPECT_EQ(firstReplyText(request), nullptr);
}

TEST_F(HostChannel, HostActionsCarryTheirParam) {
    requestHostAction(ACTION_USER_ADDED, 0);
    requestHostAction(ACTION_SHOW_PAGE, 2);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].action, ACTION_USER_ADDED);
    EXPECT_EQ(seen[1].action, ACTION_SHOW_PAGE);
    EXPECT_EQ(seen[1].param, 2);
}

TEST(HostChannelWithoutHost, SendsNothingAndReportsFailure) {
    storeHostCallback(nullptr);
    HostRequest request{};
    EXPECT_EQ(sendCommand(request, CommandText("SITE WHO"), true), 0);
}

TEST_F(HostChannel, KeptReplyLinesArriveWithoutColourCodes) {
    char coloured[] = "200- \x1b[1;37m| Ratio: 1:3 |\x1b[0m\x1b[0;37m";
    char last[] = "200 \x1b[1;37mCommand Successful.\x1b[0m";
    ReplyLine second{last, nullptr};
    ReplyLine first{coloured, &second};
    oneLine.next = nullptr;
    const ReplyLine saved = oneLine;
    oneLine = first;
    HostRequest request{};
    EXPECT_EQ(sendCommand(request, CommandText("SITE USER alice"), true), 1);
    EXPECT_STREQ(request.replyLines->text, "200- | Ratio: 1:3 |");
    EXPECT_STREQ(request.replyLines->next->text, "200 Command Successful.");
    oneLine = saved;
}
