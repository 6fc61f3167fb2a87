#pragma once
// The loopback test server (glftpd_test_server.py) as the live test programs
// see it: where it listens, its certificate's fingerprint, what it received.
#include <cstddef>
#include <string>
#include <vector>

#include "host/live/live_site_win32.h"

namespace livetest {

struct ServerInfo {
    std::string stateDir;  // in Wine's Z: form
    int tlsPort = 0;
    int plainPort = 0;     // the listener that refuses AUTH TLS
    int clientCertPort = 0;     // TLS that requires a client certificate
    int recordsPort = 0;        // TLS records made by hand: empty ones, slow ones
    std::string fingerprint;
};

// Reads server.json from the folder named by QUORIN_LIVE_STATE (set by
// run_live_tests.sh); false with the reason.
bool loadServer(ServerInfo& info, std::string& failure);

// A file of the state folder, one string a line, without line ends.
std::vector<std::string> stateFile(const ServerInfo& info, const std::string& name);

// received.log from line `from` on: "<listener> <account or -> <line>".
std::vector<std::string> received(const ServerInfo& info, std::size_t from = 0);
// The command lines of one account among those lines, fences (NOOP) left out.
std::vector<std::string> commandsOf(const std::vector<std::string>& log, const std::string& account);

// tests/fixtures/<name>, one string a line.
std::vector<std::string> fixtureLines(const std::string& name);

// A login on the TLS listener with the server's certificate pinned.
live::SiteOptions pinnedLogin(const ServerInfo& info, const std::string& account);

}  // namespace livetest
