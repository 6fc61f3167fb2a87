#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/live/reply_assembler.h"
#include "tests/fuzz/fuzz_reply.h"

// The bytes of a control connection, fed at once and again in pieces whose
// sizes come from the bytes themselves (1 to 16, taken in turn): both must
// give the same replies, noise and bound. Small bounds, so that long lines,
// long replies and big replies are all reached.
namespace {

struct Outcome {
    std::vector<session::Reply> replies;
    std::vector<std::uint64_t> starts;
    std::vector<std::uint64_t> linesAtEnds;
    std::vector<std::string> noise;
    bool overLimit = false;
    std::size_t pendingLines = 0;
    bool holdsBytes = false;
    std::uint64_t lines = 0;
    std::uint64_t lineBytes = 0;
};

live::ReplyLimits smallLimits() {
    live::ReplyLimits limits;
    limits.maxLineBytes = 64;
    limits.maxReplyLines = 50;
    limits.maxReplyBytes = 2048;
    return limits;
}

void collect(live::ReplyAssembler& assembler, Outcome& outcome) {
    session::Reply reply;
    live::ReplyPlace place;
    while (assembler.next(reply, &place)) {
        outcome.replies.push_back(reply);
        outcome.starts.push_back(place.startedAt);
        outcome.linesAtEnds.push_back(place.linesAtEnd);
    }
    for (std::string& line : assembler.takeNoise()) {
        outcome.noise.push_back(line);
    }
}

void finish(const live::ReplyAssembler& assembler, Outcome& outcome) {
    outcome.overLimit = assembler.overLimit();
    outcome.pendingLines = assembler.pendingLines();
    outcome.holdsBytes = assembler.holdsBytes();
    outcome.lines = assembler.linesTaken();
    outcome.lineBytes = assembler.lineBytesTaken();
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool wellFormedLine(const std::string& line, const live::ReplyLimits& limits) {
    return line.size() <= limits.maxLineBytes && line.find('\n') == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const live::ReplyLimits limits = smallLimits();
    const char* bytes = reinterpret_cast<const char*>(data);

    Outcome whole;
    live::ReplyAssembler once(limits);
    once.feed(bytes, size);
    collect(once, whole);
    finish(once, whole);

    Outcome pieced;
    live::ReplyAssembler inPieces(limits);
    for (std::size_t at = 0, turn = 0; at < size; ++turn) {
        std::size_t piece = static_cast<std::size_t>(data[turn % size] % 16) + 1;
        if (piece > size - at) {
            piece = size - at;
        }
        inPieces.feed(bytes + at, piece);
        at += piece;
        collect(inPieces, pieced);
    }
    finish(inPieces, pieced);

    FUZZ_CHECK(whole.overLimit == pieced.overLimit);
    FUZZ_CHECK(whole.pendingLines == pieced.pendingLines);
    FUZZ_CHECK(whole.holdsBytes == pieced.holdsBytes);
    FUZZ_CHECK(whole.noise == pieced.noise);
    FUZZ_CHECK(whole.starts == pieced.starts);
    FUZZ_CHECK(whole.linesAtEnds == pieced.linesAtEnds);
    FUZZ_CHECK(whole.lines == pieced.lines && whole.lineBytes == pieced.lineBytes);
    FUZZ_CHECK(once.bytesFed() == size && inPieces.bytesFed() == size);
    // Each reply begins at the start of its first line, after the one before.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < whole.replies.size(); ++i) {
        const std::uint64_t start = whole.starts[i];
        FUZZ_CHECK(start < size && (i == 0 || start > whole.starts[i - 1]));
        FUZZ_CHECK(start == 0 || bytes[start - 1] == '\n');
        FUZZ_CHECK(std::memcmp(bytes + start, whole.replies[i].lines.front().data(), 3) == 0);
        // Its lines are the last ones taken when it ended.
        FUZZ_CHECK(whole.linesAtEnds[i] >= whole.replies[i].lines.size() + (i == 0 ? 0 : whole.linesAtEnds[i - 1]));
        FUZZ_CHECK(whole.linesAtEnds[i] <= whole.lines);
        for (const std::string& line : whole.replies[i].lines) {
            kept += line.size();
        }
    }
    for (const std::string& line : whole.noise) {
        kept += line.size();
    }
    // Lines of a reply still open or cut off at the bound are counted but
    // not handed out.
    FUZZ_CHECK(whole.lineBytes >= kept);
    FUZZ_CHECK(whole.overLimit || whole.pendingLines > 0 || whole.lineBytes == kept);
    FUZZ_CHECK(whole.replies.size() == pieced.replies.size());
    for (std::size_t i = 0; i < whole.replies.size(); ++i) {
        const session::Reply& reply = whole.replies[i];
        FUZZ_CHECK(reply.code == pieced.replies[i].code);
        FUZZ_CHECK(reply.lines == pieced.replies[i].lines);

        FUZZ_CHECK(!reply.lines.empty() && reply.lines.size() <= limits.maxReplyLines);
        std::size_t replyBytes = 0;
        for (const std::string& line : reply.lines) {
            FUZZ_CHECK(wellFormedLine(line, limits));
            replyBytes += line.size();
        }
        FUZZ_CHECK(replyBytes <= limits.maxReplyBytes);
        // The code is the first line's digits, and the last line closes it.
        const std::string& first = reply.lines.front();
        const std::string& last = reply.lines.back();
        FUZZ_CHECK(first.size() >= 3 && isDigit(first[0]) && isDigit(first[1]) && isDigit(first[2]));
        FUZZ_CHECK(reply.code == (first[0] - '0') * 100 + (first[1] - '0') * 10 + (first[2] - '0'));
        FUZZ_CHECK(last.compare(0, 3, first, 0, 3) == 0 && (last.size() == 3 || last[3] == ' '));
    }
    for (const std::string& line : whole.noise) {
        FUZZ_CHECK(wellFormedLine(line, limits));
    }
    FUZZ_CHECK(!whole.overLimit || whole.pendingLines == 0);
    return 0;
}
