// The saved sites' collection and its INI text: what round-trips, what a
// person may write by hand, and how a damaged file is reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/sites/password_file.h"
#include "host/sites/saved_sites.h"

namespace {

using sites::SavedSite;
using sites::SavedSites;
using sites::SitesDamage;

const std::string pin = "0E:CF:16:A1:22:9B:00:FF:10:20:30:40:50:60:70:80:90:A0:B0:C0:D0:E0:F0:01:02:03:04:05:06:07:3A:43";

std::string describe(const SavedSite& site) {
    std::string text = site.name + "|" + site.host + "|" + std::to_string(site.port) + "|" + site.user + "|" +
                       (site.requireTls ? "tls" : "plain") + "|" + site.fingerprint + "|" + site.protectedPassword;
    for (const std::string& command : site.ownCommands) {
        text += "|" + command;
    }
    return text;
}

std::vector<std::string> describe(const SavedSites& sites) {
    std::vector<std::string> all;
    for (const SavedSite& site : sites.all()) {
        all.push_back(describe(site));
    }
    return all;
}

std::string repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) {
        all += text;
    }
    return all;
}

SavedSite site(const std::string& name, const std::string& host = "ftp.example.net") {
    SavedSite made;
    made.name = name;
    made.host = host;
    return made;
}

TEST(SavedSitesFile, RoundTripsEverySiteExactly) {
    std::vector<SavedSite> table = {
        {"Main site", "ftp.example.net", 2121, "siteop", true, pin, "01000000d08c9ddf0115d111", {"SITE WHO", "SITE NUKE x 3 why; =[]"}},
        {"a;b=c [x", "10.0.0.1", 1, "site op", false, "", "", {}},
        {"; not a comment", "h", 65535, "", true, "", "ABCDEF", {}},
        {"[bracketed", "h", 21, "=user;", false, pin, "", {std::string(255, 'c')}},
        {"Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x9A\x80", "ftp.\xC3\xA9xample.net", 990, "\xC3\xBC" "ser", true, "", "",
         {"SITE \xE6\x97\xA5"}},
        {std::string(255, 'n'), std::string(255, 'h'), 21, repeated("\xE6\x97\xA5", 255), true, "", "",
         std::vector<std::string>(64, "SITE X")},
    };
    SavedSites sites;
    for (const SavedSite& one : table) {
        std::string why;
        ASSERT_TRUE(sites.put(one, why)) << one.name << ": " << why;
    }

    SavedSites read;
    const std::vector<SitesDamage> damage = sites::parseSites(sites::formatSites(sites), read);
    EXPECT_EQ(sites::damageText(damage), "");
    std::vector<std::string> expected;
    for (const SavedSite& one : table) {
        expected.push_back(describe(one));
    }
    EXPECT_EQ(describe(read), expected);
}

TEST(SavedSitesFile, WritesWhatAPersonCanRead) {
    SavedSites sites;
    std::string why;
    ASSERT_TRUE(sites.put({"Main site", "ftp.example.net", 2121, "siteop", true, pin, "0100ab", {"SITE WHO", "SITE WHO"}}, why));
    ASSERT_TRUE(sites.put({"Test box", "10.0.0.1", 21, "", false, "", "", {}}, why));
    ASSERT_TRUE(sites.put({"Plain", "h", 21, "", true, "", "", {}}, why));
    // Only the keys whose absence would mean something else.
    EXPECT_EQ(sites::formatSites(sites),
              "; Quorin reference host: saved sites. Passwords are kept only in\r\n"
              "; protected form, readable by this Windows user on this machine.\r\n"
              "\r\n[Main site]\r\nhost=ftp.example.net\r\nport=2121\r\nuser=siteop\r\nfingerprint=" +
                  pin + "\r\npassword=0100ab\r\ncommand=SITE WHO\r\ncommand=SITE WHO\r\n"
                        "\r\n[Test box]\r\nhost=10.0.0.1\r\ntls=no\r\n"
                        "\r\n[Plain]\r\nhost=h\r\n");
}

