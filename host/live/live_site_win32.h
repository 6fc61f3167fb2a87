#pragma once
// A live glftpd site: one FTP control connection (Winsock, explicit TLS
// through SChannel), logged in as the operator, serving the host's requests.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "host/live/ftp_control.h"
#include "host/session/site_link.h"

namespace live {

// Every copy of these options wipes its password when it goes (the
// Connect dialog's, the login's, the window's own).
struct SiteOptions {
    SiteOptions() = default;
    SiteOptions(const SiteOptions&) = default;
    SiteOptions& operator=(const SiteOptions&) = default;
    ~SiteOptions();

    std::string host;
    int port = 21;
    std::string user;
    std::string password;
    std::string fingerprint;  // pinned SHA-256 of the certificate, empty: none
    bool requireTls = true;
    int connectTimeoutMs = 15000;
    ControlLimits limits;
};

// What the operator is asked about a certificate that is neither pinned nor
// trusted through the system's chain: true to trust it for this connection.
using TrustPrompt = std::function<bool(const std::string& fingerprint, const std::string& why)>;

class LiveSite : public session::SiteLink {
public:
    LiveSite();
    ~LiveSite() override;
    LiveSite(const LiveSite&) = delete;
    LiveSite& operator=(const LiveSite&) = delete;

    // Connects, secures and logs in. Without a prompt an unpinned
    // certificate is trusted only through the system's chain. False with
    // the reason in `failure` (a refused pin names both fingerprints);
    // nothing is left open then. Every wait of it and of exchange() can be
    // cancelled through the installed OperatorWait (see operator_wait.h):
    // the wait fails, and the connection is closed.
    bool open(const SiteOptions& options, const TrustPrompt& prompt, std::string& failure);
    void close();

    bool exchange(const std::string& command, session::Reply& reply, std::string& failure) override;
    bool isOpen() const override;

    // Idle work: reads what the server sent on its own (a 421 before it
    // closes), and sends NOOP when the keep-alive is due (see below). False
    // when the connection is found gone (it is closed then).
    bool idle(int keepAliveMs, std::string& failure);
    // Milliseconds until the keep-alive NOOP is due: 0 when it is (idle()
    // sends it then), a large value when the connection is not open or
    // keepAliveMs is not positive. A timer set for this long finds it due.
    int msUntilKeepAlive(int keepAliveMs) const;

    // The certificate's fingerprint (empty on a plain connection) and
    // whether the connection is TLS.
    const std::string& certificateFingerprint() const;
    bool secured() const;
    // Milliseconds the last TLS handshake took.
    double handshakeMs() const;

    // Called while a reply is awaited (see FtpControl::onWaiting).
    std::function<void(const std::string& command, std::size_t linesSoFar)> onWaiting;
    // Called with the server's certificate's fingerprint as soon as it is
    // known, before any check (so that a refused one can be shown).
    std::function<void(const std::string& fingerprint)> onCertificate;

private:
    struct Connection;
    std::unique_ptr<Connection> connection;
};

}  // namespace live
