#pragma once
// A group's settings as the Groups page shows them, the SITE GRPCHANGE
// commands for what the operator changed, and what SITE GRP read back
// against what was written. Numbers are refused where glftpd 2.13 would
// keep another value: it keeps slots, leech and allotment slots and the
// login limit in 16 bits (slots 32768 reads back as -32768, max_logins
// 70000 as 4464) and the largest allotment in 32 (KiB).
#include <string>
#include <vector>

#include "host/admin/group_settings.h"
#include "host/session/site_link.h"

namespace admin {

// The page's fields as texts.
struct GroupFields {
    std::string slots, leechSlots, allotSlots, maxAllotSizeKb, maxLogins, comment;
};

// The settings as the page shows them. A comment that is not UTF-8 (Latin-1
// bytes from an older client) is shown as the letters those bytes are in
// Latin-1; it stays the server's bytes until the operator types another.
GroupFields shownFields(const GroupSettings& loaded);
// The server's bytes as text for the operator (Latin-1 when not UTF-8).
std::string shownText(const std::string& bytes);

enum GroupSetting { Slots, LeechSlots, AllotSlots, MaxAllotSize, MaxLogins, Comment, GroupSettingCount };

struct GroupWrite {
    std::string group;                  // the target, as picked
    std::string refusal;                // non-empty: nothing is sent
    std::vector<std::string> commands;  // one SITE GRPCHANGE per changed setting, in order
    std::vector<GroupSetting> settings; // the setting of each command
    GroupSettings expected;             // what SITE GRP should show once all are taken
};

// Only what differs from what the page showed is sent; `group` is the whole
// name the operator picked (checked against the screen before). A comment
// is sent as its words with one blank between them (the server keeps it so).
GroupWrite groupWrite(const std::string& group, const GroupSettings& loaded, const GroupFields& typed);

// The operator's name of a setting ("Slots", "Logins at once", ...) and a
// value of it in words ("unlimited", "disabled", "4096 KiB", a comment in
// quotes).
std::string settingWord(GroupSetting setting);
std::string valueWords(GroupSetting setting, const GroupSettings& settings);

// What the commands' replies and the settings read back came to, for the
// result box. `replies` holds the sent commands' replies (fewer than the
// commands when one was refused or not answered: the rest was not sent);
// `unanswered` why the last one had no reply, else "". `readBack` is null
// when SITE GRP could not be read (`readProblem` says why). "written and
// read back" only when every written setting reads back as written.
struct GroupWriteOutcome {
    bool complete = false;  // every command taken and read back as written
    std::string summary;
};
GroupWriteOutcome groupWriteOutcome(const GroupWrite& write, const std::vector<session::Reply>& replies,
                                    const std::string& unanswered, const GroupSettings* readBack,
                                    const std::string& readProblem);

}  // namespace admin
