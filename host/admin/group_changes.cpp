#include "host/admin/group_changes.h"

#include <cstdint>

#include "host/admin/admin_reply.h"
#include "host/admin/admin_text.h"
#include "host/admin/group_colour.h"

namespace admin {

namespace {

struct NumberRule {
    const char* command;
    std::int64_t GroupSettings::*field;
    std::int64_t low, high;
    const char* word1;  // a word the page takes for a number, nullptr: none
    std::int64_t value1;
    const char* word2;
    std::int64_t value2;
    const char* range;  // in the operator's words
};

// In the order the page writes them.
const NumberRule numberRules[] = {
    {"slots", &GroupSettings::slots, -1, 32767, "unlimited", -1, nullptr, 0, "-1 (unlimited) or 0 to 32767"},
    {"leech_slots", &GroupSettings::leechSlots, -2, 32767, "unlimited", -1, "disabled", -2,
     "-1 (unlimited), -2 (disabled) or 0 to 32767"},
    {"allot_slots", &GroupSettings::allotSlots, -2, 32767, "unlimited", -1, "disabled", -2,
     "-1 (unlimited), -2 (disabled) or 0 to 32767"},
    {"max_allot_size", &GroupSettings::maxAllotSizeKb, 0, 2147483647, "unlimited", 0, nullptr, 0,
     "0 (unlimited) to 2147483647 KiB"},
    {"max_logins", &GroupSettings::maxLogins, 0, 32767, "unlimited", 0, nullptr, 0, "0 (unlimited) to 32767"},
};

constexpr std::size_t groupCommentBytes = 63;  // the server cuts longer ones without a word

bool isUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        std::uint32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xc2 && lead <= 0xdf) extra = 1, code = lead & 0x1f;
        else if (lead >= 0xe0 && lead <= 0xef) extra = 2, code = lead & 0x0f;
        else if (lead >= 0xf0 && lead <= 0xf4) extra = 3, code = lead & 0x07;
        else return false;
        if (i + extra >= text.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80) return false;
            code = (code << 6) | (next & 0x3f);
        }
        if ((extra == 2 && (code < 0x800 || (code >= 0xd800 && code <= 0xdfff))) ||
            (extra == 3 && (code < 0x10000 || code > 0x10ffff)))
            return false;
        i += extra + 1;
    }
    return true;
}

// The words of a text with one blank between them.
std::string singleBlanks(std::string_view text) {
    std::string words;
    text = trimBlanks(text);
    bool blank = false;
    for (const char c : text) {
        if (c == ' ' || c == '\t') {
            blank = true;
            continue;
        }
        if (blank) words += ' ';
        blank = false;
        words += c;
    }
    return words;
}

bool typedNumber(const std::string& text, const NumberRule& rule, std::int64_t& value) {
    const std::string_view typed = trimBlanks(text);
    if (rule.word1 != nullptr && equalsIgnoringCase(typed, rule.word1)) return value = rule.value1, true;
    if (rule.word2 != nullptr && equalsIgnoringCase(typed, rule.word2)) return value = rule.value2, true;
    bool clamped = false;
    return readInteger(typed, value, &clamped) && !clamped;
}

const NumberRule& ruleOf(GroupSetting setting) { return numberRules[setting]; }

std::string joined(const std::vector<std::string>& parts, const char* separator = "; ") {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

bool sameSetting(GroupSetting setting, const GroupSettings& a, const GroupSettings& b) {
    if (setting == Comment) return a.comment == b.comment;
    const auto field = ruleOf(setting).field;
    return a.*field == b.*field;
}

}  // namespace

std::string shownText(const std::string& bytes) {
    if (isUtf8(bytes)) return bytes;
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xc0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3f));
        }
    }
    return text;
}

GroupFields shownFields(const GroupSettings& loaded) {
    GroupFields fields;
    fields.slots = std::to_string(loaded.slots);
    fields.leechSlots = std::to_string(loaded.leechSlots);
    fields.allotSlots = std::to_string(loaded.allotSlots);
    fields.maxAllotSizeKb = std::to_string(loaded.maxAllotSizeKb);
    fields.maxLogins = std::to_string(loaded.maxLogins);
    fields.comment = shownText(loaded.comment);
    return fields;
}

std::string settingWord(GroupSetting setting) {
    static const char* const words[GroupSettingCount] = {"Slots",          "Leech slots",    "Allotment slots",
                                                         "Largest allotment", "Logins at once", "Comment"};
    return words[setting];
}

std::string valueWords(GroupSetting setting, const GroupSettings& settings) {
    if (setting == Comment) return "\"" + shownText(settings.comment) + "\"";
    const NumberRule& rule = ruleOf(setting);
    const std::int64_t value = settings.*rule.field;
    if (rule.word1 != nullptr && value == rule.value1) return rule.word1;
    if (rule.word2 != nullptr && value == rule.value2) return rule.word2;
    return std::to_string(value) + (setting == MaxAllotSize ? " KiB" : "");
}

