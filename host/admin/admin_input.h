#pragma once
// What the operator types, checked against glftpd's rules before anything is
// sent. Each returns "" when fine, else the message for the operator.
#include <cstdint>
#include <string>

namespace admin {

std::string accountNameProblem(const std::string& name);   // new names (RENUSER)
std::string dateProblem(const std::string& text);          // YYYY-MM-DD (a real date) or "never"
std::string hourProblem(const std::string& text);          // 0..23
std::string numberProblem(const std::string& text, std::int64_t low, std::int64_t high,
                          const std::string& what);
std::string commentProblem(const std::string& text);       // <= 49 chars, no control chars
std::string taglineProblem(const std::string& text);       // <= 63 chars
std::string groupCommentProblem(const std::string& text);  // <= 63 (the server cuts longer)
std::string ownCommandProblem(const std::string& text);    // "SITE ..." one line, <= 255

}  // namespace admin
