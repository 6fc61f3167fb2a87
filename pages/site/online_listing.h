#pragma once
// Reading glftpd's SITE SWHO and SITE WHO tables into (user name, process id)
// pairs. The reply lines are cut in place, so they must stay writable until
// the reply is released.
#include "common/text_utils.h"
#include "plugin/host_channel.h"

// The PID text of a connection the listing gives no process id for.
extern const char unknownOnlinePid[];  // "???"

// True when the first line says the account may not use the command. A reply
// without lines is no refusal.
bool isOnlineListingRefused(const ReplyLine* lines);

// SWHO: every "200- | " row after the first rule line; the first word is the
// process id, the first word after the next '|' of the same line the user.
void parseSwhoListing(ReplyLine* lines, NamePairList*& online);

// WHO: the "200- | " rows between the first and the second rule line; the
// first word is the user, the process id is unknown.
void parseWhoListing(ReplyLine* lines, NamePairList*& online);

// Sends SITE SWHO, or SITE WHO when SWHO is refused, and appends what the
// listing names to `online`. A listing the host fails leaves it unchanged.
void fetchOnlineListing(NamePairList*& online);
