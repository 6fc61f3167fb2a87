#pragma once
// The one record of the account shown on the Edit user page: what the server
// reported for it (the baseline of the change writer), and between page
// switches also the page's saved form.
#include <cstdint>

#include "common/text_utils.h"
#include "plugin/host_channel.h"

constexpr int userFlagCount = 17;
constexpr int userIpMaskCount = 10;

struct UserRecord {
    // Owned texts, null when absent.
    char* password;
    char* maxLogins;
    char* gadminSlots;
    char* leechSlots;
    char* timeLimit;
    char* ratio;
    char* weeklyAllotment;
    char* credits;
    char* tagline;
    char* maxDownloadSpeed;
    char* maxUploadSpeed;
    bool flags[userFlagCount];
    char* ipMasks[userIpMaskCount];  // IP0 to IP9
    NameList* groups;
    NameList* privateGroups;
};

extern UserRecord userRecord;
// The Edit user page's user combo selection, -1 for none.
extern std::int32_t editUserIndex;

// The flag character of a slot: '1'..'8' for slots 0..7, 'A'..'I' for 8..16.
char userFlagCharacter(int slot);

// True when the first line of a SITE USER or SITE READD reply says the
// account could not be read: "Unable to load", "does not exist" or
// "Error loading userfile" anywhere in it. A reply without lines is no
// failure.
bool isAccountLoadFailure(const char* firstLine);

// Sends "SITE USER <name>" and fills the (cleared) record from the reply.
bool loadUserRecord(const char* userName);
// Fills the record from reply lines already received (the load's steps 5-6).
void readUserRecordLines(ReplyLine* lines);
void clearUserRecord();
void parseUserFlags(const char* text);
void appendGroupNames(const char* text, bool isPrivate);
