#pragma once
// What the tests against a real glftpd 2.13 share: the server that
// run_glftpd213.sh started (its server.json), a link that records every
// command line sent, and small checks on replies.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/live/live_site_win32.h"
#include "host/session/site_link.h"

namespace glftpd213 {

using Lines = std::vector<std::string>;

struct RealServer {
    int port = 0;
    std::string fingerprint, user, password;
};

// The value after "key": in the one flat object glftpd213_site.py writes.
inline std::string jsonValue(const std::string& json, const std::string& key) {
    std::size_t at = json.find("\"" + key + "\"");
    if (at == std::string::npos || (at = json.find(':', at)) == std::string::npos) {
        return std::string();
    }
    const std::size_t start = json.find_first_not_of(" \"", at + 1);
    const std::size_t end = start == std::string::npos ? start : json.find_first_of(",}\"", start);
    return start == std::string::npos ? std::string() : json.substr(start, end - start);
}

inline bool loadRealServer(RealServer& server, std::string& failure) {
    const char* state = std::getenv("QUORIN_GLFTPD_STATE");
    if (state == nullptr || *state == '\0') {
        failure = "QUORIN_GLFTPD_STATE is not set: run this through tests/live/run_glftpd213.sh";
        return false;
    }
    std::ifstream in(std::string(state) + "\\server.json", std::ios::binary);
    std::stringstream json;
    json << in.rdbuf();
    server.port = std::atoi(jsonValue(json.str(), "port").c_str());
    server.fingerprint = jsonValue(json.str(), "fingerprint");
    server.user = jsonValue(json.str(), "user");
    server.password = jsonValue(json.str(), "password");
    if (server.port <= 0 || server.fingerprint.size() != 95 || server.user.empty()) {
        failure = std::string("no usable server.json in ") + state + ": " + json.str();
        return false;
    }
    return true;
}

// The connection to the server over TLS, its certificate pinned, as `user`
// (empty: the siteop the site was made with).
inline live::SiteOptions siteOptions(const RealServer& server, const std::string& user = std::string(),
                                     const std::string& password = std::string()) {
    live::SiteOptions options;
    options.host = "127.0.0.1";
    options.port = server.port;
    options.user = user.empty() ? server.user : user;
    options.password = user.empty() ? server.password : password;
    options.fingerprint = server.fingerprint;
    options.requireTls = true;
    return options;
}

// Every command line that reaches the connection, in order.
class RecordingLink : public session::SiteLink {
public:
    explicit RecordingLink(session::SiteLink& link) : inner(link) {}
    bool exchange(const std::string& command, session::Reply& reply, std::string& failure) override {
        sent.push_back(command);
        return inner.exchange(command, reply, failure);
    }
    bool isOpen() const override { return inner.isOpen(); }
    Lines sent;

private:
    session::SiteLink& inner;
};

inline bool holds(const session::Reply& reply, const std::string& text) {
    return std::any_of(reply.lines.begin(), reply.lines.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

inline std::string joined(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += "\n  " + line;
    }
    return text;
}

}  // namespace glftpd213
