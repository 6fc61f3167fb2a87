#pragma once
// A scripted glftpd site behind the host callback: it records every request,
// answers from a per-test table and checks the plug-in's side of the channel
// (kept replies released exactly once, no line breaks in a command).
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/session/kept_replies.h"
#include "plugin/host_channel.h"

namespace simsite {
class SimulatedSite;
}

struct ScriptedReply {
    std::int32_t hostResult = 1;
    std::int32_t replyCode = 200;
    std::vector<std::string> lines{"200 Command Successful."};
};

struct RecordedRequest {
    std::int32_t action;
    std::string command;  // ACTION_SEND_COMMAND only
    std::int32_t param;
};

class ScriptedSite {
public:
    ScriptedSite();
    ~ScriptedSite();

    // Answers a command equal to `command`. Later rules win over earlier ones.
    void answer(const std::string& command, ScriptedReply reply);
    // Answers every command that starts with `prefix`.
    void answerPrefix(const std::string& prefix, ScriptedReply reply);
    // Answers the next matching command only, ahead of every other rule.
    void answerOnce(const std::string& command, ScriptedReply reply);
    // The host fails (result 0) the request with this 0-based index among the
    // send requests, or answers it with `code`.
    void failSendAt(int index, std::int32_t hostResult, std::int32_t replyCode);

    // What happens on ACTION_SHOW_PAGE (the fixture calls InitDialog).
    std::function<void(std::int32_t pageId)> onShowPage;
    // Answers for commands no rule covers; without one "200 Command Successful."
    std::function<ScriptedReply(const std::string& command)> fallback;

    // Tests that script every reply they care about and count on the rest
    // being a plain success: unscripted commands get "200 Command Successful.".
    void answerUnscriptedWithSuccess() { fallback = nullptr; }
#ifdef QUORIN_HAVE_SIMSITE
    // Commands no rule covers go to a simulated glftpd site (the reference
    // host's demo site); the UI fixture installs it for every test. Returns
    // the site, so that a test can look at its state afterwards.
    simsite::SimulatedSite& useSimulatedSite();
#endif
    simsite::SimulatedSite* simulatedSite() const { return simulated.get(); }

    // Allow the one release that may follow a zero result (the Groups page).
    bool allowReleaseAfterZeroResult = false;

    const std::vector<RecordedRequest>& requests() const { return recorded; }
    std::vector<std::string> commands() const;  // sent command lines, in order
    void clearRecord();
    int keptReplies() const { return kept.count(); }
    // Faults seen so far, plus a kept reply never released.
    std::vector<std::string> faults() const;

    // The C callback the plug-in is given; routes to the active site.
    static std::int32_t HOST_CDECL callback(HostRequest* request);
    static ScriptedSite* active();

private:
    struct Rule {
        std::string text;
        bool prefix;
        bool once;
        ScriptedReply reply;
    };

    std::int32_t handle(HostRequest* request);
    std::int32_t handleSend(HostRequest* request);
    std::int32_t handleRelease(HostRequest* request);
    ScriptedReply replyFor(const std::string& command);

    std::vector<Rule> rules;
    session::KeptReplies kept;
    std::map<HostRequest*, bool> lastResultZero;
    std::vector<RecordedRequest> recorded;
    std::vector<std::string> seenFaults;
    std::map<int, std::pair<std::int32_t, std::int32_t>> sendFailures;
    int sendIndex = 0;
    std::shared_ptr<simsite::SimulatedSite> simulated;
};

// Lines of tests/fixtures/<name>, without line ends.
std::vector<std::string> loadFixture(const std::string& name);
ScriptedReply fixtureReply(const std::string& name, std::int32_t code = 200);
// A code-200 reply of these lines, exactly as given.
ScriptedReply linesReply(const std::vector<std::string>& lines);
// A one-line reply such as "200 Group (x) already exists."
ScriptedReply oneLineReply(const std::string& line, std::int32_t code = 200);

#ifdef QUORIN_HAVE_SIMSITE
// What the simulated site holds, in the form the pages show it: account
// names (not deleted) in a sorted combo box's order, group names, and the
// user of every connection.
std::vector<std::string> sortedAccountNames(const simsite::SimulatedSite& site);
std::set<std::string> siteGroupNames(const simsite::SimulatedSite& site, bool wantPrivate);
std::multiset<std::string> connectedUserNames(const simsite::SimulatedSite& site);
#endif
