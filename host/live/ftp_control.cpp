#include "host/live/ftp_control.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace live {

const char* const cancelledText = "cancelled by the operator; the outcome is unknown";

namespace {

const char* const closedByServer = "the server closed the connection";
const char* const alreadyClosed = "the connection is closed";

std::string errorOf(const ByteStream& stream) {
    std::string why = stream.lastError();
    return why.empty() ? "the connection failed" : why;
}

bool holdsLineBreak(const std::string& line) {
    return line.find_first_of("\r\n") != std::string::npos;
}

// "30 s", "0.04 s": a time-out as the operator set it.
std::string secondsText(int ms) {
    std::string text = std::to_string(ms / 1000);
    int fraction = ms % 1000;
    if (fraction > 0) {
        std::string digits = std::to_string(fraction + 1000).substr(1);
        while (digits.back() == '0') {
            digits.pop_back();
        }
        text += "." + digits;
    }
    return text + " s";
}

// "64 MB", "12 bytes": a bound in words.
std::string sizeText(std::size_t bytes) {
    const std::size_t mb = 1024 * 1024;
    if (bytes >= mb && bytes % mb == 0) {
        return std::to_string(bytes / mb) + " MB";
    }
    if (bytes >= 1024 && bytes % 1024 == 0) {
        return std::to_string(bytes / 1024) + " KB";
    }
    return std::to_string(bytes) + " bytes";
}

bool isNoop(const std::string& command) {
    if (command.size() != 4) {
        return false;
    }
    std::string upper = command;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper == "NOOP";
}

// "SITE KILL 5", "site  grpnfo x": the command's first two words.
bool isSiteCommand(const std::string& command, const char* keyword) {
    std::size_t at = 0;
    std::string words[2];
    for (std::string& word : words) {
        while (at < command.size() && (command[at] == ' ' || command[at] == '\t')) {
            ++at;
        }
        while (at < command.size() && command[at] != ' ' && command[at] != '\t') {
            const char c = command[at++];
            word += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
    }
    return words[0] == "SITE" && words[1] == keyword;
}

// Complete one-line replies glftpd sends between a command's reply and the
// back NOOP's reply: 2.06 answers SITE GRPNFO twice.
int strayRepliesAfter(const std::string& command) { return isSiteCommand(command, "GRPNFO") ? 1 : 0; }

// Lines that opened a reply of their own just before the back NOOP's reply
// and merged into it: after SITE KILL, glftpd's lone "200- ".
bool isKnownMergedStray(const std::string& command, const std::vector<std::string>& lines) {
    return isSiteCommand(command, "KILL") && lines.size() == 1 &&
           lines.front().find_first_not_of(' ', 4) == std::string::npos && lines.front().compare(0, 4, "200-") == 0;
}

// Overwrites a copy that may hold a password, buffer and all, with writes
// the compiler keeps (volatile, as SecureZeroMemory does).
void wipe(std::string& text) {
    text.resize(text.capacity());
    volatile char* bytes = &text[0];
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[i] = 0;
    }
    text.clear();
}

// A login step's bound (see ControlLimits::loginStepMs).
int loginStepBound(const ControlLimits& limits) {
    return std::min(limits.wholeReplyMs, std::max(limits.loginStepMs, limits.replyTimeoutMs));
}

int waitFor(std::chrono::steady_clock::time_point until, int slice) {
    const long long left =
        std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
    return static_cast<int>(std::max(0LL, std::min<long long>(slice, left)));
}

}  // namespace

FtpControl::FtpControl(ByteStream& stream, const ControlLimits& limits)
    : stream(&stream), limits(limits), assembler(limits.reply), lastByte(Clock::now()) {}

bool FtpControl::broken() const { return isBroken; }

bool FtpControl::fail(const std::string& why, std::string& failure) {
    isBroken = true;
    failure = why;
    return false;
}

void FtpControl::handOut(const session::Reply& reply) {
    if (onUnsolicited) {
        onUnsolicited(reply);
    }
}

void FtpControl::fenceReached() {
    linesAtFence = lastTaken.linesAtEnd;
    bytesAtFence = lastTaken.lineBytesAtEnd;
}

bool FtpControl::feed(std::string& failure) {
    // A stream may hand over its last bytes together with its end.
    if (received.empty()) {
        return true;
    }
    assembler.feed(received.data(), received.size());
    if (assembler.overLimit()) {
        return fail("the server's reply is larger than the host accepts", failure);
    }
    if (assembler.linesTaken() - linesAtFence > limits.reply.maxReplyLines ||
        assembler.lineBytesTaken() - bytesAtFence > limits.reply.maxReplyBytes) {
        return fail("the server sent more than " + std::to_string(limits.reply.maxReplyLines) + " lines or " +
                        sizeText(limits.reply.maxReplyBytes) +
                        (commandWaiting ? " for one command" : " while no command was waiting"),
                    failure);
    }
    for (std::string& line : assembler.takeNoise()) {
        session::Reply noise;
        noise.code = 0;
        noise.lines.push_back(std::move(line));
        handOut(noise);
    }
    return true;
}

