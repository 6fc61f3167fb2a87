#include "pages/users/user_record.h"

#include <cstdio>
#include <cstring>

#include "common/command_text.h"
#include "common/number_text.h"

UserRecord userRecord = {};
std::int32_t editUserIndex = -1;

char userFlagCharacter(int slot) {
    return static_cast<char>(slot < 8 ? '1' + slot : 'A' + (slot - 8));
}

namespace {

const char unlimitedText[] = "unlim";
const char unknownText[] = "?";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char* skipBlanks(char* text) {
    while (*text == ' ') {
        ++text;
    }
    return text;
}

// The text right after the first occurrence of key, or null.
char* valueAfter(char* line, const char* key) {
    char* found = std::strstr(line, key);
    return found == nullptr ? nullptr : found + std::strlen(key);
}

// The first `count` characters of text equal word's, ignoring letter case. A
// shorter text fails at its NUL, so nothing past the line is read.
bool startsWithIgnoringCase(const char* text, const char* word, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (text[i] == '\0' || upperAscii(text[i]) != upperAscii(word[i])) {
            return false;
        }
    }
    return true;
}

// A number clamped to the 32-bit range.
double leadingReal(double value) {
    if (value > 2147483647.0) {
        return 2147483647.0;
    }
    if (value < -2147483648.0) {
        return -2147483648.0;
    }
    return value;
}

// Powers of 1024 of the units the edits hold: credits and the allotment in
// megabytes, speeds in kilobytes per second.
constexpr int kilobytePower = 1;
constexpr int megabytePower = 2;

// The power of 1024 of a unit word: "B", "KiB"/"KB", "MiB"/"MB", "GiB"/"GB",
// "TiB"/"TB" (a speed's "/s" may follow); -1 for anything else, such as the
// older screen's "K/s".
int unitPower(const char* unit) {
    static const char letters[] = "BKMGT";
    const char* letter = std::strchr(letters, *unit);
    if (*unit == '\0' || letter == nullptr) {
        return -1;
    }
    const int power = static_cast<int>(letter - letters);
    const char* rest = unit + 1;
    if (power > 0) {
        if (rest[0] == 'i' && rest[1] == 'B') {
            rest += 2;
        } else if (rest[0] == 'B') {
            rest += 1;
        } else {
            return -1;
        }
    }
    const bool wordEnds = !((*rest >= 'A' && *rest <= 'Z') || (*rest >= 'a' && *rest <= 'z'));
    return wordEnds ? power : -1;
}

// A size or speed in the edit's unit, clamped to the 32-bit range. Newer
// servers print the unit they chose after the number ("14.6MiB",
// "1.0GiB", "120.5KiB/s"); without a unit word the number is taken as it
// stands, as the older screen prints it in the edit's own unit.
double sizeInUnit(const char* text, int wantedPower) {
    const char* numberEnd = text;
    double value = decimalToDouble(text, &numberEnd);
    if (numberEnd != text) {
        while (*numberEnd == ' ') {
            ++numberEnd;
        }
        const int power = unitPower(numberEnd);
        for (int step = power; power >= 0 && step < wantedPower; ++step) {
            value /= 1024.0;
        }
        for (int step = wantedPower; power >= 0 && step < power; ++step) {
            value *= 1024.0;
        }
    }
    return leadingReal(value);
}

void storeInteger(char*& slot, std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    replaceText(slot, text);
}

// Within the 32-bit range "%0.1f" needs at most 13 characters.
void storeReal(char*& slot, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%0.1f", value);
    replaceText(slot, text);
}

void storeIntegerOrUnlimited(char*& slot, std::int32_t value, std::int32_t unlimitedValue) {
    if (value == unlimitedValue) {
        replaceText(slot, unlimitedText);
    } else {
        storeInteger(slot, value);
    }
}

void recogniseTagline(char* line) {
    if (char* value = valueAfter(line, "Tagline: ")) {
        replaceText(userRecord.tagline, cutField(value, '|'));
    }
}

void recogniseFlags(char* line) {
    if (char* value = valueAfter(line, "Flags: ")) {
        parseUserFlags(cutField(value, ' '));
    }
}

// The last node of each group list while one reply is read, so that a reply
// with many group lines is still read in linear time.
NameList* groupTails[2] = {nullptr, nullptr};

NameList* lastNameOf(NameList* head) {
    while (head != nullptr && head->next != nullptr) {
        head = head->next;
    }
    return head;
}

