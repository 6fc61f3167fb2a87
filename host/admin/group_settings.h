#pragma once
// A group's settings as SITE GRP shows them (glftpd 2.x).
#include <cstdint>
#include <string>

#include "host/session/site_link.h"

namespace admin {

struct GroupSettings {  // as SITE GRP shows them, numbers as stored
    std::string name;
    std::string comment;
    std::int64_t slots = 0;           // -1 unlimited
    std::int64_t leechSlots = 0;      // -1 unlimited, -2 disabled
    std::int64_t allotSlots = 0;      // -1 unlimited, -2 disabled
    std::int64_t maxAllotSizeKb = 0;  // 0 unlimited; shown in MiB with six decimals
    std::int64_t maxLogins = 0;       // 0 unlimited
};

// False with `failure` set for a refusal or a screen that is not a group's.
bool readGroupSettings(const session::Reply& reply, GroupSettings& out, std::string& failure);

}  // namespace admin
