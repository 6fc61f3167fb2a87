#include "host/admin/admin_input.h"

namespace admin {

std::string accountNameProblem(const std::string&) { return {}; }
std::string dateProblem(const std::string&) { return {}; }
std::string hourProblem(const std::string&) { return {}; }
std::string numberProblem(const std::string&, std::int64_t, std::int64_t, const std::string&) {
    return {};
}
std::string commentProblem(const std::string& text) {
    return text.size() > 49 ? "A comment has at most 49 characters." : std::string();
}
std::string taglineProblem(const std::string& text) {
    return text.size() > 63 ? "A tagline has at most 63 characters." : std::string();
}
std::string groupCommentProblem(const std::string& text) {
    return text.size() > 63 ? "A group comment has at most 63 characters." : std::string();
}
std::string ownCommandProblem(const std::string&) { return {}; }

}  // namespace admin
