#include "host/window/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// At most 79 columns: it is read in an 80-column console.
const char commandLineUsage[] =
    "usage: quorin_host [--tour DIR] [--glftpd2] [--colours] [OPTIONS]\n"
    "       quorin_host [--tour DIR] --site HOST[:PORT] --user NAME\n"
    "                   [--password-file FILE] [--fingerprint SHA256 | --plain]\n"
    "                   [OPTIONS]\n"
    "       quorin_host [--tour DIR] --load NAME [--password-file FILE]\n"
    "                   [--fingerprint SHA256] [OPTIONS]\n"
    "       quorin_host --save NAME --site HOST[:PORT] --user NAME\n"
    "                   [--fingerprint SHA256 | --plain] [--sites-file FILE]\n"
    "                   [--remember-password --password-file FILE]\n"
    "       quorin_host --help | /?\n"
    "OPTIONS: [--timeout S] [--reply-limit S] [--keepalive S] [--transcript FILE]\n"
    "         [--sites-file FILE]";

const char commandLineOptions[] =
    "Every option, its default in brackets (S: whole seconds, 1 to 86400):\n"
    "  --tour DIR            pictures every page into DIR, then exits [the window]\n"
    "  --glftpd2             the simulated site answers as glftpd 2.x [1.x]\n"
    "  --colours             the simulated site's lines in ANSI colour [plain]\n"
    "  --site HOST[:PORT]    a live site, [IPv6]:PORT too [port 21]\n"
    "  --user NAME           the account, needed with --site [none]\n"
    "  --password-file FILE  the password, FILE's first line [remembered, or asked]\n"
    "  --fingerprint SHA256  the certificate's pin [the system's check, or asked]\n"
    "  --plain               no TLS: the password travels in clear [TLS required]\n"
    "  --load NAME           a saved site [none]\n"
    "  --save NAME           saves the site's options as NAME, then exits [none]\n"
    "  --remember-password   --save keeps the password too [not kept]\n"
    "  --sites-file FILE     saved sites [%APPDATA%\\Quorin reference host\\sites.ini]\n"
    "  --timeout S           silence allowed while awaiting a reply [30]\n"
    "  --reply-limit S       the time a whole reply may take [600]\n"
    "  --keepalive S         a NOOP after S idle seconds [60]\n"
    "  --transcript FILE     appends the time-stamped transcript to FILE [none]\n"
    "  --help, /?            this text, then exits";

namespace {

const char* const optionsWithValue[] = {"--site", "--user", "--password-file", "--fingerprint", "--timeout",
                                        "--reply-limit", "--keepalive", "--transcript", "--tour", "--load",
                                        "--save", "--sites-file"};
const char* const flags[] = {"--plain", "--glftpd2", "--colours", "--remember-password"};

bool isOneOf(const std::string& word, const char* const* names, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (word == names[i]) {
            return true;
        }
    }
    return false;
}

// Whole seconds from 1 to a day, as milliseconds; 0 for anything else.
int secondsOption(const std::string& text) {
    char* end = nullptr;
    const long seconds = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || seconds < 1 || seconds > 86400) {
        return 0;
    }
    return static_cast<int>(seconds) * 1000;
}

// HOST, HOST:PORT or [IPv6]:PORT.
bool readSiteAddress(const std::string& text, CommandLine& line) {
    std::string host = text;
    std::string port;
    if (!host.empty() && host[0] == '[') {
        const std::size_t close = host.find(']');
        if (close == std::string::npos) {
            return false;
        }
        if (close + 1 < host.size()) {
            if (host[close + 1] != ':') {
                return false;
            }
            port = host.substr(close + 2);
        }
        host = host.substr(1, close - 1);
    } else if (host.find(':') != std::string::npos && host.find(':') == host.rfind(':')) {
        port = host.substr(host.find(':') + 1);
        host.resize(host.find(':'));
    }
    if (host.empty()) {
        return false;
    }
    line.host = host;
    if (!port.empty()) {
        char* end = nullptr;
        const long number = std::strtol(port.c_str(), &end, 10);
        if (*end != '\0' || number < 1 || number > 65535) {
            return false;
        }
        line.port = static_cast<int>(number);
    }
    return true;
}

