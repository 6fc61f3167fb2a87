#pragma once
// An in-memory glftpd site: accounts, groups, connections, messages and
// release directories, answering SITE command lines with the replies the
// server sends ("200- " lines, the last one "200 ..."). The reference host
// talks to it instead of a server, and the UI tests can put it behind their
// scripted site.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/session/site_link.h"

namespace simsite {

// The simulation answers as any site does.
using session::Reply;
using session::SiteLink;

class CommandWords;


// Transfer totals of one period, in kilobytes.
struct Transfer {
    std::int64_t uploadKb = 0;
    std::int64_t downloadKb = 0;
    int uploadFiles = 0;
    int downloadFiles = 0;
};

struct Message {
    std::string from;
    std::string when;
    std::string text;
};

struct SiteUser {
    std::string name;
    std::string password;
    int ratio = 3;                   // 0: leech
    int maxLogins = 2;               // 0: unlimited
    int maxLoginsSameIp = 0;         // 0: unlimited
    std::int64_t weeklyAllotmentKb = 0;
    std::int64_t creditsKb = 0;
    int timeLimitMinutes = 0;        // 0: unlimited
    int gadminSlots = 0;             // -1: unlimited
    int leechSlots = 0;              // -1: unlimited
    int maxUploadSpeed = 0;          // K/s, 0: unlimited
    int maxDownloadSpeed = 0;        // K/s, 0: unlimited
    std::string tagline = "No Tagline Set";
    std::string flags = "3";         // digits first, then letters, each once
    std::vector<std::string> ipMasks;  // IP0 first, at most ten
    std::vector<std::string> groups;
    std::vector<std::string> privateGroups;
    std::vector<std::string> adminGroups;  // groups this user is group admin of
    std::string created = "03-14-26";
    std::string lastSeen = "Never";
    int totalLogins = 0;
    int timesNuked = 0;
    std::int64_t bytesNukedMb = 0;
    Transfer today;
    Transfer week;
    Transfer month;
    Transfer allTime;
    std::vector<Message> messages;
    // Settings the 2.x server keeps per account (SITE CHANGE, shown by SITE USER).
    std::string comment;             // "User Comment:" above the screen
    std::string addedBy = "glftpd";
    std::string expires;             // "YYYY-MM-DD"; empty: never
    int timeframeFrom = 0;           // hours; 0 0: any time
    int timeframeTo = 0;
    int idleTime = -1;               // minutes; -1: disabled
    int maxSimUploads = -1;          // -1: unlimited
    int maxSimDownloads = -1;
    std::string homeDir = "/site";
    std::string startupDir;

    bool hasFlag(char flag) const { return flags.find(flag) != std::string::npos; }
    bool deleted() const { return hasFlag('6'); }
    bool inGroup(const std::string& group) const;
};

struct SiteGroup {
    std::string name;
    std::string description;
    bool isPrivate = false;
    // The 2.x group settings (SITE GRP, SITE GRPCHANGE), numbers as stored.
    std::string comment;             // "Added by <siteop>" until changed
    int slots = -1;                  // slots left; -1: unlimited
    int leechSlots = 0;              // -1: unlimited, -2: disabled
    int allotSlots = 0;              // -1: unlimited, -2: disabled
    std::int64_t maxAllotSizeKb = 0; // 0: unlimited
    int maxLogins = 0;               // 0: unlimited
};

struct Connection {
    int pid = 0;
    std::string user;
    std::string identHost;
    std::string online;     // "12m 40s"
    std::string idle;
    std::string cryption;   // "none", "ctrl", "both"
    std::string action;     // what WHO shows
};

// A session's transfer, shown by WHO as "UL: file at 98.0KiB/s" in place of
// its action.
struct SessionTransfer {
    char direction = 0;     // 'U' upload, 'D' download
    std::string file;
    double speedKiBs = 0;
};

struct Release {
    std::string name;       // directory name as it stands now
    std::string section;    // "/site/incoming"
    std::string date;       // "03-14-26 21:05"
    std::string user;
    std::string group;
    int files = 0;
    double sizeMb = 0.0;
    bool nuked = false;
    std::string originalName;  // before the nuke renamed it
};

struct NukeEntry {
    std::string date;
    std::string release;
    int multiplier = 0;
    std::string reason;
    std::string nuker;
    double sizeMb = 0.0;
};

class SimulatedSite : public SiteLink {
public:
    enum class Contents { Demo, Empty };
    // Which server the site answers as: glftpd 1.x, or 2.x (today's), whose
    // account screen, refusals and per-group slots differ. Only 2.x answers
    // the group and account administration (GRP, GRPCHANGE, GINFO, CHGADMIN,
    // RENUSER, GADDUSER; USERS, CHANGE, READD and PURGE in its own way); to
    // 1.x those are commands it does not understand, as before.
    enum class Generation { Glftpd1, Glftpd2 };

