#pragma once
// Who is on the site: SITE SWHO (PID, user, ident@host, time online, idle
// time, TLS) and SITE WHO (user, group, tagline, what the session does; the
// total speeds and the sessions of the maximum) read from glftpd's tables,
// with colours or without, and joined into one row per session.
#include <string>
#include <string_view>
#include <vector>

#include "host/session/site_link.h"

namespace glance {

struct SwhoRow {
    std::string pid, user, identHost, online, idle, tls;
};

struct WhoRow {
    std::string user, group, tagline, action;
};

struct WhoTotals {
    bool speedsKnown = false;
    double uploadKiBs = 0, downloadKiBs = 0;
    int online = -1, maximum = -1;  // "6 of 20 User(s) Currently Online"; -1 when not said
};

// SITE SWHO: the rows after the heading's rule, up to the table's end (rules
// between rows are skipped). False, with the reason, for a refusal or a reply
// that is no such table.
bool readSwho(const session::Reply& reply, std::vector<SwhoRow>& rows, std::string& failure);
// SITE WHO: the rows between the first and the second rule below the
// heading, then the totals.
bool readWho(const session::Reply& reply, std::vector<WhoRow>& rows, WhoTotals& totals, std::string& failure);

// Whether the reply is the server's refusal of the command to this account.
bool isRefusal(const session::Reply& reply);

enum class Activity { Idle, Upload, Download, Command, Unknown };

// What WHO's action says: "UL: name at 98.0KiB/s", "DL: name at 968.0KiB/"
// (cut by its column), "IDLE for 0m 12s", any other text a command.
struct Action {
    Activity activity = Activity::Unknown;
    std::string file;         // the transfer's file as the server shows it (cut)
    double speedKiBs = -1;    // the transfer's speed; -1 when none
};
Action readAction(std::string_view action);

struct Session {
    std::string pid;  // empty: not known (WHO alone)
    std::string user, group, tagline, identHost, online, idle, tls, action;
    Action doing;
    long onlineSeconds = -1, idleSeconds = -1;
};

// One row per session. SWHO and WHO walk the server's table of sessions in
// the same order: a WHO row goes with the next SWHO row of the same user
// (names are cut alike by both). A session that came or went between the two
// commands is shown with what one of them gave.
std::vector<Session> joinSessions(const std::vector<SwhoRow>& swho, const std::vector<WhoRow>& who);

// Doing: "UL: file" / "DL: file" for a transfer, "idle", or the command.
enum class SessionColumn { Pid, User, Group, IdentHost, Online, Idle, Tls, Doing, Speed };
constexpr int sessionColumnCount = 9;
// The cell the list shows.
std::string sessionCell(const Session& session, SessionColumn column);
// Sorted by the column (numbers as numbers: PID, times, speed); ties keep
// their order.
void sortSessions(std::vector<Session>& sessions, SessionColumn column, bool ascending);

// What the server answered to SITE KICK or SITE KILL: true when it ended a
// session ("Killed 1 connection.", "PID 4711 (eve) killed.", "4711:
// Killed."); `words` holds its last line's text.
bool sessionEnded(const session::Reply& reply, std::string& words);

// Whether the name fills the table's user column (9 characters): the server
// may have cut it.
bool mayBeCut(std::string_view user);

}  // namespace glance
