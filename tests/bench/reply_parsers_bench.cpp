// Every reply parser on big replies shaped as glftpd sends them, beside the
// bare walk over the same lines: tools/bench.sh reports each parser's rate
// as a multiple of that walk's, which should stay small and the same from
// 1k to 100k lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/site_directory.h"
#include "common/text_utils.h"
#include "host/admin/group_members.h"
#include "host/admin/user_listing.h"
#include "pages/site/online_listing.h"
#include "pages/users/user_record.h"
#include "tests/bench/reply_bench.h"

namespace {

std::string format(const char* pattern, int number) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, number, number, number);
    return text;
}

// SITE GROUPS as a siteop sees it: public rows, a blank line, private rows
// (a tenth of them), the footer.
std::vector<std::string> groupListing(int lineCount) {
    std::vector<std::string> lines = {
        "200- #users  Group Abbr.      Group Description",
        "200- ----------------------------------------------------------------------"};
    const int footer = 6;
    const int privateRows = lineCount / 10;
    const int publicRows = lineCount - static_cast<int>(lines.size()) - footer - privateRows;
    for (int i = 0; i < publicRows; ++i) {
        lines.push_back(format("200- (%4d)  grp%06d        Release group number %d", i));
    }
    lines.push_back("200- ");
    for (int i = 0; i < privateRows; ++i) {
        lines.push_back(format("200-  *staff%06d      Private group number %d", i));
    }
    lines.push_back("200-  ");
    lines.push_back("200- A '*' denotes a private group.  Type SITE CHGRP to add ");
    lines.push_back("200- or remove users from these groups.  ");
    lines.push_back("200-  ");
    lines.push_back("200 many user groups, some privileged groups.");
    return lines;
}

// SITE USER without a name: six names a line, each padded to 11 characters
// and followed by a blank, then a line of blanks and the footer.
std::vector<std::string> userListing(int lineCount) {
    std::vector<std::string> lines = {
        "200-                          -=[ MSN User Listing ]=-                       ",
        "200-                                                                          "};
    const int nameLines = lineCount - 2 - 4;
    int number = 0;
    for (int row = 0; row < nameLines; ++row) {
        std::string line = "200- ";
        for (int column = 0; column < 6; ++column) {
            char name[16];
            std::snprintf(name, sizeof name, "user%07d", number++);
            line += name;
            line += ' ';
        }
        line.resize(77, ' ');
        lines.push_back(line);
    }
    lines.push_back("200-                                                                          ");
    lines.push_back("200-       - Use SITE USER <username> for a more informative listing. -       ");
    lines.push_back("200- ");
    lines.push_back("200 " + std::to_string(number) + " total users on site.");
    return lines;
}

// SITE USER <name>: the account screen's lines over and over, so that every
// recogniser meets its line as often as the others.
std::vector<std::string> userRecordReply(int lineCount) {
    static const char* const screen[] = {
        "200- +=======================================================================+",
        "200- | Username: alice                    Created: 01-15-04                  |",
        "200- | Time On Today: 42m                 Last seen: Thu Jan 15 21:04:11 2004|",
        "200- | Flags: 3ABCDEH                     Idle time: Default                 |",
        "200- | Ratio: 1:3                         Credits:    2868.8 MB              |",
        "200- | Total Logins: 680                  Current Logins: 1                  |",
        "200- | Max Logins: 3                      From same IP: 2                    |",
        "200- | Max Upload Speed:   120.5 K/s      Max Download Speed:   250.0 K/s    |",
        "200- | Times Nuked: 2                     Bytes Nuked:    734 MB             |",
        "200- | Weekly Allotment:  1024 MB         Messages Waiting: N                |",
        "200- | Time Limit:   90 minutes.          (0 = Unlimited)                    |",
        "200- | Gadmin/Leech Slots: 2 5            (-1 = Unlimited, None)             |",
        "200- | Tagline: Upload or die trying                                         |",
        "200- | Groups: friends testers                                               |",
        "200- | Priv Groups: STAFF Council                                            |",
        "200- +-----------------------------------------------------------------------+",
        "200- | IP0: *@127.0.0.1                   IP1: alice@198.51.100.17           |",
        "200- | IP2: *@192.0.2.*                   IP3: alice@203.0.113.*             |",
        "200- | IP4: *@10.1.2.3                    IP5: *@*.dsl.example.net           |",
        "200- | IP6: *@198.18.0.*                  IP7: ident@192.0.2.44              |",
        "200- | IP8: *@100.64.*.*                  IP9: *@198.51.100.*                |",
    };
    const int screenLines = static_cast<int>(sizeof screen / sizeof screen[0]);
    std::vector<std::string> lines;
    for (int i = 0; i + 1 < lineCount; ++i) {
        lines.push_back(screen[i % screenLines]);
    }
    lines.push_back("200 Command Successful.");
    return lines;
}

