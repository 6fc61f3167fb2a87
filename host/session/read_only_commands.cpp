#include "host/session/read_only_commands.h"

#include <cctype>
#include <cstring>
#include <sstream>
#include <vector>

namespace session {

namespace {

// Keyword and the most arguments it may have and still only read.
struct ReadingCommand {
    const char* keyword;
    std::size_t maxArguments;
};
const ReadingCommand readingCommands[] = {
    {"GROUPS", 0}, {"USER", 1},   {"SWHO", 0},    {"WHO", 0},     {"STATS", 1}, {"VERS", 0},
    {"TIME", 0},   {"WKUP", 1},   {"WKDN", 1},    {"GPWK", 1},    {"GPWD", 1},  {"DAYUP", 1},
    {"DAYDN", 1},  {"ALUP", 1},   {"ALDN", 1},    {"GPAL", 1},    {"GPAD", 1},  {"MONTHUP", 1},
    {"MONTHDN", 1}, {"GRP", 1},    {"GINFO", 1},   {"USERS", 1},
    // The group tops of a month and of a day.
    {"GPMONTHUP", 1}, {"GPMONTHDN", 1}, {"GPDAYUP", 1}, {"GPDAYDN", 1},
};

std::string upper(std::string word) {
    for (char& c : word) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return word;
}

}  // namespace

bool changesNothing(const std::string& commandLine) {
    if (commandLine.find_first_of("\r\n") != std::string::npos) {
        return false;
    }
    std::istringstream words(commandLine);
    std::vector<std::string> parts;
    for (std::string word; words >> word;) {
        parts.push_back(word);
    }
    if (parts.size() == 1 && upper(parts[0]) == "NOOP") {
        return true;
    }
    if (parts.size() < 2 || upper(parts[0]) != "SITE") {
        return false;
    }
    const std::string keyword = upper(parts[1]);
    for (const ReadingCommand& reading : readingCommands) {
        if (keyword == reading.keyword) {
            return parts.size() - 2 <= reading.maxArguments;
        }
    }
    return false;
}

}  // namespace session
