#pragma once
// The reply lines a host keeps for the plug-in from a send with its reply
// kept until the release: a ReplyLine list, each text writable and in
// storage of its own (the plug-in cuts fields out of the lines in place).
#include <map>
#include <string>
#include <vector>

#include "plugin/host_channel.h"

namespace session {

class KeptReplies {
public:
    KeptReplies() = default;
    ~KeptReplies();
    KeptReplies(const KeptReplies&) = delete;
    KeptReplies& operator=(const KeptReplies&) = delete;

    // Hands the lines to the request's record; false, with nothing kept and
    // no lines on the record, when memory runs out.
    bool keep(HostRequest* request, const std::vector<std::string>& lines);
    // Frees the request's lines and clears them from its record; false when
    // none were kept for it.
    bool release(HostRequest* request);
    bool holds(HostRequest* request) const { return held.count(request) != 0; }
    int count() const { return static_cast<int>(held.size()); }

private:
    struct Lines {
        std::vector<char*> texts;
        std::vector<ReplyLine*> nodes;
    };
    static void freeLines(Lines& lines);

    std::map<HostRequest*, Lines> held;
};

}  // namespace session
