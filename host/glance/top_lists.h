#pragma once
// The site's top lists (SITE WKUP, WKDN, MONTHUP, MONTHDN, DAYUP, DAYDN,
// ALUP, ALDN and the group tops GPWK, GPWD, GPMONTHUP, GPMONTHDN, GPDAYUP,
// GPDAYDN, GPAL, GPAD): which command is which list, and reading glftpd's
// table ("[01] name  tagline  files  size  speed"; a group's with its
// description and members) with colours or without.
#include <string>
#include <vector>

#include "host/session/site_link.h"

namespace glance {

enum class TopPeriod { Week, Month, Day, AllTime };
enum class TopDirection { Up, Down };
enum class TopWho { Users, Groups };

struct TopChoice {
    TopPeriod period = TopPeriod::Week;
    TopDirection direction = TopDirection::Up;
    TopWho who = TopWho::Users;
    int count = 10;  // 10 to 100
};

// "SITE WKUP 10", "SITE GPAD 25", ...; the count is held to 10..100.
std::string topCommand(const TopChoice& choice);
// "Week's top uploaders" and the like.
std::string topTitle(const TopChoice& choice);

struct TopEntry {
    int place = 0;
    std::string name;         // as the server shows it (user names cut to 12)
    std::string text;         // a user's tagline, a group's description (cut)
    long long files = 0;
    double mib = 0;           // the amount moved
    std::string sizeShown;    // as the server wrote it ("10MiB")
    double speedKiBs = -1;    // users: the average speed; -1 for groups
    int members = -1;         // groups: the members counted; -1 for users
};

struct TopList {
    bool groups = false;
    std::vector<TopEntry> entries;
};

// False, with the reason, for a refusal or a reply that is no top list.
bool readTopList(const session::Reply& reply, TopList& list, std::string& failure);

// The list as text, one line an entry, for the clipboard.
std::string topListText(const TopChoice& choice, const TopList& list);

}  // namespace glance
