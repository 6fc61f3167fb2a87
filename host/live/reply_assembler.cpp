#include "host/live/reply_assembler.h"

#include <cstring>
#include <utility>

namespace live {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool startsWithCode(const std::string& line) {
    return line.size() >= 3 && isDigit(line[0]) && isDigit(line[1]) && isDigit(line[2]);
}

// "ddd" alone or "ddd " and text: the line that ends a reply.
bool endsReply(const std::string& line) { return line.size() == 3 || line[3] == ' '; }

int codeOf(const char* digits) {
    return (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0');
}

}  // namespace

ReplyAssembler::ReplyAssembler(const ReplyLimits& limits) : limits(limits) {}

void ReplyAssembler::feed(const char* data, std::size_t size) {
    const char* const begin = data;
    const char* const end = data + size;
    while (data < end && !over) {
        const void* found = std::memchr(data, '\n', static_cast<std::size_t>(end - data));
        const char* stop = found != nullptr ? static_cast<const char*>(found) : end;
        const std::size_t length = static_cast<std::size_t>(stop - data);
        if (length > 0) {
            // Bytes past the line bound are only counted: a server sending an
            // endless line costs no memory.
            if (partial.size() < limits.maxLineBytes) {
                const std::size_t room = limits.maxLineBytes - partial.size();
                partial.append(data, length < room ? length : room);
            }
            partialLength += length;
            partialEndsInCr = stop[-1] == '\r';
        }
        if (found == nullptr) {
            break;
        }
        takeLine();
        data = stop + 1;
        lineStart = fed + static_cast<std::uint64_t>(data - begin);
    }
    fed += size;
}

void ReplyAssembler::takeLine() {
    std::uint64_t length = partialLength;
    if (partialEndsInCr) {
        --length;
    }
    if (partial.size() > length) {
        partial.resize(static_cast<std::size_t>(length));
    }
    std::string line(partial);
    partial.clear();
    partialLength = 0;
    partialEndsInCr = false;
    ++lines;
    lineBytes += line.size();

    if (inReply) {
        const bool closes = startsWithCode(line) && std::memcmp(line.data(), openCode, 3) == 0 &&
                            endsReply(line);
        addToOpen(std::move(line));
        if (closes && !over) {
            closeOpen();
        }
        return;
    }
    if (!startsWithCode(line) || (line.size() > 3 && line[3] != '-' && line[3] != ' ')) {
        noise.push_back(std::move(line));
        return;
    }
    const bool whole = endsReply(line);
    std::memcpy(openCode, line.data(), 3);
    inReply = true;
    openStart = lineStart;
    open.code = codeOf(openCode);
    open.lines.clear();
    openBytes = 0;
    addToOpen(std::move(line));
    if (whole && !over) {
        closeOpen();
    }
}

void ReplyAssembler::addToOpen(std::string&& line) {
    // openBytes never exceeds maxReplyBytes, so the difference cannot wrap.
    if (open.lines.size() >= limits.maxReplyLines || line.size() > limits.maxReplyBytes - openBytes) {
        over = true;
        inReply = false;
        open = session::Reply();
        openBytes = 0;
        partial.clear();
        partial.shrink_to_fit();
        partialLength = 0;
        partialEndsInCr = false;
        return;
    }
    openBytes += line.size();
    open.lines.push_back(std::move(line));
}

void ReplyAssembler::closeOpen() {
    complete.push_back(Complete{std::move(open), ReplyPlace{openStart, lines, lineBytes}});
    open = session::Reply();
    openBytes = 0;
    inReply = false;
}

bool ReplyAssembler::next(session::Reply& reply, ReplyPlace* place) {
    if (complete.empty()) {
        return false;
    }
    reply = std::move(complete.front().reply);
    if (place != nullptr) {
        *place = complete.front().place;
    }
    complete.pop_front();
    return true;
}

std::uint64_t ReplyAssembler::bytesFed() const { return fed; }

std::uint64_t ReplyAssembler::linesTaken() const { return lines; }

std::uint64_t ReplyAssembler::lineBytesTaken() const { return lineBytes; }

bool ReplyAssembler::overLimit() const { return over; }

std::size_t ReplyAssembler::pendingLines() const { return inReply ? open.lines.size() : 0; }

bool ReplyAssembler::holdsBytes() const {
    return over || partialLength > 0 || inReply || !complete.empty() || !noise.empty();
}

std::deque<std::string> ReplyAssembler::takeNoise() {
    std::deque<std::string> taken;
    taken.swap(noise);
    return taken;
}

}  // namespace live
