#pragma once
// What the host asks of a site, simulated or live: send one command line and
// get its complete reply, or a failure.
#include <functional>
#include <string>
#include <vector>

namespace session {

struct Reply {
    int code = 200;
    std::vector<std::string> lines;  // as the server sends them, without line ends
};

class SiteLink {
public:
    virtual ~SiteLink() = default;
    // False when the command could not be sent or its reply not read whole;
    // `failure` then says why. The command is never sent again on its own.
    virtual bool exchange(const std::string& command, Reply& reply, std::string& failure) = 0;
    // Whether a command can be sent now.
    virtual bool isOpen() const = 0;

    // Lines for the transcript that belong to no command (replies nobody
    // asked for, the connection's own steps); set by the host.
    std::function<void(const std::string& line)> onNote;
};

}  // namespace session