TEST(SavedSitesFile, ReadsWhatAPersonWrites) {
    SavedSites read;
    const std::string text =
        "\xEF\xBB\xBF; my sites\n"
        "  [ Main ]  \n"
        "  Host = ftp.example.net \n"
        "TLS=No\n"
        "port = 0990\n"
        "fingerprint = sha256 Fingerprint=0ecf16a1229b00ff102030405060708090a0b0c0d0e0f00102030405060" "73a43\n"
        "\n"
        "[Other]\r\n"
        "host=h;x\r\n";
    EXPECT_EQ(sites::damageText(sites::parseSites(text, read)), "");
    EXPECT_EQ(describe(read),
              (std::vector<std::string>{"Main|ftp.example.net|990||plain|" + pin + "|", "Other|h;x|21||tls||"}));
}

struct DamageCase {
    const char* name;
    std::string text;
    std::vector<std::string> damage;  // "line: what"
    std::vector<std::string> kept;
};

TEST(SavedSitesFile, ReportsDamageByLine) {
    const std::string badPin = "0E:CF:16";
    const std::vector<DamageCase> table = {
        {"stray line", "[A]\nhost=h\njunk\n",
         {"3: neither a [site] line, key=value, a blank line nor a ';' comment"}, {}},
        {"unknown key", "[A]\nhost=h\nfingerprnt=" + pin + "\n", {"3: unknown key 'fingerprnt'"}, {}},
        {"port too large", "[A]\nhost=h\nport=99999\n", {"3: port must be a number from 1 to 65535, not '99999'"}, {}},
        {"port zero", "[A]\nhost=h\nport=0\n", {"3: port must be a number from 1 to 65535, not '0'"}, {}},
        {"port signed", "[A]\nhost=h\nport=-21\n", {"3: port must be a number from 1 to 65535, not '-21'"}, {}},
        {"port not a number", "[A]\nport=21x\nhost=h\n", {"2: port must be a number from 1 to 65535, not '21x'"}, {}},
        {"short fingerprint", "[A]\nhost=h\nfingerprint=" + badPin + "\n",
         {"3: fingerprint is not a SHA-256 fingerprint (32 hex pairs)"}, {}},
        {"password not hex", "[A]\nhost=h\npassword=01zz\n", {"3: password is not the hex of a protected password"}, {}},
        {"password odd", "[A]\nhost=h\npassword=010\n", {"3: password is not the hex of a protected password"}, {}},
        {"tls maybe", "[A]\nhost=h\ntls=maybe\n", {"3: tls must be yes or no, not 'maybe'"}, {}},
        {"no host", "[A]\nport=21\n[B]\nhost=\n", {"1: site 'A' has no host", "4: host is empty"}, {}},
        {"key twice", "[A]\nhost=a\nHOST=b\n", {"3: host is given twice for site 'A'"}, {}},
        {"site twice", "[Main]\nhost=a\n\n[MAIN]\nhost=b\n", {"4: site 'MAIN' appears twice (first on line 1)"},
         {"Main"}},
        {"key before any site", "host=h\n[A]\nhost=h\n", {"1: 'host' comes before any [site] line"}, {"A"}},
        {"unclosed name", "[A\nhost=h\n[B]\nhost=h\n", {"1: a site's name has no closing ']'"}, {"B"}},
        {"text after name", "[A] ; old\nhost=h\n", {"1: text after the site's ']'"}, {}},
        {"empty name", "[  ]\nhost=h\n", {"1: a site has no name"}, {}},
        {"control character", "[A]\nhost=h\nuser=a\x01" "b\n",
         {"3: user holds a line break or another control character"}, {}},
        {"not UTF-8", "[Caf\xE9]\nhost=h\n[B]\nhost=h\xC3\n", {"1: the site's name is not UTF-8 text", "4: host is not UTF-8 text"},
         {}},
        {"host too long", "[A]\nhost=" + std::string(256, 'h') + "\n", {"2: host is longer than 255 characters"}, {}},
        {"blob too long", "[A]\nhost=h\npassword=" + std::string(8194, 'a') + "\n",
         {"3: password is longer than 8192 hex digits"}, {}},
        {"old Mac line ends", "[A]\rhost=h\r", {"1: text after the site's ']'"}, {}},
        {"empty command", "[A]\nhost=h\ncommand=\n", {"3: a command is empty"}, {}},
        {"command too long", "[A]\nhost=h\ncommand=" + std::string(256, 'c') + "\n",
         {"3: a command is longer than 255 bytes"}, {}},
        {"command not UTF-8", "[A]\nhost=h\ncommand=SITE \xFF\n", {"3: a command is not UTF-8 text"}, {}},
        {"command with a control", "[A]\nhost=h\ncommand=SITE\x1b[2J\n",
         {"3: a command holds a line break or another control character"}, {}},
        {"65 commands", "[A]\nhost=h\n" + repeated("command=SITE WHO\n", 65),
         {"67: site 'A' has more than 64 own commands"}, {}},
        {"more sites than kept", repeated("[s]\nhost=h\n", 1) + [] {
             std::string many;
             for (int i = 1; i <= 10000; ++i) {
                 many += "[s" + std::to_string(i) + "]\nhost=h\n";
             }
             return many;
         }(),
         {"20001: there would be more than 10000 saved sites, more than the host keeps"}, {}},
        {"several", "[A]\nhost=h\n[B]\nport=x\nnoise\n[C]\nhost=c\n",
         {"4: port must be a number from 1 to 65535, not 'x'",
          "5: neither a [site] line, key=value, a blank line nor a ';' comment"},
         {"A", "C"}},
    };
    for (const DamageCase& row : table) {
        SavedSites read;
        std::vector<std::string> damage;
        for (const SitesDamage& one : sites::parseSites(row.text, read)) {
            damage.push_back(std::to_string(one.line) + ": " + one.what);
        }
        EXPECT_EQ(damage, row.damage) << row.name;
        if (read.names().size() < 100) {  // a row of thousands of sites checks its damage only
            EXPECT_EQ(read.names(), row.kept) << row.name;
        }
    }
}

