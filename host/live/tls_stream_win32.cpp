#include "host/live/tls_stream_win32.h"

#include <algorithm>
#include <chrono>

namespace live {

namespace {

constexpr DWORD contextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                               ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                               ISC_REQ_MANUAL_CRED_VALIDATION;

using Clock = std::chrono::steady_clock;

int millisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(std::min<long long>(left, 0x7fffffff));
}

// More than this many bytes of handshake from the server, or of one
// record, is no TLS: records are at most 16 KB and some bytes.
constexpr std::size_t maxPendingBytes = 256 * 1024;

const char* const certificateWanted = "The server asks for a client certificate, which the host does not offer";

// Whether the server's handshake bytes so far (the clear part, up to its
// ChangeCipherSpec) hold a CertificateRequest. TLS 1.2 sends it in clear;
// under TLS 1.3 SChannel says so itself (SEC_I_INCOMPLETE_CREDENTIALS).
bool asksForClientCertificate(const std::string& flight) {
    std::string messages;
    for (std::size_t at = 0; at + 5 <= flight.size();) {
        const unsigned char type = static_cast<unsigned char>(flight[at]);
        const std::size_t length = static_cast<std::size_t>(static_cast<unsigned char>(flight[at + 3])) << 8 |
                                   static_cast<unsigned char>(flight[at + 4]);
        if (type == 20 || at + 5 + length > flight.size()) {
            break;
        }
        if (type == 22) {
            messages.append(flight, at + 5, length);
        }
        at += 5 + length;
    }
    for (std::size_t at = 0; at + 4 <= messages.size();) {
        if (messages[at] == 13) {
            return true;
        }
        at += 4 + (static_cast<std::size_t>(static_cast<unsigned char>(messages[at + 1])) << 16 |
                   static_cast<std::size_t>(static_cast<unsigned char>(messages[at + 2])) << 8 |
                   static_cast<unsigned char>(messages[at + 3]));
    }
    return false;
}

}  // namespace

TlsStream::TlsStream(SocketStream& connected) : socket(connected) {}

TlsStream::~TlsStream() {
    if (haveContext) {
        DeleteSecurityContext(&context);
    }
    if (haveCredentials) {
        FreeCredentialsHandle(&credentials);
    }
}

StreamStatus TlsStream::fail(const std::string& what, SECURITY_STATUS status) {
    error = systemErrorText(what, status);
    return StreamStatus::Failed;
}

bool TlsStream::acquireCredentials(std::string& failure) {
    TimeStamp expiry;
    // The newer credential form lets Windows offer TLS 1.3 (glftpd prefers
    // it); systems that do not know it get TLS 1.2 with the older form.
    TLS_PARAMETERS parameters{};
    parameters.grbitDisabledProtocols = static_cast<DWORD>(
        ~(SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT));
    SCH_CREDENTIALS modern{};
    modern.dwVersion = SCH_CREDENTIALS_VERSION;
    modern.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
    modern.cTlsParameters = 1;
    modern.pTlsParameters = &parameters;
    SECURITY_STATUS status =
        AcquireCredentialsHandleA(nullptr, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr,
                                  &modern, nullptr, nullptr, &credentials, &expiry);
    if (status != SEC_E_OK) {
        SCHANNEL_CRED classic{};
        classic.dwVersion = SCHANNEL_CRED_VERSION;
        classic.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
        classic.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
        status = AcquireCredentialsHandleA(nullptr, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND,
                                           nullptr, &classic, nullptr, nullptr, &credentials, &expiry);
    }
    if (status != SEC_E_OK) {
        failure = systemErrorText("TLS is not available (SChannel credentials)", status);
        return false;
    }
    haveCredentials = true;
    return true;
}

bool TlsStream::sendToken(SecBuffer& token) {
    if (token.pvBuffer == nullptr) {
        return true;
    }
    const std::string bytes(static_cast<const char*>(token.pvBuffer), token.cbBuffer);
    FreeContextBuffer(token.pvBuffer);
    token.pvBuffer = nullptr;
    return bytes.empty() || socket.write(bytes) == StreamStatus::Ok;
}