// SITE SWHO: the heading, one row a connection, the closing rule.
std::vector<std::string> swhoListing(int lineCount) {
    std::vector<std::string> lines = {
        "200- .-------------------------------------------------------------------------.",
        "200- | PiD     User        Ident@Host            Online    Idle      Cryption  |",
        "200- |-------+-----------+---------------------+---------+---------+-----------|"};
    const int rows = lineCount - 3 - 3;
    for (int i = 0; i < rows; ++i) {
        lines.push_back(
            format("200- | %5d | user%06d | *@198.51.100.17     | 12m 40s | 4m 10s  | ctrl      |",
                   10000 + i % 90000));
    }
    lines.push_back("200- `-------+-----------+---------------------+---------+---------+-----------'");
    lines.push_back("200- ");
    lines.push_back("200 Command Successful.");
    return lines;
}

// SITE WHO: the title, the heading, the user rows, then the totals table.
std::vector<std::string> whoListing(int lineCount) {
    std::vector<std::string> lines = {
        "200-  Users Logged Onto MSN                                                    ",
        "200- .-------------------------------------------------------------------------.",
        "200- | User        Group      Unfo               Action                        |",
        "200- |-----------+----------+------------------+-------------------------------|"};
    const int rows = lineCount - 4 - 6;
    for (int i = 0; i < rows; ++i) {
        lines.push_back(
            format("200- | user%06d | friends  | No Tagline Set   | IDLE for 0m 12s               |", i));
    }
    lines.push_back("200- |-----------+----------+------------+-----+-------------------------------|");
    lines.push_back("200- | Total upload speed:      0.0KiB/s | Total download speed:      0.0KiB/s |");
    lines.push_back("200- |-----------------------------------+-------------------------------------|");
    lines.push_back("200- |  2 of 20 User(s) Currently Online                                       |");
    lines.push_back("200- `-------------------------------------------------------------------------'");
    lines.push_back("200 Command Successful.");
    return lines;
}

// The host's administration readers take a reply as the host session holds
// it (session::Reply, its lines only read): the bare walk visits every byte
// of every line the same way, and each figure is per reply of that many rows.
session::Reply adminReply(std::vector<std::string> lines) {
    session::Reply reply;
    reply.lines = std::move(lines);
    return reply;
}

std::size_t replyBytes(const session::Reply& reply) {
    std::size_t bytes = 0;
    for (const std::string& line : reply.lines) bytes += line.size() + 2;
    return bytes;
}

std::size_t scanReplyLines(const session::Reply& reply) {
    std::size_t seen = 0;
    for (const std::string& line : reply.lines) {
        const char* cursor = line.data();
        const char* const end = cursor + line.size();
        while (cursor != end && *cursor != '\r' && *cursor != '\n') {
            ++cursor;
        }
        seen += static_cast<std::size_t>(cursor - line.data());
        benchmark::DoNotOptimize(cursor);
    }
    return seen;
}

// Letting go of what was read stays out of the timing, as for the parsers above.
template <typename Result, typename Read>
void timeAdminReader(benchmark::State& state, const session::Reply& reply, Result& result, Read read) {
    for (auto _ : state) {
        read();
        state.PauseTiming();
        result = Result{};
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(replyBytes(reply)));
    state.counters["lines"] = static_cast<double>(reply.lines.size());
}

// SITE USERS (glftpd 2.x): the header, one row an account (every tenth name
// 16 characters long, which moves the rest of its row), the totals.
session::Reply siteUsersListing(int rows) {
    std::vector<std::string> lines = {"200- Detailed User Listing..."};
    lines.reserve(static_cast<std::size_t>(rows) + 4);
    for (int i = 0; i < rows; ++i) {
        char line[160];
        if (i % 10 == 0) {
            std::snprintf(line, sizeof line,
                          "200- longname%08d grp%03d     UL: %4dMiB      DL: %4dMiB      Credit: %5dMiB", i,
                          i % 500, i % 9000, i % 7000, i % 30000);
        } else {
            std::snprintf(line, sizeof line,
                          "200- user%07d     grp%03d     UL: %4dMiB      DL: %4dMiB      Credit: %5dMiB", i,
                          i % 500, i % 9000, i % 7000, i % 30000);
        }
        lines.push_back(line);
    }
    lines.push_back("200- Uploaded:     0.0MiB Downloaded:     0.0MiB Files Up:     0 Files Down:     0");
    lines.push_back("200- SITEOPS=2, GADMINS=1, LEECH=1, DELETED=1");
    lines.push_back("200 " + std::to_string(rows) + " Total members.");
    return adminReply(lines);
}

