#include "host/admin/admin_plans.h"

namespace admin {

GroupForm groupFormOf(const GroupSettings& loaded) {
    GroupForm form;
    form.slots = std::to_string(loaded.slots);
    form.leechSlots = std::to_string(loaded.leechSlots);
    form.allotSlots = std::to_string(loaded.allotSlots);
    form.maxAllotSizeKb = std::to_string(loaded.maxAllotSizeKb);
    form.maxLogins = std::to_string(loaded.maxLogins);
    form.comment = loaded.comment;
    return form;
}

Plan groupChangePlan(const GroupSettings&, const GroupForm&) { return {}; }

AccountForm accountFormOf(const AccountSettings& loaded) {
    AccountForm form;
    form.expires = loaded.expires;
    form.timeframeFrom = std::to_string(loaded.timeframeFrom);
    form.timeframeTo = std::to_string(loaded.timeframeTo);
    form.idleTime = loaded.idleTime;
    form.comment = loaded.comment;
    form.maxSimUploads = loaded.maxSimUploads;
    form.maxSimDownloads = loaded.maxSimDownloads;
    form.sameIpLogins = loaded.sameIpLogins;
    return form;
}

Plan accountChangePlan(const AccountSettings&, const AccountForm&) { return {}; }

Plan renamePlan(const std::string& oldName, const std::string& newName) {
    Plan plan;
    plan.commands.push_back("SITE RENUSER " + oldName + " " + newName);
    return plan;
}

Plan groupAdminTogglePlan(const std::string& user, const std::string& group) {
    Plan plan;
    plan.commands.push_back("SITE CHGADMIN " + user + " " + group);
    return plan;
}

Plan readdPlan(const std::string& user) {
    Plan plan;
    plan.commands.push_back("SITE READD " + user);
    return plan;
}

Plan purgePlan(const std::string& user) {
    Plan plan;
    plan.commands.push_back("SITE PURGE " + user);
    return plan;
}

Plan bulkChangePlan(const BulkForm&) { return {}; }
std::string bulkCountCommand(const BulkForm&) { return "SITE USERS"; }
std::int64_t bulkCount(const BulkForm&, const UserListing& listing) {
    return static_cast<std::int64_t>(listing.users.size());
}

PlanOutcome planOutcome(const Plan& plan, const std::vector<session::Reply>& replies) {
    PlanOutcome outcome;
    outcome.applied = replies.size() < plan.commands.size() ? replies.size() : plan.commands.size();
    outcome.complete = outcome.applied == plan.commands.size();
    return outcome;
}

}  // namespace admin
