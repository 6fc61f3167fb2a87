#pragma once
// The FTP control connection's exchanges over any byte stream: one reply at
// a time for the login steps, and the fenced exchange for the plug-in's
// commands, which writes "COMMAND\r\nNOOP\r\n" at once and reads up to the
// NOOP's reply: the first complete reply is the command's, whatever else
// arrives before the fence is a reply nobody asked for. So a late or doubled
// reply is never taken for the next command's.
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "host/live/byte_stream.h"
#include "host/live/reply_assembler.h"
#include "host/simsite/site_link.h"

namespace live {

struct ControlLimits {
    ReplyLimits reply;
    int replyTimeoutMs = 30000;  // from the write to the complete reply (and fence)
    int waitSliceMs = 100;       // reads wait this long at most, then onWaiting runs
};

class FtpControl {
public:
    FtpControl(ByteStream& stream, const ControlLimits& limits = ControlLimits());

    // Every exchange after a failure (time-out, bound, stream error or end)
    // fails at once without writing: the caller closes the connection.
    bool broken() const;

    // Reads the next complete reply (the greeting) within the time-out.
    bool readReply(simsite::Reply& reply, std::string& failure);
    // Writes one line and reads the one reply that follows it (login steps).
    bool exchange(const std::string& line, simsite::Reply& reply, std::string& failure);
    // Sends NOOP alone and keeps its reply's last line as the fence to
    // recognise. Call once after login, before fencedExchange.
    bool learnFence(std::string& failure);
    // The plug-in's commands (see above).
    bool fencedExchange(const std::string& command, simsite::Reply& reply, std::string& failure);
    // Takes what arrived while no command was waiting (no wait) and hands it
    // to onUnsolicited; false when the stream has ended or failed.
    bool drainIdle(std::string& failure);

    // A later stream for the same connection (TLS after AUTH TLS). Fails
    // when bytes arrived after the last reply read: they were sent in clear.
    bool switchStream(ByteStream& next, std::string& failure);

    // Replies (and noise lines, as one-line replies with code 0) that no
    // command asked for.
    std::function<void(const simsite::Reply& reply)> onUnsolicited;
    // Called between reads while a reply is awaited, with the lines of it
    // received so far (the host keeps its window painting there).
    std::function<void(std::size_t linesSoFar)> onWaiting;

private:
    using Clock = std::chrono::steady_clock;

    bool awaitReply(simsite::Reply& reply, Clock::time_point deadline, std::string& failure);
    bool takeAvailable(Clock::time_point deadline, std::string& failure);
    bool writeLine(const std::string& bytes, std::string& failure);
    void feed();
    void handOut(const simsite::Reply& reply);
    bool fail(const std::string& why, std::string& failure);

    ByteStream* stream;
    ControlLimits limits;
    ReplyAssembler assembler;
    std::string received;  // one read's bytes, reused
    std::string fence;
    bool fenceLearned = false;
    bool isBroken = false;
};

}  // namespace live