bool TlsStream::handshake(const std::string& serverName, int timeoutMs, std::string& failure,
                          const WaitTurn& waitTurn) {
    // The name as typed (UTF-8), never through the ANSI code page.
    if (!utf8ToWide(serverName, serverNameWide)) {
        failure = "The host name is not valid UTF-8";
        return false;
    }
    if (!acquireCredentials(failure)) {
        return false;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    ULONG attributes = 0;
    SecBuffer out{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &out};
    SECURITY_STATUS status =
        InitializeSecurityContextW(&credentials, nullptr, &serverNameWide[0], contextFlags, 0, 0, nullptr, 0,
                                   &context, &outDesc, &attributes, nullptr);
    if (status != SEC_I_CONTINUE_NEEDED) {
        failure = systemErrorText("The TLS handshake does not start", status);
        return false;
    }
    haveContext = true;
    if (!sendToken(out)) {
        failure = "Sending the TLS handshake failed: " + socket.lastError();
        return false;
    }
    received.clear();
    receivedStart = 0;
    // The server's bytes as they came, for what its handshake asked for.
    std::string flight;
    auto failWith = [&](const std::string& why) {
        failure = asksForClientCertificate(flight) ? std::string(certificateWanted) : why;
        return false;
    };
    bool needBytes = true;
    for (;;) {
        // Every turn, also one that reads nothing: a server must not keep
        // the host here by handing SChannel bytes it never finishes with.
        if (Clock::now() >= deadline) {
            return failWith("The server did not complete the TLS handshake in time");
        }
        if (needBytes) {
            if (received.size() > maxPendingBytes) {
                return failWith("The server's TLS handshake is larger than TLS allows");
            }
            const std::size_t had = received.size();
            const StreamStatus got = socket.read(received, std::min(waitSliceMs, millisecondsLeft(deadline)));
            if (flight.size() < maxPendingBytes) {
                flight.append(received, had, std::string::npos);
            }
            if (got == StreamStatus::TimedOut) {
                if (waitTurn && !waitTurn()) {
                    failure = "The TLS handshake was cancelled by the operator";
                    return false;
                }
                continue;
            }
            if (got == StreamStatus::Closed) {
                return failWith("The server closed the connection during the TLS handshake");
            }
            if (got != StreamStatus::Ok) {
                return failWith("The TLS handshake failed: " + socket.lastError());
            }
        }
        SecBuffer in[2] = {{static_cast<ULONG>(received.size()), SECBUFFER_TOKEN, &received[0]},
                           {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
        out = SecBuffer{0, SECBUFFER_TOKEN, nullptr};
        status = InitializeSecurityContextW(&credentials, &context, &serverNameWide[0], contextFlags, 0, 0,
                                            &inDesc, 0, nullptr, &outDesc, &attributes, nullptr);
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            needBytes = true;
            continue;
        }
        if (status == SEC_I_INCOMPLETE_CREDENTIALS) {
            // The host has no certificate to offer; asking SChannel again
            // would only get the same answer.
            if (out.pvBuffer != nullptr) {
                FreeContextBuffer(out.pvBuffer);
            }
            failure = certificateWanted;
            return false;
        }
        // Also on a failure: the token may be the alert that tells the server why.
        const bool sent = sendToken(out);
        if (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED) {
            if (!sent) {
                return failWith("Sending the TLS handshake failed: " + socket.lastError());
            }
            if (in[1].BufferType == SECBUFFER_EXTRA && in[1].cbBuffer > 0) {
                received.erase(0, received.size() - in[1].cbBuffer);
                needBytes = false;
            } else {
                received.clear();
                needBytes = true;
            }
            if (status == SEC_E_OK) {
                break;
            }
            continue;
        }
        return failWith(systemErrorText("The TLS handshake failed", status));
    }
    status = QueryContextAttributesW(&context, SECPKG_ATTR_STREAM_SIZES, &sizes);
    if (status != SEC_E_OK) {
        failure = systemErrorText("The TLS connection gives no record sizes", status);
        return false;
    }
    return true;
}

PCCERT_CONTEXT TlsStream::peerCertificateContext() const {
    if (!haveContext) {
        return nullptr;
    }
    PCCERT_CONTEXT certificate = nullptr;
    CtxtHandle handle = context;
    if (QueryContextAttributesW(&handle, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK) {
        return nullptr;
    }
    return certificate;
}

std::vector<unsigned char> TlsStream::peerCertificate() const {
    std::vector<unsigned char> der;
    PCCERT_CONTEXT certificate = peerCertificateContext();
    if (certificate != nullptr) {
        der.assign(certificate->pbCertEncoded, certificate->pbCertEncoded + certificate->cbCertEncoded);
        CertFreeCertificateContext(certificate);
    }
    return der;
}

std::string TlsStream::protocolName() const {
    SecPkgContext_ConnectionInfo info{};
    CtxtHandle handle = context;
    if (!haveContext || QueryContextAttributesW(&handle, SECPKG_ATTR_CONNECTION_INFO, &info) != SEC_E_OK) {
        return "TLS";
    }
    if (info.dwProtocol & SP_PROT_TLS1_3_CLIENT) {
        return "TLS 1.3";
    }
    if (info.dwProtocol & SP_PROT_TLS1_2_CLIENT) {
        return "TLS 1.2";
    }
    return "TLS (an older version)";
}

StreamStatus TlsStream::write(const std::string& bytes) {
    if (!haveContext || sizes.cbMaximumMessage == 0) {
        error = "the TLS connection is not established";
        return StreamStatus::Failed;
    }
    std::string record;
    // The records' plain text (a password) leaves no copy behind, also when
    // encrypting fails.
    struct Wiped {
        std::string& text;
        ~Wiped() { wipeSecret(text); }
    } wiped{record};
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, sizes.cbMaximumMessage);
        record.assign(sizes.cbHeader + chunk + sizes.cbTrailer, '\0');
        std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(done),
                  bytes.begin() + static_cast<std::ptrdiff_t>(done + chunk), record.begin() + sizes.cbHeader);
        SecBuffer parts[4] = {
            {sizes.cbHeader, SECBUFFER_STREAM_HEADER, &record[0]},
            {static_cast<ULONG>(chunk), SECBUFFER_DATA, &record[sizes.cbHeader]},
            {sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, &record[sizes.cbHeader + chunk]},
            {0, SECBUFFER_EMPTY, nullptr},
        };
        SecBufferDesc desc{SECBUFFER_VERSION, 4, parts};
        const SECURITY_STATUS status = EncryptMessage(&context, 0, &desc, 0);
        if (status != SEC_E_OK) {
            return fail("Encrypting for the server failed", status);
        }
        record.resize(parts[0].cbBuffer + parts[1].cbBuffer + parts[2].cbBuffer);
        if (socket.write(record) != StreamStatus::Ok) {
            error = socket.lastError();
            return StreamStatus::Failed;
        }
        done += chunk;
    }
    return StreamStatus::Ok;
}

