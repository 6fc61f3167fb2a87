// The live connection's portable parts against what glftpd really sends:
// reply assembly, the fenced exchange over a scripted stream, fingerprints
// and the transcript's masking.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "host/live/fingerprint.h"
#include "host/live/ftp_control.h"
#include "host/live/reply_assembler.h"
#include "host/session/transcript_mask.h"

namespace {

using live::StreamStatus;
using Lines = std::vector<std::string>;

const std::string fenceReply = "200 NOOP command successful.\r\n";

// "code|line|line": one reply in one comparable string.
std::string flat(const session::Reply& reply) {
    std::string text = std::to_string(reply.code);
    for (const std::string& line : reply.lines) {
        text += "|" + line;
    }
    return text;
}

// --- reply assembly ----------------------------------------------------------

struct AssemblyCase {
    const char* name;
    std::string wire;
    Lines replies;
    Lines noise;
    bool overLimit;
    std::size_t pendingLines;
    live::ReplyLimits limits;
};

live::ReplyLimits tight(std::size_t lineBytes, std::size_t lines, std::size_t bytes) {
    live::ReplyLimits bounds;
    bounds.maxLineBytes = lineBytes;
    bounds.maxReplyLines = lines;
    bounds.maxReplyBytes = bytes;
    return bounds;
}

const AssemblyCase assemblyCases[] = {
    {"KillWithStray",
     "200- \r\n200 99999: Invalid PiD.\r\n200- \r\n200 NOOP command successful.\r\n",
     {"200|200- |200 99999: Invalid PiD.", "200|200- |200 NOOP command successful."}, {}, false, 0, {}},
    {"OtherCodesInsideAReply",
     "211-Extensions supported:\r\n AUTH TLS\r\n550-not the end\r\n211-still open\r\n211 End.\r\n",
     {"211|211-Extensions supported:| AUTH TLS|550-not the end|211-still open|211 End."}, {}, false, 0, {}},
    {"BareCodesAndBareLf", "230-\n230\n", {"230|230-|230"}, {}, false, 0, {}},
    {"OnlyTheCrBeforeLfGoes", "200 a\rb\r\r\n", {"200|200 a\rb\r"}, {}, false, 0, {}},
    {"ColourKept",
     "200- \x1b[1;37m| Username: alice |\x1b[0m\x1b[0;37m\r\n200 \x1b[1;37mCommand Successful.\x1b[0m\r\n",
     {"200|200- \x1b[1;37m| Username: alice |\x1b[0m\x1b[0;37m|200 \x1b[1;37mCommand Successful.\x1b[0m"},
     {}, false, 0, {}},
    {"Noise", "\r\nhello\r\n20 x\r\n2000 x\r\n200x\r\n200 ok\r\n", {"200|200 ok"},
     {"", "hello", "20 x", "2000 x", "200x"}, false, 0, {}},
    {"LongLinesCut", "200-abcdefghij\r\n200 abcd\r\n", {"200|200-abcd|200 abcd"}, {}, false, 0,
     tight(8, 10, 100)},
    {"OpenReplyPending", "200- glftpd      bob\r\n200- \r\n200 8 total", {}, {}, false, 2, {}},
    {"ExactlyAtTheBounds", "200-1\r\n200 2\r\n", {"200|200-1|200 2"}, {}, false, 0, tight(8, 2, 10)},
    {"TooManyLines", "200 ok\r\n200-1\r\n200-2\r\n200 3\r\n200 ignored\r\n", {"200|200 ok"}, {}, true, 0,
     tight(64, 2, 1000)},
    {"TooManyBytes", "200 ok\r\n200-12345\r\n200 6\r\nnoise\r\n", {"200|200 ok"}, {}, true, 0,
     tight(64, 50, 12)},
};

class ReplyAssembly : public testing::TestWithParam<AssemblyCase> {};

TEST_P(ReplyAssembly, SameResultWhateverThePieces) {
    const AssemblyCase& c = GetParam();
    for (std::size_t piece : {c.wire.size(), std::size_t{1}, std::size_t{3}, std::size_t{7}}) {
        live::ReplyAssembler assembler(c.limits);
        for (std::size_t at = 0; at < c.wire.size(); at += piece) {
            assembler.feed(c.wire.data() + at, std::min(piece, c.wire.size() - at));
        }
        Lines replies;
        session::Reply reply;
        while (assembler.next(reply)) {
            replies.push_back(flat(reply));
        }
        const std::deque<std::string> noise = assembler.takeNoise();
        EXPECT_EQ(replies, c.replies) << "pieces of " << piece;
        EXPECT_EQ(Lines(noise.begin(), noise.end()), c.noise) << "pieces of " << piece;
        EXPECT_EQ(assembler.overLimit(), c.overLimit);
        EXPECT_EQ(assembler.pendingLines(), c.pendingLines);
        EXPECT_EQ(assembler.holdsBytes(), c.overLimit || c.wire.back() != '\n');
    }
}

INSTANTIATE_TEST_SUITE_P(Live, ReplyAssembly, testing::ValuesIn(assemblyCases),
                         [](const testing::TestParamInfo<AssemblyCase>& info) { return info.param.name; });

// A SITE USER listing of a huge site: one reply, whether it comes at once,
// byte by byte or as a million lines, in time linear in its size.
TEST(LiveReplyAssembly, HugeRepliesInLinearTime) {
    const std::string row = "200- glftpd      bob         carol       alice       dave        erin        \r\n";
    struct Size {
        std::size_t lines;
        std::size_t piece;
    };
    for (const Size& size : {Size{20000, 0}, Size{20000, 1}, Size{1000000, 0}}) {
        std::string wire;
        wire.reserve(row.size() * size.lines + 32);
        for (std::size_t i = 0; i < size.lines; ++i) {
            wire += row;
        }
        wire += "200 8 total users on site.\r\n";
        const auto start = std::chrono::steady_clock::now();
        live::ReplyAssembler assembler(tight(1024, size.lines + 1, wire.size()));
        const std::size_t piece = size.piece == 0 ? wire.size() : size.piece;
        for (std::size_t at = 0; at < wire.size(); at += piece) {
            assembler.feed(wire.data() + at, std::min(piece, wire.size() - at));
        }
        session::Reply reply;
        ASSERT_TRUE(assembler.next(reply));
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(reply.lines.size(), size.lines + 1);
        EXPECT_EQ(reply.lines.back(), "200 8 total users on site.");
        // Quadratic work on these sizes takes minutes even without sanitizers.
        EXPECT_LT(seconds, 15.0) << size.lines << " lines in pieces of " << piece;
    }
}

// A server that sends one endless line while no command waits: past 4 GiB
// it is still one line held in part, and cut at the line bound when it ends.
TEST(LiveReplyAssembly, ALinePast4GiBIsStillOneLineCutAtTheBound) {
    live::ReplyAssembler assembler;
    const std::string piece(16 * 1024 * 1024, 'x');
    for (int i = 0; i < 256; ++i) {
        assembler.feed(piece.data(), piece.size());
    }
    EXPECT_TRUE(assembler.holdsBytes());
    const std::string end = "xyz\r\n200 ok\r\n";
    assembler.feed(end.data(), end.size());
    const std::deque<std::string> noise = assembler.takeNoise();
    ASSERT_EQ(noise.size(), 1u);
    EXPECT_EQ(noise.front(), std::string(64 * 1024, 'x'));
    session::Reply reply;
    ASSERT_TRUE(assembler.next(reply));
    EXPECT_EQ(flat(reply), "200|200 ok");
    EXPECT_FALSE(assembler.holdsBytes());
}

// --- exchanges over a scripted stream ------------------------------------------

// A chunk arrives once `afterWrites` writes have been made (and, when it has
// a delay, that much waiting later); a gap is one read that times out, so
// that what follows arrives in a later read. `encrypted` bytes are taken off
// the network without anything to hand out yet (a TLS record in part).
struct Chunk {
    std::size_t afterWrites;
    StreamStatus status;
    std::string bytes;
    int delayMs = 0;
    std::size_t encrypted = 0;
};
Chunk data(std::size_t afterWrites, const std::string& bytes) { return {afterWrites, StreamStatus::Ok, bytes}; }
Chunk gap(std::size_t afterWrites) { return {afterWrites, StreamStatus::TimedOut, ""}; }
Chunk closing(std::size_t afterWrites) { return {afterWrites, StreamStatus::Closed, ""}; }

// `bytes` one at a time, `delayMs` apart, then `rest` at once; the fence's
// reply to the NOOP in front comes first.
std::vector<Chunk> trickled(std::size_t afterWrites, const std::string& bytes, int delayMs,
                            const std::string& rest = "") {
    std::vector<Chunk> chunks = {data(afterWrites, fenceReply)};
    for (char c : bytes) {
        chunks.push_back({afterWrites, StreamStatus::Ok, std::string(1, c), delayMs});
    }
    if (!rest.empty()) {
        chunks.push_back(data(afterWrites, rest));
    }
    return chunks;
}

// A TLS record of `size` bytes arriving one byte every `delayMs` (nothing to
// decrypt until its last byte), then what it carries.
std::vector<Chunk> slowRecord(std::size_t afterWrites, std::size_t size, int delayMs, const std::string& carries) {
    std::vector<Chunk> chunks = {data(afterWrites, fenceReply)};
    for (std::size_t i = 1; i < size; ++i) {
        chunks.push_back({afterWrites, StreamStatus::TimedOut, "", delayMs, 1});
    }
    chunks.push_back({afterWrites, StreamStatus::Ok, carries, delayMs, 1});
    return chunks;
}

// What the fenced exchange writes for a command.
std::string fenced(const std::string& command) { return "NOOP\r\n" + command + "\r\nNOOP\r\n"; }

class ScriptedStream : public live::ByteStream {
public:
    explicit ScriptedStream(std::vector<Chunk> chunks, std::size_t piece = 0) {
        for (const Chunk& chunk : chunks) {
            const std::size_t size = piece == 0 || chunk.bytes.empty() ? chunk.bytes.size() : piece;
            std::size_t at = 0;
            do {
                script.push_back({chunk.afterWrites, chunk.status, chunk.bytes.substr(at, size), chunk.delayMs,
                                  at == 0 ? chunk.encrypted : 0});
                at += size;
            } while (at < chunk.bytes.size());
        }
    }
    StreamStatus write(const std::string& bytes) override {
        writes.push_back(bytes);
        return StreamStatus::Ok;
    }
    StreamStatus read(std::string& into, int waitMs) override {
        if (script.empty() || script.front().afterWrites > writes.size()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
            return StreamStatus::TimedOut;
        }
        if (script.front().delayMs > 0) {
            const int slept = std::min(script.front().delayMs, waitMs);
            std::this_thread::sleep_for(std::chrono::milliseconds(slept));
            script.front().delayMs -= slept;
            if (script.front().delayMs > 0) {
                return StreamStatus::TimedOut;
            }
        }
        const Chunk chunk = script.front();
        script.pop_front();
        into += chunk.bytes;
        taken += chunk.bytes.size() + chunk.encrypted;
        return chunk.status;
    }
    std::uint64_t bytesReceived() const override { return taken; }
    std::string lastError() const override { return "connection reset by peer"; }