// The largest file the reader takes, of sections that grow when written
// (LF line ends, no blank lines): whatever it reads, the writer writes back
// within the bound, and that reads back to the same sites.
TEST(SavedSitesFile, WhatTheReaderTakesTheWriterWritesBack) {
    std::string text;
    for (int i = 0; text.size() < sites::maxFileBytes - 300; ++i) {
        text += "[" + std::to_string(i) + std::string(240, 'n') + "]\nhost=h\n";
    }
    SavedSites read;
    const std::vector<SitesDamage> damage = sites::parseSites(text, read);
    ASSERT_FALSE(damage.empty());
    const std::string shown = sites::damageText(damage);
    EXPECT_NE(shown.find("would take more than 1 MB"), std::string::npos);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 20) << "the first 20 and how many more";
    const std::string written = sites::formatSites(read);
    EXPECT_LE(written.size(), sites::maxFileBytes);
    SavedSites again;
    EXPECT_TRUE(sites::parseSites(written, again).empty());
    EXPECT_EQ(again.all().size(), read.all().size());
    EXPECT_EQ(sites::formatSites(again), written);
    std::string why;
    EXPECT_FALSE(again.put(site("one more"), why));
    EXPECT_TRUE(again.remove(again.names().front()));
    EXPECT_TRUE(again.put(site("one more"), why)) << why;
    EXPECT_EQ(again.find("ONE MORE")->name, "one more");
    EXPECT_EQ(again.names().back(), "one more");
}

TEST(SavedSites, FindsPutsAndRemovesWithoutRegardToCase) {
    SavedSites sites;
    std::string why;
    ASSERT_TRUE(sites.put(site("Main", "a"), why));
    SavedSite pinned = site("Test", "b");
    pinned.fingerprint = " 0ecf16a1229b00ff102030405060708090a0b0c0d0e0f0010203040506073a43 ";
    ASSERT_TRUE(sites.put(pinned, why));
    EXPECT_EQ(sites.find("test")->fingerprint, pin) << "kept as openssl prints it";
    ASSERT_TRUE(sites.put(site("\xC3\xA9t\xC3\xA9", "c"), why));

    ASSERT_NE(sites.find("mAIN"), nullptr);
    EXPECT_EQ(sites.find("mAIN")->host, "a");
    EXPECT_EQ(sites.find("\xC3\x89T\xC3\x89"), nullptr) << "only ASCII letters fold";
    EXPECT_EQ(sites.find("Mai"), nullptr);

    ASSERT_TRUE(sites.put(site("MAIN", "z"), why));
    EXPECT_EQ(sites.names(), (std::vector<std::string>{"MAIN", "Test", "\xC3\xA9t\xC3\xA9"}));
    EXPECT_EQ(sites.find("main")->host, "z");

    EXPECT_TRUE(sites.remove("test"));
    EXPECT_FALSE(sites.remove("test"));
    EXPECT_EQ(sites.names(), (std::vector<std::string>{"MAIN", "\xC3\xA9t\xC3\xA9"}));
}

