#pragma once
// Which command lines only read the site: what the live tour may send.
#include <string>

namespace session {

// "SITE GROUPS", "SITE USER [name]", "SITE SWHO", "SITE WHO", "SITE STATS
// name", the statistics listings, "SITE VERS", "SITE TIME" and "NOOP".
bool changesNothing(const std::string& commandLine);

}  // namespace session
