#include "host/live/socket_stream_win32.h"

#include <ws2tcpip.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace live {

namespace {

constexpr int sendTimeoutMs = 30000;
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

}  // namespace

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
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOW* found = nullptr;
    const std::string service = std::to_string(port);
    const std::wstring wideService(service.begin(), service.end());
    const int lookup = GetAddrInfoW(wideHost.c_str(), wideService.c_str(), &hints, &found);
    if (lookup != 0 || found == nullptr) {
        failure = systemErrorText("Cannot find the address of " + host, lookup);
        return false;
    }
    std::string lastFailure = "No address for " + host;
    for (ADDRINFOW* address = found; address != nullptr; address = address->ai_next) {
        SOCKET candidate = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
        if (candidate == INVALID_SOCKET) {
            lastFailure = systemErrorText("Cannot open a socket", WSAGetLastError());
            continue;
        }
        // Non-blocking only for the connect, so that it has a time limit.
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
            nonBlocking = 0;
            ioctlsocket(candidate, FIONBIO, &nonBlocking);
            const DWORD sendLimit = sendTimeoutMs;
            setsockopt(candidate, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendLimit),
                       sizeof sendLimit);
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
    while (written < bytes.size()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size() - written, 1 << 20));
        const int sent = send(handle, bytes.data() + written, chunk, 0);
        if (sent == SOCKET_ERROR) {
            return fail("Sending to the server failed");
        }
        written += static_cast<std::size_t>(sent);
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
