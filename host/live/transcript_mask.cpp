#include "host/live/transcript_mask.h"

#include <cctype>
#include <cstddef>
#include <vector>

namespace live {

namespace {

struct Word {
    std::size_t start;
    std::size_t end;
};

// Blank-separated words with where they stand, so that every other byte of
// the line is kept as it was.
std::vector<Word> wordsOf(const std::string& line) {
    std::vector<Word> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ') {
            ++at;
        }
        if (at == line.size()) {
            break;
        }
        const std::size_t start = at;
        while (at < line.size() && line[at] != ' ') {
            ++at;
        }
        words.push_back(Word{start, at});
    }
    return words;
}

bool wordIs(const std::string& line, const Word& word, const char* name) {
    std::size_t i = 0;
    for (std::size_t at = word.start; at < word.end; ++at, ++i) {
        if (name[i] == '\0' ||
            std::toupper(static_cast<unsigned char>(line[at])) != static_cast<unsigned char>(name[i])) {
            return false;
        }
    }
    return name[i] == '\0';
}

// Which word of "SITE <keyword> ..." is the password.
struct SecretCommand {
    const char* keyword;
    std::size_t passwordWord;
};
const SecretCommand secretCommands[] = {
    {"ADDUSER", 3},
    {"GADDUSER", 4},
    {"CHPASS", 3},
};

}  // namespace

std::string maskSecrets(const std::string& commandLine) {
    const std::vector<Word> words = wordsOf(commandLine);
    if (words.empty()) {
        return commandLine;
    }
    if (wordIs(commandLine, words[0], "PASS")) {
        return words.size() > 1 ? commandLine.substr(0, words[0].end) + " ****" : commandLine;
    }
    if (words.size() < 2 || !wordIs(commandLine, words[0], "SITE")) {
        return commandLine;
    }
    for (const SecretCommand& secret : secretCommands) {
        if (wordIs(commandLine, words[1], secret.keyword) && words.size() > secret.passwordWord) {
            const Word& password = words[secret.passwordWord];
            return commandLine.substr(0, password.start) + "****" + commandLine.substr(password.end);
        }
    }
    return commandLine;
}

}  // namespace live
