#include "pages/users/user_record.h"

UserRecord userRecord = {};
std::int32_t editUserIndex = -1;

char userFlagCharacter(int slot) {
    return static_cast<char>(slot < 8 ? '1' + slot : 'A' + (slot - 8));
}

bool loadUserRecord(const char*) { return false; }
void readUserRecordLines(ReplyLine*) {}
void clearUserRecord() {}
void parseUserFlags(const char*) {}
void appendGroupNames(const char*, bool) {}
