#include "host/session/transcript_mask.h"

#include <cstddef>
#include <vector>

namespace session {

namespace {

const char mask[] = "****";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

struct Word {
    std::size_t begin;
    std::size_t end;
};

// The first `count` words of the line, where they stand.
std::vector<Word> wordsOf(const std::string& line, std::size_t count) {
    std::vector<Word> words;
    std::size_t at = 0;
    while (words.size() < count) {
        while (at < line.size() && isBlank(line[at])) {
            ++at;
        }
        if (at == line.size()) {
            break;
        }
        const std::size_t begin = at;
        while (at < line.size() && !isBlank(line[at])) {
            ++at;
        }
        words.push_back({begin, at});
    }
    return words;
}

bool wordIs(const std::string& line, const Word& word, const char* upper) {
    std::size_t i = 0;
    for (std::size_t at = word.begin; at < word.end; ++at, ++i) {
        char c = line[at];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (upper[i] == '\0' || c != upper[i]) {
            return false;
        }
    }
    return upper[i] == '\0';
}

// How many words of "SITE <command> ..." name the account before the
// password (0: the command holds none). The password and everything after
// it are masked, so that a password of several words, or one that glftpd
// would read as password and masks, never shows.
std::size_t nameWordsOfSite(const std::string& line, const Word& command) {
    if (wordIs(line, command, "ADDUSER") || wordIs(line, command, "CHPASS")) {
        return 1;
    }
    if (wordIs(line, command, "GADDUSER")) {
        return 2;
    }
    return 0;
}

// Where the secret of a command line starts: the line keeps its first
// `shown` bytes, then "****" (after a blank when `blank`). False when the
// line holds no secret.
bool findSecret(const std::string& commandLine, std::size_t& shown, bool& blank) {
    const std::vector<Word> words = wordsOf(commandLine, 2);
    if (words.empty()) {
        return false;
    }
    if (wordIs(commandLine, words[0], "PASS")) {
        // The whole rest is the password, blanks included.
        shown = words[0].end;
        blank = true;
        return words[0].end != commandLine.size();
    }
    if (words.size() < 2 || !wordIs(commandLine, words[0], "SITE")) {
        return false;
    }
    const std::size_t names = nameWordsOfSite(commandLine, words[1]);
    if (names == 0) {
        return false;
    }
    // Each name follows one blank, as commands are built. Where a second
    // blank stands instead, that name was left empty and the next word may
    // well be the password: all after the command word goes.
    std::size_t at = words[1].end;
    for (std::size_t name = 0; name < names; ++name) {
        if (commandLine.find_first_not_of(" \t", at) == std::string::npos) {
            return false;
        }
        if (isBlank(commandLine[at + 1])) {
            shown = words[1].end;
            blank = true;
            return true;
        }
        ++at;
        while (at < commandLine.size() && !isBlank(commandLine[at])) {
            ++at;
        }
    }
    const std::size_t secret = commandLine.find_first_not_of(" \t", at);
    if (secret == std::string::npos) {
        return false;
    }
    shown = secret;
    blank = false;
    return true;
}

}  // namespace

std::string maskSecrets(const std::string& commandLine) {
    std::size_t shown = 0;
    bool blank = false;
    if (!findSecret(commandLine, shown, blank)) {
        return commandLine;
    }
    return commandLine.substr(0, shown) + (blank ? " " : "") + mask;
}

std::string withoutSecrets(const std::string& commandLine) {
    std::size_t shown = 0;
    bool blank = false;
    if (!findSecret(commandLine, shown, blank)) {
        return commandLine;
    }
    while (shown > 0 && isBlank(commandLine[shown - 1])) {
        --shown;
    }
    return commandLine.substr(0, shown);
}

bool endsBeforeSecret(const std::string& commandLine) {
    std::size_t shown = 0;
    bool blank = false;
    if (commandLine.empty() || isBlank(commandLine.back()) || findSecret(commandLine, shown, blank)) {
        return false;
    }
    // One word more would be masked: the line stops where its password goes.
    return findSecret(commandLine + " x", shown, blank) && shown == commandLine.size() + 1;
}

}  // namespace session