// SITE GINFO (glftpd 2.x): the art, the heading, one row a member with the
// siteop and group-admin marks, the footer.
session::Reply siteGinfoListing(int members) {
    std::vector<std::string> lines = {
        "200-                                             ________",
        "200- _____________.______________________________\\\\     _/___________",
        "200- \\\\      _     |     _      /    _       /     \\\\     \\\\      _    \\\\",
        "200-  \\\\     \\\\     |     /_____/     \\\\      /      |\\\\     \\\\     \\\\    /XFER",
        "200-    \\\\______    |______|    \\\\___________/|______________\\\\    ____/ STATS",
        "200- .---- /______| ------------------------------------ |_____| ------------.",
        "200- |  Username |     Up |       MiB |     Dn |       MiB | Ratio |    Wkly |",
        "200- |-----------+--------+-----------+--------+-----------+-------+---------|"};
    for (int i = 0; i < members; ++i) {
        char line[160];
        std::snprintf(line, sizeof line, "200- |%cmember%03d |   %4d |   %7d |   %4d |   %7d |  1:3  |       0 |",
                      i % 50 == 0 ? '*' : i % 10 == 0 ? '+' : ' ', i % 1000, i % 1000, i * 7 % 100000,
                      i % 900, i * 3 % 100000);
        lines.push_back(line);
    }
    lines.push_back("200- |----------+------+--------+------+--------+-------+--------------------|");
    lines.push_back("200- |   * denotes a siteop (flag 1)     + denotes a group admin (flag 2)    |");
    lines.push_back("200- |----------+------+--------+------+--------+-------+--------------------|");
    lines.push_back("200- |   Tot MiB Up:        0.0   Tot Files Up:      0   Users in group: " +
                    std::to_string(members) + " |");
    lines.push_back("200- |   Tot MiB Dn:        0.0   Tot Files Dn:      0       With leech: 0   |");
    lines.push_back("200- |   Total Free Slots: 20          Free Leech Slots: 3                   |");
    lines.push_back("200- `-----------------------------------------------------------------------'");
    lines.push_back("200 Command Successful.");
    return adminReply(lines);
}

int lineCountOf(const benchmark::State& state) {
    return static_cast<int>(state.range(0));
}

void BM_ScanGroupListing(benchmark::State& state) {
    BenchReply reply(groupListing(lineCountOf(state)));
    timeLineScan(state, reply);
}

void BM_ParseGroupListing(benchmark::State& state) {
    BenchReply reply(groupListing(lineCountOf(state)));
    NamePairList* groups = nullptr;
    NamePairList* privateGroups = nullptr;
    std::size_t rows = 0;
    timeParser(
        state, reply, [&](ReplyLine* lines) { parseGroupListing(lines, groups, privateGroups); },
        [&] {
            rows = countPairs(groups) + countPairs(privateGroups);
            freeNamePairList(groups);
            freeNamePairList(privateGroups);
            groups = nullptr;
            privateGroups = nullptr;
        });
    if (rows + 8 != reply.lineCount()) {
        state.SkipWithError("the listing did not yield every group");
    }
}

void BM_ScanUserListing(benchmark::State& state) {
    BenchReply reply(userListing(lineCountOf(state)));
    timeLineScan(state, reply);
}

void BM_ParseUserListing(benchmark::State& state) {
    BenchReply reply(userListing(lineCountOf(state)));
    NameList* names = nullptr;
    std::size_t count = 0;
    timeParser(
        state, reply, [&](ReplyLine* lines) { parseUserListing(lines, names); },
        [&] {
            count = countNames(names);
            freeNameList(names);
            names = nullptr;
        });
    if (count != (reply.lineCount() - 6) * 6) {
        state.SkipWithError("the listing did not yield every name");
    }
}

void BM_ScanUserRecord(benchmark::State& state) {
    BenchReply reply(userRecordReply(lineCountOf(state)));
    timeLineScan(state, reply);
}

