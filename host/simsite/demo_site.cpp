// The demo contents: a small but lively site, so that every page has
// something real to show.
#include <cstdint>

#include "host/simsite/simulated_site.h"
#include "host/simsite/site_text.h"

namespace simsite {

namespace {

struct DemoAccount {
    const char* name;
    const char* groups;        // blank-separated, the first is the primary group
    const char* privateGroups;
    const char* flags;
    int ratio;
    int creditsMb;
    int allotmentMb;
    int maxLogins;
    int gadminSlots;
    int leechSlots;
    int maxDownloadSpeed;
    const char* tagline;
    const char* masks;         // blank-separated
    const char* lastSeen;
};

const DemoAccount demoAccounts[] = {
    {"alice", "friends testers", "STAFF", "3ABC", 3, 2869, 1024, 3, 2, 5, 250, "No Tagline Set",
     "*@127.0.0.1 alice@198.51.100.17 *@192.0.2.*", "Sat Mar 14 21:04:11 2026"},
    {"bob", "friends", "", "3", 3, 512, 0, 2, 0, 0, 0, "bob was here", "*@203.0.113.8",
     "Sat Mar 14 19:47:02 2026"},
    {"carol", "couriers", "", "3D", 3, 15360, 0, 4, 0, 0, 0, "racing since 1999",
     "carol@198.51.100.* *@10.1.1.20", "Sat Mar 14 21:12:40 2026"},
    {"charlie", "couriers", "", "3", 3, 740, 0, 2, 0, 0, 0, "No Tagline Set", "*@198.18.0.44",
     "Fri Mar 13 23:05:19 2026"},
    {"dave", "affils", "", "3", 0, 0, 0, 2, 0, 0, 0, "affil ftp for GRP", "dave@192.0.2.77",
     "Fri Mar 13 18:30:00 2026"},
    {"erin", "friends", "VIP", "37", 2, 8120, 0, 3, 0, 0, 0, "erin <3 glftpd", "*@198.51.100.90",
     "Sat Mar 14 08:01:55 2026"},
    {"frank", "archive", "", "3", 3, 98, 0, 1, 0, 0, 0, "No Tagline Set", "frank@203.0.113.*",
     "Thu Mar 12 11:11:11 2026"},
    {"grace", "couriers testers", "", "3", 3, 4410, 0, 2, 0, 0, 0, "fast and quiet", "*@10.20.30.40",
     "Sat Mar 14 20:20:20 2026"},
    {"heidi", "affils", "", "3", 0, 0, 0, 2, 0, 0, 0, "No Tagline Set", "*@192.0.2.140",
     "Wed Mar 11 14:00:00 2026"},
    {"ivan", "leechers", "", "3", 0, 0, 0, 1, 0, 0, 120, "just looking", "ivan@198.18.7.*",
     "Tue Mar 10 09:09:09 2026"},
    {"judy", "friends", "STAFF", "23ABCDEFGH", 3, 30720, 0, 5, 5, 2, 0, "gadmin of friends",
     "judy@198.51.100.5 *@10.0.0.*", "Sat Mar 14 21:30:00 2026"},
    {"mallory", "couriers", "", "3", 3, 12, 0, 2, 0, 0, 0, "No Tagline Set", "*@203.0.113.66",
     "Mon Mar 09 02:02:02 2026"},
    {"niaj", "archive", "", "3", 3, 2200, 0, 2, 0, 0, 0, "old school", "niaj@192.0.2.*",
     "Sat Mar 14 12:34:56 2026"},
    {"olivia", "friends", "", "3", 3, 640, 0, 2, 0, 0, 0, "No Tagline Set", "*@198.51.100.201",
     "Fri Mar 13 07:45:00 2026"},
    {"peggy", "couriers", "", "3", 3, 5120, 0, 3, 0, 0, 0, "peggy races", "*@10.9.8.7",
     "Sat Mar 14 17:17:17 2026"},
    {"rupert", "testers", "", "3", 3, 33, 0, 2, 0, 0, 0, "No Tagline Set", "rupert@198.18.0.*",
     "Thu Mar 12 16:00:00 2026"},
    {"sybil", "affils", "", "3", 0, 0, 0, 2, 0, 0, 0, "affil ftp for SYB", "*@192.0.2.33",
     "Sat Mar 14 10:10:10 2026"},
    {"trent", "friends", "STAFF", "1", 0, 0, 0, 0, -1, -1, 0, "cosysop", "*@127.0.0.1 trent@10.0.0.2",
     "Sat Mar 14 21:35:00 2026"},
    {"victor", "couriers", "", "3", 3, 1900, 0, 2, 0, 0, 0, "No Tagline Set", "*@198.51.100.120",
     "Fri Mar 13 21:21:21 2026"},
    {"walter", "archive", "VIP", "3", 3, 100000, 0, 2, 0, 0, 0, "keeper of the archive",
     "walter@203.0.113.9", "Sat Mar 14 06:06:06 2026"},
    {"xavier", "leechers", "", "3I", 0, 0, 0, 1, 0, 0, 64, "No Tagline Set", "*@198.18.99.1",
     "Sun Mar 08 19:19:19 2026"},
    {"yvonne", "friends testers", "", "3", 3, 777, 0, 2, 0, 0, 0, "No Tagline Set", "*@10.44.0.*",
     "Sat Mar 14 15:15:15 2026"},
    {"zoe", "couriers", "", "3", 3, 2600, 0, 2, 0, 0, 0, "zoe zooms", "zoe@192.0.2.250",
     "Sat Mar 14 21:00:00 2026"},
    {"quentin", "friends", "", "3", 3, 300, 0, 2, 0, 0, 0, "No Tagline Set", "*@203.0.113.140",
     "Thu Mar 12 22:22:22 2026"},
    {"ursula", "testers", "", "3", 3, 50, 0, 2, 0, 0, 0, "testing 1 2 3", "*@198.51.100.33",
     "Wed Mar 11 03:03:03 2026"},
    {"oscar", "archive", "", "3", 3, 1500, 0, 2, 0, 0, 0, "No Tagline Set", "oscar@10.10.10.*",
     "Fri Mar 13 13:13:13 2026"},
    {"newbie01", "", "", "3", 3, 15, 0, 1, 0, 0, 0, "No Tagline Set", "", "Never"},
    {"olduser", "archive", "", "36", 3, 0, 0, 2, 0, 0, 0, "gone but not purged", "*@192.0.2.9",
     "Sun Jan 04 10:00:00 2026"},
};

std::vector<std::string> splitWords(const char* text) {
    std::vector<std::string> words;
    const CommandWords split(text);
    for (std::size_t i = 0; i < split.size(); ++i) {
        words.push_back(split[i]);
    }
    return words;
}

// A small deterministic generator, so that every run shows the same figures.
class Figures {
public:
    explicit Figures(const std::string& seedText) {
        for (char c : seedText) {
            state = state * 131u + static_cast<unsigned char>(c);
        }
    }
    std::uint32_t next(std::uint32_t below) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % below;
    }

private:
    std::uint32_t state = 2166136261u;
};

Transfer transferFor(Figures& figures, int scale) {
    Transfer t;
    t.uploadFiles = static_cast<int>(figures.next(60)) * scale;
    t.uploadKb = static_cast<std::int64_t>(t.uploadFiles) * (5000 + figures.next(20000));
    t.downloadFiles = static_cast<int>(figures.next(40)) * scale;
    t.downloadKb = static_cast<std::int64_t>(t.downloadFiles) * (5000 + figures.next(20000));
    return t;
}

}  // namespace

