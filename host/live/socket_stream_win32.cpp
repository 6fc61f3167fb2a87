#include "host/live/socket_stream_win32.h"

#include <ws2tcpip.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace live {

namespace {

constexpr int readChunk = 64 * 1024;

bool startWinsock(std::string& failure) {
    static bool started = false;
    if (!started) {
        WSADATA data;
        const int result = WSAStartup(MAKEWORD(2, 2), &data);
        if (result != 0) {
            failure = systemErrorText("Winsock does not start", result);
            return false;
        }
        started = true;
    }
    return true;
}

// Waits until the socket is readable (or writable); 0 on time-out, <0 on error.
int waitFor(SOCKET socket, bool forWrite, int waitMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    fd_set errors;
    FD_ZERO(&errors);
    FD_SET(socket, &errors);
    timeval limit{waitMs / 1000, (waitMs % 1000) * 1000};
    const int ready = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, &errors, &limit);
    if (ready == SOCKET_ERROR) {
        return -1;
    }
    if (ready > 0 && FD_ISSET(socket, &errors)) {
        return -1;
    }
    return ready;
}

// One address lookup, shared by the thread that runs it and the one that
// waits for it; whichever lets go last frees it (and what it found).
struct Lookup {
    LONG holders = 2;
    HANDLE done = nullptr;
    AddressLookup lookUp = nullptr;
    std::wstring host;
    std::wstring service;
    ADDRINFOW hints{};
    ADDRINFOW* found = nullptr;
    int result = 0;
};

void letGo(Lookup* lookup) {
    if (InterlockedDecrement(&lookup->holders) == 0) {
        if (lookup->found != nullptr) {
            FreeAddrInfoW(lookup->found);
        }
        CloseHandle(lookup->done);
        delete lookup;
    }
}

DWORD WINAPI runLookup(void* parameter) {
    Lookup* lookup = static_cast<Lookup*>(parameter);
    lookup->result = lookup->lookUp(lookup->host.c_str(), lookup->service.c_str(), &lookup->hints, &lookup->found);
    SetEvent(lookup->done);
    letGo(lookup);
    return 0;
}

enum class LookupEnd { Done, Cancelled, TimedOut };

// Runs `lookup` on a thread of its own and waits in slices; on Done the
// caller owns lookup->found.
LookupEnd awaitLookup(Lookup* lookup, int timeoutMs, const WaitTurn& waitTurn) {
    HANDLE thread = CreateThread(nullptr, 0, runLookup, lookup, 0, nullptr);
    if (thread == nullptr) {
        // No thread to spare: looked up here, as before.
        InterlockedDecrement(&lookup->holders);
        lookup->result = lookup->lookUp(lookup->host.c_str(), lookup->service.c_str(), &lookup->hints, &lookup->found);
        return LookupEnd::Done;
    }
    CloseHandle(thread);
    for (int left = std::max(0, timeoutMs);;) {
        const int slice = std::min(left, waitSliceMs);
        if (WaitForSingleObject(lookup->done, static_cast<DWORD>(slice)) == WAIT_OBJECT_0) {
            return LookupEnd::Done;
        }
        left -= slice;
        if (waitTurn && !waitTurn()) {
            return LookupEnd::Cancelled;
        }
        if (left <= 0) {
            return LookupEnd::TimedOut;
        }
    }
}

}  // namespace

const char* const cancelledBySender = "cancelled by the operator while the server took nothing; the outcome is unknown";

std::string systemErrorText(const std::string& what, long code) {
    // In UTF-8 like every other text of the host, whatever the system's language.
    wchar_t text[512] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(code), 0, text, 512, nullptr);
    std::string message;
    const int size = length > 0 ? WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                                      nullptr, nullptr)
                                : 0;
    if (size > 0) {
        message.resize(static_cast<std::size_t>(size));
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &message[0], size, nullptr, nullptr);
    }
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.' ||
                                message.back() == ' ')) {
        message.pop_back();
    }
    char number[32];
    std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(code));
    return what + ": " + (message.empty() ? std::string("error") : message) + " (" + number + ")";
}

