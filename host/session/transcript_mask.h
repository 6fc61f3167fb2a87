#pragma once
// Command lines as the transcript shows them: passwords replaced by "****".
#include <string>

namespace session {

// "PASS x" -> "PASS ****"; "SITE ADDUSER u p ..." -> "SITE ADDUSER u ****";
// "SITE GADDUSER g u p ..." -> "SITE GADDUSER g u ****"; "SITE CHPASS u p ..."
// -> "SITE CHPASS u ****": everything after the account name, whatever it
// holds. A name left empty (two blanks where it belongs, "SITE CHPASS  p")
// masks everything after the command word. Command words in any case; every
// other line as it stands.
std::string maskSecrets(const std::string& commandLine);

}  // namespace session
