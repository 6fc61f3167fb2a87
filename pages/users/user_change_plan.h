#pragma once
// The commands that bring an account from the values loaded from the server
// to what the Edit user page's form now holds: only what differs, in a fixed
// order, stopping at the first command that fails.
#include <cstddef>

#include "common/command_text.h"
#include "common/text_utils.h"
#include "pages/users/user_record.h"

// The form as the page read it. Every text is non-null (an empty edit is "").
struct UserChangeForm {
    const char* userName;
    const char* ipMasks[userIpMaskCount];  // as typed, not yet normalised
    bool flags[userFlagCount];
    const char* password;
    const char* ratio;
    const char* maxLogins;
    const char* weeklyAllotment;
    const char* gadminSlots;
    const char* leechSlots;
    const char* timeLimit;
    const char* credits;
    const char* tagline;
    const char* maxUploadSpeed;
    const char* maxDownloadSpeed;
    const NameList* groups;         // "Member of:" entries, first to last
    const NameList* privateGroups;  // private "Member of:" entries
};

// Sends one command; false when it failed (the host refused it or the server
// answered 400 or more).
typedef bool (*UserChangeSender)(const CommandText& command, void* context);

struct UserChangeResult {
    int commandsSucceeded;
    bool failed;  // a command failed and nothing after it was built
};

// Builds and sends, one at a time, the commands for every setting of the form
// that differs from the record. The record is only read.
UserChangeResult writeUserChangePlan(const UserChangeForm& form, const UserRecord& record,
                                     UserChangeSender send, void* context);

// glftpd 2.x keeps a tagline in 64 bytes with its end: a longer one fails an
// assertion in the server, which then ends the operator's session.
constexpr std::size_t maxTaglineBytes = 63;
// True when the plan would send a tagline longer than the server can keep:
// the page refuses the whole change instead.
bool taglineTooLongToSend(const UserChangeForm& form, const UserRecord& record);

// The page reloads the account when anything reached the server or a
// command failed, so that it shows what the server really holds.
inline bool userChangeNeedsReload(const UserChangeResult& result) {
    return result.commandsSucceeded > 0 || result.failed;
}

// "unlim", ignoring case.
bool isUnlimText(const char* text);
// The number of a megabyte edit (a leading real number, 0 for none) in
// kilobytes, clamped to the 32-bit range.
std::int32_t megabytesToKilobytes(const char* text);
