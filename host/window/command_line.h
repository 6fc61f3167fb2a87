#pragma once
// The reference host's command line: what it asks for, or why it makes no
// sense. Nothing is connected, read or saved here.
#include <string>
#include <vector>

struct CommandLine {
    bool help = false;          // --help or /?: the usage, nothing else
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

// The command's forms (shown with a refusal), and one line per option with
// its default in brackets (shown with them for --help).
extern const char commandLineUsage[];
extern const char commandLineOptions[];

// Reads the words after the program's name; empty when they make sense,
// otherwise what is wrong with them (the password never comes from here).
std::string parseCommandLine(const std::vector<std::string>& words, CommandLine& line);

// Opens the --transcript file for appending as the host will (creating it
// when missing) and closes it again: empty when that works, else why not.
// Called before anything is connected, so that a run never goes unrecorded.
std::string transcriptFileProblem(const std::string& path);