bool FtpControl::writeLine(const std::string& line, std::string& failure) {
    std::string bytes = line + "\r\n";
    StreamStatus status = stream->write(bytes);
    wipe(bytes);
    // Silence is counted from the write.
    lastByte = Clock::now();
    heardSinceWrite = false;
    switch (status) {
    case StreamStatus::Ok:
        return true;
    case StreamStatus::Closed:
        return fail(closedByServer, failure);
    case StreamStatus::TimedOut:
        return fail("the server does not take what the host sends", failure);
    case StreamStatus::Failed:
        break;
    }
    return fail(errorOf(*stream), failure);
}

FtpControl::Clock::time_point FtpControl::boundFromNow(int ms) {
    boundMs = ms;
    return Clock::now() + std::chrono::milliseconds(ms);
}

bool FtpControl::awaitReply(session::Reply& reply, Clock::time_point deadline, std::string& failure) {
    Clock::time_point lastWaiting = Clock::now();
    std::size_t lastRead = 0;
    for (bool first = true;; first = false) {
        if (assembler.next(reply, &lastTaken)) {
            return true;
        }
        const bool big = assembler.pendingLines() >= limits.bigReplyLines;
        if (!first && onWaiting &&
            (!big || Clock::now() >= lastWaiting + std::chrono::milliseconds(limits.waitingEveryMs))) {
            onWaiting(assembler.pendingLines());
            lastWaiting = Clock::now();
        }
        if (big && pause && lastRead > 0 && lastRead < limits.pauseBelowBytes) {
            pause(limits.pauseMs);
        }
        if (cancelRequested && cancelRequested()) {
            return fail(cancelledText, failure);
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            // A server that keeps trickling bytes must not hold the host
            // for ever either.
            return fail("the reply took longer than " + secondsText(boundMs), failure);
        }
        if (now >= lastByte + std::chrono::milliseconds(limits.replyTimeoutMs)) {
            // A slow server is not a broken one: the operator may wait on.
            if (mayWaitOn && keepWaitingAfterSilence && keepWaitingAfterSilence(limits.replyTimeoutMs)) {
                lastByte = Clock::now();
                continue;
            }
            if (cancelRequested && cancelRequested()) {
                return fail(cancelledText, failure);
            }
            return fail(heardSinceWrite ? "the reply stopped: nothing more for " + secondsText(limits.replyTimeoutMs)
                                        : "no reply for " + secondsText(limits.replyTimeoutMs),
                        failure);
        }
        const Clock::time_point silentUntil = lastByte + std::chrono::milliseconds(limits.replyTimeoutMs);
        received.clear();
        const int wait = waitFor(std::min(deadline, silentUntil), limits.waitSliceMs);
        const std::uint64_t takenBefore = stream->bytesReceived();
        const StreamStatus status = stream->read(received, wait);
        // Any byte off the network ends the silence, also one of a TLS record
        // that is still arriving (nothing of it can be decrypted yet).
        if (!received.empty() || stream->bytesReceived() != takenBefore) {
            lastByte = Clock::now();
            heardSinceWrite = true;
        }
        lastRead = received.size();
        if (!feed(failure)) {
            return false;
        }
        switch (status) {
        case StreamStatus::Ok:
        case StreamStatus::TimedOut:
            continue;
        case StreamStatus::Closed:
            return fail(closedByServer, failure);
        case StreamStatus::Failed:
            break;
        }
        return fail(errorOf(*stream), failure);
    }
}

bool FtpControl::takeAvailable(std::string& failure) {
    // A server that never stops talking is read again on the next call.
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(limits.waitSliceMs);
    for (;;) {
        session::Reply reply;
        while (assembler.next(reply)) {
            handOut(reply);
        }
        if (Clock::now() >= until) {
            return true;
        }
        received.clear();
        const StreamStatus status = stream->read(received, 0);
        if (!feed(failure)) {
            return false;
        }
        // What came before the end is handed out first (glftpd's 421 notice).
        while (assembler.next(reply)) {
            handOut(reply);
        }
        switch (status) {
        case StreamStatus::Ok:
            continue;
        case StreamStatus::TimedOut:
            return true;
        case StreamStatus::Closed:
            return fail(closedByServer, failure);
        case StreamStatus::Failed:
            break;
        }
        return fail(errorOf(*stream), failure);
    }
}

bool FtpControl::readReply(session::Reply& reply, std::string& failure) {
    if (isBroken) {
        failure = alreadyClosed;
        return false;
    }
    lastByte = Clock::now();
    heardSinceWrite = false;
    return awaitReply(reply, boundFromNow(loginStepBound(limits)), failure);
}

bool FtpControl::exchange(const std::string& line, session::Reply& reply, std::string& failure) {
    if (holdsLineBreak(line)) {
        failure = "a command line cannot hold a line break; nothing was sent";
        return false;
    }
    if (isBroken) {
        failure = alreadyClosed;
        return false;
    }
    commandWaiting = true;
    const bool answered = [&] {
        const std::uint64_t written = assembler.bytesFed();
        if (!writeLine(line, failure)) {
            return false;
        }
        const Clock::time_point deadline = boundFromNow(loginStepBound(limits));
        // As in the fenced exchange, a reply begun before the write is not this one's.
        for (;;) {
            if (!awaitReply(reply, deadline, failure)) {
                return false;
            }
            if (lastTaken.startedAt >= written) {
                return true;
            }
            handOut(reply);
        }
    }();
    commandWaiting = false;
    return answered;
}

