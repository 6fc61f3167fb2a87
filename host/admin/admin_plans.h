#pragma once
// The commands that write what the operator changed: only what differs from
// what was read, values the server would wrap or misread refused first.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/admin/account_settings.h"
#include "host/admin/group_settings.h"
#include "host/admin/user_listing.h"
#include "host/session/site_link.h"

namespace admin {

// A setting a command writes, as the read-back shows it: `setting` in the
// operator's words ("Idle time"), `value` as the page's own reading of the
// server's screen gives it ("30", "never", "8 20").
struct Written {
    std::string setting, value;
};

struct Plan {
    Plan() = default;
    Plan(std::string refusalText, std::vector<std::string> commandLines, std::vector<Written> writtenSettings = {})
        : refusal(std::move(refusalText)), commands(std::move(commandLines)), written(std::move(writtenSettings)) {}

    std::string refusal;                // non-empty: refuse with this message, send nothing
    std::vector<std::string> commands;  // in order; empty: nothing changed
    // One for each command whose setting a read-back shows (parallel to
    // `commands`), else empty.
    std::vector<Written> written;
};

// What the read-back holds against what the first `applied` commands of the
// plan wrote: "" when every written setting reads back as written, else one
// line a setting, "Idle time: written 30, the server holds 0.".
std::string readBackDifferences(const Plan& plan, std::size_t applied, const std::vector<Written>& readBack);

// The group form as typed (texts); only what differs from `loaded` is sent.
struct GroupForm {
    std::string slots, leechSlots, allotSlots, maxAllotSizeKb, maxLogins, comment;
};
// The form as the page shows the group. A comment that is not UTF-8
// (Latin-1 from an older client) is shown read as Windows' Western code
// page; it stays the server's bytes until the operator types another.
GroupForm groupFormOf(const GroupSettings& loaded);
// SITE GRPCHANGE <group> <setting> <value> for each setting the form
// changed, to the group SITE GRP showed (`loaded.name`, which must be the
// picked name). Numbers the server would keep as another number are
// refused: it keeps slots, leech and allotment slots and the login limit in
// 16 bits and the largest allotment in 32 (KiB). A comment is sent as its
// words with one blank between them (the server keeps it so).
Plan groupChangePlan(const GroupSettings& loaded, const GroupForm& form);
// The settings groupChangePlan writes, as SITE GRP shows them, in the
// operator's words ("unlimited", "4096 KiB"), for readBackDifferences.
std::vector<Written> groupReadBack(const GroupSettings& group);

struct AccountForm {
    std::string expires, timeframeFrom, timeframeTo, idleTime, comment, maxSimUploads,
        maxSimDownloads, sameIpLogins;
};
// The form as the page shows the account: the idle time as a number (-1:
// disabled), a comment that is not UTF-8 read as Windows' Western code page.
AccountForm accountFormOf(const AccountSettings& loaded);
// Only a box whose text differs from accountFormOf(loaded) is sent: a
// comment the operator did not retype keeps the server's bytes.
Plan accountChangePlan(const AccountSettings& loaded, const AccountForm& form);
// The settings accountChangePlan writes, as the account shows them, for
// readBackDifferences.
std::vector<Written> accountReadBack(const AccountSettings& account);
Plan renamePlan(const std::string& oldName, const std::string& newName);
// SITE CHGADMIN <user> <group> (a toggle), SITE READD <user>, SITE PURGE <user>.
Plan groupAdminTogglePlan(const std::string& user, const std::string& group);
Plan readdPlan(const std::string& user);
Plan purgePlan(const std::string& user);

// One change for many.
enum class BulkTarget { Group, List, Everyone };
struct BulkForm {
    BulkTarget target = BulkTarget::Group;
    std::string group;
    std::vector<std::string> accounts;  // the list form: at most 30
    std::string setting, value;
};
Plan bulkChangePlan(const BulkForm& form);           // the one SITE CHANGE line, or a refusal
// The list form's longest list.
constexpr std::size_t maxBulkAccounts = 30;
std::string bulkCountCommand(const BulkForm& form);  // the SITE USERS line whose listing counts it
// As the server will count: =group and * change the accounts SITE USERS
// lists for the same selection (deleted ones are neither listed nor
// changed). The list form is counted against the plain SITE USERS listing:
// a listed name that is deleted or missing is not counted (the server
// answers "Error modifying" for it), a name given twice counts once.
std::int64_t bulkCount(const BulkForm& form, const UserListing& listing);
// Why the count cannot stand for what the change will reach; "" when it can.
// SITE USERS =ISO lists the group iso without regard to case, but SITE
// CHANGE =ISO matches the name with case and changes nobody: a group typed
// in another case than the listing shows it is refused with the right name.
std::string bulkCountProblem(const BulkForm& form, const UserListing& listing);

// The settings One change for many offers: the server's key, the
// operator's words, and what values it takes.
struct BulkSetting {
    const char* key;
    const char* words;
    const char* hint;
};
extern const BulkSetting bulkSettings[];
extern const std::size_t bulkSettingCount;

// Whether a SITE CHANGE setting takes this value: "" when fine, else the
// message for the operator. Settings are the server's own, in lower case;
// values it would wrap, cut or take silently as 0 are refused here.
std::string changeValueProblem(const std::string& setting, const std::string& value);

// What a sent plan came to: which commands were taken, the first refused
// one, and for list forms which accounts the server could not modify.
// `summary` is the operator's text.
struct PlanOutcome {
    std::size_t applied = 0;
    bool complete = false;
    std::string summary;
    // The last answered command's "applied to N" (-1: not said) and the
    // names a list form modified.
    std::int64_t appliedCount = -1;
    std::vector<std::string> modified;
};
// `replies` holds the replies of the commands sent, in order; a plan is sent
// up to its first refused command, so fewer replies than commands means the
// rest was not sent.
PlanOutcome planOutcome(const Plan& plan, const std::vector<session::Reply>& replies);

// What a sent plan came to, for the result box. `confirmedCount` (-1:
// none) is the count the operator confirmed for a change for many; the
// server's "applied to N" (or the names a list form modified) must equal it,
// else the server's numbers are reported as a difference, never as done.
// `readBack` (null: nothing read back) is what the read-back shows,
// `readBackProblem` why it could not be read ("" when read). "Written and
// read back" is said only when every written setting reads back as written.
std::string writeVerdict(const Plan& plan, const PlanOutcome& outcome, std::int64_t confirmedCount,
                         const std::vector<Written>* readBack, const std::string& readBackProblem);

// The same verdict as the change record keeps it beside each command sent:
// "written and read back" when every setting taken reads back as written;
// else what the server holds instead ("Slots: written 7, the server holds
// 9."), why nothing was read back, or, where nothing is read back, the
// server's count against the one confirmed. One line; "" when nothing was
// taken or there is nothing to compare.
std::string recordVerdict(const Plan& plan, const PlanOutcome& outcome, std::int64_t confirmedCount,
                          const std::vector<Written>* readBack, const std::string& readBackProblem);

}  // namespace admin
