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

std::wstring widen(const std::string& text) {
    std::wstring wide;
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length > 0) {
        wide.resize(static_cast<std::size_t>(length));
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
        wide.resize(static_cast<std::size_t>(length - 1));
    }
    return wide;
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

bool TlsStream::handshake(const std::string& serverName, int timeoutMs, std::string& failure) {
    if (!acquireCredentials(failure)) {
        return false;
    }
    serverNameWide = widen(serverName);
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
    bool needBytes = true;
    for (;;) {
        if (needBytes) {
            const StreamStatus got = socket.read(received, millisecondsLeft(deadline));
            if (got == StreamStatus::TimedOut) {
                failure = "The server did not complete the TLS handshake in time";
                return false;
            }
            if (got == StreamStatus::Closed) {
                failure = "The server closed the connection during the TLS handshake";
                return false;
            }
            if (got != StreamStatus::Ok) {
                failure = "The TLS handshake failed: " + socket.lastError();
                return false;
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
        // Also on a failure: the token may be the alert that tells the server why.
        const bool sent = sendToken(out);
        if (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED || status == SEC_I_INCOMPLETE_CREDENTIALS) {
            if (!sent) {
                failure = "Sending the TLS handshake failed: " + socket.lastError();
                return false;
            }
            if (in[1].BufferType == SECBUFFER_EXTRA && in[1].cbBuffer > 0) {
                received.erase(0, received.size() - in[1].cbBuffer);
                needBytes = false;
            } else {
                received.clear();
                needBytes = status != SEC_I_INCOMPLETE_CREDENTIALS;
            }
            if (status == SEC_E_OK) {
                break;
            }
            continue;
        }
        failure = systemErrorText("The TLS handshake failed", status);
        return false;
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
    for (;;) {
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
        // An empty record or the server's close_notify decrypts to nothing:
        // wait for bytes rather than decrypting again.
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
