#include "host/session/kept_replies.h"

#include <cstdlib>
#include <cstring>

namespace session {

KeptReplies::~KeptReplies() {
    for (auto& entry : held) {
        freeLines(entry.second);
    }
}

bool KeptReplies::keep(HostRequest* request, const std::vector<std::string>& lines) {
    release(request);
    Lines kept;
    ReplyLine* previous = nullptr;
    request->replyLines = nullptr;
    for (const std::string& line : lines) {
        char* text = static_cast<char*>(std::malloc(line.size() + 1));
        ReplyLine* node = static_cast<ReplyLine*>(std::malloc(sizeof(ReplyLine)));
        if (text == nullptr || node == nullptr) {
            std::free(text);
            std::free(node);
            freeLines(kept);
            request->replyLines = nullptr;
            return false;
        }
        std::memcpy(text, line.c_str(), line.size() + 1);
        node->text = text;
        node->next = nullptr;
        (previous == nullptr ? request->replyLines : previous->next) = node;
        previous = node;
        kept.texts.push_back(text);
        kept.nodes.push_back(node);
    }
    held[request] = std::move(kept);
    return true;
}

bool KeptReplies::release(HostRequest* request) {
    const auto found = held.find(request);
    if (found == held.end()) {
        return false;
    }
    freeLines(found->second);
    held.erase(found);
    request->replyLines = nullptr;
    return true;
}

void KeptReplies::freeLines(Lines& lines) {
    for (char* text : lines.texts) {
        std::free(text);
    }
    for (ReplyLine* node : lines.nodes) {
        std::free(node);
    }
    lines.texts.clear();
    lines.nodes.clear();
}

}  // namespace session