bool utf8ToWide(const std::string& utf8, std::wstring& wide) {
    wide.clear();
    if (utf8.empty()) {
        return true;
    }
    if (utf8.size() > 0x7fffffff) {
        return false;
    }
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                           nullptr, 0);
    if (length <= 0) {
        return false;
    }
    wide.resize(static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    return true;
}

void wipeSecret(std::string& text) {
    // Past its end too: what a shorter text left of a longer one.
    text.resize(text.capacity());
    SecureZeroMemory(&text[0], text.size());
    text.clear();
}

SocketStream::~SocketStream() { close(); }

void SocketStream::close() {
    if (handle != INVALID_SOCKET) {
        closesocket(handle);
        handle = INVALID_SOCKET;
    }
}

StreamStatus SocketStream::fail(const std::string& what) {
    error = systemErrorText(what, WSAGetLastError());
    return StreamStatus::Failed;
}

bool SocketStream::connect(const std::string& host, int port, int timeoutMs, std::string& failure,
                           const WaitTurn& waitTurn) {
    close();
    if (!startWinsock(failure)) {
        return false;
    }
    // The name as typed, through UTF-16: no character becomes '?' in the
    // ANSI code page, and so no other host is asked for.
    std::wstring wideHost;
    if (!utf8ToWide(host, wideHost)) {
        failure = "The host name is not valid UTF-8; nothing was sent";
        return false;
    }
    const std::string service = std::to_string(port);
    Lookup* lookup = new Lookup;
    lookup->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    lookup->lookUp = addressLookup;
    lookup->host = wideHost;
    lookup->service.assign(service.begin(), service.end());
    lookup->hints.ai_family = AF_UNSPEC;
    lookup->hints.ai_socktype = SOCK_STREAM;
    lookup->hints.ai_protocol = IPPROTO_TCP;
    if (lookup->done == nullptr) {
        delete lookup;
        failure = systemErrorText("Cannot look up " + host, static_cast<long>(GetLastError()));
        return false;
    }
    const LookupEnd end = awaitLookup(lookup, timeoutMs, waitTurn);
    ADDRINFOW* found = nullptr;
    int looked = 0;
    if (end == LookupEnd::Done) {
        // Written before the lookup said it was done; a lookup given up
        // may still be writing them.
        looked = lookup->result;
        found = lookup->found;
        lookup->found = nullptr;
    }
    letGo(lookup);
    if (end == LookupEnd::Cancelled) {
        failure = "Looking up the address of " + host + " was cancelled by the operator; nothing was sent";
        return false;
    }
    if (end == LookupEnd::TimedOut) {
        failure = "Cannot find the address of " + host + ": no answer within " + std::to_string(timeoutMs / 1000) +
                  " s; nothing was sent";
        return false;
    }
    if (looked != 0 || found == nullptr) {
        if (found != nullptr) {
            FreeAddrInfoW(found);
        }
        failure = systemErrorText("Cannot find the address of " + host, looked);
        return false;
    }
    std::string lastFailure = "No address for " + host;
    for (ADDRINFOW* address = found; address != nullptr; address = address->ai_next) {
        SOCKET candidate = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
        if (candidate == INVALID_SOCKET) {
            lastFailure = systemErrorText("Cannot open a socket", WSAGetLastError());
            continue;
        }
        // Non-blocking: connecting and every write have a time limit and
        // can be cancelled.
        u_long nonBlocking = 1;
        ioctlsocket(candidate, FIONBIO, &nonBlocking);
        int result = ::connect(candidate, address->ai_addr, static_cast<int>(address->ai_addrlen));
        if (result == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
            // In slices, so that the operator can cancel in between.
            int ready = 0;
            bool cancelled = false;
            for (int left = std::max(0, timeoutMs); ready == 0 && left > 0 && !cancelled;) {
                const int slice = std::min(left, waitSliceMs);
                ready = waitFor(candidate, true, slice);
                left -= slice;
                cancelled = ready == 0 && waitTurn && !waitTurn();
            }
            if (cancelled) {
                closesocket(candidate);
                FreeAddrInfoW(found);
                failure = "Connecting to " + host + ":" + service + " was cancelled by the operator; nothing was sent";
                return false;
            }
            if (ready > 0) {
                int socketError = 0;
                int size = sizeof socketError;
                getsockopt(candidate, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&socketError), &size);
                result = socketError == 0 ? 0 : SOCKET_ERROR;
                WSASetLastError(socketError);
            } else if (ready == 0) {
                WSASetLastError(WSAETIMEDOUT);
            } else {
                int socketError = WSAECONNREFUSED;
                int size = sizeof socketError;
                getsockopt(candidate, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&socketError), &size);
                WSASetLastError(socketError != 0 ? socketError : WSAECONNREFUSED);
            }
        }
        if (result == 0) {
            // Commands are small and answered at once: no Nagle delay.
            const BOOL noDelay = TRUE;
            setsockopt(candidate, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                       sizeof noDelay);
            handle = candidate;
            FreeAddrInfoW(found);
            return true;
        }
        lastFailure = systemErrorText("Cannot connect to " + host + ":" + service, WSAGetLastError());
        closesocket(candidate);
    }
    FreeAddrInfoW(found);
    failure = lastFailure;
    return false;
}