SECURITY_STATUS TlsStream::decryptReceived(std::string& into, bool& gotData) {
    SECURITY_STATUS status = SEC_E_INCOMPLETE_MESSAGE;
    while (receivedStart < received.size()) {
        const std::size_t before = receivedStart;
        SecBuffer parts[4] = {
            {static_cast<ULONG>(received.size() - receivedStart), SECBUFFER_DATA, &received[receivedStart]},
            {0, SECBUFFER_EMPTY, nullptr},
            {0, SECBUFFER_EMPTY, nullptr},
            {0, SECBUFFER_EMPTY, nullptr},
        };
        SecBufferDesc desc{SECBUFFER_VERSION, 4, parts};
        status = DecryptMessage(&context, &desc, 0, nullptr);
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            break;
        }
        if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE && status != SEC_I_CONTEXT_EXPIRED) {
            return status;
        }
        std::size_t extra = 0;
        for (const SecBuffer& part : parts) {
            if (part.BufferType == SECBUFFER_DATA && part.cbBuffer > 0) {
                into.append(static_cast<const char*>(part.pvBuffer), part.cbBuffer);
                gotData = true;
            } else if (part.BufferType == SECBUFFER_EXTRA) {
                extra = part.cbBuffer;
            }
        }
        // What follows the record (the next records) stays where it is.
        receivedStart = received.size() - extra;
        if (status == SEC_I_CONTEXT_EXPIRED) {
            peerClosed = true;
            break;
        }
        if (status == SEC_I_RENEGOTIATE) {
            // Windows reports TLS 1.3 session tickets this way: the bytes
            // after the record go back through the handshake call.
            SecBuffer in[2] = {
                {static_cast<ULONG>(received.size() - receivedStart), SECBUFFER_TOKEN,
                 received.size() > receivedStart ? &received[receivedStart] : nullptr},
                {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
            SecBuffer out{0, SECBUFFER_TOKEN, nullptr};
            SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &out};
            ULONG attributes = 0;
            status = InitializeSecurityContextW(&credentials, &context, &serverNameWide[0], contextFlags, 0, 0,
                                                &inDesc, 0, nullptr, &outDesc, &attributes, nullptr);
            sendToken(out);
            if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED) {
                return status;
            }
            receivedStart = in[1].BufferType == SECBUFFER_EXTRA ? received.size() - in[1].cbBuffer
                                                               : received.size();
        }
        if (receivedStart <= before) {
            // SChannel took nothing: asking again would go round for ever.
            return SEC_E_INTERNAL_ERROR;
        }
        status = SEC_E_OK;
    }
    if (receivedStart == received.size()) {
        received.clear();
        receivedStart = 0;
    } else if (receivedStart > 64 * 1024 && receivedStart * 2 > received.size()) {
        received.erase(0, receivedStart);
        receivedStart = 0;
    }
    return status == SEC_E_INCOMPLETE_MESSAGE || status == SEC_I_CONTEXT_EXPIRED ? SEC_E_OK : status;
}

StreamStatus TlsStream::read(std::string& into, int waitMs) {
    if (!haveContext) {
        error = "the TLS connection is not established";
        return StreamStatus::Failed;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs < 0 ? 0 : waitMs);
    for (bool first = true;; first = false) {
        bool gotData = false;
        const SECURITY_STATUS status = decryptReceived(into, gotData);
        if (gotData) {
            return StreamStatus::Ok;
        }
        if (status != SEC_E_OK) {
            return fail("Decrypting the server's data failed", status);
        }
        if (peerClosed) {
            return StreamStatus::Closed;
        }
        // Records that decrypt to nothing (empty ones, handshake messages,
        // the server's close_notify) use up the wait like silence does: what
        // came is consumed, and the wait ends on time.
        if (!first && Clock::now() >= deadline) {
            return StreamStatus::TimedOut;
        }
        if (received.size() - receivedStart > maxPendingBytes) {
            error = "the server sent a TLS record larger than TLS allows";
            return StreamStatus::Failed;
        }
        const StreamStatus got = socket.read(received, millisecondsLeft(deadline));
        if (got != StreamStatus::Ok) {
            if (got == StreamStatus::Failed) {
                error = socket.lastError();
            }
            return got;
        }
    }
}

}  // namespace live
