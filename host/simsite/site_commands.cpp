// The site's listings and logs: statistics, texts, releases, nukes, dupes
// and messages.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "host/simsite/simulated_site.h"
#include "host/simsite/site_reply.h"
#include "host/simsite/site_text.h"

namespace simsite {

namespace {

// The count after a listing keyword: 1 to 100, otherwise the default of ten.
int entryCount(const CommandWords& words, std::size_t at) {
    std::int64_t count = 0;
    if (parseInteger(words[at], 1, 100, count)) {
        return static_cast<int>(count);
    }
    return 10;
}

struct StatisticsKind {
    const char* keyword;
    const char* title;
    bool groups;
    bool upload;
    Transfer SiteUser::*period;
};

const StatisticsKind statisticsKinds[] = {
    {"WKUP", "users: week upload", false, true, &SiteUser::week},
    {"WKDN", "users: week download", false, false, &SiteUser::week},
    {"DAYUP", "users: today upload", false, true, &SiteUser::today},
    {"DAYDN", "users: today download", false, false, &SiteUser::today},
    {"MONTHUP", "users: month upload", false, true, &SiteUser::month},
    {"MONTHDN", "users: month download", false, false, &SiteUser::month},
    {"ALUP", "users: all time upload", false, true, &SiteUser::allTime},
    {"ALDN", "users: all time download", false, false, &SiteUser::allTime},
    {"GPWK", "groups: week upload", true, true, &SiteUser::week},
    {"GPWKUP", "groups: week upload", true, true, &SiteUser::week},
    {"GPWD", "groups: week download", true, false, &SiteUser::week},
    {"GPWKDN", "groups: week download", true, false, &SiteUser::week},
    {"GPAL", "groups: all time upload", true, true, &SiteUser::allTime},
    {"GPALUP", "groups: all time upload", true, true, &SiteUser::allTime},
    {"GPAD", "groups: all time download", true, false, &SiteUser::allTime},
    {"GPALDN", "groups: all time download", true, false, &SiteUser::allTime},
    {"GPMONTHUP", "groups: month upload", true, true, &SiteUser::month},
    {"GPMONTHDN", "groups: month download", true, false, &SiteUser::month},
    {"GPDAYUP", "groups: today upload", true, true, &SiteUser::today},
    {"GPDAYDN", "groups: today download", true, false, &SiteUser::today},
};



struct Ranked {
    std::string name;
    std::string second;   // group of a user, member count of a group
    std::string third;    // tagline or description
    int files = 0;
    std::int64_t kilobytes = 0;
};

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A top list as glftpd 2.x draws it: a title, a framed heading, then one
// "[01] name  tagline  files  size  speed" line an entry (a group's with its
// description and members).
Reply topList2x(const StatisticsKind& kind, const std::vector<Ranked>& ranking, const std::vector<int>& members) {
    ReplyBuilder reply;
    std::string title = kind.title;
    for (char& c : title) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    reply.line(padRight("                       TOP " + title, 74));
    reply.line(".-=-------------------------------------------------------------------=-.");
    reply.line(kind.groups ? "|  # Group Name  Group Description         Files " + std::string(kind.upload ? "Up  " : "Down") +
                                 "        Size    M# |"
                           : "| ## User         Location/Tagline         Files     Size    Avg speed  |");
    reply.line("|-=-------------------------------------------------------------------=-|");
    int place = 0;
    for (const Ranked& entry : ranking) {
        const std::string size = format("%lldMiB", static_cast<long long>(entry.kilobytes / 1024));
        if (kind.groups) {
            reply.line(format("[%02d] ", place + 1) + padRight(entry.name, 11, true) + " " +
                       padRight(entry.third, 27, true) + format(" %5d %13s %6d", entry.files, size.c_str(),
                                                                members[static_cast<std::size_t>(place)]));
        } else {
            // An average speed of the site's own: the amount over a made-up time.
            const long long speed = entry.files == 0 ? 0 : 300 + entry.kilobytes / 1024 % 5000;
            reply.line(format("[%02d] ", place + 1) + padRight(entry.name, 12, true) + " " +
                       padRight(entry.third, 22, true) + format(" %7d %11s %11s", entry.files, size.c_str(),
                                                                format("%lldKiB/s", speed).c_str()));
        }
        ++place;
    }
    reply.line("`-=-------------------------------------------------------------------=-'");
    return reply.end("Command Successful.");
}

}  // namespace

Reply SimulatedSite::statistics(const CommandWords& words) {
    const StatisticsKind* kind = nullptr;
    for (const StatisticsKind& candidate : statisticsKinds) {
        if (currentKeyword == candidate.keyword) {
            kind = &candidate;
        }
    }
    if (kind == nullptr) {
        return oneLine("'SITE " + currentKeyword + "': command not understood.", 500);
    }
    const int count = entryCount(words, 2);
    std::vector<Ranked> ranking;
    std::vector<int> memberCounts;
    if (kind->groups) {
        for (const SiteGroup& entry : groupList) {
            Ranked ranked{entry.name, "", entry.description, 0, 0};
            int members = 0;
            for (const SiteUser& account : userList) {
                if (!account.deleted() && account.inGroup(entry.name)) {
                    const Transfer& t = account.*(kind->period);
                    ranked.files += kind->upload ? t.uploadFiles : t.downloadFiles;
                    ranked.kilobytes += kind->upload ? t.uploadKb : t.downloadKb;
                    ++members;
                }
            }
            ranked.second = format("%d members", members);
            ranking.push_back(ranked);
            memberCounts.push_back(members);
        }
    } else {
        for (const SiteUser& account : userList) {
            if (account.deleted()) {
                continue;
            }
            const Transfer& t = account.*(kind->period);
            ranking.push_back({account.name, account.groups.empty() ? "NoGroup" : account.groups.front(),
                               account.tagline, kind->upload ? t.uploadFiles : t.downloadFiles,
                               kind->upload ? t.uploadKb : t.downloadKb});
        }
    }
    if (kind->groups) {
        // The member counts go with their groups.
        for (std::size_t i = 0; i < ranking.size(); ++i) {
            ranking[i].second = std::to_string(memberCounts[i]);
        }
    }
    std::stable_sort(ranking.begin(), ranking.end(),
                     [](const Ranked& a, const Ranked& b) { return a.kilobytes > b.kilobytes; });
    if (ranking.size() > static_cast<std::size_t>(count)) {
        ranking.resize(static_cast<std::size_t>(count));
    }
    if (newer()) {
        // 2.x lists only who moved something.
        ranking.erase(std::remove_if(ranking.begin(), ranking.end(),
                                     [](const Ranked& r) { return r.kilobytes <= 0 && r.files <= 0; }),
                      ranking.end());
        std::vector<int> members;
        for (const Ranked& entry : ranking) {
            members.push_back(std::atoi(entry.second.c_str()));
        }
        return topList2x(*kind, ranking, members);
    }
    if (kind->groups) {
        for (Ranked& entry : ranking) {
            entry.second += " members";
        }
    }

    ReplyBuilder reply;
    reply.top();
    reply.row(format("Top %d ", count) + kind->title + " on " + name);
    reply.line("|----+--------------+------------+------------------+--------+------------|");
    reply.line(kind->groups ? "| ## | Group        | Members    | Description      |  Files |       Size |"
                            : "| ## | User         | Group      | Tagline          |  Files |       Size |");
    reply.line("|----+--------------+------------+------------------+--------+------------|");
    int place = 0;
    for (const Ranked& entry : ranking) {
        reply.line(format("| %02d | ", ++place) + padRight(entry.name, 12, true) + " | " +
                   padRight(entry.second, 10, true) + " | " + padRight(entry.third, 16, true) +
                   format(" | %6d | %9.1fM |", entry.files, static_cast<double>(entry.kilobytes) / 1024.0));
    }
    reply.bottom();
    return reply.end("Command Successful.");
}

Reply SimulatedSite::logins(const CommandWords& words) {
    const int count = entryCount(words, 2);
    ReplyBuilder reply;
    const std::size_t first = loginLog.size() > static_cast<std::size_t>(count)
                                  ? loginLog.size() - static_cast<std::size_t>(count)
                                  : 0;
    for (std::size_t i = first; i < loginLog.size(); ++i) {
        reply.line(loginLog[i]);
    }
    return reply.end(format("%zu login(s) shown.", loginLog.size() - first));
}

Reply SimulatedSite::userChanges(const CommandWords&) {
    if (changeLog.empty()) {
        return oneLine("No user changes logged.");
    }
    ReplyBuilder reply;
    for (const std::string& entry : changeLog) {
        reply.line(entry);
    }
    return reply.end("Command Successful.");
}

Reply SimulatedSite::lastOn(const CommandWords&) {
    ReplyBuilder reply;
    reply.top();
    reply.row("Last users on " + name);
    reply.rule();
    int shown = 0;
    for (auto account = userList.rbegin(); account != userList.rend() && shown < 10; ++account) {
        if (account->lastSeen == "Never" || account->deleted()) {
            continue;
        }
        reply.row(padRight(account->name, 12) + " " +
                  padRight(account->groups.empty() ? "NoGroup" : account->groups.front(), 12) + " " +
                  account->lastSeen);
        ++shown;
    }
    reply.bottom();
    return reply.end("Command Successful.");
}

Reply SimulatedSite::welcome(const CommandWords&) {
    ReplyBuilder reply;
    for (const std::string& text : welcomeText) {
        reply.line(text);
    }
    return reply.end("Command Successful.");
}

Reply SimulatedSite::rules(const CommandWords&) {
    ReplyBuilder reply;
    for (const std::string& text : rulesText) {
        reply.line(text);
    }
    return reply.end("Command Successful.");
}

Reply SimulatedSite::version(const CommandWords&) {
    return oneLine("glFTPd 2.12 Linux+TLS (simulated site " + name + ")");
}

Reply SimulatedSite::time(const CommandWords&) {
    return oneLine("Server time is: " + now());
}

Reply SimulatedSite::requests(const CommandWords&) {
    if (requestList.empty()) {
        return oneLine("No requests at the moment.");
    }
    ReplyBuilder reply;
    reply.top();
    reply.row("Requests on " + name);
    reply.rule();
    int number = 0;
    for (const std::string& entry : requestList) {
        reply.row(format("%2d. ", ++number) + entry);
    }
    reply.bottom();
    return reply.end("Command Successful.");
}

Reply SimulatedSite::newDirs(const CommandWords& words) {
    const int count = entryCount(words, 2);
    ReplyBuilder reply;
    reply.top();
    reply.row(format("Newest %d directories", count));
    reply.line("|----+----------------+--------------------------------+-------+----------|");
    int shown = 0;
    for (auto release = releaseList.rbegin(); release != releaseList.rend() && shown < count; ++release) {
        reply.line(format("| %02d | ", ++shown) + padRight(release->date, 14, true) + " | " +
                   padRight(release->name, 30, true) + format(" | %4dF | %7.1fM |", release->files,
                                                                release->sizeMb));
    }
    reply.bottom();
    return reply.end("Command Successful.");
}

Reply SimulatedSite::nukesListing(const CommandWords& words) {
    const int count = entryCount(words, 2);
    ReplyBuilder reply;
    reply.top();
    reply.row(format("Last %d nukes", count));
    reply.line("|----------------+------------------------+------+---------------+--------|");
    int shown = 0;
    for (auto entry = nukeLog.rbegin(); entry != nukeLog.rend() && shown < count; ++entry, ++shown) {
        reply.line("| " + padRight(entry->date, 14, true) + " | " + padRight(entry->release, 22, true) +
                   " | " + padRight(format("x%d", entry->multiplier), 4, true) + " | " +
                   padRight(entry->reason, 13, true) + " | " + padRight(entry->nuker, 6, true) + " |");
    }
    reply.bottom();
    return reply.end("Command Successful.");
}

Reply SimulatedSite::unnukesListing(const CommandWords& words) {
    const int count = entryCount(words, 2);
    ReplyBuilder reply;
    reply.top();
    reply.row(format("Last %d unnukes", count));
    reply.line("|----------------+------------------------------+----------------+--------|");
    int shown = 0;
    for (auto entry = unnukeLog.rbegin(); entry != unnukeLog.rend() && shown < count; ++entry, ++shown) {
        reply.line("| " + padRight(entry->date, 14, true) + " | " + padRight(entry->release, 28, true) +
                   " | " + padRight(entry->reason, 14, true) + " | " + padRight(entry->nuker, 6, true) + " |");
    }
    reply.bottom();
    return reply.end("Command Successful.");
}

Reply SimulatedSite::search(const CommandWords& words) {
    if (words.size() < 3) {
        return syntax("SITE SEARCH <pattern>");
    }
    const std::string pattern = words.rest(2);
    ReplyBuilder reply;
    int found = 0;
    for (const Release& release : releaseList) {
        if (searchMatch(pattern, release.name)) {
            reply.line(release.section + "/" + release.name +
                       format(" (%dF/%.1fM)", release.files, release.sizeMb));
            ++found;
        }
    }
    if (found == 0) {
        return oneLine("No directories matched '" + pattern + "'.");
    }
    return reply.end(format("%d director%s found.", found, found == 1 ? "y" : "ies"));
}

Reply SimulatedSite::dupe(const CommandWords& words) {
    if (words.size() < 3) {
        return syntax("SITE DUPE <pattern>");
    }
    const std::string pattern = words.rest(2);
    ReplyBuilder reply;
    int found = 0;
    for (const std::string& entry : dupeLog) {
        if (searchMatch(pattern, entry)) {
            reply.line("Dupe: " + entry);
            ++found;
        }
    }
    if (found == 0) {
        return oneLine("No dupes found for '" + pattern + "'.");
    }
    return reply.end(format("%d dupe(s) found.", found));
}

Reply SimulatedSite::undupe(const CommandWords& words) {
    if (words.size() < 3) {
        return syntax("SITE UNDUPE <filename>");
    }
    const std::string pattern = words.rest(2);
    const std::size_t before = dupeLog.size();
    dupeLog.erase(std::remove_if(dupeLog.begin(), dupeLog.end(),
                                 [&](const std::string& entry) { return wildcardMatch(pattern, entry); }),
                  dupeLog.end());
    const std::size_t removed = before - dupeLog.size();
    if (removed == 0) {
        return oneLine("No dupe entries matched '" + pattern + "'.");
    }
    logChange("undupe of " + pattern);
    return oneLine(format("Undupe of '%s': %zu entr%s removed.", pattern.c_str(), removed,
                          removed == 1 ? "y" : "ies"));
}

Reply SimulatedSite::nuke(const CommandWords& words) {
    if (words.size() < 5) {
        return syntax("SITE NUKE <directory> <multiplier> <reason>");
    }
    const std::string target = baseName(words[2]);
    std::int64_t multiplier = 0;
    if (!parseInteger(words[3], 0, 100, multiplier)) {
        return oneLine("Invalid multiplier '" + words[3] + "'.");
    }
    const auto found = std::find_if(releaseList.begin(), releaseList.end(),
                                    [&](const Release& r) { return r.name == target; });
    if (found == releaseList.end()) {
        return oneLine("Directory " + words[2] + " does not exist.");
    }
    if (found->nuked) {
        return oneLine(found->name + " is already nuked.");
    }
    const std::string reason = words.rest(4);
    found->originalName = found->name;
    found->name = "NUKED-" + found->name;
    found->nuked = true;
    nukeLog.push_back({stamp("%m-%d-%y %H:%M"), found->originalName, static_cast<int>(multiplier), reason,
                       operatorAccount, found->sizeMb});
    ReplyBuilder reply;
    reply.line(format("Nuked %s x%d (reason: %s).", found->originalName.c_str(), static_cast<int>(multiplier),
                      reason.c_str()));
    SiteUser* uploader = user(found->user);
    if (uploader != nullptr) {
        const double lostMb = found->sizeMb * static_cast<double>(multiplier);
        uploader->timesNuked += 1;
        uploader->bytesNukedMb += static_cast<std::int64_t>(lostMb);
        reply.line(format("%s loses %.1f MB of credits.", uploader->name.c_str(), lostMb));
    }
    reply.line("Directory renamed to " + found->name + ".");
    return reply.end("NUKE of " + found->originalName + " successful.");
}

Reply SimulatedSite::unnuke(const CommandWords& words) {
    if (words.size() < 4) {
        return syntax("SITE UNNUKE <directory> <reason>");
    }
    const std::string target = baseName(words[2]);
    const auto found = std::find_if(releaseList.begin(), releaseList.end(), [&](const Release& r) {
        return r.nuked && (r.name == target || r.originalName == target);
    });
    if (found == releaseList.end()) {
        return oneLine("No nuked directory " + words[2] + " found.");
    }
    found->name = found->originalName;
    found->nuked = false;
    const std::string reason = words.rest(3);
    unnukeLog.push_back({stamp("%m-%d-%y %H:%M"), found->name, 0, reason, operatorAccount, found->sizeMb});
    ReplyBuilder reply;
    reply.line("Unnuked " + found->name + " (reason: " + reason + ").");
    return reply.end("UNNUKE of " + found->name + " successful.");
}

Reply SimulatedSite::msg(const CommandWords& words) {
    const std::string target = words[2];
    if (upperCase(target) == "READ") {
        SiteUser& me = *user(operatorAccount);
        if (me.messages.empty()) {
            return oneLine("You have no messages.");
        }
        ReplyBuilder reply;
        for (const Message& message : me.messages) {
            reply.line("From: " + message.from + " (" + message.when + ")");
            reply.line("  " + message.text);
            reply.line("");
        }
        const std::size_t count = me.messages.size();
        me.messages.clear();
        return reply.end(format("%zu message(s) read.", count));
    }
    if (words.size() < 4) {
        return syntax("SITE MSG <user|=group|*> <message>");
    }
    const Message message{operatorAccount, now(), words.rest(3)};
    if (target == "*") {
        int sent = 0;
        for (SiteUser& account : userList) {
            if (!account.deleted() && account.name != operatorAccount) {
                account.messages.push_back(message);
                ++sent;
            }
        }
        return oneLine(format("Message sent to %d user(s).", sent));
    }
    if (target[0] == '=') {
        const std::string groupName = target.substr(1);
        if (findGroup(groupName) == nullptr) {
            return oneLine("Group (" + groupName + ") does not exist.");
        }
        int sent = 0;
        for (SiteUser& account : userList) {
            if (!account.deleted() && account.inGroup(groupName)) {
                account.messages.push_back(message);
                ++sent;
            }
        }
        return oneLine(format("Message sent to %d member(s) of ", sent) + groupName + ".");
    }
    SiteUser* account = user(target);
    if (account == nullptr) {
        return oneLine("User " + target + " does not exist.");
    }
    account->messages.push_back(message);
    return oneLine("Message sent to " + account->name + ".");
}

}  // namespace simsite
