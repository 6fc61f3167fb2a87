#pragma once
// The account settings of the SITE USER screen (glftpd 2.x) that the
// plug-in's Edit user page has no place for.
#include <string>
#include <vector>

#include "host/session/site_link.h"

namespace admin {

struct AccountSettings {  // from the SITE USER screen (2.x)
    // `name`: the whole name the screen shows (up to the blank after it: it
    // may hold '|' or a tab). `comment`: the server's bytes, valid UTF-8 or not.
    std::string name, comment, expires /* "2027-06-30" or "Never" */, flags;
    int timeframeFrom = 0, timeframeTo = 0;     // hours; 0 0 = none
    std::string idleTime;                       // "30", "Disabled" (-1), "-5"
    std::string maxSimUploads, maxSimDownloads; // "5", "Unlimited"
    std::string maxLogins, sameIpLogins;        // "4", "Unlimited"
    std::vector<std::string> groups;            // without marks
    std::vector<std::string> adminGroups;       // the ones marked '*'
    bool deleted = false;                       // flag 6
};

// A coloured screen reads as its plain twin.
bool readAccountSettings(const session::Reply& reply, AccountSettings& out, std::string& failure);

}  // namespace admin
