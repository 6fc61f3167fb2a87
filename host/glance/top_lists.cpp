#include "host/glance/top_lists.h"

#include <cstdio>

#include "host/admin/admin_text.h"
#include "host/glance/glance_text.h"
#include "host/glance/online_sessions.h"

namespace glance {

namespace {

const char* const userCommands[4][2] = {
    {"WKUP", "WKDN"}, {"MONTHUP", "MONTHDN"}, {"DAYUP", "DAYDN"}, {"ALUP", "ALDN"}};
const char* const groupCommands[4][2] = {
    {"GPWK", "GPWD"}, {"GPMONTHUP", "GPMONTHDN"}, {"GPDAYUP", "GPDAYDN"}, {"GPAL", "GPAD"}};
const char* const periodNames[4] = {"This week's", "This month's", "Today's", "All time"};

int heldCount(int count) { return count < 10 ? 10 : count > 100 ? 100 : count; }

// The words of a text split at blanks.
std::vector<std::string_view> wordsOf(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') {
            ++i;
        }
        if (i > start) {
            words.push_back(text.substr(start, i - start));
        }
    }
    return words;
}

// "[01] uploader     No Tagline Set               2       10MiB    854KiB/s"
bool readEntry(std::string_view text, bool groups, TopEntry& entry) {
    if (text.size() < 5 || text[0] != '[') {
        return false;
    }
    const std::size_t close = text.find(']');
    std::int64_t place = 0;
    if (close == std::string_view::npos || !admin::readInteger(text.substr(1, close - 1), place) || place < 0 ||
        place > 100000) {
        return false;
    }
    std::string_view rest = text.substr(close + 1);
    const std::vector<std::string_view> words = wordsOf(rest);
    if (words.size() < 4) {
        return false;
    }
    // From the right: speed (users) or members (groups), size, files.
    const std::string_view last = words[words.size() - 1];
    const std::string_view size = words[words.size() - 2];
    const std::string_view files = words[words.size() - 3];
    std::int64_t fileCount = 0;
    const double mib = sizeOf(size);
    if (!admin::readInteger(files, fileCount) || fileCount < 0 || mib < 0) {
        return false;
    }
    if (groups) {
        std::int64_t members = 0;
        if (!admin::readInteger(last, members) || members < 0 || members > 10000000) {
            return false;
        }
        entry.members = static_cast<int>(members);
    } else {
        entry.speedKiBs = speedOf(last);
        if (entry.speedKiBs < 0) {
            return false;
        }
    }
    entry.place = static_cast<int>(place);
    entry.name = std::string(words[0]);
    // The tagline or description: between the name and the files.
    const std::size_t from = static_cast<std::size_t>(words[0].data() + words[0].size() - rest.data());
    const std::size_t to = static_cast<std::size_t>(files.data() - rest.data());
    entry.text = std::string(admin::trimBlanks(rest.substr(from, to > from ? to - from : 0)));
    entry.files = fileCount;
    entry.mib = mib;
    entry.sizeShown = std::string(size);
    return true;
}

}  // namespace

std::string topCommand(const TopChoice& choice) {
    const int period = static_cast<int>(choice.period) & 3;
    const int direction = choice.direction == TopDirection::Up ? 0 : 1;
    const char* keyword = choice.who == TopWho::Users ? userCommands[period][direction]
                                                      : groupCommands[period][direction];
    return std::string("SITE ") + keyword + " " + std::to_string(heldCount(choice.count));
}

std::string topTitle(const TopChoice& choice) {
    std::string title = periodNames[static_cast<int>(choice.period) & 3];
    title += " top ";
    title += choice.who == TopWho::Users ? "" : "group ";
    title += choice.direction == TopDirection::Up ? "uploaders" : "downloaders";
    return title;
}

bool readTopList(const session::Reply& reply, TopList& list, std::string& failure) {
    list = TopList{};
    bool heading = false, body = false, ended = false;
    std::string buffer;
    for (const std::string& line : reply.lines) {
        const std::string_view trimmed = admin::trimBlanks(plainView(line, buffer));
        if (!heading) {
            if (trimmed.find("##") != std::string_view::npos && trimmed.find("User") != std::string_view::npos) {
                heading = true;
            } else if (trimmed.find("# Group") != std::string_view::npos) {
                heading = true;
                list.groups = true;
            }
            continue;
        }
        if (ended) {
            continue;
        }
        if (isRule(trimmed)) {
            if (!body) {
                body = true;
            } else if (!trimmed.empty() && trimmed.front() == '`') {
                ended = true;
            }
            continue;
        }
        TopEntry entry;
        if (body && readEntry(trimmed, list.groups, entry)) {
            list.entries.push_back(std::move(entry));
        }
    }
    if (!heading || !body || !ended) {
        list = TopList{};
        if (!reply.lines.empty() && isRefusal(reply)) {
            failure = lastWords(reply.lines, "Refused without a word.");
        } else {
            failure = "The reply is not the top list the server sends.";
        }
        return false;
    }
    return true;
}

std::string topListText(const TopChoice& choice, const TopList& list) {
    std::string text = topTitle(choice) + " (" + topCommand(choice) + ")\r\n";
    text += list.groups ? "#\tGroup\tDescription\tFiles\tAmount\tMembers\r\n"
                        : "#\tUser\tTagline\tFiles\tAmount\tAverage speed\r\n";
    for (const TopEntry& entry : list.entries) {
        text += std::to_string(entry.place) + "\t" + entry.name + "\t" + entry.text + "\t" +
                std::to_string(entry.files) + "\t" + sizeText(entry.mib) + "\t" +
                (list.groups ? std::to_string(entry.members) : speedText(entry.speedKiBs)) + "\r\n";
    }
    return text;
}

}  // namespace glance