void SimulatedSite::loadDemo() {
    addGroup("friends", "Friends of the site", false);
    addGroup("couriers", "Racers and couriers", false);
    addGroup("affils", "Affiliated groups", false);
    addGroup("archive", "Archive keepers", false);
    addGroup("testers", "Beta testers", false);
    addGroup("leechers", "Leech accounts", false);
    addGroup("NoGroup", "No Group", false);
    addGroup("STAFF", "Site staff", true);
    addGroup("VIP", "Very important people", true);

    {
        SiteUser& op = *user(operatorAccount);
        op.ipMasks = {"*@127.0.0.1"};
        op.lastSeen = "Sat Mar 14 21:36:40 2026";
        op.totalLogins = 1204;
    }

    for (const DemoAccount& demo : demoAccounts) {
        SiteUser& account = addAccount(demo.name, std::string(demo.name) + "-pass");
        account.groups = splitWords(demo.groups);
        account.privateGroups = splitWords(demo.privateGroups);
        account.flags = demo.flags;
        if (account.hasFlag('2') && !account.groups.empty()) {
            account.adminGroups.push_back(account.groups.front());  // the group they run
        }
        account.ratio = demo.ratio;
        account.creditsKb = static_cast<std::int64_t>(demo.creditsMb) * 1024 + (demo.creditsMb % 7) * 102;
        account.weeklyAllotmentKb = static_cast<std::int64_t>(demo.allotmentMb) * 1024;
        account.maxLogins = demo.maxLogins;
        account.gadminSlots = demo.gadminSlots;
        account.leechSlots = demo.leechSlots;
        account.maxDownloadSpeed = demo.maxDownloadSpeed;
        account.tagline = demo.tagline;
        account.ipMasks = splitWords(demo.masks);
        account.lastSeen = demo.lastSeen;
        Figures figures(demo.name);
        account.created = format("%02u-%02u-%02u", 1 + figures.next(12), 1 + figures.next(28), 18 + figures.next(8));
        account.totalLogins = static_cast<int>(figures.next(900));
        if (account.lastSeen == "Never") {
            continue;  // never logged in: nothing transferred
        }
        account.today = transferFor(figures, 1);
        account.week = transferFor(figures, 4);
        account.month = transferFor(figures, 12);
        account.allTime = transferFor(figures, 60);
        account.week.uploadFiles += account.today.uploadFiles;
        account.week.uploadKb += account.today.uploadKb;
    }
    user("alice")->timesNuked = 1;
    user("alice")->bytesNukedMb = 350;
    loadDemoAdministration();

    addConnection({4711, "glftpd", "*@127.0.0.1", "0m 28s", "0m 13s", "none", "SITE WHO"});
    addConnection({4690, "alice", "alice@198.51.100.17", "12m 40s", "4m 10s", "ctrl", "IDLE for 4m 10s"});
    addConnection({4702, "carol", "carol@198.51.100.9", "1h 2m", "0m 2s", "both", "STOR Linux.Distro.ISO-GRP.r07"});
    addConnection({4733, "judy", "judy@198.51.100.5", "33m 5s", "10m 0s", "ctrl", "IDLE for 10m 0s"});
    addConnection({4741, "trent", "*@127.0.0.1", "2m 12s", "1m 1s", "both", "RETR readme.nfo"});
    addConnection({4748, "zoe", "zoe@192.0.2.250", "0m 50s", "0m 5s", "both", "LIST -al"});

    SiteUser& op = *user(operatorAccount);
    op.messages.push_back({"judy", "Sat Mar 14 20:51:09 2026", "Can you give bob a week of credits? He filled the archive."});
    op.messages.push_back({"trent", "Sat Mar 14 21:33:47 2026", "Backup of the userfiles done, all fine."});
    user("bob")->messages.push_back({"judy", "Fri Mar 13 22:00:00 2026", "Welcome to friends!"});

    const struct {
        const char* name;
        const char* date;
        const char* uploader;
        int files;
        double sizeMb;
    } demoReleases[] = {
        {"Ubuntu.24.04.Server.ISO-LNX", "03-12-26 09:14", "carol", 56, 2788.4},
        {"Old.Archive.Pack.1998-ARC", "03-12-26 14:02", "walter", 120, 6021.0},
        {"Some.Release-GRP", "03-13-26 11:30", "alice", 24, 1190.2},
        {"Debian.12.Netinst-LNX", "03-13-26 18:44", "peggy", 9, 658.0},
        {"Conference.Talks.2025-TLK", "03-13-26 22:10", "grace", 31, 4210.7},
        {"Linux.Distro.ISO-GRP", "03-14-26 08:05", "carol", 72, 3604.9},
        {"Classic.Album.Remaster-MUS", "03-14-26 12:12", "zoe", 15, 512.5},
        {"Photo.Collection.Spring-PIC", "03-14-26 16:40", "yvonne", 210, 1849.3},
        {"Another.Release-GRP", "03-14-26 20:59", "alice", 18, 940.0},
    };
    for (const auto& demo : demoReleases) {
        Release release;
        release.name = demo.name;
        release.section = "/site/incoming";
        release.date = demo.date;
        release.user = demo.uploader;
        const SiteUser* uploader = findUser(demo.uploader);
        release.group = uploader != nullptr && !uploader->groups.empty() ? uploader->groups.front() : "NoGroup";
        release.files = demo.files;
        release.sizeMb = demo.sizeMb;
        addRelease(release);
    }
    // One release already nuked, and older names the dupe log still knows.
    Release& nuked = releaseList[1];
    nuked.originalName = nuked.name;
    nuked.name = "NUKED-" + nuked.name;
    nuked.nuked = true;
    nukeLog.push_back({"03-12-26 15:00", nuked.originalName, 3, "incomplete", "trent", nuked.sizeMb});
    unnukeLog.push_back({"03-11-26 10:20", "Fixed.Release.Proper-GRP", 0, "fixed with proper", "judy", 700.0});
    dupeLog.insert(dupeLog.begin(), {"Fixed.Release.Proper-GRP", "Some.Release.Beta-GRP", "Linux.Distro.ISO-OLD"});

    requestList = {"Linux.Kernel.Sources.6.8 (requested by bob)",
                   "Conference.Talks.2024-TLK (requested by erin)",
                   "Any.Good.Documentary (requested by ivan)"};
    welcomeText = {
        "  ____                       ____  _ _",
        " |  _ \\  ___ _ __ ___   ___ / ___|(_) |_ ___",
        " | | | |/ _ \\ '_ ` _ \\ / _ \\\\___ \\| | __/ _ \\",
        " | |_| |  __/ | | | | | (_) |___) | | ||  __/",
        " |____/ \\___|_| |_| |_|\\___/|____/|_|\\__\\___|",
        "",
        " Welcome to " + name + ". Read SITE RULES before you upload.",
    };
    rulesText = {
        "1. No uploads outside /site/incoming.",
        "2. Complete releases only; incomplete ones get nuked x3.",
        "3. Ratio 1:3 unless you are an affil.",
        "4. Be nice to the staff.",
    };
    loginLog = {
        "Sat Mar 14 20:01:12 2026 LOGIN: alice@198.51.100.17 (alice) friends \"No Tagline Set\"",
        "Sat Mar 14 20:12:45 2026 LOGIN: carol@198.51.100.9 (carol) couriers \"racing since 1999\"",
        "Sat Mar 14 20:58:03 2026 LOGIN: judy@198.51.100.5 (judy) friends \"gadmin of friends\"",
        "Sat Mar 14 21:33:01 2026 LOGIN: *@127.0.0.1 (trent) friends \"cosysop\"",
        "Sat Mar 14 21:35:59 2026 LOGIN: zoe@192.0.2.250 (zoe) couriers \"zoe zooms\"",
        "Sat Mar 14 21:36:40 2026 LOGIN: *@127.0.0.1 (glftpd) glftpd \"Glftpd default user\"",
    };
    changeLog = {
        "Fri Mar 13 22:00:00 2026 judy: added bob to friends",
        "Sat Mar 14 10:15:00 2026 trent: changed ratio of ivan to Unlimited",
    };
}

