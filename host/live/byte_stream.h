#pragma once
// A two-way byte stream with waits: a socket, or TLS over one.
#include <cstdint>
#include <string>

namespace live {

enum class StreamStatus {
    Ok,        // bytes were written / at least one byte was read
    Closed,    // the peer closed the stream (end of stream, TLS close)
    TimedOut,  // nothing arrived within the wait
    Failed,    // a network or TLS error; lastError() says which
};

class ByteStream {
public:
    virtual ~ByteStream() = default;
    // Writes every byte or fails.
    virtual StreamStatus write(const std::string& bytes) = 0;
    // Waits at most waitMs (0: only what is already there) and appends what
    // arrived to `into`.
    virtual StreamStatus read(std::string& into, int waitMs) = 0;
    // Bytes taken from the network so far, before any decryption: a TLS
    // record still arriving shows here before read() can hand out any of it.
    virtual std::uint64_t bytesReceived() const = 0;
    virtual std::string lastError() const = 0;
};

}  // namespace live
