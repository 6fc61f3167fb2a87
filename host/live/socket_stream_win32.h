#pragma once
// A TCP connection through Winsock, read with waits.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <functional>
#include <string>

#include "host/live/byte_stream.h"

namespace live {

// Called between the slices of a long wait (connecting, the TLS handshake):
// false ends the wait, the operator cancelled it.
using WaitTurn = std::function<bool()>;
// Waits are cut into slices this long, so that a cancel is seen in time.
constexpr int waitSliceMs = 100;

// Looks up a host's addresses as GetAddrInfoW does (tests put a slow one in
// its place).
using AddressLookup = int(WSAAPI*)(PCWSTR host, PCWSTR service, const ADDRINFOW* hints, PADDRINFOW* found);

class SocketStream : public ByteStream {
public:
    SocketStream() = default;
    ~SocketStream() override;
    SocketStream(const SocketStream&) = delete;
    SocketStream& operator=(const SocketStream&) = delete;

    // `host` in UTF-8 (an international name as typed). The address lookup
    // runs on a thread of its own and is waited for in slices too (a lookup
    // that hangs is the operator's to give up, or fails at `timeoutMs`); a
    // lookup given up finishes on its thread and frees what it found.
    bool connect(const std::string& host, int port, int timeoutMs, std::string& failure,
                 const WaitTurn& waitTurn = WaitTurn());
    void close();
    bool isOpen() const { return handle != INVALID_SOCKET; }

    // Writes without blocking the thread: while the server takes nothing,
    // the write waits in slices, calling sendTurn between them (false ends
    // it as cancelled, cancelledBySender); after sendLimitMs without a byte
    // taken, keepSending (when set) is asked whether to wait as long again,
    // else the write fails.
    StreamStatus write(const std::string& bytes) override;
    WaitTurn sendTurn;
    std::function<bool(int stalledMs)> keepSending;
    int sendLimitMs = 30000;
    AddressLookup addressLookup = GetAddrInfoW;
    StreamStatus read(std::string& into, int waitMs) override;
    std::uint64_t bytesReceived() const override { return received; }
    std::string lastError() const override { return error; }

private:
    StreamStatus fail(const std::string& what);

    SOCKET handle = INVALID_SOCKET;
    std::uint64_t received = 0;
    std::string error;
};

// Why a write failed that sendTurn gave up.
extern const char* const cancelledBySender;

// "what: the system's text (code)" for a Winsock or Win32 error code, in
// UTF-8.
std::string systemErrorText(const std::string& what, long code);

// UTF-8 as Windows' UTF-16; false (and nothing) for text that is not UTF-8.
bool utf8ToWide(const std::string& utf8, std::wstring& wide);

// Overwrites a copy that held a password, its whole buffer, with
// SecureZeroMemory, and empties it.
void wipeSecret(std::string& text);

}  // namespace live
