#pragma once
// TLS over a connected socket through SChannel, as the client. SChannel is
// asked to check nothing about the server's certificate: the caller checks
// it (pin or chain) before anything secret is sent.
#include <winsock2.h>

#include <windows.h>

#define SECURITY_WIN32
#define SCHANNEL_USE_BLACKLISTS
#include <subauth.h>
#include <schannel.h>
#include <security.h>

#include <string>
#include <vector>

#include "host/live/byte_stream.h"
#include "host/live/socket_stream_win32.h"

namespace live {

class TlsStream : public ByteStream {
public:
    explicit TlsStream(SocketStream& socket);
    ~TlsStream() override;
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    // `serverName` in UTF-8; `waitTurn` runs between the slices of the wait
    // for the server's part and may cancel it.
    bool handshake(const std::string& serverName, int timeoutMs, std::string& failure,
                   const WaitTurn& waitTurn = WaitTurn());
    // The server's certificate as received (DER), empty before the handshake.
    std::vector<unsigned char> peerCertificate() const;
    // Its context, for the chain check; the caller frees it.
    PCCERT_CONTEXT peerCertificateContext() const;
    std::string protocolName() const;

    StreamStatus write(const std::string& bytes) override;
    // Returns when its wait is over also in the middle of a record.
    StreamStatus read(std::string& into, int waitMs) override;
    std::uint64_t bytesReceived() const override { return socket.bytesReceived(); }
    std::string lastError() const override { return error; }

private:
    bool acquireCredentials(std::string& failure);
    bool sendToken(SecBuffer& token);
    StreamStatus fail(const std::string& what, SECURITY_STATUS status);
    // Decrypts the records already received into `into`; false when more
    // bytes are needed.
    SECURITY_STATUS decryptReceived(std::string& into, bool& gotData);

    SocketStream& socket;
    CredHandle credentials{};
    CtxtHandle context{};
    bool haveCredentials = false;
    bool haveContext = false;
    bool peerClosed = false;
    SecPkgContext_StreamSizes sizes{};
    std::wstring serverNameWide;
    // Received bytes not yet decrypted: a record is decrypted in place, and
    // whatever follows it stays for the next one (glftpd sends one record a
    // line, so a reply can be thousands of records).
    std::string received;
    std::size_t receivedStart = 0;
    std::string error;
};

}  // namespace live
