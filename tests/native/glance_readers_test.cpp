// The readers of who is online and of the top lists against every real
// glftpd 2.13 reply in tests/fixtures/glftpd213/glance (with colours and
// without, one session and fifteen, transfers up and down, TLS and plain),
// and the chart's layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/glance/bar_chart.h"
#include "host/glance/glance_text.h"
#include "host/glance/online_sessions.h"
#include "host/glance/top_lists.h"

namespace {

std::string fixtureDir() {
    const std::string dir = std::string(QUORIN_FIXTURE_DIR) + "/glftpd213/glance";
    std::error_code error;
    if (std::filesystem::is_directory(dir, error)) return dir;
    return "Z:" + dir;  // the 32-bit build under Wine
}

session::Reply replyOf(const std::string& file) {
    std::ifstream in(fixtureDir() + "/" + file, std::ios::binary);
    session::Reply reply;
    std::string line;
    while (std::getline(in, line)) reply.lines.push_back(line);
    if (!reply.lines.empty()) reply.code = std::atoi(reply.lines.back().substr(0, 3).c_str());
    return reply;
}

// What each capture comes to: rows read (-1: refused), and one row's facts.
struct Expected {
    const char* file;
    int rows;
    const char* firstName;  // the first row's user or group
    const char* fact;       // WHO: "up/down/online/max"; SWHO: a row "pid user tls"; tops: "files mib speed|members"
};

const Expected whoTable[] = {
    {"site-who-alone.txt", 1, "glftpd", "0.0/0.0/1/20"},
    {"site-who-transfers.txt", 6, "glftpd", "98.0/986.0/6/20"},
    {"site-who-transfers-later.txt", 6, "glftpd", "99.0/656.0/6/20"},
    {"site-who-transfers-colour.txt", 6, "glftpd", "98.0/652.0/6/20"},
    {"site-who-plainuser.txt", 6, "glftpd", "99.0/656.0/6/20"},
    {"site-who-many.txt", 15, "glftpd", "98.0/539.0/15/20"},
    {"site-swho-refused.txt", -1, "", ""},
    {"site-allup-unknown.txt", -1, "", ""},
    {"site-wkup.txt", -1, "", ""},
};

const Expected swhoTable[] = {
    {"site-swho-alone.txt", 1, "glftpd", ""},
    {"site-swho-transfers.txt", 6, "glftpd", "22380 plainuser none"},
    {"site-swho-transfers-later.txt", 6, "glftpd", "ctrl&data"},
    {"site-swho-transfers-colour.txt", 6, "glftpd", "22380 plainuser none"},
    {"site-swho-many.txt", 15, "glftpd", "22645 courier_w none"},
    {"site-swho-before-kill.txt", 4, "glftpd", ""},
    {"site-swho-after-kill.txt", 3, "glftpd", ""},
    {"site-swho-after-kick.txt", 3, "glftpd", ""},
    {"site-swho-refused.txt", -1, "", "do not have access"},
    {"site-who-alone.txt", -1, "", ""},
    {"site-kill-eve.txt", -1, "", ""},
};

const Expected topTable[] = {
    {"site-wkup.txt", 5, "uploader", "2 9 1243"},
    {"site-wkup-3.txt", 3, "uploader", "2 9 1243"},
    {"site-wkup-abc.txt", 5, "uploader", "2 9 1243"},
    {"site-wkup-colour.txt", 5, "uploader", "1 9 9216"},
    {"site-wkup-empty.txt", 0, "", ""},
    {"site-wkdn.txt", 3, "downloader", "3 14 1688"},
    {"site-wkdn-empty.txt", 0, "", ""},
    {"site-monthup.txt", 5, "uploader", "2 9 1243"},
    {"site-monthup-empty.txt", 0, "", ""},
    {"site-monthdn.txt", 3, "downloader", "3 14 1688"},
    {"site-monthdn-empty.txt", 0, "", ""},
    {"site-dayup.txt", 5, "uploader", "2 9 1243"},
    {"site-dayup-colour.txt", 5, "uploader", "1 9 9216"},
    {"site-dayup-empty.txt", 0, "", ""},
    {"site-daydn.txt", 3, "downloader", "3 14 1688"},
    {"site-daydn-empty.txt", 0, "", ""},
    {"site-alup.txt", 5, "uploader", "2 9 1243"},
    {"site-alup-100.txt", 5, "uploader", "2 9 1243"},
    {"site-alup-empty.txt", 0, "", ""},
    {"site-aldn.txt", 3, "downloader", "3 14 1688"},
    {"site-aldn-colour.txt", 3, "downloader", "2 11 5632"},
    {"site-aldn-empty.txt", 0, "", ""},
    {"site-gpwk.txt", 2, "mp3", "3 12 4"},
    {"site-gpwk-colour.txt", 2, "mp3", "3 12 4"},
    {"site-gpwk-empty.txt", 0, "", ""},
    {"site-gpwd.txt", 2, "iso", "3 14 4"},
    {"site-gpwd-empty.txt", 0, "", ""},
    {"site-gpmonthup.txt", 2, "mp3", "3 12 4"},
    {"site-gpmonthup-empty.txt", 0, "", ""},
    {"site-gpmonthdn.txt", 2, "iso", "3 14 4"},
    {"site-gpmonthdn-empty.txt", 0, "", ""},
    {"site-gpdayup.txt", 2, "mp3", "3 12 4"},
    {"site-gpdayup-empty.txt", 0, "", ""},
    {"site-gpdaydn.txt", 2, "iso", "3 14 4"},
    {"site-gpdaydn-empty.txt", 0, "", ""},
    {"site-gpal.txt", 2, "mp3", "3 12 4"},
    {"site-gpal-2.txt", 2, "mp3", "3 12 4"},
    {"site-gpal-empty.txt", 0, "", ""},
    {"site-gpad.txt", 2, "iso", "3 14 4"},
    {"site-gpad-empty.txt", 0, "", ""},
    {"site-allup-unknown.txt", -1, "", "not understood"},
    {"site-swho-refused.txt", -1, "", "do not have access"},
    {"site-who-many.txt", -1, "", ""},
    {"site-kick-noargs.txt", -1, "", ""},
};

std::string oneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

TEST(GlanceReaders, WhoAgainstEveryCapture) {
    for (const Expected& row : whoTable) {
        SCOPED_TRACE(row.file);
        std::vector<glance::WhoRow> rows;
        glance::WhoTotals totals;
        std::string failure;
        const bool read = glance::readWho(replyOf(row.file), rows, totals, failure);
        ASSERT_EQ(read, row.rows >= 0) << failure;
        if (!read) {
            EXPECT_FALSE(failure.empty());
            EXPECT_TRUE(rows.empty());
            continue;
        }
        ASSERT_EQ(static_cast<int>(rows.size()), row.rows);
        EXPECT_EQ(rows.front().user, row.firstName);
        EXPECT_EQ(oneDecimal(totals.uploadKiBs) + "/" + oneDecimal(totals.downloadKiBs) + "/" +
                      std::to_string(totals.online) + "/" + std::to_string(totals.maximum),
                  row.fact);
        EXPECT_EQ(totals.online, static_cast<int>(rows.size()));
        for (const glance::WhoRow& who : rows) {
            EXPECT_EQ(who.action.find('\x1b'), std::string::npos);
            EXPECT_FALSE(who.user.empty());
        }
    }
}

TEST(GlanceReaders, WhoActionsTellTransfersTheirFilesAndSpeeds) {
    std::vector<glance::WhoRow> rows;
    glance::WhoTotals totals;
    std::string failure;
    for (const char* file : {"site-who-transfers.txt", "site-who-transfers-colour.txt"}) {
        SCOPED_TRACE(file);
        ASSERT_TRUE(glance::readWho(replyOf(file), rows, totals, failure));
        int uploads = 0, downloads = 0;
        double upSpeed = 0, downSpeed = 0;
        for (const glance::WhoRow& row : rows) {
            const glance::Action action = glance::readAction(row.action);
            if (action.activity == glance::Activity::Upload) {
                ++uploads;
                upSpeed += action.speedKiBs;
                EXPECT_EQ(action.file, "slow-upload.");
            } else if (action.activity == glance::Activity::Download) {
                ++downloads;
                downSpeed += action.speedKiBs;
                EXPECT_EQ(action.file, "uploader-rel");  // cut by the column, its speed too
            }
        }
        EXPECT_EQ(uploads, 1);
        EXPECT_EQ(downloads, 1);
        // The totals are the sum of the transfers the table shows.
        EXPECT_DOUBLE_EQ(upSpeed, totals.uploadKiBs);
        EXPECT_DOUBLE_EQ(downSpeed, totals.downloadKiBs);
    }
    EXPECT_EQ(glance::readAction("IDLE for 0m 12s").activity, glance::Activity::Idle);
    EXPECT_EQ(glance::readAction("RETR eve-release.").activity, glance::Activity::Command);
    EXPECT_EQ(glance::readAction("").activity, glance::Activity::Unknown);
}

TEST(GlanceReaders, SwhoAgainstEveryCapture) {
    for (const Expected& row : swhoTable) {
        SCOPED_TRACE(row.file);
        std::vector<glance::SwhoRow> rows;
        std::string failure;
        const bool read = glance::readSwho(replyOf(row.file), rows, failure);
        ASSERT_EQ(read, row.rows >= 0) << failure;
        if (!read) {
            EXPECT_NE(failure.find(row.fact), std::string::npos) << failure;
            continue;
        }
        ASSERT_EQ(static_cast<int>(rows.size()), row.rows);
        EXPECT_EQ(rows.front().user, row.firstName);
        const std::string fact = row.fact;
        bool found = fact.empty();
        for (const glance::SwhoRow& swho : rows) {
            EXPECT_GE(glance::secondsOf(swho.online), 0) << swho.online;
            EXPECT_GE(glance::secondsOf(swho.idle), 0) << swho.idle;
            EXPECT_EQ(swho.identHost, "*@127.0.0.1");
            if (fact == swho.pid + " " + swho.user + " " + swho.tls || fact == swho.tls) found = true;
        }
        EXPECT_TRUE(found) << fact;
    }
}

TEST(GlanceReaders, SwhoAndWhoJoinIntoOneRowPerSession) {
    std::vector<glance::SwhoRow> swho;
    std::vector<glance::WhoRow> who;
    glance::WhoTotals totals;
    std::string failure;
    ASSERT_TRUE(glance::readSwho(replyOf("site-swho-many.txt"), swho, failure));
    ASSERT_TRUE(glance::readWho(replyOf("site-who-many.txt"), who, totals, failure));
    const std::vector<glance::Session> sessions = glance::joinSessions(swho, who);
    ASSERT_EQ(sessions.size(), 15u);
    for (const glance::Session& session : sessions) {
        EXPECT_FALSE(session.pid.empty()) << session.user;
        EXPECT_FALSE(session.group.empty()) << session.user;
    }
    // The two sessions of one account keep their own PIDs and actions.
    EXPECT_EQ(sessions[4].pid, "22383");
    EXPECT_EQ(sessions[4].doing.activity, glance::Activity::Upload);
    EXPECT_EQ(sessions[6].pid, "22628");
    EXPECT_EQ(sessions[6].action, "USER uploader");
    EXPECT_EQ(sessions[2].tls, "none");

    // A server without SWHO for this account: WHO alone, no PID.
    const std::vector<glance::Session> whoOnly = glance::joinSessions({}, who);
    ASSERT_EQ(whoOnly.size(), 15u);
    EXPECT_TRUE(whoOnly[0].pid.empty());
    EXPECT_EQ(whoOnly[3].doing.activity, glance::Activity::Download);

    // A session that left between the two commands keeps what SWHO said;
    // one that came keeps what WHO said.
    std::vector<glance::SwhoRow> fewer(swho.begin(), swho.begin() + 5);
    std::vector<glance::WhoRow> shifted(who.begin() + 1, who.end());
    const std::vector<glance::Session> mixed = glance::joinSessions(fewer, shifted);
    ASSERT_EQ(mixed.size(), 15u);
    EXPECT_EQ(mixed[0].user, "glftpd");
    EXPECT_TRUE(mixed[0].action.empty());
    EXPECT_EQ(mixed[1].pid, "22379");
    EXPECT_EQ(mixed[1].group, "iso");
}

TEST(GlanceReaders, SessionsSortByAnyColumnNumbersAsNumbers) {
    std::vector<glance::SwhoRow> swho;
    std::vector<glance::WhoRow> who;
    glance::WhoTotals totals;
    std::string failure;
    ASSERT_TRUE(glance::readSwho(replyOf("site-swho-transfers.txt"), swho, failure));
    ASSERT_TRUE(glance::readWho(replyOf("site-who-transfers.txt"), who, totals, failure));
    std::vector<glance::Session> sessions = glance::joinSessions(swho, who);
    glance::sortSessions(sessions, glance::SessionColumn::Speed, false);
    EXPECT_EQ(sessions[0].user, "downloade");
    EXPECT_EQ(sessions[1].user, "uploader");
    glance::sortSessions(sessions, glance::SessionColumn::Pid, true);
    EXPECT_EQ(sessions.front().pid, "22354");
    EXPECT_EQ(sessions.back().pid, "22386");
    glance::sortSessions(sessions, glance::SessionColumn::User, true);
    EXPECT_EQ(sessions.front().user, "downloade");
    std::vector<glance::Session> times(3);
    times[0].idle = "1h 2m", times[0].idleSeconds = glance::secondsOf("1h 2m");
    times[1].idle = "9m 5s", times[1].idleSeconds = glance::secondsOf("9m 5s");
    times[2].idle = "10m 0s", times[2].idleSeconds = glance::secondsOf("10m 0s");
    glance::sortSessions(times, glance::SessionColumn::Idle, true);
    EXPECT_EQ(times[0].idle, "9m 5s");
    EXPECT_EQ(times[2].idle, "1h 2m");
}

TEST(GlanceReaders, TopListsAgainstEveryCapture) {
    for (const Expected& row : topTable) {
        SCOPED_TRACE(row.file);
        glance::TopList list;
        std::string failure;
        const bool read = glance::readTopList(replyOf(row.file), list, failure);
        ASSERT_EQ(read, row.rows >= 0) << failure;
        if (!read) {
            EXPECT_NE(failure.find(row.fact), std::string::npos) << failure;
            EXPECT_TRUE(list.entries.empty());
            continue;
        }
        ASSERT_EQ(static_cast<int>(list.entries.size()), row.rows);
        EXPECT_EQ(list.groups, std::string(row.file).rfind("site-gp", 0) == 0);
        for (std::size_t i = 0; i < list.entries.size(); ++i) {
            EXPECT_EQ(list.entries[i].place, static_cast<int>(i) + 1);
            if (i > 0) {
                EXPECT_LE(list.entries[i].mib, list.entries[i - 1].mib);
            }
            EXPECT_EQ(list.entries[i].text.find('\x1b'), std::string::npos);
        }
        if (row.rows == 0) continue;
        const glance::TopEntry& first = list.entries.front();
        EXPECT_EQ(first.name, row.firstName);
        const std::string fact = std::to_string(first.files) + " " + std::to_string(std::lround(first.mib)) + " " +
                                 (list.groups ? std::to_string(first.members)
                                              : std::to_string(std::lround(first.speedKiBs)));
        EXPECT_EQ(fact, row.fact);
    }
    glance::TopList list;
    std::string failure;
    ASSERT_TRUE(glance::readTopList(replyOf("site-wkup.txt"), list, failure));
    EXPECT_EQ(list.entries[1].text, "Fast courier at your s");
    EXPECT_EQ(list.entries[2].name, "courier_with");
    ASSERT_TRUE(glance::readTopList(replyOf("site-gpwd.txt"), list, failure));
    EXPECT_EQ(list.entries[0].text, "ISO release group");
}

TEST(GlanceReaders, TopCommandsNameTheServersListsAndHoldTheCount) {
    using glance::TopChoice;
    using glance::TopDirection;
    using glance::TopPeriod;
    using glance::TopWho;
    EXPECT_EQ(glance::topCommand({TopPeriod::Week, TopDirection::Up, TopWho::Users, 10}), "SITE WKUP 10");
    EXPECT_EQ(glance::topCommand({TopPeriod::AllTime, TopDirection::Down, TopWho::Users, 100}), "SITE ALDN 100");
    EXPECT_EQ(glance::topCommand({TopPeriod::Month, TopDirection::Down, TopWho::Groups, 5}), "SITE GPMONTHDN 10");
    EXPECT_EQ(glance::topCommand({TopPeriod::Day, TopDirection::Up, TopWho::Groups, 500}), "SITE GPDAYUP 100");
    EXPECT_EQ(glance::topCommand({TopPeriod::Week, TopDirection::Down, TopWho::Groups, 20}), "SITE GPWD 20");
    EXPECT_EQ(glance::topCommand({TopPeriod::AllTime, TopDirection::Up, TopWho::Groups, 20}), "SITE GPAL 20");
    glance::TopList list;
    std::string failure;
    ASSERT_TRUE(glance::readTopList(replyOf("site-wkup-colour.txt"), list, failure));
    const std::string text = glance::topListText({}, list);
    EXPECT_NE(text.find("1\tuploader\tNo Tagline Set\t1\t9 MiB\t9.00 MiB/s\r\n"), std::string::npos) << text;
}

// A font of fixed-width characters: 7 pixels each, 16 a line.
glance::ChartFont fixedFont() {
    return {[](std::string_view text) { return static_cast<int>(text.size()) * 7; }, 16};
}

std::string mib(double value) { return glance::sizeText(value); }

std::vector<glance::ChartRow> rowsOf(std::initializer_list<double> values) {
    std::vector<glance::ChartRow> rows;
    int i = 0;
    for (double value : values) rows.push_back({"user" + std::to_string(++i), value, mib(value), "1 file"});
    return rows;
}

void expectInside(const glance::ChartLayout& layout, const glance::ChartBox& box) {
    EXPECT_GE(box.left, 0);
    EXPECT_GE(box.top, 0);
    EXPECT_LE(box.right, layout.width);
    EXPECT_LE(box.bottom, layout.height);
    EXPECT_LE(box.left, box.right);
}

TEST(ChartLayout, ScaleIsRoundAndTheLongestBarReachesIt) {
    const glance::ChartLayout layout = glance::layoutChart(rowsOf({9, 6, 4, 2, 1}), 600, fixedFont(), mib);
    ASSERT_EQ(layout.bars.size(), 5u);
    EXPECT_GE(layout.scaleMax, 9);
    EXPECT_LE(layout.scaleMax, 10);
    const double step = layout.step / std::pow(10.0, std::floor(std::log10(layout.step)));
    EXPECT_TRUE(step == 1 || step == 2 || step == 2.5 || step == 5) << layout.step;
    // Bars in proportion to their values, from one left edge.
    for (std::size_t i = 1; i < layout.bars.size(); ++i) {
        EXPECT_EQ(layout.bars[i].left, layout.bars[0].left);
        EXPECT_LT(layout.bars[i].width(), layout.bars[i - 1].width());
        EXPECT_GE(layout.bars[i].top, layout.bars[i - 1].bottom);  // never overlapping
    }
    EXPECT_NEAR(layout.bars[1].width() * 9.0 / 6.0, layout.bars[0].width(), 2.0);
    // The grid starts at 0 under the bars' left edge; its texts do not overlap.
    ASSERT_GE(layout.gridLines.size(), 2u);
    EXPECT_EQ(layout.gridLines.front().left, layout.bars[0].left);
    EXPECT_EQ(layout.scaleTexts.front().text, "0 MiB");
    for (std::size_t i = 1; i < layout.scaleTexts.size(); ++i)
        EXPECT_LE(layout.scaleTexts[i - 1].box.right, layout.scaleTexts[i].box.left);
    for (const auto& box : layout.bars) expectInside(layout, box);
    for (const auto& text : layout.amounts) {
        expectInside(layout, text.box);
        EXPECT_EQ(text.text.find("..."), std::string::npos) << text.text;  // room for every amount
    }
}

TEST(ChartLayout, LongNamesAreCutToAQuarterOfTheWidth) {
    std::vector<glance::ChartRow> rows = rowsOf({5, 3});
    rows[0].label = std::string(200, 'x');
    rows[1].label = "\xc3\xa9" + std::string(100, '\xc3') ;  // bytes no font would mind
    const glance::ChartLayout layout = glance::layoutChart(rows, 480, fixedFont(), mib);
    for (const glance::ChartText& label : layout.labels) {
        EXPECT_LE(label.box.width(), 480 / 4);
        EXPECT_LE(fixedFont().width(label.text), label.box.width()) << label.text;
        EXPECT_NE(label.text.find("..."), std::string::npos);
        expectInside(layout, label.box);
        EXPECT_LE(label.box.right, layout.bars[0].left);  // names never under the bars
    }
}

TEST(ChartLayout, NothingMovedDrawsNoBarsOnAScaleOfOneStep) {
    const glance::ChartLayout zero = glance::layoutChart(rowsOf({0, 0, 0}), 400, fixedFont(), mib);
    ASSERT_EQ(zero.bars.size(), 3u);
    for (const auto& bar : zero.bars) EXPECT_EQ(bar.width(), 0);
    EXPECT_GT(zero.scaleMax, 0);
    EXPECT_TRUE(std::isfinite(zero.scaleMax));
    const glance::ChartLayout none = glance::layoutChart({}, 400, fixedFont(), mib);
    EXPECT_TRUE(none.bars.empty());
    EXPECT_GT(none.height, 0);
    // Values no server sends are drawn as nothing, not as a broken scale.
    const glance::ChartLayout odd = glance::layoutChart(rowsOf({-5, NAN, 3}), 400, fixedFont(), mib);
    EXPECT_EQ(odd.bars[0].width(), 0);
    EXPECT_EQ(odd.bars[1].width(), 0);
    EXPECT_GT(odd.bars[2].width(), 0);
}

TEST(ChartLayout, OneBarFillsTheScale) {
    const glance::ChartLayout layout = glance::layoutChart(rowsOf({1234}), 500, fixedFont(), mib);
    ASSERT_EQ(layout.bars.size(), 1u);
    EXPECT_GT(layout.bars[0].width(), 0);
    EXPECT_GE(layout.scaleMax, 1234);
    EXPECT_LE(layout.scaleMax, 1234 * 2);
    expectInside(layout, layout.bars[0]);
    EXPECT_EQ(layout.amounts[0].text, "1.21 GiB  1 file");
}

TEST(ChartLayout, AHundredBarsEachGetALineAndTheChartGrows) {
    std::vector<glance::ChartRow> rows;
    for (int i = 100; i > 0; --i) rows.push_back({"u" + std::to_string(i), i * 1.5, mib(i * 1.5), ""});
    const glance::ChartLayout small = glance::layoutChart(rows, 500, fixedFont(), mib);
    ASSERT_EQ(small.bars.size(), 100u);
    EXPECT_GE(small.height, 100 * 16);
    for (std::size_t i = 0; i < small.bars.size(); ++i) {
        EXPECT_EQ(small.bars[i].height(), 16);
        EXPECT_GE(small.labels[i].box.height(), 16);
        if (i > 0) {
            EXPECT_GE(small.bars[i].top, small.bars[i - 1].bottom);
        }
        expectInside(small, small.bars[i]);
    }
    // Twice the font (200 % display scale): twice the sizes, the same proportions.
    const glance::ChartFont large{[](std::string_view text) { return static_cast<int>(text.size()) * 14; }, 32};
    const glance::ChartLayout big = glance::layoutChart(rows, 1000, large, mib);
    EXPECT_NEAR(big.height, 2 * small.height, 4);
    EXPECT_NEAR(big.bars[10].width(), 2 * small.bars[10].width(), 3);
}

TEST(ChartLayout, RoundSteps) {
    EXPECT_DOUBLE_EQ(glance::roundStep(9, 5), 2);
    EXPECT_DOUBLE_EQ(glance::roundStep(10, 10), 1);
    EXPECT_DOUBLE_EQ(glance::roundStep(0.3, 3), 0.1);
    EXPECT_DOUBLE_EQ(glance::roundStep(47000, 4), 20000);
    EXPECT_DOUBLE_EQ(glance::roundStep(68, 3), 25);
    EXPECT_DOUBLE_EQ(glance::roundStep(0, 4), 1);
    EXPECT_DOUBLE_EQ(glance::roundStep(1e300 * 1e300, 4), 1);
}

}  // namespace

