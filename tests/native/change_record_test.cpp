// The change record's lines: what the writer makes of any text a server
// sends (one line a change, whatever the reply holds), the outcome and the
// read-back it gives real glftpd 2.13 replies, and what the reader keeps of
// a record with a heading, damaged lines and a last line cut short.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/history/change_log.h"
#include "host/history/change_record.h"
#include "host/history/read_back.h"
#include "host/history/record_view.h"

namespace {

using history::Outcome;

std::string fixtureDir() {
    const std::string dir = std::string(QUORIN_FIXTURE_DIR) + "/glftpd213";
    std::error_code error;
    if (std::filesystem::is_directory(dir, error)) return dir;
    return "Z:" + dir;  // the 32-bit build under Wine
}

session::Reply replyOf(const std::string& file) {
    std::ifstream in(fixtureDir() + "/" + file, std::ios::binary);
    session::Reply reply;
    std::string line;
    while (std::getline(in, line)) reply.lines.push_back(line);
    EXPECT_FALSE(reply.lines.empty()) << "no fixture " << file;
    if (!reply.lines.empty()) reply.code = std::atoi(reply.lines.back().substr(0, 3).c_str());
    return reply;
}

history::Change sampleChange(const std::string& server) {
    history::Change change;
    change.time = "2026-12-08T05:12:03+01:00";
    change.account = "siteop";
    change.page = "Groups";
    change.command = "SITE GRPCHANGE iso slots 7";
    change.server = server;
    change.readBack = history::writtenAndReadBack;
    change.outcome = Outcome::Took;
    return change;
}

// Whatever a server answers, its change stays one line of seven fields that
// the reader takes, with the server's text written out in its field.
TEST(ChangeRecord, AServerReplyCannotMakeALineOfItsOwn) {
    const struct {
        const char* what;
        std::string server;
        std::string field;
    } rows[] = {
        {"plain", "200 User (frank) successfully added.", "200 User (frank) successfully added."},
        {"a forged line", "200 ok\r\n2026-12-08T00:00:00+00:00\tx\ty\tz\tw\tv\ttook",
         "200 ok\\r\\n2026-12-08T00:00:00+00:00\\tx\\ty\\tz\\tw\\tv\\ttook"},
        {"colour", "\x1b[1;31mred\x1b[0m", "\\x1b[1;31mred\\x1b[0m"},
        {"line separator", "a\xe2\x80\xa8" "b", "a\\u2028b"},
        {"next line (C1)", "a\xc2\x85" "b", "a\\u0085b"},
        {"right-to-left override", "\xe2\x80\xae" "kcatta", "\\u202ekcatta"},
        {"not UTF-8", "caf\xe9 \xff", "caf\\xe9 \\xff"},
        {"a backslash is no escape", "C:\\x1b\\n", "C:\\\\x1b\\\\n"},
        {"NUL", std::string("a\0b", 3), "a\\x00b"},
        {"the site's own script", "Gr\xc3\xbc\xc3\x9f" "e \xe6\x97\xa5\xe6\x9c\xac", "Gr\xc3\xbc\xc3\x9f" "e \xe6\x97\xa5\xe6\x9c\xac"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string line = history::recordLine(sampleChange(row.server));
        ASSERT_EQ(line.find('\n'), line.size() - 1) << line;
        history::RecordView view;
        view.read("# heading\n" + line);
        ASSERT_EQ(view.size(), 1u);
        EXPECT_EQ(view.passedOver(), 0u);
        EXPECT_EQ(view.field(0, 4), row.field);
        EXPECT_EQ(view.field(0, 3), "SITE GRPCHANGE iso slots 7");
        EXPECT_EQ(view.outcome(0), Outcome::Took);
    }
}

// Took or refused, by glftpd 2.13's own replies (it refuses with code 200).
TEST(ChangeRecord, OutcomeOfRealReplies) {
    const struct {
        const char* file;
        Outcome outcome;
    } captured[] = {
        {"site-grpchange-iso-slots-10.txt", Outcome::Took},
        {"site-grpchange-nosuchgrp.txt", Outcome::Refused},
        {"site-grpchange-iso-slots-abc.txt", Outcome::Refused},
        {"site-change-max_sim_up-0.txt", Outcome::Took},
        {"site-change-nosuchuser.txt", Outcome::Refused},
        {"site-change-unknown-setting.txt", Outcome::Refused},
        {"site-change-expires-baddate.txt", Outcome::Refused},
        {"site-change-comment-50.txt", Outcome::Refused},  // 550 ASSERT
        {"site-change-list-with-missing.txt", Outcome::Refused},  // not all of it
        {"site-gadduser-exists.txt", Outcome::Refused},
        {"site-gadduser-iso-isouser1.txt", Outcome::Took},
        {"site-deluser-delme.txt", Outcome::Took},
        {"site-deluser-delme-again.txt", Outcome::Refused},
        {"site-deluser-plainuser.txt", Outcome::Refused},
        {"site-renuser-existing.txt", Outcome::Refused},
        {"site-chgadmin-isoadm-iso-give.txt", Outcome::Took},
        {"site-readd-nosuchuser.txt", Outcome::Refused},
        {"site-purge-star.txt", Outcome::Took},
    };
    for (const auto& row : captured) {
        EXPECT_EQ(history::outcomeOfReply(replyOf(row.file)), row.outcome) << row.file;
    }
    // The plug-in's commands, as glftpd answers them (docs of the server).
    const struct {
        std::vector<std::string> lines;
        int code;
        Outcome outcome;
    } written[] = {
        {{"200- User created, now adding IPs...", "200- ", "200 User (frank) successfully added."}, 200, Outcome::Took},
        {{"200 Successfully transferred 1024K to u."}, 200, Outcome::Took},
        {{"200 IP '*@10.0.0.*' successfully added to u."}, 200, Outcome::Took},
        {{"200 IP '*@10.*' not added: an equal or broader mask already exists."}, 200, Outcome::Refused},
        {{"200- ", "200 99999: Invalid PiD."}, 200, Outcome::Refused},
        {{"200 Sorry, no more open slots available."}, 200, Outcome::Refused},
        {{"200 Group delete failed. (g) linked to one or more users."}, 200, Outcome::Refused},
        {{"500 'SITE FOO': command not understood."}, 500, Outcome::Refused},
    };
    for (const auto& row : written) {
        session::Reply reply;
        reply.lines = row.lines;
        reply.code = row.code;
        EXPECT_EQ(history::outcomeOfReply(reply), row.outcome) << row.lines.back();
        EXPECT_EQ(history::serverWords(reply), row.lines.back());
    }
}

// What a page's read-back shows of the change before it.
TEST(ChangeRecord, ReadBackOfRealScreens) {
    const std::string d63(63, 'D');
    const struct {
        std::string change, read, file, readBack;
    } rows[] = {
        {"SITE GRPCHANGE iso slots 10", "SITE GRP iso", "site-grp-iso-slots-10.txt", "written and read back"},
        {"SITE GRPCHANGE iso slots 99999999", "SITE GRP iso", "site-grpchange-iso-slots-99999999-grp.txt",
         "the server holds slots -7937 instead"},
        {"SITE GRPCHANGE iso comment " + d63 + "D", "SITE GRP iso", "site-grp-iso-after-comment64.txt",
         "the server holds comment " + d63 + " instead"},
        {"SITE GRPCHANGE iso slots 10", "SITE GRP mp3", "site-grp-iso-slots-10.txt", ""},      // another group
        {"SITE GRPCHANGE iso slots 10", "SITE USER iso", "site-grp-iso-slots-10.txt", ""},     // another command
        {"SITE CHANGE isouser1 max_sim_up 0", "SITE USER isouser1", "site-change-max_sim_up-0-user.txt",
         "written and read back"},
        {"SITE CHANGE isouser1 max_sim_up -1", "SITE USER isouser1", "site-change-max_sim_up-minus1-user.txt",
         "written and read back"},  // shown as "Unlimited"
        {"SITE CHANGE isouser1 idle_time 0", "SITE USER isouser1", "site-change-idle_time-0-user.txt",
         "written and read back"},
        {"SITE CHANGE isouser1 idle_time 30", "SITE USER isouser1", "site-change-idle_time-minus1-user.txt",
         "the server holds idle_time Disabled instead"},
        {"SITE CHANGE isouser1 comment Courier", "SITE USER isouser1", "site-change-max_sim_up-0-user.txt",
         "the server holds comment Long-time courier, ask before moving instead"},
        {"SITE CHANGE =iso max_sim_up 0", "SITE USER =iso", "site-change-max_sim_up-0-user.txt", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(history::readBackOf(row.change, row.read, replyOf(row.file)), row.readBack) << row.change;
    }
}

// The reader: newest first; the heading, a damaged line and a cut last
// line passed over; filtered by text (any case) and outcome.
TEST(ChangeRecord, TheReaderPassesOverWhatIsNoChange) {
    history::Change change = sampleChange("200 Command Successful.");
    std::string text = history::recordHeading("Main");
    change.command = "SITE GRPCHANGE iso slots 7";
    text += history::recordLine(change);
    text += "2026-12-08T05:13:00+01:00\tsiteop\tGroups\tSITE GRPCHANGE iso\n";  // damaged by hand
    change.command = "SITE CHANGE bob comment x";
    change.outcome = Outcome::Refused;
    text += history::recordLine(change);
    text += "\n";
    change.command = "SITE NUKE Some.Release 3 bad";
    change.outcome = Outcome::Unknown;
    text += history::recordLine(change);
    const std::string cut = history::recordLine(change);
    history::RecordView view;
    for (std::size_t keep = 0; keep < cut.size(); ++keep) {
        view.read(text + cut.substr(0, keep));
        ASSERT_EQ(view.size(), 3u) << "cut after " << keep;
    }
    // A cut line the next writer ended with its line feed: still passed over.
    view.read(text + cut.substr(0, cut.size() - 4) + "\n" + history::recordLine(change));
    EXPECT_EQ(view.size(), 4u);
    EXPECT_EQ(view.passedOver(), 2u);

    view.read(text);
    ASSERT_EQ(view.size(), 3u);
    EXPECT_EQ(view.passedOver(), 1u);
    EXPECT_EQ(view.field(0, 3), "SITE NUKE Some.Release 3 bad");
    EXPECT_EQ(view.field(2, 3), "SITE GRPCHANGE iso slots 7");
    EXPECT_EQ(view.line(1), history::recordLine([&] {
                  history::Change refused = change;
                  refused.command = "SITE CHANGE bob comment x";
                  refused.outcome = Outcome::Refused;
                  return refused;
              }()).substr(0, view.line(1).size()));

    history::RecordFilter filter;
    filter.text = "grpCHANGE";
    view.filter(filter);
    ASSERT_EQ(view.size(), 1u);
    EXPECT_EQ(view.outcome(0), Outcome::Took);
    filter.text.clear();
    filter.took = false;
    view.filter(filter);
    ASSERT_EQ(view.size(), 2u);
    EXPECT_EQ(view.outcome(0), Outcome::Unknown);
    EXPECT_EQ(view.outcome(1), Outcome::Refused);
    filter.refused = filter.unknown = false;
    view.filter(filter);
    EXPECT_EQ(view.size(), 0u);
    EXPECT_EQ(view.total(), 3u);
}

// Which commands become lines, and when a host page's change is written.
TEST(ChangeRecord, TheLogKeepsChangesAndTheirReadBack) {
    std::vector<std::pair<std::string, std::string>> written;
    history::ChangeLog log([&](const std::string& record, const std::string& line) {
        written.push_back({record, line});
    });
    session::Reply done;
    done.lines = {"200 Command Successful."};
    history::Sent sent;
    sent.record = "site:Main";
    sent.time = "2026-12-08T05:12:03+01:00";
    sent.account = "siteop";
    sent.page = "Edit user";
    sent.reply = &done;
    for (const char* reading : {"SITE USER bob", "SITE GROUPS", "NOOP", "SITE WKUP 5"}) {
        sent.command = reading;
        log.sent(sent);
    }
    EXPECT_TRUE(written.empty()) << written.front().second;
    sent.command = "SITE CHPASS bob s3cret word";
    log.sent(sent);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_NE(written[0].second.find("\tSITE CHPASS bob ****\t200 Command Successful.\t\ttook\n"), std::string::npos)
        << written[0].second;

    // A host page's change waits for its read-back.
    sent.page = "Groups";
    sent.readsBack = true;
    sent.command = "SITE GRPCHANGE iso slots 99999999";
    log.sent(sent);
    sent.command = "SITE GRPCHANGE iso comment x";
    log.sent(sent);
    EXPECT_EQ(log.waiting(), 2u);
    const session::Reply grp = replyOf("site-grpchange-iso-slots-99999999-grp.txt");
    sent.reply = &grp;
    sent.command = "SITE GRP iso";
    log.sent(sent);
    log.readBack("");  // the page's next change begins
    ASSERT_EQ(written.size(), 3u);
    EXPECT_NE(written[1].second.find("\tthe server holds slots -7937 instead\ttook\n"), std::string::npos)
        << written[1].second;
    EXPECT_NE(written[2].second.find("\tthe server holds comment "), std::string::npos) << written[2].second;

    // The page's own words win; none: said so; a cancel is unknown.
    sent.reply = &done;
    sent.command = "SITE CHGADMIN bob iso";
    log.sent(sent);
    log.readBack("bob is group admin of iso");
    sent.reply = nullptr;
    sent.failure = "cancelled by the operator; the outcome is unknown";
    sent.command = "SITE GRPCHANGE iso slots 3";
    log.sent(sent);
    sent.record = "simulated";  // another site: what waits goes first
    log.sent(sent);
    log.flush();
    ASSERT_EQ(written.size(), 6u);
    EXPECT_NE(written[3].second.find("\tbob is group admin of iso\ttook\n"), std::string::npos) << written[3].second;
    EXPECT_EQ(written[4].first, "site:Main");
    EXPECT_NE(written[4].second.find("\tcancelled by the operator; the outcome is unknown\t" +
                                     std::string(history::noReadBack) + "\tunknown\n"),
              std::string::npos)
        << written[4].second;
    EXPECT_EQ(written[5].first, "simulated");
}

TEST(ChangeRecord, FileNamesAndTimes) {
    EXPECT_EQ(history::recordFileName({true, "Main"}), "changes-site-main.txt");
    EXPECT_EQ(history::recordFileName({true, "MAIN"}), history::recordFileName({true, "main"}));
    EXPECT_EQ(history::olderFileName({false, "ftp.example.net:2121"}), "changes-address-ftp.example.net%3A2121.older.txt");
    EXPECT_EQ(history::recordFileName({true, "a/b\\c*?<>|\" \xc3\xa9"}), "changes-site-a%2Fb%5Cc%2A%3F%3C%3E%7C%22%20%C3%A9.txt");
    const std::string longName(255, 'x');
    const std::string longFile = history::recordFileName({true, longName});
    EXPECT_LE(longFile.size(), 120u);
    EXPECT_NE(longFile, history::recordFileName({true, longName + "y"}));
    history::LocalTime time{2026, 12, 8, 5, 2, 3, -330};
    EXPECT_EQ(history::timeText(time), "2026-12-08T05:02:03-05:30");
    time.offsetMinutes = 60;
    EXPECT_EQ(history::timeText(time), "2026-12-08T05:02:03+01:00");
}

}  // namespace
