#pragma once
// SITE GROUPS: the names of the public groups, as the plug-in's directory
// reads them (the private ones, marked '*', have no GRP screen).
#include <string>
#include <vector>

#include "host/session/site_link.h"

namespace admin {

// The rows after the heading's line of dashes that carry ")" after the
// member count, up to the first line without one. False with `failure` set
// when the reply holds no such heading (a refusal, another screen). A
// coloured reply reads as its plain twin. A name is read whole: it may hold
// '|' or a tab (glftpd takes both), never a blank.
bool readPublicGroupNames(const session::Reply& reply, std::vector<std::string>& names, std::string& failure);

}  // namespace admin
