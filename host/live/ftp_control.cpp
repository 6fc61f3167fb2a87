#include "host/live/ftp_control.h"

#include <algorithm>
#include <utility>

namespace live {

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

// "30 s", "0.04 s": the time-out as the operator set it.
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

}  // namespace

FtpControl::FtpControl(ByteStream& stream, const ControlLimits& limits)
    : stream(&stream), limits(limits), assembler(limits.reply) {}

bool FtpControl::broken() const { return isBroken; }

bool FtpControl::fail(const std::string& why, std::string& failure) {
    isBroken = true;
    failure = why;
    return false;
}

void FtpControl::handOut(const simsite::Reply& reply) {
    if (onUnsolicited) {
        onUnsolicited(reply);
    }
}

void FtpControl::feed() {
    // A stream may hand over its last bytes together with its end.
    if (received.empty()) {
        return;
    }
    assembler.feed(received.data(), received.size());
    for (std::string& line : assembler.takeNoise()) {
        simsite::Reply noise;
        noise.code = 0;
        noise.lines.push_back(std::move(line));
        handOut(noise);
    }
}

bool FtpControl::writeLine(const std::string& bytes, std::string& failure) {
    switch (stream->write(bytes)) {
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

bool FtpControl::awaitReply(simsite::Reply& reply, Clock::time_point deadline, std::string& failure) {
    bool progressed = false;
    for (;;) {
        if (assembler.next(reply)) {
            return true;
        }
        if (assembler.overLimit()) {
            return fail("the server's reply is larger than the host accepts", failure);
        }
        Clock::time_point now = Clock::now();
        if (progressed) {
            // A server that keeps trickling bytes must not hold the host
            // past the time-out either.
            if (now >= deadline) {
                break;
            }
            if (onWaiting) {
                onWaiting(assembler.pendingLines());
            }
        }
        const long long left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        const int wait = static_cast<int>(std::max(0LL, std::min<long long>(limits.waitSliceMs, left)));
        received.clear();
        const StreamStatus status = stream->read(received, wait);
        feed();
        switch (status) {
        case StreamStatus::Ok:
            progressed = true;
            continue;
        case StreamStatus::Closed:
            return fail(closedByServer, failure);
        case StreamStatus::Failed:
            return fail(errorOf(*stream), failure);
        case StreamStatus::TimedOut:
            break;
        }
        if (Clock::now() >= deadline) {
            break;
        }
        progressed = false;
        if (onWaiting) {
            onWaiting(assembler.pendingLines());
        }
    }
    return fail("no complete reply within " + secondsText(limits.replyTimeoutMs), failure);
}

bool FtpControl::takeAvailable(Clock::time_point deadline, std::string& failure) {
    for (;;) {
        simsite::Reply reply;
        while (assembler.next(reply)) {
            handOut(reply);
        }
        if (assembler.overLimit()) {
            return fail("the server's reply is larger than the host accepts", failure);
        }
        // A server that never stops talking is read again on the next call.
        if (Clock::now() >= deadline) {
            return true;
        }
        received.clear();
        const StreamStatus status = stream->read(received, 0);
        feed();
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

bool FtpControl::readReply(simsite::Reply& reply, std::string& failure) {
    if (isBroken) {
        failure = alreadyClosed;
        return false;
    }
    return awaitReply(reply, Clock::now() + std::chrono::milliseconds(limits.replyTimeoutMs), failure);
}

bool FtpControl::exchange(const std::string& line, simsite::Reply& reply, std::string& failure) {
    if (holdsLineBreak(line)) {
        failure = "a command line cannot hold a line break; nothing was sent";
        return false;
    }
    if (isBroken) {
        failure = alreadyClosed;
        return false;
    }
    if (!writeLine(line + "\r\n", failure)) {
        return false;
    }
    return awaitReply(reply, Clock::now() + std::chrono::milliseconds(limits.replyTimeoutMs), failure);
}

bool FtpControl::learnFence(std::string& failure) {
    simsite::Reply reply;
    if (!exchange("NOOP", reply, failure)) {
        return false;
    }
    if (reply.code >= 400) {
        failure = "the server refused NOOP: " + reply.lines.back();
        return false;
    }
    fence = reply.lines.back();
    fenceLearned = true;
    return true;
}

bool FtpControl::fencedExchange(const std::string& command, simsite::Reply& reply, std::string& failure) {
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
    // Whatever came before the command is nobody's reply to it.
    if (!takeAvailable(Clock::now() + std::chrono::milliseconds(limits.replyTimeoutMs), failure)) {
        return false;
    }
    if (!writeLine(command + "\r\nNOOP\r\n", failure)) {
        return false;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limits.replyTimeoutMs);
    if (!awaitReply(reply, deadline, failure)) {
        return false;
    }
    for (;;) {
        simsite::Reply other;
        if (!awaitReply(other, deadline, failure)) {
            return false;
        }
        if (other.lines.back() == fence) {
            // Lines that opened a reply of their own just before the fence
            // (glftpd's stray "200- " after SITE KILL) merged into it.
            if (other.lines.size() > 1) {
                other.lines.pop_back();
                handOut(other);
            }
            return true;
        }
        handOut(other);
    }
}

bool FtpControl::drainIdle(std::string& failure) {
    if (isBroken) {
        failure = alreadyClosed;
        return false;
    }
    return takeAvailable(Clock::now() + std::chrono::milliseconds(limits.replyTimeoutMs), failure);
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