StreamStatus SocketStream::write(const std::string& bytes) {
    if (handle == INVALID_SOCKET) {
        error = "the connection is closed";
        return StreamStatus::Failed;
    }
    std::size_t written = 0;
    int stalledMs = 0;  // since the server last took a byte
    const int limit = std::max(1, sendLimitMs);
    while (written < bytes.size()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size() - written, 1 << 20));
        const int sent = send(handle, bytes.data() + written, chunk, 0);
        if (sent != SOCKET_ERROR) {
            written += static_cast<std::size_t>(sent);
            stalledMs = 0;
            continue;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            return fail("Sending to the server failed");
        }
        // The server takes nothing now: wait a slice, as reads do.
        const int slice = std::max(1, std::min(waitSliceMs, limit - stalledMs));
        const int ready = waitFor(handle, true, slice);
        if (ready < 0) {
            return fail("Sending to the server failed");
        }
        if (ready > 0) {
            continue;
        }
        stalledMs += slice;
        if (sendTurn && !sendTurn()) {
            error = cancelledBySender;
            return StreamStatus::Failed;
        }
        if (stalledMs >= limit) {
            if (!keepSending || !keepSending(limit)) {
                error = "the server took nothing of what the host sends for " + std::to_string(limit / 1000) + " s";
                return StreamStatus::TimedOut;
            }
            stalledMs = 0;
        }
    }
    return StreamStatus::Ok;
}

StreamStatus SocketStream::read(std::string& into, int waitMs) {
    if (handle == INVALID_SOCKET) {
        error = "the connection is closed";
        return StreamStatus::Failed;
    }
    const int ready = waitFor(handle, false, waitMs < 0 ? 0 : waitMs);
    if (ready < 0) {
        return fail("Waiting for the server failed");
    }
    if (ready == 0) {
        return StreamStatus::TimedOut;
    }
    const std::size_t had = into.size();
    into.resize(had + readChunk);
    const int taken = recv(handle, &into[had], readChunk, 0);
    if (taken <= 0) {
        into.resize(had);
        if (taken == 0) {
            return StreamStatus::Closed;
        }
        const int code = WSAGetLastError();
        if (code == WSAEWOULDBLOCK) {
            return StreamStatus::TimedOut;
        }
        if (code == WSAECONNRESET || code == WSAECONNABORTED) {
            error = systemErrorText("The server dropped the connection", code);
            return StreamStatus::Closed;
        }
        return fail("Reading from the server failed");
    }
    into.resize(had + static_cast<std::size_t>(taken));
    received += static_cast<std::uint64_t>(taken);
    return StreamStatus::Ok;
}

}  // namespace live
