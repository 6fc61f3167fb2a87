#include "pages/site/site_command_text.h"

#include <cstring>

#include "resources/resource_ids.h"

const char* const groupNameMissingText = "You need to specify a group name";
const char* const groupInfoMissingText = "You need to specify a group info";
const char* const releaseMissingText = "You need to specify a release/filemask";
const char* const messageMissingText = "You need to input a message if you want to send one, duh";

namespace {

bool isEmpty(const char* text) {
    return text == nullptr || text[0] == '\0';
}

bool contains(const char* text, const char* part) {
    return std::strstr(text, part) != nullptr;
}

std::int32_t textLength(const char* text) {
    const std::size_t length = text != nullptr ? std::strlen(text) : 0;
    return length > 0x7fffffff ? 0x7fffffff : static_cast<std::int32_t>(length);
}

const SiteCommandButton siteCommandButtons[] = {
    {IDC_SITECMD_LOGIN_LOG, "LOGINS", SITE_ARGUMENT_NONE},
    {IDC_SITECMD_SYSLOG, "UCHANGES", SITE_ARGUMENT_NONE},
    {IDC_SITECMD_LAST_USERS, "LASTON", SITE_ARGUMENT_NONE},
    {IDC_SITECMD_WELCOME, "WELCOME", SITE_ARGUMENT_NONE},
    {IDC_SITECMD_RULES, "RULES", SITE_ARGUMENT_NONE},
    {IDC_SITECMD_VERSION, "VERS", SITE_ARGUMENT_NONE},
    {IDC_SITECMD_SITE_TIME, "TIME", SITE_ARGUMENT_NONE},
    {IDC_SITECMD_VIEW_REQS, "REQUEST", SITE_ARGUMENT_NONE},
    {IDC_SITECMD_VIEW_MSGS, "MSG READ", SITE_ARGUMENT_NONE},
    {IDC_SITECMD_NEW_DIRS, "NEW", SITE_ARGUMENT_AMOUNT},
    {IDC_SITECMD_LIST_NUKES, "NUKES", SITE_ARGUMENT_AMOUNT},
    {IDC_SITECMD_LIST_UNNUKES, "UNNUKES", SITE_ARGUMENT_AMOUNT},
    {IDC_SITECMD_SEARCH_DIR, "SEARCH", SITE_ARGUMENT_RELEASE},
    {IDC_SITECMD_DUPECHECK, "DUPE", SITE_ARGUMENT_RELEASE},
    {IDC_SITECMD_UNDUPE, "UNDUPE", SITE_ARGUMENT_RELEASE},
    {IDC_SITECMD_SEND_MESSAGE, "MSG", SITE_ARGUMENT_MESSAGE},
};

// Indexed by button id from IDC_STATS_WEEK_UL on.
const char* const statisticsKeywords[] = {
    "WKUP", "WKDN", "GPWK", "GPWD", "DAYUP", "DAYDN",
    "ALUP", "ALDN", "GPAL", "GPAD", "MONTHUP", "MONTHDN",
};
static_assert(sizeof statisticsKeywords / sizeof statisticsKeywords[0] ==
                  IDC_STATS_MONTH_DL - IDC_STATS_WEEK_UL + 1,
              "one keyword per statistics button");

}  // namespace

void buildGroupAddCommand(CommandText& command, const char* name, const char* info) {
    command.assign("SITE GRPADD ");
    command.append(name);
    command.append(" ");
    command.append(info);
}

void buildGroupChangeCommand(CommandText& command, GroupChange kind, const char* group,
                             const char* value) {
    command.assign("SITE ");
    switch (kind) {
    case GROUP_CHANGE_INFO:
        command.append("GRPNFO ");
        break;
    case GROUP_RENAME:
        command.append("GRPREN ");
        break;
    case GROUP_DELETE:
        command.append("GRPDEL ");
        command.append(group);
        return;
    }
    command.append(group);
    command.append(" ");
    command.append(value);
}

bool groupAddAccepted(const char* firstLine) {
    return firstLine != nullptr && !contains(firstLine, "exists.");
}

bool groupDeleteAccepted(const char* firstLine) {
    return firstLine != nullptr && !contains(firstLine, "delete failed") &&
           !contains(firstLine, "does not exist");
}

bool setGroupInfo(NamePairList* groups, const char* group, const char* info) {
    NamePairList* entry = group != nullptr ? findPair(groups, group) : nullptr;
    if (entry == nullptr) {
        return false;
    }
    replaceText(entry->info, info != nullptr ? info : "");
    return true;
}

bool renameGroup(NamePairList* groups, const char* group, const char* newName) {
    NamePairList* entry = group != nullptr ? findPair(groups, group) : nullptr;
    if (entry == nullptr) {
        return false;
    }
    replaceText(entry->name, newName != nullptr ? newName : "");
    return true;
}

std::int32_t longestGroupTextOf(std::int32_t current, const NamePairList* groups) {
    for (; groups != nullptr; groups = groups->next) {
        const std::int32_t name = textLength(groups->name);
        const std::int32_t info = textLength(groups->info);
        if (name > current) {
            current = name;
        }
        if (info > current) {
            current = info;
        }
    }
    return current;
}

const SiteCommandButton* findSiteCommandButton(int id) {
    for (const SiteCommandButton& button : siteCommandButtons) {
        if (button.id == id) {
            return &button;
        }
    }
    return nullptr;
}

CommandBuild buildSiteCommand(CommandText& command, const SiteCommandButton& button,
                              std::int32_t amount, const char* release) {
    command.assign("SITE ");
    command.append(button.keyword);
    switch (button.argument) {
    case SITE_ARGUMENT_AMOUNT:
        command.append(" ");
        command.appendNumber(amount);
        break;
    case SITE_ARGUMENT_RELEASE:
        if (isEmpty(release)) {
            return COMMAND_NEEDS_RELEASE;
        }
        command.append(" ");
        command.append(release);
        break;
    case SITE_ARGUMENT_NONE:
    case SITE_ARGUMENT_MESSAGE:
        break;
    }
    return COMMAND_READY;
}

CommandBuild buildMessageCommand(CommandText& command, MessageTarget target, const char* recipient,
                                 const char* message) {
    command.assign("SITE MSG");
    switch (target) {
    case MESSAGE_TO_USER:
        if (recipient == nullptr) {
            return COMMAND_NO_RECIPIENT;
        }
        command.append(" ");
        command.append(recipient);
        break;
    case MESSAGE_TO_GROUP:
        if (recipient == nullptr) {
            return COMMAND_NO_RECIPIENT;
        }
        command.append(" =");
        command.append(recipient);
        break;
    case MESSAGE_TO_ALL:
        command.append(" * ");
        break;
    }
    if (isEmpty(message)) {
        return COMMAND_NEEDS_MESSAGE;
    }
    command.append(" ");
    command.append(message);
    return COMMAND_READY;
}

const char* statisticsKeyword(int id) {
    if (id < IDC_STATS_WEEK_UL || id > IDC_STATS_MONTH_DL) {
        return nullptr;
    }
    return statisticsKeywords[id - IDC_STATS_WEEK_UL];
}

void buildStatisticsCommand(CommandText& command, const char* keyword, std::int32_t entries) {
    command.assign("SITE ");
    command.append(keyword);
    if (entries != 0) {
        command.append(" ");
        command.appendNumber(entries);
    }
}
