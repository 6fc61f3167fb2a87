#pragma once
// The colours glftpd 2.13 gives the replies of its group commands for an
// operator with flag 5 (SITE GROUPS, GRP, GRPCHANGE, GINFO, CHGADMIN), as
// captured: a continued line is the text in its own colours between bold
// white and two resets; the last line carries only its own colours.
#include <string>

#include "host/simsite/simulated_site.h"

namespace simsite {

enum class GroupReply { Groups, Settings, Change, Members, Admin };

// The plain reply in the server's colours.
Reply paintGroupReply(GroupReply kind, Reply reply);

}  // namespace simsite
