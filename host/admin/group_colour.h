#pragma once
// glftpd colours every reply line for an operator with flag 5: ANSI
// sequences (ESC '[' digits and ';' ... 'm') around and inside names,
// numbers and frames, which take no column. Without them a coloured reply
// is its plain twin byte for byte (real glftpd 2.13), so the group readers
// read a reply without them.
#include <string>

#include "host/session/site_link.h"

namespace admin {

// Removes the colour sequences from a line in place; every other byte stays.
void removeColours(std::string& line);
// The same for every line of a reply.
void removeColours(session::Reply& reply);
// Whether any line holds an escape byte (a coloured reply).
bool hasColours(const session::Reply& reply);

}  // namespace admin
