#pragma once
// Command lines and reply tests of the groups, site commands and statistics
// pages, kept apart from their dialog procedures.
#include <cstdint>

#include "common/command_text.h"
#include "common/text_utils.h"

// ---- Groups -------------------------------------------------------------

extern const char* const groupNameMissingText;
extern const char* const groupInfoMissingText;

enum GroupChange : std::int32_t {
    GROUP_CHANGE_INFO = 0,
    GROUP_RENAME = 1,
    GROUP_DELETE = 2,
};

// "SITE GRPADD <name> <info>", nothing quoted.
void buildGroupAddCommand(CommandText& command, const char* name, const char* info);
// "SITE GRPNFO <group> <value>", "SITE GRPREN <group> <value>" or
// "SITE GRPDEL <group>" (the value is not used for a delete).
void buildGroupChangeCommand(CommandText& command, GroupChange kind, const char* group,
                             const char* value);

// Whether the first reply line lets the page take the change into the group
// list. A reply without any line confirms nothing.
bool groupAddAccepted(const char* firstLine);
bool groupDeleteAccepted(const char* firstLine);

// The first entry named `group` gets the new description or the new name;
// false when there is no such entry.
bool setGroupInfo(NamePairList* groups, const char* group, const char* info);
bool renameGroup(NamePairList* groups, const char* group, const char* newName);

// The larger of `current` and the longest name or description in the list.
std::int32_t longestGroupTextOf(std::int32_t current, const NamePairList* groups);

// ---- Site commands ------------------------------------------------------

extern const char* const releaseMissingText;
extern const char* const messageMissingText;

enum MessageTarget : std::int32_t {
    MESSAGE_TO_USER = 0,
    MESSAGE_TO_GROUP = 1,
    MESSAGE_TO_ALL = 2,
};

enum SiteCommandArgument : std::int32_t {
    SITE_ARGUMENT_NONE,
    SITE_ARGUMENT_AMOUNT,
    SITE_ARGUMENT_RELEASE,
    SITE_ARGUMENT_MESSAGE,
};

struct SiteCommandButton {
    int id;
    const char* keyword;
    SiteCommandArgument argument;
};

// The button of that control id, or null for any other id.
const SiteCommandButton* findSiteCommandButton(int id);

enum CommandBuild : std::int32_t {
    COMMAND_READY,
    COMMAND_NEEDS_RELEASE,  // operator error: empty release / filemask
    COMMAND_NEEDS_MESSAGE,  // operator error: empty message
    COMMAND_NO_RECIPIENT,   // nothing to send to; the page stays quiet
};

// Every button but the message one. `release` may be null (treated as empty).
CommandBuild buildSiteCommand(CommandText& command, const SiteCommandButton& button,
                              std::int32_t amount, const char* release);

// "SITE MSG <user> <message>", "SITE MSG =<group> <message>" or
// "SITE MSG *  <message>". `recipient` is the user or group name, null when
// none is selected; it is not used for all users.
CommandBuild buildMessageCommand(CommandText& command, MessageTarget target, const char* recipient,
                                 const char* message);

// ---- Statistics ---------------------------------------------------------

// The keyword of a statistics button, or null for any other id.
const char* statisticsKeyword(int id);

// "SITE <keyword>" and, unless the count is 0, " <count>".
void buildStatisticsCommand(CommandText& command, const char* keyword, std::int32_t entries);
