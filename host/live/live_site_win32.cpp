#include "host/live/live_site_win32.h"

#include <chrono>
#include <climits>

#include "host/live/certificate_check_win32.h"
#include "host/live/fingerprint.h"
#include "host/live/operator_wait.h"
#include "host/live/socket_stream_win32.h"
#include "host/live/tls_stream_win32.h"
#include "host/session/transcript_mask.h"

namespace live {

namespace {

using Clock = std::chrono::steady_clock;

// Window timers fire on the system tick (15.6 ms), which may fall a little
// before the steady clock's due time: that much early counts as due.
constexpr int keepAliveSlackMs = 16;

std::string lastLine(const session::Reply& reply) {
    return reply.lines.empty() ? std::string("(an empty reply)") : reply.lines.back();
}

bool operatorCancelled() {
    OperatorWait* answers = installedOperatorWait();
    return answers != nullptr && answers->cancelled();
}

}  // namespace

SiteOptions::~SiteOptions() { wipeSecret(password); }

struct LiveSite::Connection {
    SocketStream socket;
    std::unique_ptr<TlsStream> tls;
    std::unique_ptr<FtpControl> control;
    std::string fingerprint;
    double handshakeMs = 0;
    Clock::time_point lastSent = Clock::now();
    std::string waitingFor;
};

LiveSite::LiveSite() = default;

LiveSite::~LiveSite() { close(); }

const std::string& LiveSite::certificateFingerprint() const {
    static const std::string none;
    return connection ? connection->fingerprint : none;
}

bool LiveSite::secured() const { return connection && connection->tls; }

double LiveSite::handshakeMs() const { return connection ? connection->handshakeMs : 0; }

bool LiveSite::isOpen() const { return connection && !connection->control->broken(); }

void LiveSite::close() {
    if (!connection) {
        return;
    }
    // Nobody is asked about the goodbye: a server that takes nothing gets
    // none.
    connection->socket.sendTurn = nullptr;
    connection->socket.keepSending = nullptr;
    connection->socket.sendLimitMs = 1000;
    if (!connection->control->broken()) {
        // A polite goodbye; its answer is not awaited.
        ByteStream& stream = connection->tls ? static_cast<ByteStream&>(*connection->tls)
                                             : static_cast<ByteStream&>(connection->socket);
        stream.write("QUIT\r\n");
        if (onNote) {
            onNote("> QUIT   (disconnecting)");
        }
    }
    connection.reset();
}

bool LiveSite::open(const SiteOptions& options, const TrustPrompt& prompt, std::string& failure) {
    close();
    auto note = [this](const std::string& line) {
        if (onNote) {
            onNote(line);
        }
    };
    std::unique_ptr<Connection> opening(new Connection);
    Connection& c = *opening;
    // Between the slices of connecting and of the TLS handshake: the window
    // paints, the operator may cancel.
    const WaitTurn waitTurn = [this, &c] {
        if (onWaiting) {
            onWaiting(c.waitingFor, 0);
        }
        return !operatorCancelled();
    };
    note("   connecting to " + options.host + ":" + std::to_string(options.port));
    c.waitingFor = "the connection to " + options.host;
    if (!c.socket.connect(options.host, options.port, options.connectTimeoutMs, failure, waitTurn)) {
        return false;
    }
    // A write the server takes nothing of waits as a read does: the
    // operator may cancel it, and past the silence time-out is asked.
    c.socket.sendTurn = waitTurn;
    c.socket.sendLimitMs = options.limits.replyTimeoutMs;
    c.socket.keepSending = [&c](int stalledMs) {
        OperatorWait* answers = installedOperatorWait();
        return answers != nullptr && answers->keepSending(c.waitingFor, stalledMs);
    };
    c.control.reset(new FtpControl(c.socket, options.limits));
    c.control->cancelRequested = operatorCancelled;
    c.control->keepWaitingAfterSilence = [&c](int silentMs) {
        OperatorWait* answers = installedOperatorWait();
        return answers != nullptr && answers->keepWaiting(c.waitingFor, silentMs);
    };
    c.control->onUnsolicited = [note](const session::Reply& reply) {
        for (const std::string& line : reply.lines) {
            note("<? " + line + "   (no command waiting)");
        }
    };
    c.control->pause = [](int ms) { Sleep(static_cast<DWORD>(ms)); };
    c.control->onWaiting = [this, &c](std::size_t lines) {
        if (onWaiting) {
            onWaiting(c.waitingFor, lines);
        }
    };
    // One login step: a line written, its reply read and shown.
    auto step = [&](const std::string& line, session::Reply& reply) {
        const std::string shown = session::maskSecrets(line);
        note("> " + shown);
        c.waitingFor = shown;
        if (!c.control->exchange(line, reply, failure)) {
            failure = "No reply to " + shown + ": " + failure;
            return false;
        }
        for (const std::string& text : reply.lines) {
            note("< " + text);
        }
        return true;
    };

    session::Reply reply;
    c.waitingFor = "the greeting";
    if (!c.control->readReply(reply, failure)) {
        failure = "No greeting from the server: " + failure;
        return false;
    }
    for (const std::string& text : reply.lines) {
        note("< " + text);
    }
    if (reply.code != 220) {
        failure = "The server does not take the connection: " + lastLine(reply);
        return false;
    }

    if (options.requireTls) {
        if (!step("AUTH TLS", reply)) {
            return false;
        }
        if (reply.code != 234) {
            failure = "The server does not offer TLS (AUTH TLS answered \"" + lastLine(reply) +
                      "\"). TLS is required, so nothing was sent for the login.";
            return false;
        }
        c.tls.reset(new TlsStream(c.socket));
        if (!c.control->switchStream(*c.tls, failure)) {
            failure += ". Nothing was sent for the login.";
            return false;
        }
        const Clock::time_point start = Clock::now();
        c.waitingFor = "the TLS handshake";
        if (!c.tls->handshake(options.host, options.limits.replyTimeoutMs, failure, waitTurn)) {
            failure += ". Nothing was sent for the login.";
            return false;
        }
        c.handshakeMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        Sha256Digest digest{};
        if (!certificateDigest(c.tls->peerCertificate(), digest, failure)) {
            return false;
        }
        c.fingerprint = fingerprintText(digest);
        if (onCertificate) {
            onCertificate(c.fingerprint);
        }
        note("   " + c.tls->protocolName() + ", the server's certificate has SHA-256 " + c.fingerprint);
        // The certificate is checked here, before the user name leaves:
        // SChannel was told to check nothing.
        if (!options.fingerprint.empty()) {
            Sha256Digest pinned{};
            if (!parseFingerprint(options.fingerprint, pinned)) {
                failure = "The pinned fingerprint is not a SHA-256 fingerprint: " + options.fingerprint;
                return false;
            }
            if (pinned != digest) {
                failure = "The server's certificate does not match the pinned fingerprint.\r\nPinned: " +
                          fingerprintText(pinned) + "\r\nServer: " + c.fingerprint +
                          "\r\nNothing was sent for the login.";
                return false;
            }
            note("   the certificate matches the pinned fingerprint");
        } else {
            std::string why;
            PCCERT_CONTEXT certificate = c.tls->peerCertificateContext();
            const bool trusted = certificateChainTrusted(certificate, options.host, why);
            if (certificate != nullptr) {
                CertFreeCertificateContext(certificate);
            }
            if (trusted) {
                note("   the system trusts the certificate's chain for " + options.host);
            } else if (prompt && prompt(c.fingerprint, why)) {
                note("   the operator trusted the certificate (" + why + ")");
            } else {
                failure = "The server's certificate is not trusted: " + why + ".\r\nSHA-256: " + c.fingerprint +
                          "\r\nNothing was sent for the login. Check the fingerprint with the site and pin it.";
                return false;
            }
        }
    } else {
        note("   a plain connection: the password and every command travel unencrypted");
    }

    if (!step("USER " + options.user, reply)) {
        return false;
    }
    if (reply.code == 331) {
        std::string passLine = "PASS " + options.password;
        const bool answered = step(passLine, reply);
        wipeSecret(passLine);
        if (!answered) {
            return false;
        }
    }
    if (reply.code != 230) {
        failure = "The server refused the login: " + lastLine(reply);
        return false;
    }
    c.waitingFor = "NOOP";
    if (!c.control->learnFence(failure)) {
        failure = "The server does not answer NOOP: " + failure;
        return false;
    }
    c.lastSent = Clock::now();
    connection = std::move(opening);
    return true;
}

bool LiveSite::exchange(const std::string& command, session::Reply& reply, std::string& failure) {
    if (!isOpen()) {
        failure = "not connected to the site";
        return false;
    }
    connection->waitingFor = session::maskSecrets(command);
    const bool answered = connection->control->fencedExchange(command, reply, failure);
    connection->lastSent = Clock::now();
    if (!answered && connection->control->broken()) {
        // A late reply must never reach another command: this connection is done.
        if (onNote) {
            onNote("!! the connection is closed: " + failure);
        }
        connection.reset();
    }
    return answered;
}

bool LiveSite::idle(int keepAliveMs, std::string& failure) {
    if (!isOpen()) {
        failure = "not connected to the site";
        return false;
    }
    bool alive = connection->control->drainIdle(failure);
    if (alive && msUntilKeepAlive(keepAliveMs) == 0) {
        session::Reply reply;
        if (onNote) {
            onNote("> NOOP   (keep-alive)");
        }
        connection->waitingFor = "NOOP (keep-alive)";
        // A wait as any command's: the operator may cancel it, and is asked
        // before a silent server fails it.
        OperatorWait* answers = installedOperatorWait();
        if (answers != nullptr) {
            answers->waitBegins();
        }
        alive = connection->control->fencedExchange("NOOP", reply, failure);
        if (answers != nullptr) {
            answers->waitEnds();
        }
        connection->lastSent = Clock::now();
        if (alive && onNote) {
            onNote("< " + lastLine(reply));
        }
    }
    if (!alive) {
        if (onNote) {
            onNote("!! the connection is closed: " + failure);
        }
        connection.reset();
    }
    return alive;
}

int LiveSite::msUntilKeepAlive(int keepAliveMs) const {
    if (!isOpen() || keepAliveMs <= 0) {
        return INT_MAX;
    }
    const long long idleMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - connection->lastSent).count();
    const long long left = keepAliveMs - idleMs;
    return left <= keepAliveSlackMs ? 0 : static_cast<int>(left);
}

}  // namespace live
