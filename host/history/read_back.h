#pragma once
// What a reading command's reply shows of a change sent just before: the
// host's own pages read back what they wrote (SITE GRP after SITE
// GRPCHANGE, SITE USER after SITE CHANGE), and the change record says
// whether the server holds what was written.
#include <string>

#include "host/session/site_link.h"

namespace history {

extern const char* const writtenAndReadBack;

// "written and read back", "the server holds <setting> <value> instead", or
// empty when `readCommand` and its reply do not read `change` back (another
// group or account, another command, a reply that is no such screen).
std::string readBackOf(const std::string& change, const std::string& readCommand, const session::Reply& reply);

}  // namespace history
