#include "host/admin/group_names.h"

#include "host/admin/admin_reply.h"

namespace admin {

bool readPublicGroupNames(const session::Reply& coloured, std::vector<std::string>& names, std::string& failure) {
    names.clear();
    session::Reply storage;
    const session::Reply& reply = plainTwin(coloured, storage);
    std::size_t line = 0;
    while (line < reply.lines.size() && lineText(reply.lines[line]).compare(0, 10, "----------") != 0) {
        ++line;
    }
    if (line == reply.lines.size()) {
        const Verdict verdict = judgeReply(reply);
        failure = verdict.text.empty() ? "SITE GROUPS answered without a list of groups." : verdict.text;
        return false;
    }
    for (++line; line < reply.lines.size(); ++line) {
        const std::string text = lineText(reply.lines[line]);
        const std::size_t close = text.find(')');
        if (close == std::string::npos) {
            break;
        }
        const std::size_t start = text.find_first_not_of(' ', close + 1);
        if (start == std::string::npos) {
            continue;
        }
        const std::size_t end = text.find(' ', start);
        names.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    }
    return true;
}

}  // namespace admin
