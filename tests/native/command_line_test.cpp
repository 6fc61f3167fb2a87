// The reference host's command line: what makes sense together and what is
// refused before anything is connected, read or saved.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/window/command_line.h"

namespace {

std::vector<std::string> wordsOf(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

TEST(HostCommandLine, RefusesWhatMakesNoSenseBeforeAnythingIsSent) {
    const struct {
        const char* words;
        const char* refusal;  // empty: accepted
    } cases[] = {
        {"--tour out --glftpd2 --colours", ""},
        {"--site ftp.example.net:2121 --user siteop --password-file pw --fingerprint AB:CD", ""},
        {"--site [::1]:21 --user u --plain --timeout 5 --reply-limit 900 --keepalive 3", ""},
        {"--tour out --load Main --password-file pw --fingerprint AB:CD", ""},
        {"--save Main --site h --user u --remember-password --password-file pw", ""},
        {"--tour out --load x --bogus", "unknown option --bogus"},
        {"--site h --user u --plain --fingerprint AB:CD", "cannot go with --plain"},
        {"--site h --user u --glftpd2", "they cannot go with --site or --load"},
        {"--tour out --load Main --colours", "they cannot go with --site or --load"},
        {"--save Main --site h --user u --glftpd2", "they cannot go with --site or --load"},
        {"--site h --user u --password secret", "never from the command line"},
        {"--site h:99999 --user u", "--site takes HOST or HOST:PORT"},
        {"--site h", "--site needs --user"},
        {"--user u", "go with --site HOST[:PORT] or --load NAME"},
        {"--site h --user u --timeout 0", "--timeout takes whole seconds"},
        {"--site h --user u --reply-limit 86401", "--reply-limit takes whole seconds"},
        {"--tour", "--tour needs a value"},
        {"--load Main --site h", "cannot go with --site"},
        {"--save Main --load Main", "cannot go with --tour or --load"},
        {"--save Main --site h", "--save needs --site HOST[:PORT] and --user NAME"},
        {"--save Main --site h --user u --remember-password", "--remember-password needs --password-file"},
        {"--site h --user u --remember-password --password-file pw", "--remember-password goes with --save"},
        {"--help", ""},
        {"/?", ""},
        {"--tour out --transcript no-such-folder/transcript.txt", "cannot be opened for writing"},
        {"--transcript .", "cannot be opened for writing"},
    };
    for (const auto& c : cases) {
        CommandLine line;
        std::string refusal = parseCommandLine(wordsOf(c.words), line);
        if (refusal.empty()) {
            // As the host goes on: the transcript file is tried before anything else.
            refusal = transcriptFileProblem(line.transcriptFile);
        }
        if (*c.refusal == '\0') {
            EXPECT_EQ(refusal, "") << c.words;
        } else {
            EXPECT_NE(refusal.find(c.refusal), std::string::npos) << c.words << " -> " << refusal;
        }
    }
}

TEST(HostCommandLine, ReadsTheSiteAndItsLimits) {
    CommandLine line;
    ASSERT_EQ(parseCommandLine(wordsOf("--site [2001:db8::1]:2121 --user siteop --timeout 5 --keepalive 3"), line),
              "");
    EXPECT_EQ(line.host, "2001:db8::1");
    EXPECT_EQ(line.port, 2121);
    EXPECT_EQ(line.timeoutMs, 5000);
    EXPECT_EQ(line.keepAliveMs, 3000);
    EXPECT_EQ(line.replyLimitMs, 0);
    EXPECT_TRUE(line.live());
    EXPECT_FALSE(line.touring());
}

// --help and /? whatever follows; each option on a line of its own with its
// default, in an 80-column console.
TEST(HostCommandLine, HelpListsEveryOptionWithItsDefault) {
    for (const char* words : {"--help", "/?", "--site h --help --bogus"}) {
        CommandLine line;
        EXPECT_EQ(parseCommandLine(wordsOf(words), line), "") << words;
        EXPECT_TRUE(line.help) << words;
    }
    std::istringstream text(std::string(commandLineUsage) + "\n" + commandLineOptions);
    int options = 0;
    for (std::string row; std::getline(text, row);) {
        EXPECT_LE(row.size(), 79u) << row;
        if (row.compare(0, 4, "  --") != 0) {
            continue;
        }
        ++options;
        const std::string option = row.substr(2, row.find_first_of(" ,", 2) - 2);
        CommandLine line;
        EXPECT_EQ(parseCommandLine({option, "1"}, line).find("unknown option " + option), std::string::npos) << row;
        if (option != "--help") {
            EXPECT_EQ(row.back(), ']') << row;
        }
    }
    // The parser's twelve options with a value, its four flags and --help.
    EXPECT_EQ(options, 17);
}

}  // namespace
