#pragma once
// The 2.x account commands' replies as glftpd 2.13 colours them for an
// operator with its colour flag (5): codes inside names, numbers and frames,
// as captured from the real server (tests/fixtures/glftpd213/colour/).
#include <string>
#include <vector>

#include "host/simsite/simulated_site.h"

namespace simsite {

// Colours `reply`, the plain answer to SITE USERS, USER, CHANGE, RENUSER,
// READD or PURGE (`keyword`), as the real server does; false, leaving it
// as it is, for any other command.
bool colourAccountReply(const std::string& keyword, const std::vector<SiteUser>& users, Reply& reply);

}  // namespace simsite