    // The demo site: a few dozen users over several groups, some of them
    // online, a siteop operator with messages waiting, releases and nukes.
    // An empty site holds only the operator account and its group.
    explicit SimulatedSite(Contents contents = Contents::Demo);

    // One command line as the host would send it ("SITE USER alice").
    Reply handle(const std::string& commandLine);
    // As a site behind the host: every command is answered.
    bool exchange(const std::string& command, Reply& reply, std::string&) override {
        reply = handle(command);
        return true;
    }
    bool isOpen() const override { return true; }

    // The account every command runs as.
    const std::string& operatorName() const { return operatorAccount; }
    const std::string& siteName() const { return name; }
    Generation generation() const { return serverGeneration; }
    void setGeneration(Generation value) { serverGeneration = value; }
    // With flag 5 on the operator account every reply line comes wrapped in
    // ANSI colour sequences, as the server does for an account with colours.
    void setOperatorColours(bool on);
    void setSiteName(const std::string& siteName) { name = siteName; }

    // Commands the operator may not use answer "You do not have access to
    // this command." (one line). SWHO is the one the plug-in falls back from.
    void setCommandAllowed(const std::string& keyword, bool allowed);
    void setSwhoAllowed(bool allowed) { setCommandAllowed("SWHO", allowed); }

    // Sessions that come and go: after each SITE WHO the site moves on a
    // step (about five seconds of the site's life): times online and idle
    // grow, transfers change speed, a visitor logs in or out, an upload
    // ends and another starts. Off: the sessions stay as they were added.
    void setSessionsAlive(bool alive);
    // Adds `count` sessions (PIDs from 20000), some transferring: a busy site.
    void addBusySessions(int count);

    const std::vector<SiteUser>& users() const { return userList; }
    const std::vector<SiteGroup>& groups() const { return groupList; }
    const std::vector<Connection>& connections() const { return connectionList; }
    const std::vector<Release>& releases() const { return releaseList; }
    const std::vector<NukeEntry>& nukes() const { return nukeLog; }
    const std::vector<NukeEntry>& unnukes() const { return unnukeLog; }
    const std::vector<std::string>& dupes() const { return dupeLog; }
    const SiteUser* findUser(const std::string& userName) const;
    const SiteGroup* findGroup(const std::string& groupName) const;

    // Building blocks for the demo contents and for tests.
    SiteUser& addAccount(const std::string& userName, const std::string& password);
    SiteUser* editUser(const std::string& userName) { return user(userName); }
    void addGroup(const std::string& groupName, const std::string& description, bool isPrivate);
    void addConnection(const Connection& connection);
    void addRelease(const Release& release);

private:
    typedef Reply (SimulatedSite::*Handler)(const CommandWords& words);
    struct Command {
        const char* keyword;
        Handler handler;
    };
    static const Command commandTable[];

    SiteUser* user(const std::string& userName);
    SiteGroup* group(const std::string& groupName);
    SiteUser& operatorUser();
    void logChange(const std::string& text);
    std::string now() const;
    std::string stamp(const char* pattern) const;  // strftime of the local time

    void loadDemo();
    void loadDemoAdministration();
    Reply answer(const std::string& commandLine);
    bool newer() const { return serverGeneration == Generation::Glftpd2; }
    Reply notUnderstood() const;
    SiteGroup* publicGroup(const std::string& groupName);

