#include "tests/ui/harness/scripted_site.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#ifdef QUORIN_HAVE_SIMSITE
#include <windows.h>

#include <algorithm>

#include "host/simsite/simulated_site.h"
#endif

namespace {
ScriptedSite* activeSite = nullptr;
}

ScriptedSite::ScriptedSite() {
    activeSite = this;
}

ScriptedSite::~ScriptedSite() {
    if (activeSite == this) {
        activeSite = nullptr;
    }
}

ScriptedSite* ScriptedSite::active() {
    return activeSite;
}

void ScriptedSite::answer(const std::string& command, ScriptedReply reply) {
    rules.push_back({command, false, false, std::move(reply)});
}

void ScriptedSite::answerPrefix(const std::string& prefix, ScriptedReply reply) {
    rules.push_back({prefix, true, false, std::move(reply)});
}

void ScriptedSite::answerOnce(const std::string& command, ScriptedReply reply) {
    rules.push_back({command, false, true, std::move(reply)});
}

#ifdef QUORIN_HAVE_SIMSITE
simsite::SimulatedSite& ScriptedSite::useSimulatedSite() {
    if (!simulated) {
        simulated = std::make_shared<simsite::SimulatedSite>();
    }
    std::shared_ptr<simsite::SimulatedSite> site = simulated;
    fallback = [site](const std::string& command) {
        const session::Reply answer = site->handle(command);
        ScriptedReply reply;
        reply.replyCode = answer.code;
        reply.lines = answer.lines;
        return reply;
    };
    return *simulated;
}

std::vector<std::string> sortedAccountNames(const simsite::SimulatedSite& site) {
    std::vector<std::string> names;
    for (const simsite::SiteUser& user : site.users()) {
        if (!user.deleted()) {
            names.push_back(user.name);
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

std::set<std::string> siteGroupNames(const simsite::SimulatedSite& site, bool wantPrivate) {
    std::set<std::string> names;
    for (const simsite::SiteGroup& group : site.groups()) {
        if (group.isPrivate == wantPrivate) {
            names.insert(group.name);
        }
    }
    return names;
}

std::multiset<std::string> connectedUserNames(const simsite::SimulatedSite& site) {
    std::multiset<std::string> users;
    for (const simsite::Connection& connection : site.connections()) {
        users.insert(connection.user);
    }
    return users;
}
#endif

void ScriptedSite::failSendAt(int index, std::int32_t hostResult, std::int32_t replyCode) {
    sendFailures[index] = {hostResult, replyCode};
}

std::vector<std::string> ScriptedSite::commands() const {
    std::vector<std::string> sent;
    for (const RecordedRequest& request : recorded) {
        if (request.action == ACTION_SEND_COMMAND) {
            sent.push_back(request.command);
        }
    }
    return sent;
}

void ScriptedSite::clearRecord() {
    recorded.clear();
}

std::vector<std::string> ScriptedSite::faults() const {
    std::vector<std::string> all = seenFaults;
    if (kept.count() > 0) {
        all.push_back("a kept reply was never released");
    }
    return all;
}

std::int32_t HOST_CDECL ScriptedSite::callback(HostRequest* request) {
    if (activeSite == nullptr) {
        return 0;
    }
    return activeSite->handle(request);
}

std::int32_t ScriptedSite::handle(HostRequest* request) {
    switch (request->action) {
    case ACTION_SEND_COMMAND:
        return handleSend(request);
    case ACTION_RELEASE_REPLY:
        recorded.push_back({request->action, std::string(), request->param});
        return handleRelease(request);
    case ACTION_SHOW_PAGE:
        recorded.push_back({request->action, std::string(), request->param});
        if (onShowPage) {
            onShowPage(request->param);
        }
        return 1;
    case ACTION_USER_ADDED:
        recorded.push_back({request->action, std::string(), request->param});
        return 1;
    default:
        seenFaults.push_back("unknown action " + std::to_string(request->action));
        return 0;
    }
}

ScriptedReply ScriptedSite::replyFor(const std::string& command) {
    for (auto rule = rules.rbegin(); rule != rules.rend(); ++rule) {
        if (rule->once && rule->text == command) {
            ScriptedReply reply = rule->reply;
            rules.erase(std::next(rule).base());
            return reply;
        }
    }
    for (auto rule = rules.rbegin(); rule != rules.rend(); ++rule) {
        if (rule->once) {
            continue;
        }
        const bool matches = rule->prefix ? command.compare(0, rule->text.size(), rule->text) == 0
                                          : command == rule->text;
        if (matches) {
            return rule->reply;
        }
    }
    if (fallback) {
        return fallback(command);
    }
    return ScriptedReply{};
}

std::int32_t ScriptedSite::handleSend(HostRequest* request) {
    const std::string command = request->command != nullptr ? request->command : "";
    recorded.push_back({request->action, command, request->param});
    if (request->command == nullptr) {
        seenFaults.push_back("a send without a command");
        return 0;
    }
    if (command.find_first_of("\r\n") != std::string::npos) {
        seenFaults.push_back("a command holding a line break: " + command);
    }
    if (kept.holds(request)) {
        seenFaults.push_back("a second kept reply on one record before its release: " + command);
    }
    ScriptedReply reply = replyFor(command);
    const auto failure = sendFailures.find(sendIndex++);
    if (failure != sendFailures.end()) {
        reply.hostResult = failure->second.first;
        reply.replyCode = failure->second.second;
        if (reply.hostResult != 0) {
            reply.lines = {std::to_string(reply.replyCode) + " Scripted failure."};
        }
    }
    lastResultZero[request] = reply.hostResult == 0;
    if (reply.hostResult == 0) {
        return 0;
    }
    request->replyCode = reply.replyCode;
    if (request->param == 1) {
        kept.keep(request, reply.lines);
    }
    return reply.hostResult;
}

std::int32_t ScriptedSite::handleRelease(HostRequest* request) {
    // A release poisons the record, so that a read after it shows up.
    if (!kept.release(request)) {
        const bool afterZero = lastResultZero.count(request) != 0 && lastResultZero[request];
        if (!(afterZero && allowReleaseAfterZeroResult)) {
            seenFaults.push_back("a release with nothing kept");
        }
        return 1;
    }
    return 1;
}

std::vector<std::string> loadFixture(const std::string& name) {
    // Under Wine the Unix path of the source tree is reached through Z:.
    std::string path = std::string("Z:") + QUORIN_FIXTURE_DIR + "/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        in.open(std::string(QUORIN_FIXTURE_DIR) + "/" + name, std::ios::binary);
    }
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
            line.pop_back();
        }
        lines.push_back(line);
    }
    if (lines.empty()) {
        std::fprintf(stderr, "fixture %s is missing or empty\n", name.c_str());
    }
    return lines;
}

ScriptedReply fixtureReply(const std::string& name, std::int32_t code) {
    ScriptedReply reply;
    reply.replyCode = code;
    reply.lines = loadFixture(name);
    return reply;
}

ScriptedReply linesReply(const std::vector<std::string>& lines) {
    ScriptedReply reply;
    reply.lines = lines;
    return reply;
}

ScriptedReply oneLineReply(const std::string& line, std::int32_t code) {
    ScriptedReply reply;
    reply.replyCode = code;
    reply.lines = {line};
    return reply;
}
