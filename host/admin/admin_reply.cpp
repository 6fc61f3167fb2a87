#include "host/admin/admin_reply.h"

namespace admin {

std::string lineText(const std::string& line) {
    std::size_t at = 0;
    while (at < line.size() && at < 3 && line[at] >= '0' && line[at] <= '9') ++at;
    if (at == 3 && at < line.size() && (line[at] == '-' || line[at] == ' ')) {
        ++at;
        if (at < line.size() && line[at] == ' ' && line[at - 1] == '-') ++at;
        return line.substr(at);
    }
    return line;
}

Verdict judgeReply(const session::Reply& reply) {
    Verdict verdict;
    if (reply.lines.empty()) {
        verdict.text = "The server sent no reply.";
        return verdict;
    }
    verdict.text = lineText(reply.lines.back());
    verdict.done = reply.code < 400;
    return verdict;
}

}  // namespace admin