    // Accounts.
    Reply groupsListing(const CommandWords& words);
    Reply userCommand(const CommandWords& words);
    Reply userListing();
    Reply accountScreen(const SiteUser& account);
    Reply unreadableAccount(const std::string& userName) const;
    Reply addUser(const CommandWords& words);
    Reply addIp(const CommandWords& words);
    Reply delIp(const CommandWords& words);
    Reply change(const CommandWords& words);
    Reply chpass(const CommandWords& words);
    Reply chgrp(const CommandWords& words);
    Reply delUser(const CommandWords& words);
    Reply readd(const CommandWords& words);
    Reply give(const CommandWords& words);
    Reply take(const CommandWords& words);
    Reply purge(const CommandWords& words);
    Reply seen(const CommandWords& words);
    Reply usersListing(const CommandWords& words);
    Reply userStats(const CommandWords& words);

    // Accounts as the 2.x server administers them (account_admin.cpp).
    Reply detailedUserListing(const CommandWords& words);
    Reply changeAccounts(const CommandWords& words);
    Reply changeOneAccount(SiteUser& account, const std::string& field, const CommandWords& words,
                           std::size_t valueAt);
    Reply readdAccount(const CommandWords& words);
    Reply purgeAccounts(const CommandWords& words);
    Reply renameUser(const CommandWords& words);
    Reply groupAddUser(const CommandWords& words);

    // Groups.
    Reply grpAdd(const CommandWords& words);
    Reply grpNfo(const CommandWords& words);
    Reply grpRen(const CommandWords& words);
    Reply grpDel(const CommandWords& words);
    // The 2.x group administration (group_admin.cpp).
    Reply groupSettings(const CommandWords& words);
    Reply changeGroups(const CommandWords& words);
    Reply groupInfo(const CommandWords& words);
    Reply changeGroupAdmin(const CommandWords& words);

    // Who is online.
    Reply swho(const CommandWords& words);
    Reply who(const CommandWords& words);
    Reply kick(const CommandWords& words);
    Reply kill(const CommandWords& words);
    void liveOneStep();
    std::string whoAction(const Connection& connection) const;

    // Statistics listings.
    Reply statistics(const CommandWords& words);

    // Site texts, logs, releases and messages.
    Reply logins(const CommandWords& words);
    Reply userChanges(const CommandWords& words);
    Reply lastOn(const CommandWords& words);
    Reply welcome(const CommandWords& words);
    Reply rules(const CommandWords& words);
    Reply version(const CommandWords& words);
    Reply time(const CommandWords& words);
    Reply requests(const CommandWords& words);
    Reply newDirs(const CommandWords& words);
    Reply nukesListing(const CommandWords& words);
    Reply unnukesListing(const CommandWords& words);
    Reply search(const CommandWords& words);
    Reply dupe(const CommandWords& words);
    Reply undupe(const CommandWords& words);
    Reply nuke(const CommandWords& words);
    Reply unnuke(const CommandWords& words);
    Reply msg(const CommandWords& words);

    std::string name = "DemoSite";
    Generation serverGeneration = Generation::Glftpd1;
    std::string operatorAccount = "glftpd";
    std::vector<SiteUser> userList;
    std::vector<SiteGroup> groupList;
    std::vector<Connection> connectionList;
    std::vector<Release> releaseList;
    std::vector<NukeEntry> nukeLog;
    std::vector<NukeEntry> unnukeLog;
    std::vector<std::string> dupeLog;
    std::vector<std::string> requestList;
    std::vector<std::string> welcomeText;
    std::vector<std::string> rulesText;
    std::vector<std::string> loginLog;
    std::vector<std::string> changeLog;
    std::set<std::string> deniedCommands;
    bool sessionsAlive = false;
    std::map<int, SessionTransfer> transfers;  // by PID
    int lifeStep = 0;
    std::size_t maxAccounts = 500;
    // The credits of a new account on the 2.x server (its stock default.user).
    static constexpr std::int64_t newAccountCreditsKb = 15000;
    std::string currentKeyword;
    std::string currentLine;
};

}  // namespace simsite