GroupWrite groupWrite(const std::string& group, const GroupSettings& loaded, const GroupFields& typed) {
    GroupWrite write;
    write.group = group;
    write.expected = loaded;
    const std::string prefix = "SITE GRPCHANGE " + group + " ";
    const std::string* texts[] = {&typed.slots, &typed.leechSlots, &typed.allotSlots, &typed.maxAllotSizeKb,
                                  &typed.maxLogins};
    for (int i = 0; i < Comment; ++i) {
        const auto setting = static_cast<GroupSetting>(i);
        const NumberRule& rule = ruleOf(setting);
        std::int64_t value = 0;
        if (!typedNumber(*texts[i], rule, value)) {
            write.refusal = settingWord(setting) + " takes " + rule.range + ", not \"" + *texts[i] + "\".";
            break;
        }
        if (value == loaded.*rule.field) continue;  // unchanged: left as the server keeps it
        if (value < rule.low || value > rule.high) {
            // What the server would keep: the number's low 16 bits (32 for
            // the allotment), as a signed number.
            const int bits = setting == MaxAllotSize ? 32 : 16;
            const auto low = static_cast<std::uint64_t>(value) & ((std::uint64_t{1} << bits) - 1);
            const std::int64_t kept = low >= (std::uint64_t{1} << (bits - 1))
                                          ? static_cast<std::int64_t>(low) - (std::int64_t{1} << bits)
                                          : static_cast<std::int64_t>(low);
            write.refusal = settingWord(setting) + " takes " + rule.range + ", not " + std::to_string(value) +
                            (kept != value ? " (the server would keep it as " + std::to_string(kept) + ")." : ".");
            break;
        }
        write.expected.*rule.field = value;
        write.commands.push_back(prefix + rule.command + " " + std::to_string(value));
        write.settings.push_back(setting);
    }
    if (write.refusal.empty()) {
        // Compared with what the page showed, so that a comment in Latin-1
        // is not rewritten unasked.
        const std::string comment = singleBlanks(typed.comment);
        if (comment != singleBlanks(shownText(loaded.comment))) {
            if (comment.empty()) {
                write.refusal = "A group comment cannot be empty.";
            } else if (hasControl(comment)) {
                write.refusal = "A group comment cannot hold control characters or line breaks.";
            } else if (comment.size() > groupCommentBytes) {
                write.refusal = "A group comment has at most 63 bytes, and the server cuts a longer one without a "
                                "word (this one has " +
                                std::to_string(comment.size()) + "; a letter such as \xc3\xbc takes two).";
            } else {
                write.expected.comment = comment;
                write.commands.push_back(prefix + "comment " + comment);
                write.settings.push_back(Comment);
            }
        }
    }
    if (!write.refusal.empty()) {
        write.commands.clear();
        write.settings.clear();
        write.expected = loaded;
    }
    return write;
}

GroupWriteOutcome groupWriteOutcome(const GroupWrite& write, const std::vector<session::Reply>& replies,
                                    const std::string& unanswered, const GroupSettings* readBack,
                                    const std::string& readProblem) {
    GroupWriteOutcome outcome;
    if (write.commands.empty()) {
        outcome.complete = true;
        outcome.summary = "Nothing changed: nothing was sent.";
        return outcome;
    }
    std::vector<GroupSetting> taken;
    std::string stop;
    for (std::size_t i = 0; i < replies.size() && i < write.commands.size(); ++i) {
        session::Reply plain = replies[i];
        removeColours(plain);
        const Verdict verdict = judgeReply(plain);
        const GroupSetting setting = write.settings[i];
        if (verdict.done) {
            taken.push_back(setting);
            continue;
        }
        stop = "The server refused " + settingWord(setting) + " " + valueWords(setting, write.expected) + ": " +
               verdict.text + (verdict.sessionEnded ? " It ended the session." : "");
        break;
    }
    if (stop.empty() && !unanswered.empty()) {
        stop = settingWord(write.settings[taken.size()]) + " " + valueWords(write.settings[taken.size()], write.expected) +
               ": " + unanswered;
    }
    std::vector<std::string> agreed, differ, unread;
    for (const GroupSetting setting : taken) {
        const std::string written = settingWord(setting) + " " + valueWords(setting, write.expected);
        if (readBack == nullptr) {
            unread.push_back(written);
        } else if (sameSetting(setting, write.expected, *readBack)) {
            agreed.push_back(written);
        } else {
            differ.push_back(settingWord(setting) + ": " + valueWords(setting, write.expected) +
                             " was written, the server holds " + valueWords(setting, *readBack));
        }
    }
    std::vector<std::string> parts;
    if (!agreed.empty()) parts.push_back("Written and read back: " + joined(agreed, ", ") + ".");
    if (!differ.empty())
        parts.push_back("Taken by the server, but SITE GRP reads back otherwise. " + joined(differ) + ".");
    if (!unread.empty())
        parts.push_back("Taken by the server, not read back (" + readProblem + "): " + joined(unread, ", ") + ".");
    if (!stop.empty()) parts.push_back(stop);
    const std::size_t ended = taken.size() + (stop.empty() ? 0 : 1);
    if (ended < write.commands.size()) {
        std::vector<std::string> rest;
        for (std::size_t i = ended; i < write.commands.size(); ++i) rest.push_back(settingWord(write.settings[i]));
        parts.push_back("Not sent: " + joined(rest, ", ") + ".");
    }
    outcome.complete = taken.size() == write.commands.size() && differ.empty() && unread.empty();
    outcome.summary = joined(parts, "\n");
    return outcome;
}

}  // namespace admin