// Every single blank separates two names, so two blanks give an empty one.
// Newer servers mark the public groups the user is group admin of with a
// leading '*', which is no part of the group's name.
NameList* appendGroupNamesAfter(const char* text, NameList*& head, NameList* tail, bool dropAdminMark) {
    if (text == nullptr || *text == '\0') {
        return tail;
    }
    while (true) {
        if (dropAdminMark && *text == '*') {
            ++text;
        }
        const char* blank = std::strchr(text, ' ');
        const std::size_t length = blank == nullptr ? std::strlen(text)
                                                    : static_cast<std::size_t>(blank - text);
        tail = appendNameAfter(head, tail, text, length);
        if (blank == nullptr) {
            return tail;
        }
        text = blank + 1;
    }
}

void recogniseGroups(char* line) {
    // " Groups: " is also the tail of "Priv Groups: ".
    if (std::strstr(line, "Priv Groups: ") != nullptr) {
        return;
    }
    if (char* value = valueAfter(line, " Groups: ")) {
        groupTails[0] = appendGroupNamesAfter(cutField(value, '|'), userRecord.groups, groupTails[0], true);
    }
}

void recognisePrivateGroups(char* line) {
    if (char* value = valueAfter(line, "Priv Groups: ")) {
        groupTails[1] =
            appendGroupNamesAfter(cutField(value, '|'), userRecord.privateGroups, groupTails[1], false);
    }
}

bool isTokenEnd(char c) {
    return c == '\0' || c == ' ' || c == '|';
}

// Whether word stands somewhere in [begin, end).
bool containsWithin(const char* begin, const char* end, const char* word) {
    const std::size_t length = std::strlen(word);
    for (const char* at = begin; static_cast<std::size_t>(end - at) >= length; ++at) {
        if (std::strncmp(at, word, length) == 0) {
            return true;
        }
    }
    return false;
}

// The newer account screen: "Ratios: 1:3 1:5 -", one ratio per stat
// section; only the first (the default section) is the account's ratio.
void recogniseSectionRatios(const char* value) {
    value = skipBlanks(const_cast<char*>(value));
    const char* end = value;
    const char* colon = nullptr;
    while (!isTokenEnd(*end)) {
        if (*end == ':' && colon == nullptr) {
            colon = end;
        }
        ++end;
    }
    if (colon == nullptr || containsWithin(value, end, "Leech") || containsWithin(value, end, "Unlimited")) {
        replaceText(userRecord.ratio, unlimitedText);
    } else {
        storeInteger(userRecord.ratio, decimalToInt32(colon + 1));
    }
}

void recogniseRatio(char* line) {
    char* value = valueAfter(line, "Ratio: ");
    if (value == nullptr) {
        if (const char* sections = valueAfter(line, "Ratios: ")) {
            recogniseSectionRatios(sections);
        }
        return;
    }
    // "1:3" is the credit ratio; only the number after its colon is kept.
    const char* colon = std::strchr(value, ':');
    if (colon == nullptr || std::strstr(line, "Leech") != nullptr ||
        std::strstr(line, "Unlimited") != nullptr) {
        replaceText(userRecord.ratio, unlimitedText);
    } else {
        storeInteger(userRecord.ratio, decimalToInt32(colon + 1));
    }
}

void recogniseCredits(char* line) {
    if (char* value = valueAfter(line, "Credits: ")) {
        storeReal(userRecord.credits, sizeInUnit(value, megabytePower));
    }
}

void recogniseAllotment(char* line) {
    if (char* value = valueAfter(line, "lotment: ")) {
        storeReal(userRecord.weeklyAllotment, sizeInUnit(value, megabytePower));
    }
}

void recogniseMaxLogins(char* line) {
    char* value = valueAfter(line, "Max Logins: ");
    if (value == nullptr) {
        return;
    }
    value = skipBlanks(value);
    if (startsWithIgnoringCase(value, "Unlimited", 9)) {
        replaceText(userRecord.maxLogins, unlimitedText);
    } else {
        storeInteger(userRecord.maxLogins, decimalToInt32(value));
    }
}

void recogniseTimeLimit(char* line) {
    if (char* value = valueAfter(line, "Time Limit: ")) {
        storeIntegerOrUnlimited(userRecord.timeLimit, decimalToInt32(value), 0);
    }
}

