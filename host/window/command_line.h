#pragma once
// The reference host's command line: what it asks for, or why it makes no
// sense. Nothing is connected, read or saved here.
#include <string>
#include <vector>

struct CommandLine {
    std::string tourDirectory;  // --tour DIR: walk and picture every page, then exit
    bool glftpd2 = false;
    bool colours = false;

    // A live site: --site HOST[:PORT] --user NAME, or --load NAME.
    std::string host;
    int port = 21;
    std::string user;
    std::string fingerprint;
    bool plain = false;
    std::string passwordFile;
    std::string loadName;
    // --save NAME: saves --site/--user/--fingerprint/--plain under NAME and
    // exits; the password only with --remember-password.
    std::string saveName;
    bool rememberPassword = false;
    std::string sitesFile;  // the saved sites' file instead of the operator's own

    int timeoutMs = 0;     // 0: the connection's default
    int replyLimitMs = 0;  // 0: the connection's default
    int keepAliveMs = 60000;
    std::string transcriptFile;

    bool touring() const { return !tourDirectory.empty(); }
    bool live() const { return !host.empty() || !loadName.empty(); }
};

extern const char commandLineUsage[];

// Reads the words after the program's name; empty when they make sense,
// otherwise what is wrong with them (the password never comes from here).
std::string parseCommandLine(const std::vector<std::string>& words, CommandLine& line);
