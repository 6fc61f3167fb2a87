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

// The line without what maskSecrets hides, and without the blanks before
// it: "SITE ADDUSER bob pw *@10.0.0.*" -> "SITE ADDUSER bob", "SITE CHPASS
// p" -> "SITE CHPASS"; a line that holds no secret as it stands.
std::string withoutSecrets(const std::string& commandLine);

// Whether the line stops where its password belongs, so that the next word
// would be masked: "SITE CHPASS bob", "SITE GADDUSER grp bob". False for a
// line holding its password, a line taking none, or one ending in a blank.
bool endsBeforeSecret(const std::string& commandLine);

}  // namespace session
