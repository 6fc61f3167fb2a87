#include "host/session/host_session.h"

#include <utility>

#include "host/session/transcript_lines.h"
#include "host/session/transcript_mask.h"

namespace session {

HostSession::HostSession(SiteLink& served) : site(&served) {}

HostSession::~HostSession() = default;

std::vector<std::string> HostSession::faults() const {
    std::vector<std::string> all = seenFaults;
    if (kept.count() > 0) {
        all.push_back(std::to_string(kept.count()) + " kept reply(ies) never released");
    }
    return all;
}

void HostSession::log(const std::string& text) {
    // Written out here, once for the pane, the transcript file and the
    // tour's transcript; the plug-in gets the server's lines as they came.
    for (std::string& line : transcriptLines(text)) {
        lineBytes += line.size();
        lines.push_back(std::move(line));
        while (lineBytes > transcriptLimitBytes && lines.size() > 1) {
            lineBytes -= lines.front().size();
            lines.pop_front();
            ++dropped;
        }
        if (onTranscriptLine) {
            onTranscriptLine(lines.back());
        }
    }
}

void HostSession::note(const std::string& line) {
    if (firstFailureText.empty() && line.compare(0, 3, "!! ") == 0) {
        for (const std::string& shown : transcriptLines(line.substr(3))) {
            firstFailureText += (firstFailureText.empty() ? "" : "\r\n") + shown;
        }
    }
    log(line);
}

void HostSession::fault(const std::string& text) {
    seenFaults.push_back(text);
    log("!! " + text);
}

std::int32_t HostSession::handle(HostRequest* request) {
    if (request == nullptr) {
        fault("a request without a record");
        return 0;
    }
    switch (request->action) {
    case ACTION_SEND_COMMAND:
        return send(request);
    case ACTION_RELEASE_REPLY:
        return release(request);
    case ACTION_SHOW_PAGE:
        log("** show page " + std::to_string(request->param));
        if (onShowPage) {
            onShowPage(request->param);
        }
        return 1;
    case ACTION_USER_ADDED:
        log("** user added");
        if (onUserAdded) {
            onUserAdded();
        }
        return 1;
    default:
        fault("unknown action " + std::to_string(request->action));
        return 0;
    }
}

std::int32_t HostSession::send(HostRequest* request) {
    if (request->command == nullptr) {
        fault("a send without a command");
        return 0;
    }
    const std::string command = request->command;
    if (command.find_first_of("\r\n") != std::string::npos) {
        // One request is one command line: never let a second one through.
        fault("refused a command holding a line break");
        return 0;
    }
    const bool keep = request->param == 1;
    const std::string shown = maskSecrets(command);
    if (!connected || !site->isOpen()) {
        log("> " + shown + "   (not connected: the host reports a failure)");
        return 0;
    }
    if (allowCommand && !allowCommand(command)) {
        log("> " + shown + "   (not sent: it could change the site)");
        return 0;
    }
    if (keep && kept.holds(request)) {
        fault("a second kept reply on one record before its release");
        kept.release(request);
    }
    log("> " + shown + (keep ? "" : "   (reply not kept)"));
    Reply reply;
    if (!exchange(command, reply)) {
        return 0;
    }
    request->replyCode = reply.code;
    if (!keep) {
        return 1;
    }
    // Each text writable and in storage of its own: the plug-in cuts fields
    // out of the lines in place.
    if (!kept.keep(request, reply.lines)) {
        fault("out of memory keeping a reply");
        return 0;
    }
    return 1;
}

std::int32_t HostSession::release(HostRequest* request) {
    if (!kept.release(request)) {
        // Allowed (a no-op) after a failed send; logged so that a stray
        // release shows up in the transcript.
        log("   (release: nothing kept)");
        return 1;
    }
    log("   (reply released)");
    return 1;
}

bool HostSession::sendOwnCommand(const std::string& line, Reply& reply) {
    const std::string shown = maskSecrets(line);
    if (!connected || !site->isOpen()) {
        log("> " + shown + "   (not connected: not sent)");
        return false;
    }
    if (allowCommand && !allowCommand(line)) {
        log("> " + shown + "   (not sent: it could change the site)");
        return false;
    }
    log("> " + shown + "   (sent by the host)");
    return exchange(line, reply);
}

bool HostSession::exchange(const std::string& command, Reply& reply) {
    std::string failure;
    const bool replied = site->exchange(command, reply, failure);
    const bool answered = replied && !reply.lines.empty();
    if (answered) {
        for (const std::string& line : reply.lines) {
            log("< " + line);
        }
    } else if (replied) {
        failure = "an empty reply";
    }
    if (onExchange) {
        onExchange(command, answered ? &reply : nullptr, failure);
    }
    if (!answered) {
        // Never sent again on the host's own account: the operator decides.
        note(replied ? "!! an empty reply" : "!! no reply: " + failure);
    }
    return answered;
}

}  // namespace session
