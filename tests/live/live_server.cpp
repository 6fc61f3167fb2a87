#include "tests/live/live_server.h"

#include <cstdlib>
#include <fstream>

namespace livetest {
namespace {

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// server.json is one flat object the server writes itself: a key's value
// is found right after it.
std::string valueOf(const std::string& json, const std::string& key) {
    const std::size_t at = json.find("\"" + key + "\"");
    if (at == std::string::npos) {
        return std::string();
    }
    std::size_t start = json.find(':', at);
    if (start == std::string::npos) {
        return std::string();
    }
    start = json.find_first_not_of(" \"", start + 1);
    const std::size_t end = json.find_first_of(",}\"", start);
    return start == std::string::npos ? std::string() : json.substr(start, end - start);
}

}  // namespace

bool loadServer(ServerInfo& info, std::string& failure) {
    const char* state = std::getenv("QUORIN_LIVE_STATE");
    if (state == nullptr || *state == '\0') {
        failure = "QUORIN_LIVE_STATE is not set: run this through tests/live/run_live_tests.sh";
        return false;
    }
    info.stateDir = state;
    std::string json;
    for (const std::string& line : stateFile(info, "server.json")) {
        json += line;
    }
    info.tlsPort = std::atoi(valueOf(json, "tls_port").c_str());
    info.plainPort = std::atoi(valueOf(json, "notls_port").c_str());
    info.clientCertPort = std::atoi(valueOf(json, "clientcert_port").c_str());
    info.recordsPort = std::atoi(valueOf(json, "records_port").c_str());
    info.fingerprint = valueOf(json, "fingerprint");
    if (info.tlsPort <= 0 || info.plainPort <= 0 || info.clientCertPort <= 0 || info.recordsPort <= 0 ||
        info.fingerprint.size() != 95) {
        failure = "no usable server.json in " + info.stateDir + ": " + json;
        return false;
    }
    return true;
}

std::vector<std::string> stateFile(const ServerInfo& info, const std::string& name) {
    return readLines(info.stateDir + "\\" + name);
}

std::vector<std::string> received(const ServerInfo& info, std::size_t from) {
    std::vector<std::string> all = stateFile(info, "received.log");
    return from < all.size() ? std::vector<std::string>(all.begin() + static_cast<long>(from), all.end())
                             : std::vector<std::string>();
}

std::vector<std::string> commandsOf(const std::vector<std::string>& log, const std::string& account) {
    std::vector<std::string> commands;
    for (const std::string& entry : log) {
        const std::size_t user = entry.find(' ');
        const std::size_t line = entry.find(' ', user + 1);
        if (user == std::string::npos || line == std::string::npos ||
            entry.compare(user + 1, line - user - 1, account) != 0) {
            continue;
        }
        const std::string command = entry.substr(line + 1);
        if (command != "NOOP") {
            commands.push_back(command);
        }
    }
    return commands;
}

std::vector<std::string> fixtureLines(const std::string& name) {
    // Under Wine the source tree's Unix path is reached through Z:.
    return readLines(std::string("Z:") + QUORIN_FIXTURE_DIR + "/" + name);
}

live::SiteOptions pinnedLogin(const ServerInfo& info, const std::string& account) {
    live::SiteOptions options;
    options.host = "127.0.0.1";
    options.port = info.tlsPort;
    options.user = account;
    options.password = "secret";
    options.fingerprint = info.fingerprint;
    options.requireTls = true;
    options.connectTimeoutMs = 10000;
    return options;
}

}  // namespace livetest