    std::deque<Chunk> script;
    Lines writes;
    std::uint64_t taken = 0;
};

// What the operator does while a reply is awaited: nothing (a tour), waits
// on past every silence, or cancels after a few slices of the wait.
enum class Operator { Absent, WaitsOn, Cancels };

struct FencedCase {
    const char* name;
    std::vector<Chunk> script;  // write 1 is the fence's NOOP
    Lines commands;
    Lines results;  // per command: its reply, or "fail: why"
    Lines unsolicited;
    Lines writes;  // after the fence's
    int replyTimeoutMs;
    int wholeReplyMs = 600000;
    Operator person = Operator::Absent;
};

const std::string unknownOutcome =
    "fail: the server sent more than one reply between the NOOPs around the command: the command was sent, the "
    "outcome is unknown";


std::string userListing(int rows) {
    std::string wire;
    for (int i = 0; i < rows; ++i) {
        wire += "200- glftpd      bob         carol       alice       dave        erin        \r\n";
    }
    return wire + "200 " + std::to_string(rows * 6) + " total users on site.\r\n";
}

const FencedCase fencedCases[] = {
    {"KillAndTheLoneDashLine",
     {data(2, fenceReply + "200- \r\n200 99999: Invalid PiD.\r\n"), gap(2), data(2, "200- \r\n"), data(2, fenceReply)},
     {"SITE KILL 99999"}, {"200|200- |200 99999: Invalid PiD."}, {"200|200- "}, {fenced("SITE KILL 99999")}, 2000},
    {"Glftpd206GrpnfoAnswersTwice",
     {data(2, fenceReply + "200 Group (friends) successfully changed.\r\n" +
                  "200 Failed to lock and load the groupfile.\r\n" + fenceReply),
      data(3, fenceReply + "200 Group (couriers) successfully added.\r\n" + fenceReply)},
     {"SITE GRPNFO friends Friends of the site", "SITE GRPADD couriers"},
     {"200|200 Group (friends) successfully changed.", "200|200 Group (couriers) successfully added."},
     {"200|200 Failed to lock and load the groupfile."},
     {fenced("SITE GRPNFO friends Friends of the site"), fenced("SITE GRPADD couriers")}, 2000},
    // Any other reply between the fences: which one was the command's is
    // unknown, also a lone "200- " after another command than SITE KILL.
    {"AReplyMoreInALaterRead",
     {data(2, fenceReply + "200 User (bob) deleted.\r\n"), gap(2), gap(2), data(2, "200 Stray.\r\n"),
      data(2, fenceReply)},
     {"SITE DELUSER bob", "SITE WHO"}, {unknownOutcome, "fail: the connection is closed"},
     {"200|200 User (bob) deleted.", "200|200 Stray."}, {fenced("SITE DELUSER bob")}, 2000},
    {"ALoneDashLineAfterAnotherCommand", {data(2, fenceReply + "200 User (bob) deleted.\r\n200- \r\n" + fenceReply)},
     {"SITE DELUSER bob"}, {unknownOutcome}, {"200|200 User (bob) deleted.", "200|200- "},
     {fenced("SITE DELUSER bob")}, 2000},
    // A server that floods after every NOOP: the flood follows the front
    // NOOP's reply, before the command's.
    {"AFloodAfterTheFrontFence",
     {data(2, fenceReply + "299 unsolicited 0\r\n299 unsolicited 1\r\n" +
                  "200- alice\r\n200 1 total users on site.\r\n" + fenceReply)},
     {"SITE USER", "SITE WHO"}, {unknownOutcome, "fail: the connection is closed"},
     {"299|299 unsolicited 0", "299|299 unsolicited 1"}, {fenced("SITE USER")}, 2000},
    {"WhatCameBeforeTheCommandIsNotItsReply",
     {data(1, "notice\r\n200 Early.\r\n"), data(2, fenceReply + "200 Password Changed...\r\n" + fenceReply)},
     {"SITE CHPASS bob secret"}, {"200|200 Password Changed..."}, {"0|notice", "200|200 Early."},
     {fenced("SITE CHPASS bob secret")}, 2000},
    // Replies the server sent after the last fence that were still on their
    // way when the next command was written.
    {"AFloodStillOnItsWayAtTheWriteIsNobodysReply",
     {data(2, fenceReply + "200 Group (x) successfully added.\r\n" + fenceReply),
      data(3, "299 unsolicited 0\r\n299 unsolicited 1\r\n299 unsolicited 2\r\n" + fenceReply +
                  "200 Password Changed...\r\n" + fenceReply)},
     {"SITE GRPADD x", "SITE CHPASS bob secret"},
     {"200|200 Group (x) successfully added.", "200|200 Password Changed..."},
     {"299|299 unsolicited 0", "299|299 unsolicited 1", "299|299 unsolicited 2"},
     {fenced("SITE GRPADD x"), fenced("SITE CHPASS bob secret")}, 2000},
    {"ACommandAnsweredLikeTheFence", {data(2, fenceReply + fenceReply + fenceReply)}, {"NOOP"},
     {"200|200 NOOP command successful."}, {}, {fenced("NOOP")}, 2000},
    {"ServerStopsAnswering", {}, {"SITE WHO", "SITE SWHO"},
     {"fail: no reply for 0.04 s", "fail: the connection is closed"}, {}, {fenced("SITE WHO")}, 40},
    // In the window the operator decides: a silent server is waited for,
    // or the wait is cancelled long before the time-out.
    {"TheOperatorWaitsOnPastTheSilence",
     {data(2, fenceReply), {2, StreamStatus::TimedOut, "", 150}, data(2, "200 Password Changed...\r\n" + fenceReply)},
     {"SITE CHPASS bob secret"}, {"200|200 Password Changed..."}, {}, {fenced("SITE CHPASS bob secret")}, 40,
     600000, Operator::WaitsOn},
    {"TheOperatorCancels", {}, {"SITE WHO", "SITE SWHO"},
     {"fail: cancelled by the operator; the outcome is unknown", "fail: the connection is closed"}, {},
     {fenced("SITE WHO")}, 2000, 600000, Operator::Cancels},
    {"ServerStopsInTheMiddle", {data(2, fenceReply + "200- .------------------.\r\n")}, {"SITE SWHO"},
     {"fail: the reply stopped: nothing more for 0.04 s"}, {}, {fenced("SITE SWHO")}, 40},
    // Silence is what times out: a slow reply that keeps coming completes
    // (2.5 times the silence time-out here), also while its bytes are a TLS
    // record that cannot be decrypted before its end; an endless one ends at
    // the bound of the whole exchange.
    {"SlowButSteadyReplyCompletes", trickled(2, "200 Password Changed...\r\n", 10, fenceReply),
     {"SITE CHPASS bob secret"}, {"200|200 Password Changed..."}, {}, {fenced("SITE CHPASS bob secret")}, 100},
    {"ARecordSlowerThanTheTimeOutCompletes", slowRecord(2, 25, 10, "200 Password Changed...\r\n" + fenceReply),
     {"SITE CHPASS bob secret"}, {"200|200 Password Changed..."}, {}, {fenced("SITE CHPASS bob secret")}, 100},
    {"TricklingReplyEndsAtTheWholeBound", trickled(2, "200-" + std::string(36, 'x') + "\r\n", 10),
     {"SITE USER"}, {"fail: the reply took longer than 0.15 s"}, {}, {fenced("SITE USER")}, 100, 150},
    // A reply the server had begun before the command (received in part)
    // is not the command's, though it ends after the write.
    {"AReplyBegunBeforeTheCommandIsNotItsReply",
     {data(1, "200-Unsolicited notice\r\n"),
      data(2, "200 end of notice\r\n" + fenceReply + "200 Password Changed...\r\n" + fenceReply)},
     {"SITE CHPASS bob secret"}, {"200|200 Password Changed..."}, {"200|200-Unsolicited notice|200 end of notice"},
     {fenced("SITE CHPASS bob secret")}, 2000},
    // Where the replies cannot be matched to what was written, the command
    // was still sent: it fails as one whose outcome is unknown.
    {"TheFrontNoopsReplyEndsOneBegunBefore",
     {data(1, "200-Unsolicited notice\r\n"), data(2, fenceReply + "200 Password Changed...\r\n" + fenceReply)},
     {"SITE CHPASS bob secret", "SITE WHO"},
     {"fail: the server's reply to the NOOP before the command closed a reply it had begun earlier: the command "
      "was sent, the outcome is unknown",
      "fail: the connection is closed"},
     {"200|200-Unsolicited notice|200 NOOP command successful."}, {fenced("SITE CHPASS bob secret")}, 2000},
    {"ANoopReplyWhereTheCommandsIsDue",
     {data(2, fenceReply + fenceReply + "200 Password Changed...\r\n" + fenceReply)}, {"SITE CHPASS bob secret"},
     {"fail: the server sent a NOOP reply where the command's was due: the command was sent, the outcome is unknown"},
     {"200|200 NOOP command successful."}, {fenced("SITE CHPASS bob secret")}, 2000},
    {"ClosedInsideAMultiLineReply",
     {data(2, fenceReply + "200- .------------------.\r\n200- | PiD     User"), closing(2)}, {"SITE SWHO", "SITE WHO"},
     {"fail: the server closed the connection", "fail: the connection is closed"}, {}, {fenced("SITE SWHO")}, 2000},
    {"ReplyOverTheBound", {data(2, fenceReply + userListing(25))}, {"SITE USER"},
     {"fail: the server's reply is larger than the host accepts"}, {}, {fenced("SITE USER")}, 2000},
    {"LineBreakNeverWritten", {data(2, fenceReply + "200 Group (x) successfully added.\r\n" + fenceReply)},
     {"SITE GRPADD x\r\nSITE DELUSER bob", "SITE GRPADD x"},
     {"fail: a command line cannot hold a line break; nothing was sent", "200|200 Group (x) successfully added."},
     {}, {fenced("SITE GRPADD x")}, 2000},
};

class LiveFencedExchange : public testing::TestWithParam<FencedCase> {};

TEST_P(LiveFencedExchange, EachCommandGetsItsOwnReply) {
    const FencedCase& c = GetParam();
    std::vector<Chunk> script = {data(1, fenceReply)};
    script.insert(script.end(), c.script.begin(), c.script.end());
    for (std::size_t piece : {0, 1, 5}) {
        ScriptedStream stream(script, piece);
        live::ControlLimits bounds;
        bounds.reply.maxReplyLines = 20;
        bounds.replyTimeoutMs = c.replyTimeoutMs;
        bounds.wholeReplyMs = c.wholeReplyMs;
        bounds.waitSliceMs = 10;
        live::FtpControl control(stream, bounds);
        Lines unsolicited;
        control.onUnsolicited = [&](const session::Reply& reply) { unsolicited.push_back(flat(reply)); };
        std::string failure;
        ASSERT_TRUE(control.learnFence(failure)) << failure;
        int waits = 0;
        control.onWaiting = [&](std::size_t) { ++waits; };
        control.cancelRequested = [&] { return c.person == Operator::Cancels && waits >= 3; };
        control.keepWaitingAfterSilence = [&](int) { return c.person == Operator::WaitsOn; };
        Lines results;
        for (const std::string& command : c.commands) {
            session::Reply reply;
            results.push_back(control.fencedExchange(command, reply, failure) ? flat(reply) : "fail: " + failure);
        }
        Lines writes = {"NOOP\r\n"};
        writes.insert(writes.end(), c.writes.begin(), c.writes.end());
        EXPECT_EQ(results, c.results) << "pieces of " << piece;
        EXPECT_EQ(unsolicited, c.unsolicited) << "pieces of " << piece;
        EXPECT_EQ(stream.writes, writes) << "pieces of " << piece;
    }
}

INSTANTIATE_TEST_SUITE_P(Live, LiveFencedExchange, testing::ValuesIn(fencedCases),
                         [](const testing::TestParamInfo<FencedCase>& info) { return info.param.name; });

// Everything between two fences counts against one bound: the command's
// reply, replies nobody asked for and noise lines, also while idle.
TEST(LiveControl, AServerThatNeverStopsTalkingIsCutOffAtTheBound) {
    struct Case {
        const char* name;
        std::vector<Chunk> script;  // write 1 is the fence's NOOP
        int exchanges;              // 0: an idle drain
        std::string failure;        // empty: all goes through
    };
    const auto repeated = [](const std::string& line, int times) {
        std::string text;
        for (int i = 0; i < times; ++i) {
            text += line;
        }
        return text;
    };
    const std::string bigLine = "200-" + std::string(196, 'x') + "\r\n";
    const Case cases[] = {
        {"Noise", {data(2, fenceReply + repeated("no code here\r\n", 50))}, 1,
         "the server sent more than 20 lines or 64 MB for one command"},
        {"RepliesBeforeTheFence", {data(2, fenceReply + "200 ok\r\n" + repeated("200 Unsolicited.\r\n", 50))}, 1,
         "the server sent more than 20 lines or 64 MB for one command"},
        {"RepliesBeforeTheFrontFence", {data(2, repeated("200 Unsolicited.\r\n", 50))}, 1,
         "the server sent more than 20 lines or 64 MB for one command"},
        {"NoiseWhileIdle", {data(1, repeated("\r\n", 50))}, 0,
         "the server sent more than 20 lines or 64 MB while no command was waiting"},
        {"BytesInSmallReplies", {data(2, fenceReply + repeated(bigLine + "200 x\r\n", 8) + fenceReply)}, 1,
         "the server sent more than 20 lines or 1 KB for one command"},
        {"EachFenceStartsAfresh",
         {data(2, repeated("200 x\r\n", 15) + fenceReply),
          data(2, repeated("200-x\r\n", 14) + "200 x\r\n" + fenceReply),
          data(3, repeated("200 x\r\n", 15) + fenceReply),
          data(3, repeated("200-x\r\n", 14) + "200 x\r\n" + fenceReply)},
         2, ""},
    };
    for (const Case& c : cases) {
        std::vector<Chunk> script = {data(1, fenceReply)};
        script.insert(script.end(), c.script.begin(), c.script.end());
        ScriptedStream stream(script);
        live::ControlLimits bounds;
        bounds.reply.maxReplyLines = 20;
        bounds.reply.maxReplyBytes = std::string(c.name) == "BytesInSmallReplies" ? 1024 : bounds.reply.maxReplyBytes;
        bounds.replyTimeoutMs = 2000;
        bounds.waitSliceMs = 10;
        live::FtpControl control(stream, bounds);
        std::size_t unsolicited = 0;
        control.onUnsolicited = [&](const session::Reply& reply) { unsolicited += reply.lines.size(); };
        std::string failure;
        ASSERT_TRUE(control.learnFence(failure)) << failure;
        bool ok = true;
        for (int i = 0; i < c.exchanges && ok; ++i) {
            session::Reply reply;
            ok = control.fencedExchange("SITE USER", reply, failure);
        }
        if (c.exchanges == 0) {
            ok = control.drainIdle(failure);
        }
        EXPECT_EQ(ok ? std::string() : failure, c.failure) << c.name;
        EXPECT_EQ(control.broken(), !c.failure.empty()) << c.name;
        // At most the bound before each of a command's two fences.
        EXPECT_LE(unsolicited, 2 * 20u * static_cast<unsigned>(std::max(1, c.exchanges))) << c.name;
    }
}

// Greeting, AUTH TLS and the switch to the secured stream; the clear stream
// must be silent at the switch.
TEST(LiveControl, LoginStepsAndTheSwitchToTls) {
    ScriptedStream clear({data(0, "220-Welcome\r\n"), data(0, "220-to the site\r\n"), data(0, "220 ready\r\n"),
                          data(1, "234 AUTH TLS successful\r\n")});
    ScriptedStream tls({data(1, "331 Password required for alice.\r\n")});
    live::FtpControl control(clear);
    std::vector<std::size_t> waited;
    control.onWaiting = [&](std::size_t lines) { waited.push_back(lines); };
    session::Reply reply;
    std::string failure;
    ASSERT_TRUE(control.readReply(reply, failure)) << failure;
    EXPECT_EQ(flat(reply), "220|220-Welcome|220-to the site|220 ready");
    EXPECT_EQ(waited, (std::vector<std::size_t>{1, 2}));
    ASSERT_TRUE(control.exchange("AUTH TLS", reply, failure)) << failure;
    ASSERT_TRUE(control.switchStream(tls, failure)) << failure;
    ASSERT_TRUE(control.exchange("USER alice", reply, failure)) << failure;
    EXPECT_EQ(reply.code, 331);
    EXPECT_EQ(clear.writes, (Lines{"AUTH TLS\r\n"}));
    EXPECT_EQ(tls.writes, (Lines{"USER alice\r\n"}));

    // Bytes still in the clear stream, a whole reply or a partial line read
    // together with the 234.
    const std::vector<Chunk> talkativeServers[] = {
        {data(1, "234 AUTH TLS successful\r\n"), data(1, "2")},
        {data(1, "234 AUTH TLS successful\r\n220 x\r\n")},
        {data(1, "234 AUTH TLS successful\r\n2")},
    };
    // A greeting that trickles in ends at the login step's bound, not at the
    // whole-reply limit.
    std::vector<Chunk> trickle;
    for (int i = 0; i < 100; ++i) {
        trickle.push_back({0, StreamStatus::Ok, "2", 10});
    }
    ScriptedStream slow(trickle);
    live::ControlLimits bounds;
    bounds.replyTimeoutMs = 40;
    bounds.loginStepMs = 150;
    bounds.waitSliceMs = 10;
    live::FtpControl greeting(slow, bounds);
    EXPECT_FALSE(greeting.readReply(reply, failure));
    EXPECT_EQ(failure, "the reply took longer than 0.15 s");

    for (const std::vector<Chunk>& script : talkativeServers) {
        ScriptedStream talkative(script);
        live::FtpControl early(talkative);
        ASSERT_TRUE(early.exchange("AUTH TLS", reply, failure)) << failure;
        EXPECT_FALSE(early.switchStream(tls, failure));
        EXPECT_EQ(failure, "the server sent data after its reply to AUTH TLS, before the TLS handshake");
        EXPECT_TRUE(early.broken());
    }
}

TEST(LiveControl, IdleDrainHandsOutTheTimeoutNoticeThenFails) {
    ScriptedStream stream({data(0, "421 Timeout (900 seconds): closing control connection.\r\n"), closing(0)});
    live::FtpControl control(stream);
    Lines unsolicited;
    control.onUnsolicited = [&](const session::Reply& reply) { unsolicited.push_back(flat(reply)); };
    std::string failure;
    EXPECT_FALSE(control.drainIdle(failure));
    EXPECT_EQ(failure, "the server closed the connection");
    EXPECT_EQ(unsolicited, (Lines{"421|421 Timeout (900 seconds): closing control connection."}));
    EXPECT_TRUE(control.broken());

    ScriptedStream quiet({});
    live::FtpControl idle(quiet);
    EXPECT_TRUE(idle.drainIdle(failure));
    EXPECT_FALSE(idle.broken());
}

// --- fingerprints and masking ------------------------------------------------

const char emptySha256[] =
    "E3:B0:C4:42:98:FC:1C:14:9A:FB:F4:C8:99:6F:B9:24:27:AE:41:E4:64:9B:93:4C:A4:95:99:1B:78:52:B8:55";

TEST(LiveFingerprint, ReadsWhatOperatorsPaste) {
    const std::string bare = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
    struct Case {
        std::string text;
        bool valid;
    };
    const Case cases[] = {
        {emptySha256, true},
        {std::string("sha256 Fingerprint=") + emptySha256, true},
        {std::string("  SHA256 Fingerprint=") + emptySha256 + "\r\n", true},
        {bare, true},
        {" \t" + bare + " ", true},
        {std::string(emptySha256).substr(3), false},
        {bare + "00", false},
        {"E:3B0" + std::string(emptySha256).substr(5), false},
        {std::string(emptySha256).replace(2, 1, "-"), false},
        {bare.substr(0, 63) + "g", false},
        {"sha1 Fingerprint=" + std::string(emptySha256), false},
        {"", false},
    };
    for (const Case& c : cases) {
        live::Sha256Digest digest{};
        ASSERT_EQ(live::parseFingerprint(c.text, digest), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(live::fingerprintText(digest), emptySha256);
        }
    }
}

TEST(LiveMask, PasswordsNeverReachTheTranscript) {
    const std::pair<std::string, std::string> cases[] = {
        {"PASS secret", "PASS ****"},
        {"pass   my secret words", "pass ****"},
        {"PASS", "PASS"},
        {"SITE ADDUSER bob s3cret *@10.0.0.* bob@198.51.100.*", "SITE ADDUSER bob ****"},
        {"site  adduser bob  s3cret", "site  adduser bob  ****"},
        {"SITE ADDUSER zed two words", "SITE ADDUSER zed ****"},
        {"SITE GADDUSER friends bob s3cret *@10.0.0.*", "SITE GADDUSER friends bob ****"},
        {"SITE CHPASS bob n3w", "SITE CHPASS bob ****"},
        {"SITE CHPASS zed new\tsecret ", "SITE CHPASS zed ****"},
        {"SITE CHPASS bob", "SITE CHPASS bob"},
        {"SITE GADDUSER friends bob", "SITE GADDUSER friends bob"},
        {"SITE CHPASS ", "SITE CHPASS "},
        // An account name left empty: the word after it may be the password.
        {"SITE CHPASS  s3cret", "SITE CHPASS ****"},
        {"SITE CHPASS \ts3cret", "SITE CHPASS ****"},
        {"site  adduser   bob  s3cret", "site  adduser ****"},
        {"SITE ADDUSER  s3cret *@10.0.0.*", "SITE ADDUSER ****"},
        {"SITE GADDUSER  bob s3cret", "SITE GADDUSER ****"},
        {"SITE GADDUSER friends  s3cret *@10.0.0.*", "SITE GADDUSER ****"},
        {"SITE CHANGE bob tagline PASS word", "SITE CHANGE bob tagline PASS word"},
        {"USER alice", "USER alice"},
        {"PASSWORD x", "PASSWORD x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(session::maskSecrets(c.first), c.second);
    }
}

}  // namespace
