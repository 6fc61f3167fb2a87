#include "host/admin/group_settings.h"

#include <limits>
#include <string_view>

#include "host/admin/admin_reply.h"
#include "host/admin/admin_text.h"

namespace admin {

namespace {

// A value of the screen: a number as stored, or one of the words the screen
// shows for a special number. False for anything else.
bool readSetting(std::string_view value, std::int64_t unlimited, std::int64_t disabled,
                 std::int64_t& out) {
    if (value == "Unlimited") {
        out = unlimited;
        return true;
    }
    if (value == "Disabled" && disabled != 0) {
        out = disabled;
        return true;
    }
    return readInteger(value, out);
}

// max_allot_size is kept in KiB and shown in MiB with six decimals
// ("4.000000"); -5 shows as 18014398509481984.000000, far past what 64 bits
// of KiB hold: clamped to the largest.
bool readMiBAsKiB(std::string_view value, std::int64_t& kib) {
    if (value == "Unlimited") {
        kib = 0;
        return true;
    }
    const std::size_t point = value.find('.');
    const std::string_view whole = value.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : value.substr(point + 1);
    std::int64_t mib = 0;
    if (!readInteger(whole, mib) || mib < 0 || fraction.size() > 6) return false;
    std::int64_t millionths = 0;
    for (std::size_t i = 0; i < 6; ++i) {
        const char digit = i < fraction.size() ? fraction[i] : '0';
        if (digit < '0' || digit > '9') return false;
        millionths = millionths * 10 + (digit - '0');
    }
    const std::int64_t largest = std::numeric_limits<std::int64_t>::max();
    const std::int64_t parts = (millionths * 1024 + 500000) / 1000000;
    kib = mib > (largest - parts) / 1024 ? largest : mib * 1024 + parts;
    return true;
}

}  // namespace

bool readGroupSettings(const session::Reply& coloured, GroupSettings& out, std::string& failure) {
    out = GroupSettings{};
    session::Reply storage;
    const session::Reply& reply = plainTwin(coloured, storage);
    failure.clear();
    enum Field { Name, Comment, Slots, Leech, Allot, AllotSize, Logins, FieldCount };
    static const std::string_view labels[FieldCount] = {
        "| Groupname: ",
        "| Groupcomment: ",
        "| Number of slots left: ",
        "| Number of leech slots left: ",
        "| Number of allotment slots left: ",
        "| Max. allotment size: ",
        "| Max simultaneous logins: ",
    };
    bool seen[FieldCount] = {};
    bool valid = true;
    for (const std::string& line : reply.lines) {
        const std::string_view text = lineTextView(line);
        for (int field = 0; field < FieldCount; ++field) {
            if (seen[field] || !startsWith(text, labels[field])) continue;
            seen[field] = true;
            std::string_view value;
            valueAfter(text, labels[field], value);
            switch (field) {
            case Name:  // the whole name: it may hold '|' or a tab
            case Comment: {
                // The rest of the box line: a comment may hold blanks and
                // run past the frame when long.
                std::string_view rest = trimBlanks(text.substr(labels[field].size()));
                if (endsWith(rest, "|")) rest = trimBlanks(rest.substr(0, rest.size() - 1));
                (field == Name ? out.name : out.comment) = std::string(rest);
                break;
            }
            case Slots: valid &= readSetting(value, -1, 0, out.slots); break;
            case Leech: valid &= readSetting(value, -1, -2, out.leechSlots); break;
            case Allot: valid &= readSetting(value, -1, -2, out.allotSlots); break;
            case AllotSize: valid &= readMiBAsKiB(value, out.maxAllotSizeKb); break;
            case Logins: valid &= readSetting(value, 0, 0, out.maxLogins); break;
            }
            break;
        }
    }
    bool complete = true;
    for (bool field : seen) complete &= field;
    if (complete && valid && !out.name.empty()) return true;
    const Verdict verdict = judgeReply(reply);
    failure = !verdict.done ? verdict.text
              : !complete   ? std::string("The reply is not a group's settings screen.")
                            : std::string("The group's settings screen holds a value that is not a number.");
    out = GroupSettings{};
    return false;
}

}  // namespace admin
