#pragma once
// The FTP control connection's exchanges over any byte stream: one reply at
// a time for the login steps, and the fenced exchange for the plug-in's
// commands, which writes "NOOP\r\nCOMMAND\r\nNOOP\r\n" at once. A server
// answers commands in order, so everything before the front NOOP's reply
// (a reply whose first bytes had arrived before the write does not count as
// it) is a reply nobody asked for, however much of it was still on its way
// at the write; the first reply after it is the command's; what comes after
// that up to the back NOOP's reply may only be one of glftpd's known strays
// (the lone "200- " after SITE KILL, which merges into the back NOOP's
// reply; 2.06's second reply to SITE GRPNFO). So a late, doubled, split or
// flooding reply is never taken for a command's. Where the order cannot be
// read (the front NOOP's reply closes a reply begun before it, a NOOP reply
// comes where the command's is due, or more than one reply comes between
// the fences) the exchange fails: the command was sent, its outcome is
// unknown.
//
// Waits: every read waits one slice at most; between slices the operator
// may cancel (the wait fails, its outcome unknown) and, once the silence
// time-out has passed during a command (not during the login), choose to
// wait on.
//
// Memory: between two fences (and from the last fence through any idle
// drains up to the next command's fence) the connection takes at most
// reply.maxReplyLines lines and reply.maxReplyBytes bytes of line text in
// all: the command's reply, its fence, replies nobody asked for and noise
// together (1,000,000 lines, 64 MB by default). Past that the exchange or
// the drain fails and the connection is done. Beyond those lines it holds
// one partial line (at most maxLineBytes) and one read's bytes.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "host/live/byte_stream.h"
#include "host/live/reply_assembler.h"
#include "host/session/site_link.h"

namespace live {

// Why a wait the operator cancelled failed.
extern const char* const cancelledText;

struct ControlLimits {
    // Per reply, and for all lines between two fences together (see above).
    ReplyLimits reply;
    // Silence: an awaited reply fails when nothing has arrived for this
    // long, counted from the write and then from the last byte the stream
    // took off the network (a slow TLS record is not silence).
    int replyTimeoutMs = 30000;
    // The whole exchange, from the write to the complete reply and its
    // fence, however steadily the bytes come.
    int wholeReplyMs = 600000;
    // One step of the login (the greeting, AUTH TLS, USER, PASS, the first
    // NOOP): this long at most, or the silence time-out when that is longer
    // (never longer than wholeReplyMs). A server trickling its greeting
    // cannot hold a login for the whole-reply limit.
    int loginStepMs = 30000;
    // Reads wait this long at most, then onWaiting runs; an idle drain reads
    // for at most this long.
    int waitSliceMs = 100;
    // A reply this long is big: onWaiting runs at most every waitingEveryMs
    // during it, and reads that take less than pauseBelowBytes are followed
    // by a pause of pauseMs.
    std::size_t bigReplyLines = 1000;
    int waitingEveryMs = 40;
    std::size_t pauseBelowBytes = 16 * 1024;
    int pauseMs = 3;
};

class FtpControl {
public:
    FtpControl(ByteStream& stream, const ControlLimits& limits = ControlLimits());

    // Every exchange after a failure (time-out, bound, stream error or end)
    // fails at once without writing: the caller closes the connection.
    bool broken() const;

    // Reads the next complete reply (the greeting) within the time-outs.
    bool readReply(session::Reply& reply, std::string& failure);
    // Writes one line and reads the one reply that follows it (login steps).
    bool exchange(const std::string& line, session::Reply& reply, std::string& failure);
    // Sends NOOP alone and keeps its reply's last line as the fence to
    // recognise. Call once after login, before fencedExchange.
    bool learnFence(std::string& failure);
    // The plug-in's commands (see above).
    bool fencedExchange(const std::string& command, session::Reply& reply, std::string& failure);
    // Takes what arrived while no command was waiting (no wait, reading for
    // one wait slice at most) and hands it to onUnsolicited; false when the
    // stream has ended or failed or the bound between fences is passed.
    bool drainIdle(std::string& failure);

    // A later stream for the same connection (TLS after AUTH TLS). Fails
    // when bytes arrived after the last reply read: they were sent in clear.
    bool switchStream(ByteStream& next, std::string& failure);

    // Replies (and noise lines, as one-line replies with code 0) that no
    // command asked for.
    std::function<void(const session::Reply& reply)> onUnsolicited;
    // Called between reads while a reply is awaited, with the lines of it
    // received so far (the host keeps its window painting there); during a
    // big reply (bigReplyLines lines so far) at most every waitingEveryMs.
    std::function<void(std::size_t linesSoFar)> onWaiting;
    // Called while a big reply streams in and the last read took little, to
    // let the next read take more at once: a server that writes a line a TLS
    // record (glftpd) would otherwise cost a read and a decryption call a
    // line. The host sleeps there; unset, reads follow each other.
    std::function<void(int ms)> pause;
    // Asked between reads: true ends the wait with cancelledText, and the
    // connection is done.
    std::function<bool()> cancelRequested;
    // Asked when a command's reply has been silent for the time-out: true
    // waits on (and asks again after as long a silence); false fails as
    // without it.
    std::function<bool(int silentMs)> keepWaitingAfterSilence;

private:
    using Clock = std::chrono::steady_clock;

    // Sets lastTaken to where the reply lies.
    bool awaitReply(session::Reply& reply, Clock::time_point deadline, std::string& failure);
    // The deadline of a wait that may take `boundMs` from now (its failure
    // names that bound).
    Clock::time_point boundFromNow(int boundMs);
    // The fences of fencedExchange: every reply before them goes out as one
    // nobody asked for.
    bool awaitFrontFence(std::uint64_t written, Clock::time_point deadline, std::string& failure);
    // After the command's `reply`: only glftpd's known strays may come
    // before the back fence.
    bool awaitBackFence(const std::string& command, const session::Reply& reply, Clock::time_point deadline,
                        std::string& failure);
    bool takeAvailable(std::string& failure);
    // Writes `line` and its line end; the copy written is wiped afterwards
    // (it may hold a password).
    bool writeLine(const std::string& line, std::string& failure);
    bool feed(std::string& failure);
    void handOut(const session::Reply& reply);
    bool fail(const std::string& why, std::string& failure);
    // The reply last taken was a fence: the lines after it are counted
    // afresh.
    void fenceReached();

    ByteStream* stream;
    ControlLimits limits;
    ReplyAssembler assembler;
    std::string received;  // one read's bytes, reused
    std::string fence;
    ReplyPlace lastTaken;
    bool fenceLearned = false;
    bool isBroken = false;
    bool commandWaiting = false;    // for the failure's words
    bool mayWaitOn = false;         // a fenced command's reply: the operator may wait past silence
    int boundMs = 0;                // of the wait under way, for its failure's words
    Clock::time_point lastByte;     // of the silence time-out
    bool heardSinceWrite = false;
    std::uint64_t linesAtFence = 0;  // the assembler's counts at the last fence
    std::uint64_t bytesAtFence = 0;
};

}  // namespace live
