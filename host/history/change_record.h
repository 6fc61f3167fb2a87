#pragma once
// The change record: one line for each command the host sent that could
// change a site, kept for the site it went to, in a text file a person
// reads in Notepad and a script reads line by line (UTF-8).
//
// A line holds seven fields, separated by tabs:
//   time      the local time with its offset, 2026-12-08T05:12:03+01:00
//   account   the user the host was logged in as
//   page      where the command came from (a page, the nuke dialog)
//   command   as sent, its password masked as the transcript masks it
//   server    the server's last reply line, or why there is none
//   read back what the host's own page read back afterwards
//   outcome   took, refused or unknown
// Every field is written as the transcript writes a server's text (control
// bytes, C1 controls, line separators and bidirectional controls as \r,
// \x1b, \u2028 ...), and a tab, a line feed and a backslash as \t, \n and
// \\ besides, so no text of a server's can start, split or forge a line.
// The outcome comes last: a line cut short by a crash has none and is
// passed over by the reader.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/session/site_link.h"

namespace history {

enum class Outcome { Took, Refused, Unknown };

const char* outcomeWord(Outcome outcome);
// False for anything but the three words.
bool outcomeOfWord(std::string_view word, Outcome& outcome);

struct Change {
    std::string time;
    std::string account;
    std::string page;
    std::string command;  // as sent: masked when written
    std::string server;
    std::string readBack;
    Outcome outcome = Outcome::Unknown;
};

constexpr std::size_t fieldCount = 7;

// The field as the record writes it (see above).
std::string recordField(std::string_view text);
// The whole line, ending in a line feed.
std::string recordLine(const Change& change);

// Took or refused, by the reply: a code of 400 or more, a refusal glftpd
// answers with code 200 (a usage box, "does not exist.", "You do not have
// access ...", an ASSERT) is refused; any other complete reply took.
Outcome outcomeOfReply(const session::Reply& reply);
// The server's verdict in its own words: the reply's last line as it came.
std::string serverWords(const session::Reply& reply);

// 2026-12-08T05:12:03+01:00: a local time and its offset from UTC in minutes.
struct LocalTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    int offsetMinutes = 0;
};
std::string timeText(const LocalTime& time);

// The newest bytes a site's record keeps before its lines move to the older
// file (which they replace): at most twice this a site.
constexpr std::uint64_t maxRecordBytes = 10u * 1024u * 1024u;

// The first line of a new record file; lines starting '#' are no changes.
std::string recordHeading(const std::string& siteLabel);

// Whose record: a saved site by its name, or a server's address
// ("host:port") for a connection not made from a saved site.
struct RecordKey {
    bool savedSite = true;
    std::string name;
};
// The file names beside sites.ini: "changes-site-<name>.txt" or
// "changes-address-<host:port>.txt", the name in lower case (saved sites'
// names are told apart without regard to ASCII case), every byte but
// letters, digits, '.', '-' and '_' written as %XX; a long name is cut and
// given a hash of the whole, so the file name stays short. The older lines:
// the same with ".older.txt".
std::string recordFileName(const RecordKey& key);
std::string olderFileName(const RecordKey& key);

}  // namespace history