// What the 2.x server keeps beyond the older one: group slots and comments,
// and account settings (expiry, timeframe, limits, comments). The older
// server's screens show none of it.
void SimulatedSite::loadDemoAdministration() {
    const struct {
        const char* name;
        const char* comment;
        int slots;
        int leechSlots;
        int allotSlots;
        std::int64_t maxAllotSizeKb;
        int maxLogins;
    } demoGroups[] = {
        {"friends", "Friends of the site: be nice, upload often", 12, 2, 3, 102400, 10},
        {"couriers", "Racers: pre-time under a minute", 5, 0, 2, 51200, 8},
        {"affils", "Affiliated release groups", -1, -1, 0, 0, 0},
        {"archive", "Keepers of the old releases", 0, -2, -2, 0, 4},
        {"testers", "Beta testers of new sections", 3, 1, 1, 10240, 3},
        {"leechers", "Leech accounts, watch them", 2, -1, -2, 0, 2},
    };
    for (const auto& demo : demoGroups) {
        SiteGroup& entry = *group(demo.name);
        entry.comment = demo.comment;
        entry.slots = demo.slots;
        entry.leechSlots = demo.leechSlots;
        entry.allotSlots = demo.allotSlots;
        entry.maxAllotSizeKb = demo.maxAllotSizeKb;
        entry.maxLogins = demo.maxLogins;
    }
    SiteUser& carol = *user("carol");
    carol.comment = "Top courier, ask before moving her";
    carol.maxSimUploads = 3;
    carol.maxSimDownloads = 2;
    carol.idleTime = 30;
    SiteUser& erin = *user("erin");
    erin.expires = "2027-06-30";
    erin.comment = "Guest account until summer";
    SiteUser& ivan = *user("ivan");
    ivan.timeframeFrom = 2;
    ivan.timeframeTo = 8;
    ivan.maxSimDownloads = 1;
    ivan.comment = "Leech on probation";
    SiteUser& xavier = *user("xavier");
    xavier.idleTime = 0;
    xavier.expires = "2026-12-31";
    SiteUser& dave = *user("dave");
    dave.timeframeFrom = 8;
    dave.timeframeTo = 20;
    user("olduser")->comment = "Left in January, kept for the stats";
    user("judy")->comment = "Runs friends";
}

}  // namespace simsite