// One option and its value; empty, or what is wrong.
std::string takeOption(const std::string& option, const std::string& value, CommandLine& line) {
    if (option == "--site") {
        return readSiteAddress(value, line) ? "" : "--site takes HOST or HOST:PORT, not " + value;
    }
    std::string* text = option == "--user"            ? &line.user
                        : option == "--password-file" ? &line.passwordFile
                        : option == "--fingerprint"   ? &line.fingerprint
                        : option == "--transcript"    ? &line.transcriptFile
                        : option == "--tour"          ? &line.tourDirectory
                        : option == "--load"          ? &line.loadName
                        : option == "--save"          ? &line.saveName
                        : option == "--sites-file"    ? &line.sitesFile
                                                      : nullptr;
    if (text != nullptr) {
        *text = value;
        return value.empty() ? option + " needs a value" : "";
    }
    int* seconds = option == "--timeout" ? &line.timeoutMs : option == "--reply-limit" ? &line.replyLimitMs
                                                                                     : &line.keepAliveMs;
    *seconds = secondsOption(value);
    return *seconds == 0 ? option + " takes whole seconds from 1 to 86400" : "";
}

// What the options say together; empty, or what does not fit.
std::string checkTogether(const CommandLine& line) {
    if (!line.fingerprint.empty() && line.plain) {
        return "--fingerprint pins the certificate of a TLS connection: it cannot go with --plain";
    }
    if ((line.glftpd2 || line.colours) && line.live()) {
        // They shape the simulated site only; accepted here they would seem
        // to do something to a live one.
        return "--glftpd2 and --colours shape the simulated site: they cannot go with --site or --load";
    }
    if (!line.saveName.empty()) {
        if (line.touring() || !line.loadName.empty()) {
            return "--save saves a site and exits: it cannot go with --tour or --load";
        }
        if (line.host.empty() || line.user.empty()) {
            return "--save needs --site HOST[:PORT] and --user NAME";
        }
        if (line.rememberPassword && line.passwordFile.empty()) {
            return "--remember-password needs --password-file FILE";
        }
        return "";
    }
    if (line.rememberPassword) {
        return "--remember-password goes with --save";
    }
    if (!line.loadName.empty()) {
        if (!line.host.empty() || !line.user.empty() || line.plain) {
            return "--load takes the site, user and TLS from the saved site: it cannot go with --site, --user or "
                   "--plain";
        }
        return "";
    }
    if (!line.host.empty() && line.user.empty()) {
        return "--site needs --user NAME";
    }
    if ((!line.user.empty() || !line.fingerprint.empty() || line.plain) && line.host.empty()) {
        return "--user, --fingerprint and --plain go with --site HOST[:PORT] or --load NAME";
    }
    return "";
}

}  // namespace

std::string parseCommandLine(const std::vector<std::string>& words, CommandLine& line) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& option = words[i];
        if (option == "--help" || option == "/?") {
            // Whatever else the line holds: the operator asked what it may hold.
            line.help = true;
            return "";
        }
        if (option.compare(0, 6, "--pass") == 0 && option != "--password-file") {
            // Never from the command line, where every process can read it.
            return "the password is read from a file (--password-file FILE), never from the command line";
        }
        if (isOneOf(option, flags, sizeof flags / sizeof flags[0])) {
            line.plain = line.plain || option == "--plain";
            line.glftpd2 = line.glftpd2 || option == "--glftpd2";
            line.colours = line.colours || option == "--colours";
            line.rememberPassword = line.rememberPassword || option == "--remember-password";
            continue;
        }
        if (!isOneOf(option, optionsWithValue, sizeof optionsWithValue / sizeof optionsWithValue[0])) {
            return "unknown option " + option;
        }
        if (i + 1 >= words.size()) {
            return option + " needs a value";
        }
        const std::string problem = takeOption(option, words[++i], line);
        if (!problem.empty()) {
            return problem;
        }
    }
    return checkTogether(line);
}

std::string transcriptFileProblem(const std::string& path) {
    if (path.empty()) {
        return "";
    }
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) {
        const int error = errno;
        return "--transcript " + path + " cannot be opened for writing" +
               (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) + "; nothing was sent";
    }
    std::fclose(file);
    return "";
}
