#pragma once
// A TCP connection through Winsock, read with waits.
#include <winsock2.h>

#include <string>

#include "host/live/byte_stream.h"

namespace live {

class SocketStream : public ByteStream {
public:
    SocketStream() = default;
    ~SocketStream() override;
    SocketStream(const SocketStream&) = delete;
    SocketStream& operator=(const SocketStream&) = delete;

    bool connect(const std::string& host, int port, int timeoutMs, std::string& failure);
    void close();
    bool isOpen() const { return handle != INVALID_SOCKET; }

    StreamStatus write(const std::string& bytes) override;
    StreamStatus read(std::string& into, int waitMs) override;
    std::uint64_t bytesReceived() const override { return received; }
    std::string lastError() const override { return error; }

private:
    StreamStatus fail(const std::string& what);

    SOCKET handle = INVALID_SOCKET;
    std::uint64_t received = 0;
    std::string error;
};

// "what: the system's text (code)" for a Winsock or Win32 error code.
std::string systemErrorText(const std::string& what, long code);

}  // namespace live