void recogniseUploadSpeed(char* line) {
    if (char* value = valueAfter(line, "Max Upload Speed: ")) {
        storeReal(userRecord.maxUploadSpeed, sizeInUnit(value, kilobytePower));
    }
}

void recogniseDownloadSpeed(char* line) {
    if (char* value = valueAfter(line, "Max Download Speed: ")) {
        storeReal(userRecord.maxDownloadSpeed, sizeInUnit(value, kilobytePower));
    }
}

void recogniseSlots(char* line) {
    static const char key[] = "Gadmin/Leech Slots: ";
    char* found = std::strstr(line, key);
    if (found == nullptr) {
        return;
    }
    storeIntegerOrUnlimited(userRecord.gadminSlots, decimalToInt32(found + sizeof key - 1), -1);
    // The second number follows the first run of digits (of "-1" the '1').
    const char* cursor = found;
    while (*cursor != '\0' && !isDigit(*cursor)) {
        ++cursor;
    }
    while (isDigit(*cursor)) {
        ++cursor;
    }
    if (*cursor != '\0') {
        storeIntegerOrUnlimited(userRecord.leechSlots, decimalToInt32(cursor), -1);
    }
}

void recogniseIpMasks(char* line) {
    static const char* const evenKeys[5] = {"IP0: ", "IP2: ", "IP4: ", "IP6: ", "IP8: "};
    static const char* const oddKeys[5] = {"IP1: ", "IP3: ", "IP5: ", "IP7: ", "IP9: "};
    for (int pair = 0; pair < 5; ++pair) {
        char* even = valueAfter(line, evenKeys[pair]);
        if (even == nullptr) {
            continue;
        }
        // Found before the even mask is cut: that cut ends at or before the
        // odd key's 'I', so the text after the odd key stays intact.
        char* odd = valueAfter(even, oddKeys[pair]);
        replaceText(userRecord.ipMasks[2 * pair], cutField(even, 'I'));
        if (odd != nullptr) {
            replaceText(userRecord.ipMasks[2 * pair + 1], cutField(odd, '|'));
        }
        return;
    }
}

typedef void (*Recogniser)(char* line);

struct RecogniserKey {
    const char* text;  // ends in ": "
    std::size_t length;
};

#define RECOGNISER_KEY(text) \
    { text, sizeof text - 1 }

struct KeyedRecogniser {
    Recogniser recognise;
    RecogniserKey keys[5];  // every key it looks for; an unused one has no text
};

// Run in this order on every line: a cut made by one hides the rest of the
// line from those after it.
const KeyedRecogniser recognisers[] = {
    {recogniseTagline, {RECOGNISER_KEY("Tagline: ")}},
    {recogniseFlags, {RECOGNISER_KEY("Flags: ")}},
    {recogniseGroups, {RECOGNISER_KEY(" Groups: ")}},
    {recognisePrivateGroups, {RECOGNISER_KEY("Priv Groups: ")}},
    {recogniseRatio, {RECOGNISER_KEY("Ratio: "), RECOGNISER_KEY("Ratios: ")}},
    {recogniseCredits, {RECOGNISER_KEY("Credits: ")}},
    {recogniseAllotment, {RECOGNISER_KEY("lotment: ")}},
    {recogniseMaxLogins, {RECOGNISER_KEY("Max Logins: ")}},
    {recogniseTimeLimit, {RECOGNISER_KEY("Time Limit: ")}},
    {recogniseUploadSpeed, {RECOGNISER_KEY("Max Upload Speed: ")}},
    {recogniseDownloadSpeed, {RECOGNISER_KEY("Max Download Speed: ")}},
    {recogniseSlots, {RECOGNISER_KEY("Gadmin/Leech Slots: ")}},
    {recogniseIpMasks, {RECOGNISER_KEY("IP0: "), RECOGNISER_KEY("IP2: "), RECOGNISER_KEY("IP4: "),
                        RECOGNISER_KEY("IP6: "), RECOGNISER_KEY("IP8: ")}},
};

#undef RECOGNISER_KEY

// Where ": " stands in a line, so that each recogniser runs only on a line
// that holds one of its keys (every key ends in ": "). A recogniser finds
// nothing on a line without its key, and cuts only end a line earlier, so
// skipping it there changes nothing; it just spares a search per key.
class KeyEnds {
public:
    explicit KeyEnds(const char* line) : text(line) {
        for (const char* colon = std::strchr(line, ':'); colon != nullptr; colon = std::strchr(colon + 1, ':')) {
            if (colon[1] != ' ') {
                continue;
            }
            if (count == maxEnds) {
                overflow = true;  // too many to keep: let every recogniser look
                return;
            }
            ends[count++] = colon + 2;
        }
    }