TEST(SavedSites, RefusesWhatTheFileCannotHoldExactly) {
    struct Row {
        SavedSite site;
        const char* why;
    };
    SavedSite portless = site("A");
    portless.port = 65536;
    SavedSite pinned = site("A");
    pinned.fingerprint = "0E:CF";
    SavedSite locked = site("A");
    locked.protectedPassword = "not hex";
    SavedSite tabbed = site("A");
    tabbed.user = "site\top";
    SavedSite spaced = site("A");
    spaced.user = "siteop ";
    SavedSite blankCommand = site("A");
    blankCommand.ownCommands = {"SITE WHO "};
    SavedSite tooMany = site("A");
    tooMany.ownCommands.assign(65, "SITE WHO");
    const std::vector<Row> table = {
        {site(""), "a site needs a name"},
        {site("a]b"), "the name holds ']'"},
        {site("two\nlines"), "the name holds a line break or another control character"},
        {site("cr\r"), "the name holds a line break or another control character"},
        {site(std::string("nul\0x", 5)), "the name holds a line break or another control character"},
        {site(" lead"), "the name starts or ends with a blank"},
        {site("trail "), "the name starts or ends with a blank"},
        {site("A", ""), "host is empty"},
        {site("A", "h\n"), "host holds a line break or another control character"},
        {portless, "port must be a number from 1 to 65535, not 65536"},
        {pinned, "fingerprint is not a SHA-256 fingerprint (32 hex pairs)"},
        {locked, "password is not the hex of a protected password"},
        {tabbed, "user holds a line break or another control character"},
        {spaced, "user starts or ends with a blank"},
        {site("Caf\xE9"), "the name is not UTF-8 text"},
        {site("\xED\xA0\x80"), "the name is not UTF-8 text"},  // a surrogate
        {site("\xC0\xAF"), "the name is not UTF-8 text"},      // overlong '/'
        {site(repeated("\xE6\x97\xA5", 256)), "the name is longer than 255 characters"},
        {site("A", std::string(256, 'h')), "host is longer than 255 characters"},
        {blankCommand, "a command starts or ends with a blank"},
        {tooMany, "more than 64 own commands"},
    };
    for (const Row& row : table) {
        SavedSites sites;
        std::string why;
        EXPECT_FALSE(sites.put(row.site, why)) << row.why;
        EXPECT_EQ(why, row.why);
        EXPECT_TRUE(sites.names().empty());
    }
}

}  // namespace

