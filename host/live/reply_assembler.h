#pragma once
// Cuts the bytes of an FTP control connection into lines and lines into
// replies (RFC 959): a line "ddd-" opens a reply that runs up to the line
// starting "ddd " with the same code; a line "ddd " alone is a whole reply.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "host/session/site_link.h"

namespace live {

struct ReplyLimits {
    std::size_t maxLineBytes = 64 * 1024;        // longer lines are cut there
    std::size_t maxReplyLines = 1000000;         // more fails the reply
    std::size_t maxReplyBytes = 64 * 1024 * 1024;
};

// Where a complete reply lies in the stream.
struct ReplyPlace {
    std::uint64_t startedAt = 0;       // its first byte, as bytesFed() counts
    std::uint64_t linesAtEnd = 0;      // linesTaken() just after its last line
    std::uint64_t lineBytesAtEnd = 0;  // lineBytesTaken() just after its last line
};

class ReplyAssembler {
public:
    explicit ReplyAssembler(const ReplyLimits& limits = ReplyLimits());

    // Takes received bytes; completed replies queue up for next().
    void feed(const char* data, std::size_t size);
    // Takes the oldest complete reply, if any, and where it lies.
    bool next(session::Reply& reply, ReplyPlace* place = nullptr);

    // Bytes taken by feed() so far.
    std::uint64_t bytesFed() const;
    // Lines taken so far, noise included, and their bytes as kept (a cut
    // line counts its first maxLineBytes): what holding them costs.
    std::uint64_t linesTaken() const;
    std::uint64_t lineBytesTaken() const;

    // A reply went past the line or byte bound: the stream can no longer be
    // read in step, nothing more comes out.
    bool overLimit() const;
    // Lines of the reply still being assembled (for a progress display).
    std::size_t pendingLines() const;
    // Whether any byte has been received that is not yet part of a reply
    // handed out by next() (a partial line, an open reply, queued replies).
    bool holdsBytes() const;
    // Lines seen outside any reply that do not start with a reply code,
    // taken since the last call.
    std::deque<std::string> takeNoise();

private:
    struct Complete {
        session::Reply reply;
        ReplyPlace place;
    };

    void takeLine();
    void addToOpen(std::string&& line);
    void closeOpen();

    ReplyLimits limits;
    std::string partial;             // the line so far, at most maxLineBytes bytes
    std::uint64_t partialLength = 0; // its full length on the wire (an endless line passes 4 GiB)
    bool partialEndsInCr = false;
    std::uint64_t fed = 0;           // bytes fed so far
    std::uint64_t lineStart = 0;     // where the line so far began
    std::uint64_t lines = 0;
    std::uint64_t lineBytes = 0;
    bool inReply = false;
    bool over = false;
    char openCode[3] = {0, 0, 0};
    session::Reply open;
    std::size_t openBytes = 0;
    std::uint64_t openStart = 0;
    std::deque<Complete> complete;
    std::deque<std::string> noise;
};

}  // namespace live
