#pragma once
// The commands that write what the operator changed: only what differs from
// what was read, values the server would wrap or misread refused first.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/admin/account_settings.h"
#include "host/admin/group_settings.h"
#include "host/admin/user_listing.h"
#include "host/session/site_link.h"

namespace admin {

struct Plan {
    std::string refusal;                // non-empty: refuse with this message, send nothing
    std::vector<std::string> commands;  // in order; empty: nothing changed
};

// The group form as typed (texts); only what differs from `loaded` is sent.
struct GroupForm {
    std::string slots, leechSlots, allotSlots, maxAllotSizeKb, maxLogins, comment;
};
GroupForm groupFormOf(const GroupSettings& loaded);
Plan groupChangePlan(const GroupSettings& loaded, const GroupForm& form);

struct AccountForm {
    std::string expires, timeframeFrom, timeframeTo, idleTime, comment, maxSimUploads,
        maxSimDownloads, sameIpLogins;
};
AccountForm accountFormOf(const AccountSettings& loaded);
Plan accountChangePlan(const AccountSettings& loaded, const AccountForm& form);
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
};
// `replies` holds the replies of the commands sent, in order; a plan is sent
// up to its first refused command, so fewer replies than commands means the
// rest was not sent.
PlanOutcome planOutcome(const Plan& plan, const std::vector<session::Reply>& replies);

}  // namespace admin