bool FtpControl::learnFence(std::string& failure) {
    session::Reply reply;
    if (!exchange("NOOP", reply, failure)) {
        return false;
    }
    if (reply.code >= 400) {
        failure = "the server refused NOOP: " + reply.lines.back();
        return false;
    }
    fence = reply.lines.back();
    fenceLearned = true;
    fenceReached();
    return true;
}

bool FtpControl::awaitFrontFence(std::uint64_t written, Clock::time_point deadline, std::string& failure) {
    for (;;) {
        session::Reply other;
        if (!awaitReply(other, deadline, failure)) {
            return false;
        }
        if (other.lines.back() != fence) {
            handOut(other);
            continue;
        }
        if (other.lines.size() > 1) {
            // The NOOP's reply closed one the server had opened before it:
            // the rest of that one may still come and look like the command's.
            handOut(other);
            return fail("the server's reply to the NOOP before the command closed a reply it had begun earlier: "
                        "the command was sent, the outcome is unknown",
                        failure);
        }
        if (lastTaken.startedAt >= written) {
            fenceReached();
            return true;
        }
        // Begun before the NOOP was written: not its reply.
        handOut(other);
    }
}

bool FtpControl::awaitBackFence(const std::string& command, const session::Reply& reply,
                                Clock::time_point deadline, std::string& failure) {
    // Past the command's reply, a reply more means the command's may have
    // been any of them: none is the command's, all go to the transcript.
    const auto unknown = [&](const session::Reply& other) {
        handOut(reply);
        handOut(other);
        return fail("the server sent more than one reply between the NOOPs around the command: the command was "
                    "sent, the outcome is unknown",
                    failure);
    };
    for (int straysLeft = strayRepliesAfter(command);;) {
        session::Reply other;
        if (!awaitReply(other, deadline, failure)) {
            handOut(reply);
            return false;
        }
        if (other.lines.back() == fence) {
            // Lines that opened a reply of their own just before the fence
            // merged into it.
            if (other.lines.size() > 1) {
                other.lines.pop_back();
                if (!isKnownMergedStray(command, other.lines)) {
                    return unknown(other);
                }
                handOut(other);
            }
            fenceReached();
            return true;
        }
        // 2.06's second reply to SITE GRPNFO is one line.
        if (straysLeft-- == 0 || other.lines.size() != 1) {
            return unknown(other);
        }
        handOut(other);
    }
}

bool FtpControl::fencedExchange(const std::string& command, session::Reply& reply, std::string& failure) {
    if (holdsLineBreak(command)) {
        failure = "a command line cannot hold a line break; nothing was sent";
        return false;
    }
    if (isBroken) {
        failure = alreadyClosed;
        return false;
    }
    if (!fenceLearned) {
        failure = "the connection has not learned its NOOP reply yet; nothing was sent";
        return false;
    }
    commandWaiting = true;
    mayWaitOn = true;
    const bool answered = [&] {
        // What is complete already goes out now; the front fence sorts out
        // the rest, however much of it is still on its way.
        if (!takeAvailable(failure)) {
            return false;
        }
        const std::uint64_t written = assembler.bytesFed();
        if (!writeLine("NOOP\r\n" + command + "\r\nNOOP", failure)) {
            return false;
        }
        const Clock::time_point deadline = boundFromNow(limits.wholeReplyMs);
        if (!awaitFrontFence(written, deadline, failure)) {
            return false;
        }
        if (!awaitReply(reply, deadline, failure)) {
            return false;
        }
        if (reply.lines.back() == fence && !isNoop(command)) {
            // A NOOP reply more than the server owed: which reply is whose
            // cannot be told any more.
            handOut(reply);
            return fail("the server sent a NOOP reply where the command's was due: the command was sent, "
                        "the outcome is unknown",
                        failure);
        }
        return awaitBackFence(command, reply, deadline, failure);
    }();
    commandWaiting = false;
    mayWaitOn = false;
    return answered;
}

bool FtpControl::drainIdle(std::string& failure) {
    if (isBroken) {
        failure = alreadyClosed;
        return false;
    }
    return takeAvailable(failure);
}

bool FtpControl::switchStream(ByteStream& next, std::string& failure) {
    if (isBroken) {
        failure = alreadyClosed;
        return false;
    }
    received.clear();
    const StreamStatus status = stream->read(received, 0);
    if ((status == StreamStatus::Ok && !received.empty()) || assembler.holdsBytes()) {
        return fail("the server sent data after its reply to AUTH TLS, before the TLS handshake", failure);
    }
    if (status == StreamStatus::Closed) {
        return fail(closedByServer, failure);
    }
    if (status == StreamStatus::Failed) {
        return fail(errorOf(*stream), failure);
    }
    stream = &next;
    return true;
}

}  // namespace live