    bool mayHold(const KeyedRecogniser& entry) const {
        if (overflow) {
            return true;
        }
        for (const RecogniserKey& key : entry.keys) {
            if (key.text == nullptr) {
                break;
            }
            // The character before ": " tells most keys apart at once.
            const char last = key.text[key.length - 3];
            for (int i = 0; i < count; ++i) {
                if (static_cast<std::size_t>(ends[i] - text) >= key.length && ends[i][-3] == last &&
                    std::memcmp(ends[i] - key.length, key.text, key.length) == 0) {
                    return true;
                }
            }
        }
        return false;
    }

private:
    static constexpr int maxEnds = 8;
    const char* text;
    const char* ends[maxEnds] = {};
    int count = 0;
    bool overflow = false;
};

}  // namespace

bool isAccountLoadFailure(const char* firstLine) {
    if (firstLine == nullptr) {
        return false;
    }
    static const char* const failures[] = {"Unable to load", "does not exist",
                                           "Error loading userfile"};
    for (const char* failure : failures) {
        if (std::strstr(firstLine, failure) != nullptr) {
            return true;
        }
    }
    return false;
}

bool loadUserRecord(const char* userName) {
    CommandText command("SITE USER ");
    command.append(userName);
    HostRequest request{};
    if (sendCommand(request, command, true) == 0) {
        return false;
    }
    if (!isReplyOk(request.replyCode) || isAccountLoadFailure(firstReplyText(request))) {
        releaseReply(request);
        return false;
    }
    readUserRecordLines(request.replyLines);
    releaseReply(request);
    return true;
}

void readUserRecordLines(ReplyLine* lines) {
    // The reply carries no password, and these five may be missing from it.
    replaceText(userRecord.weeklyAllotment, unknownText);
    replaceText(userRecord.gadminSlots, unknownText);
    replaceText(userRecord.leechSlots, unknownText);
    replaceText(userRecord.password, unknownText);
    replaceText(userRecord.maxDownloadSpeed, unknownText);
    replaceText(userRecord.maxUploadSpeed, unknownText);
    groupTails[0] = lastNameOf(userRecord.groups);
    groupTails[1] = lastNameOf(userRecord.privateGroups);
    for (ReplyLine* line = lines; line != nullptr; line = line->next) {
        if (line->text == nullptr) {
            continue;
        }
        cutLineEnd(line->text);
        const KeyEnds keyEnds(line->text);
        for (const KeyedRecogniser& entry : recognisers) {
            if (keyEnds.mayHold(entry)) {
                entry.recognise(line->text);
            }
        }
    }
}

void clearUserRecord() {
    char** texts[] = {&userRecord.password,         &userRecord.maxLogins,
                      &userRecord.gadminSlots,      &userRecord.leechSlots,
                      &userRecord.timeLimit,        &userRecord.ratio,
                      &userRecord.weeklyAllotment,  &userRecord.credits,
                      &userRecord.tagline,          &userRecord.maxDownloadSpeed,
                      &userRecord.maxUploadSpeed};
    for (char** text : texts) {
        clearText(*text);
    }
    for (bool& flag : userRecord.flags) {
        flag = false;
    }
    for (char*& mask : userRecord.ipMasks) {
        clearText(mask);
    }
    freeNameList(userRecord.groups);
    userRecord.groups = nullptr;
    freeNameList(userRecord.privateGroups);
    userRecord.privateGroups = nullptr;
    editUserIndex = -1;
}

void parseUserFlags(const char* text) {
    if (text == nullptr) {
        return;
    }
    for (; *text != '\0'; ++text) {
        const char flag = upperAscii(*text);
        if (flag >= '1' && flag <= '8') {
            userRecord.flags[flag - '1'] = true;
        } else if (flag >= 'A' && flag <= 'I') {
            userRecord.flags[8 + (flag - 'A')] = true;
        }
    }
}

void appendGroupNames(const char* text, bool isPrivate) {
    NameList*& head = isPrivate ? userRecord.privateGroups : userRecord.groups;
    appendGroupNamesAfter(text, head, lastNameOf(head), !isPrivate);
}