void BM_ParseUserRecord(benchmark::State& state) {
    BenchReply reply(userRecordReply(lineCountOf(state)));
    bool read = false;
    timeParser(
        state, reply, [](ReplyLine* lines) { readUserRecordLines(lines); },
        [&] {
            read = userRecord.ipMasks[9] != nullptr && userRecord.groups != nullptr;
            clearUserRecord();
        });
    if (!read) {
        state.SkipWithError("the record was not read");
    }
}

void BM_ScanSwhoListing(benchmark::State& state) {
    BenchReply reply(swhoListing(lineCountOf(state)));
    timeLineScan(state, reply);
}

void BM_ParseSwhoListing(benchmark::State& state) {
    BenchReply reply(swhoListing(lineCountOf(state)));
    NamePairList* online = nullptr;
    std::size_t rows = 0;
    timeParser(
        state, reply, [&](ReplyLine* lines) { parseSwhoListing(lines, online); },
        [&] {
            rows = countPairs(online);
            freeNamePairList(online);
            online = nullptr;
        });
    if (rows != reply.lineCount() - 6) {
        state.SkipWithError("the listing did not yield every connection");
    }
}

void BM_ScanWhoListing(benchmark::State& state) {
    BenchReply reply(whoListing(lineCountOf(state)));
    timeLineScan(state, reply);
}

void BM_ParseWhoListing(benchmark::State& state) {
    BenchReply reply(whoListing(lineCountOf(state)));
    NamePairList* online = nullptr;
    std::size_t rows = 0;
    timeParser(
        state, reply, [&](ReplyLine* lines) { parseWhoListing(lines, online); },
        [&] {
            rows = countPairs(online);
            freeNamePairList(online);
            online = nullptr;
        });
    if (rows != reply.lineCount() - 10) {
        state.SkipWithError("the listing did not yield every user");
    }
}

void BM_ScanSiteUsers(benchmark::State& state) {
    const session::Reply reply = siteUsersListing(lineCountOf(state));
    int unused = 0;
    timeAdminReader(state, reply, unused, [&] {
        std::size_t seen = scanReplyLines(reply);
        benchmark::DoNotOptimize(seen);
    });
}

void BM_ParseSiteUsers(benchmark::State& state) {
    const session::Reply reply = siteUsersListing(lineCountOf(state));
    admin::UserListing listing;
    std::string failure;
    bool read = true;
    timeAdminReader(state, reply, listing, [&] { read &= admin::readUserListing(reply, listing, failure); });
    if (!read) {
        state.SkipWithError(failure.c_str());
    }
}

void BM_ScanSiteGinfo(benchmark::State& state) {
    const session::Reply reply = siteGinfoListing(lineCountOf(state));
    int unused = 0;
    timeAdminReader(state, reply, unused, [&] {
        std::size_t seen = scanReplyLines(reply);
        benchmark::DoNotOptimize(seen);
    });
}

void BM_ParseSiteGinfo(benchmark::State& state) {
    const session::Reply reply = siteGinfoListing(lineCountOf(state));
    admin::GroupInfo info;
    std::string failure;
    bool read = true;
    timeAdminReader(state, reply, info, [&] { read &= admin::readGroupInfo(reply, info, failure); });
    if (!read) {
        state.SkipWithError(failure.c_str());
    }
}

}  // namespace

BENCHMARK(BM_ScanGroupListing) QUORIN_REPLY_SIZES;
BENCHMARK(BM_ParseGroupListing) QUORIN_REPLY_SIZES;
BENCHMARK(BM_ScanUserListing) QUORIN_REPLY_SIZES;
BENCHMARK(BM_ParseUserListing) QUORIN_REPLY_SIZES;
BENCHMARK(BM_ScanUserRecord) QUORIN_REPLY_SIZES;
BENCHMARK(BM_ParseUserRecord) QUORIN_REPLY_SIZES;
BENCHMARK(BM_ScanSwhoListing) QUORIN_REPLY_SIZES;
BENCHMARK(BM_ParseSwhoListing) QUORIN_REPLY_SIZES;
BENCHMARK(BM_ScanWhoListing) QUORIN_REPLY_SIZES;
BENCHMARK(BM_ParseWhoListing) QUORIN_REPLY_SIZES;
// The administration readers at the sizes of a big 2.x site: 50,000
// accounts in SITE USERS, a group of 1,000 members in SITE GINFO (rows).
BENCHMARK(BM_ScanSiteUsers)->Arg(1000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseSiteUsers)->Arg(1000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScanSiteGinfo)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseSiteGinfo)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
