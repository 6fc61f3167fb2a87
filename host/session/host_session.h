#pragma once
// The host's end of the plug-in's channel, served by a site (the simulated
// one or a live connection): it answers each request record, keeps the reply
// lines of a kept reply until their release, and logs every exchange as an
// FTP client's log window does, passwords masked and control bytes written
// out.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "host/session/kept_replies.h"
#include "host/session/site_link.h"
#include "plugin/host_channel.h"

namespace session {

class HostSession {
public:
    explicit HostSession(SiteLink& site);
    // Serves the channel from another site from now on (connecting to a live
    // site); only between requests.
    void useSite(SiteLink& next) { site = &next; }
    SiteLink& currentSite() const { return *site; }
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // One request of the plug-in; the result is what the callback returns.
    std::int32_t handle(HostRequest* request);

    // A command the host sends on its own behalf (the nuke it builds); false
    // when it could not be sent or its reply not read.
    bool sendOwnCommand(const std::string& line, Reply& reply);

    // While false the host reports every send as failed (result 0), as a
    // client does when its connection is down.
    bool connected = true;

    // When set, a command it rejects is not sent: the request fails (the live
    // tour sends nothing that changes the site).
    std::function<bool(const std::string& command)> allowCommand;

    // What the host does for ACTION_SHOW_PAGE and ACTION_USER_ADDED.
    std::function<void(std::int32_t pageId)> onShowPage;
    std::function<void()> onUserAdded;
    // Called with each line as it is added to the transcript.
    std::function<void(const std::string& line)> onTranscriptLine;
    // Called after each command that went to the site (the plug-in's and the
    // host's own): its reply, or null with why there is none complete (a
    // cancel, a time-out, a dropped connection: whether it took is unknown).
    // The change record keeps the ones that could change the site.
    std::function<void(const std::string& command, const Reply* reply, const std::string& failure)> onExchange;

    // The newest lines of the transcript, at most transcriptLimitBytes of
    // text: a site that talks without end costs the host no more memory
    // than that. droppedLines() tells how many older lines went.
    const std::deque<std::string>& transcript() const { return lines; }
    std::uint64_t droppedLines() const { return dropped; }
    std::size_t transcriptLimitBytes = 16 * 1024 * 1024;
    // Adds a line of the host's own (connection steps, notes of the site);
    // one starting "!! " is a failure (see firstFailure). Every line goes in
    // as transcriptLines() shows it: the server's control bytes written out.
    void note(const std::string& line);
    // The first failure logged ("!! ..." without its mark, as the transcript
    // shows it): a refused or unanswered command, a closed connection, a
    // breach of the rules.
    const std::string& firstFailure() const { return firstFailureText; }
    // Breaches of the channel's rules seen so far, plus replies still kept.
    std::vector<std::string> faults() const;
    int keptReplies() const { return kept.count(); }

private:
    std::int32_t send(HostRequest* request);
    std::int32_t release(HostRequest* request);
    void log(const std::string& text);
    void fault(const std::string& text);

    bool exchange(const std::string& command, Reply& reply);

    SiteLink* site;
    KeptReplies kept;
    std::deque<std::string> lines;
    std::size_t lineBytes = 0;
    std::uint64_t dropped = 0;  // past 4G lines in a 32-bit build too
    std::string firstFailureText;
    std::vector<std::string> seenFaults;
};

}  // namespace session