// The simulated site answers as the readers expect, in both generations,
// with sessions that come and go and speeds that change.
#include "host/simsite/simulated_site.h"

namespace {

struct Seen {
    std::vector<glance::Session> sessions;
    glance::WhoTotals totals;
};

Seen look(simsite::SimulatedSite& site) {
    Seen seen;
    std::vector<glance::SwhoRow> swho;
    std::vector<glance::WhoRow> who;
    std::string failure;
    EXPECT_TRUE(glance::readSwho(site.handle("SITE SWHO"), swho, failure)) << failure;
    EXPECT_TRUE(glance::readWho(site.handle("SITE WHO"), who, seen.totals, failure)) << failure;
    seen.sessions = glance::joinSessions(swho, who);
    return seen;
}

TEST(GlanceSimulatedSite, SessionsComeAndGoAndTransfersChangeSpeedInBothGenerations) {
    for (auto generation : {simsite::SimulatedSite::Generation::Glftpd1, simsite::SimulatedSite::Generation::Glftpd2}) {
        for (bool colours : {false, true}) {
            simsite::SimulatedSite site;
            site.setGeneration(generation);
            site.setOperatorColours(colours);
            site.setSessionsAlive(true);
            std::set<std::size_t> counts;
            std::set<std::string> speeds;
            for (int step = 0; step < 8; ++step) {
                const Seen seen = look(site);
                counts.insert(seen.sessions.size());
                speeds.insert(std::to_string(seen.totals.uploadKiBs));
                EXPECT_EQ(seen.totals.online, static_cast<int>(seen.sessions.size()));
                for (const glance::Session& session : seen.sessions) {
                    EXPECT_FALSE(session.pid.empty());
                    EXPECT_FALSE(session.group.empty()) << session.user;  // SWHO and WHO agree on every row
                }
            }
            EXPECT_GE(counts.size(), 2u);   // a session came or went
            EXPECT_GE(speeds.size(), 3u);   // the uploads' speed moved
        }
    }
}

TEST(GlanceSimulatedSite, KickAndKillAnswerAsTheServerAndTheSessionIsGone) {
    simsite::SimulatedSite site;
    site.setGeneration(simsite::SimulatedSite::Generation::Glftpd2);
    const Seen before = look(site);
    ASSERT_GE(before.sessions.size(), 3u);
    const glance::Session& victim = before.sessions[1];
    const session::Reply killed = site.handle("SITE KILL " + victim.pid);
    EXPECT_EQ(killed.lines.back(), "200 PID " + victim.pid + " (" + victim.user + ") killed.");
    EXPECT_EQ(site.handle("SITE KILL 99999").lines.back(), "200 99999: Invalid PiD.");
    const Seen after = look(site);
    EXPECT_EQ(after.sessions.size(), before.sessions.size() - 1);
    const std::string kicked = after.sessions[1].user;
    EXPECT_EQ(site.handle("SITE KICK " + kicked).lines.back(), "200 Killed 1 connection.");
    EXPECT_EQ(site.handle("SITE KICK " + kicked).lines.back(), "200 User Not Found");
    EXPECT_EQ(site.handle("SITE KICK nosuchuser").lines.back(), "200 Error loading userfile for nosuchuser");
    for (const glance::Session& session : look(site).sessions) EXPECT_NE(session.user, kicked);
}

TEST(GlanceSimulatedSite, TopListsReadInBothGenerationsAndABusySiteReads) {
    simsite::SimulatedSite site;
    site.setGeneration(simsite::SimulatedSite::Generation::Glftpd2);
    for (glance::TopWho who : {glance::TopWho::Users, glance::TopWho::Groups}) {
        for (glance::TopPeriod period : {glance::TopPeriod::Week, glance::TopPeriod::Month, glance::TopPeriod::Day,
                                         glance::TopPeriod::AllTime}) {
            for (glance::TopDirection direction : {glance::TopDirection::Up, glance::TopDirection::Down}) {
                const std::string command = glance::topCommand({period, direction, who, 10});
                glance::TopList list;
                std::string failure;
                EXPECT_TRUE(glance::readTopList(site.handle(command), list, failure)) << command << ": " << failure;
                EXPECT_EQ(list.groups, who == glance::TopWho::Groups);
                EXPECT_LE(list.entries.size(), 10u);
                if (period == glance::TopPeriod::AllTime) {
                    EXPECT_FALSE(list.entries.empty()) << command;
                }
            }
        }
    }
    site.addBusySessions(500);
    const Seen busy = look(site);
    EXPECT_EQ(busy.sessions.size(), 506u);
    EXPECT_GT(busy.totals.uploadKiBs, 0);
    EXPECT_GT(busy.totals.downloadKiBs, 0);
}

}  // namespace
