#pragma once
// A host behind the HostCallback for the core's unit tests: it answers
// commands from a script, hands out writable reply lines that it frees on the
// release (so a parser that keeps a pointer past the release trips ASan), and
// records every request and every misuse of the channel.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plugin/host_channel.h"

// Reply lines as the host hands them out: each text in storage of its own,
// exactly as long as the line and its NUL.
class OwnedReply {
public:
    explicit OwnedReply(const std::vector<std::string>& lines) {
        texts.reserve(lines.size());
        nodes.resize(lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            texts.emplace_back(new char[lines[i].size() + 1]);
            std::memcpy(texts[i].get(), lines[i].c_str(), lines[i].size() + 1);
            nodes[i].text = texts[i].get();
            nodes[i].next = i + 1 < lines.size() ? &nodes[i + 1] : nullptr;
        }
    }
    ReplyLine* head() { return nodes.empty() ? nullptr : nodes.data(); }

private:
    std::vector<std::unique_ptr<char[]>> texts;
    std::vector<ReplyLine> nodes;
};

// A fixture reply from tests/fixtures, one line per file line, line ends
// removed. Under Wine the Unix path is reached through drive Z:.
inline std::vector<std::string> fixtureLines(const std::string& name) {
    std::ifstream in(std::string("Z:") + QUORIN_FIXTURE_DIR + "/" + name, std::ios::binary);
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
    return lines;
}

struct FakeReply {
    std::int32_t result = 1;
    std::int32_t code = 200;
    std::vector<std::string> lines = {"200 Command Successful."};
};

struct SeenRequest {
    const HostRequest* record;
    std::int32_t action;
    std::string command;
    std::int32_t param;
};

class FakeHost {
public:
    std::map<std::string, FakeReply> replies;  // by exact command line
    std::vector<SeenRequest> seen;
    std::vector<std::string> faults;

    FakeHost() {
        active() = this;
        storeHostCallback(&FakeHost::callback);
    }
    ~FakeHost() {
        storeHostCallback(nullptr);
        active() = nullptr;
    }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    std::size_t keptReplies() const { return kept.size(); }

private:
    std::map<const HostRequest*, std::unique_ptr<OwnedReply>> kept;

    static FakeHost*& active() {
        static FakeHost* host = nullptr;
        return host;
    }

    static std::int32_t HOST_CDECL callback(HostRequest* request) {
        FakeHost& host = *active();
        if (request->action != ACTION_SEND_COMMAND) {
            host.seen.push_back({request, request->action, "", request->param});
            if (request->action == ACTION_RELEASE_REPLY && host.kept.erase(request) == 0) {
                host.faults.push_back("release with nothing kept");
            }
            return 1;
        }
        const std::string command = request->command;
        host.seen.push_back({request, request->action, command, request->param});
        if (command.find_first_of("\r\n") != std::string::npos) {
            host.faults.push_back("line break in command");
        }
        const auto scripted = host.replies.find(command);
        const FakeReply reply = scripted == host.replies.end() ? FakeReply() : scripted->second;
        if (reply.result == 0) {
            // Nothing is valid after a failed send; make a reader that looks anyway fail.
            request->replyCode = 999;
            request->replyLines = nullptr;
            return 0;
        }
        request->replyCode = reply.code;
        if (request->param == 1) {
            if (host.kept.count(request) != 0) {
                host.faults.push_back("second kept reply on one record");
            }
            auto owned = std::make_unique<OwnedReply>(reply.lines);
            request->replyLines = owned->head();
            host.kept[request] = std::move(owned);
        }
        return reply.result;
    }
};