namespace {

// A connection is a saved site's only when it is exactly that site's; only
// then do its pin and password go into it.
// An own command that holds a password is kept without it, however it
// reaches the collection: put by the page, or read from a file an older
// host wrote. What the file then holds is what the reader takes back.
TEST(SavedSites, KeepsNoPasswordOfAnOwnCommand) {
    const std::vector<std::pair<std::string, std::string>> table = {
        {"SITE ADDUSER bob s3cretPW *@10.0.0.*", "SITE ADDUSER bob"},
        {"SITE CHPASS  s3cretPW", "SITE CHPASS"},
        {"SITE REQUESTS", "SITE REQUESTS"},
    };
    SavedSite typed = site("Main");
    std::vector<std::string> expected;
    for (const auto& row : table) {
        typed.ownCommands.push_back(row.first);
        expected.push_back(row.second);
    }
    SavedSites sites;
    std::string why;
    ASSERT_TRUE(sites.put(typed, why)) << why;
    EXPECT_EQ(sites.find("Main")->ownCommands, expected);
    const std::string text = sites::formatSites(sites);
    EXPECT_EQ(text.find("s3cretPW"), std::string::npos) << text;

    std::string older = "[Main]\r\nhost=ftp.example.net\r\n";
    for (const auto& row : table) {
        older += "command=" + row.first + "\r\n";
    }
    SavedSites read;
    EXPECT_TRUE(sites::parseSites(older, read).empty());
    EXPECT_EQ(read.find("Main")->ownCommands, expected);
    EXPECT_EQ(sites::formatSites(read), text) << "written back without the passwords";
    EXPECT_TRUE(read.passwordsLeftOut()) << "the host writes the file again";
    SavedSites clean;
    EXPECT_TRUE(sites::parseSites(text, clean).empty());
    EXPECT_FALSE(clean.passwordsLeftOut());
}

TEST(SavedSites, BindOnlyTheConnectionTheNameStandsFor) {
    SavedSites sites;
    std::string why;
    ASSERT_TRUE(sites.put({"Main", "ftp.example.net", 2121, "siteop", true, pin, "00", {}}, why));
    const sites::SiteKey own{"ftp.example.net", 2121, "siteop", true, pin};
    const struct {
        const char* what;
        std::string name;
        sites::SiteKey key;
        bool binds;
    } table[] = {
        {"its own connection", "Main", own, true},
        {"name and host in other case, pin as typed", "MAIN", {"FTP.example.NET", 2121, "siteop", true, " 0ecf16a1229b00ff102030405060708090a0b0c0d0e0f0010203040506073a43"}, true},
        {"another host", "Main", {"ftp.example.org", 2121, "siteop", true, pin}, false},
        {"another port", "Main", {"ftp.example.net", 2122, "siteop", true, pin}, false},
        {"another user", "Main", {"ftp.example.net", 2121, "SiteOp", true, pin}, false},
        {"without TLS", "Main", {"ftp.example.net", 2121, "siteop", false, pin}, false},
        {"pin cleared", "Main", {"ftp.example.net", 2121, "siteop", true, ""}, false},
        {"no such name", "Other", own, false},
    };
    for (const auto& row : table) {
        EXPECT_EQ(sites.bind(row.name, row.key) != nullptr, row.binds) << row.what;
        SavedSites changed = sites;
        EXPECT_EQ(changed.setProtectedPassword(row.name, row.key, "ab", why), row.binds) << row.what;
        EXPECT_EQ(changed.setOwnCommands(row.name, row.key, {"SITE WHO"}, why), row.binds) << row.what;
        EXPECT_EQ(changed.find("Main")->protectedPassword, row.binds ? "ab" : "00") << row.what;
        EXPECT_EQ(changed.find("Main")->ownCommands.size(), row.binds ? 1u : 0u) << row.what;
        EXPECT_EQ(changed.pin(row.name, row.key, "", "cd", why), row.binds) << row.what;
        EXPECT_EQ(changed.find("Main")->protectedPassword, row.binds ? "cd" : "00") << row.what;
        // A password is protected for the whole binding: any other key, another entropy.
        EXPECT_EQ(sites::passwordEntropy(own) == sites::passwordEntropy(row.key), row.binds || row.name == "Other")
            << row.what;
    }
    EXPECT_NE(sites::passwordEntropy(own), sites::passwordEntropy({"ftp.example.net", 212, "1siteop", true, pin}));
}

TEST(PasswordFile, TakesTheFirstLineWholeOrRefuses) {
    const struct {
        std::string bytes;
        bool taken;
        std::string password;
    } table[] = {
        {"secret\n", true, "secret"},
        {"secret\r\nsecond line\r\n", true, "secret"},
        {"\xEF\xBB\xBFsecret\r\n", true, "secret"},
        {"\xEF\xBB\xBF", true, ""},
        {"", true, ""},
        {"p\xC3\xA4ss w\xC3\xB6rd", true, "p\xC3\xA4ss w\xC3\xB6rd"},
        {"\xEF\xBB\xBF\xEF\xBB\xBFx", true, "\xEF\xBB\xBFx"},
        {std::string(1023, 'p'), true, std::string(1023, 'p')},
        {std::string(1024, 'p'), false, ""},
        {"short\n" + std::string(1100, 'x'), false, ""},
    };
    for (const auto& row : table) {
        std::string password;
        std::string why;
        EXPECT_EQ(sites::passwordFromFile(row.bytes, password, why), row.taken) << row.bytes.size() << " bytes";
        EXPECT_EQ(password, row.password) << row.bytes.size() << " bytes";
        EXPECT_EQ(why.find("longer than 1023 bytes") != std::string::npos, !row.taken) << why;
    }
}

}  // namespace
