#pragma once
// Which group or account a group command reaches. The target of a command is
// the whole name the operator picked from a listing (SITE GROUPS, SITE
// GINFO, SITE USERS); what glftpd 2.13 does with the names it accepts:
// - '|' in group and account names is carried by every command;
// - a tab: SITE GRP and GRPCHANGE carry it in a group name, SITE GINFO reads
//   it as a blank, SITE CHGADMIN as a word break (in account and group
//   names alike);
// - case: group names are found without regard to case (SITE GRP ISO shows
//   iso, GRPCHANGE ISO changes iso), account names with it (Bob and bob are
//   two accounts);
// - length: group names have at most 14 characters, account names 23
//   (longer ones are cut when added), and SITE GINFO shows account names cut
//   to 9;
// - a group named "*" or "{" would be read by GRPCHANGE as every group or
//   a list.
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/session/site_link.h"

namespace admin {

enum class GroupCommand {
    Settings,    // SITE GRP, SITE GRPCHANGE
    Members,     // SITE GINFO, SITE USERS =group
    GroupAdmin,  // SITE CHGADMIN <user> <group>
};

// Why the picked group's name cannot travel in `command` as that group;
// "" when it can.
std::string groupNameProblem(std::string_view group, GroupCommand command);
// Why an account's name cannot travel in SITE CHGADMIN; "" when it can.
std::string memberNameProblem(std::string_view user);

// Whether SITE GRP's screen is the picked group's: "" when its Groupname is
// the picked name byte for byte, else why not (another group found without
// regard to case, a name cut short or another group's).
std::string screenNameProblem(std::string_view picked, std::string_view shown);

// The width SITE GINFO cuts account names to.
constexpr std::size_t memberNameWidth = 9;
// Whether a name SITE GINFO shows may be the start of a longer one.
inline bool mayBeCut(std::string_view shown) { return shown.size() >= memberNameWidth; }

// A member row's name as a whole account name.
struct MemberMatch {
    enum class Kind {
        Whole,      // shorter than the cut: the name itself
        Unique,     // one account's name starts so
        Ambiguous,  // several do: which one the row is cannot be told
        Unknown,    // none does
    };
    Kind kind = Kind::Whole;
    std::string name;                     // Whole, Unique: the account
    std::vector<std::string> candidates;  // Ambiguous: every account the row may be
    bool deleted = false;                 // Unique: the account is deleted
};

// The whole names of a group's accounts, from SITE USERS =group (the live
// ones) and SITE USERS deleted (the deleted ones, which =group skips).
class MemberNames {
public:
    void add(std::string_view name, bool deleted);
    MemberMatch match(std::string_view shown) const;
    bool empty() const { return names_.empty(); }

private:
    std::map<std::string, bool, std::less<>> names_;  // name: deleted; in order, so that a prefix's names stand together
};

// Why a member row cannot be acted on ("" for Whole and Unique): the
// operator's words, naming the accounts it may be.
std::string matchProblem(const MemberMatch& match, std::string_view shown, std::string_view group);

// SITE CHGADMIN <user> without a group: the user's public groups, each with
// whether the user is its group admin ('@'). False with `failure` set for
// a refusal or another screen. A coloured reply reads as its plain twin.
struct AdminGroup {
    std::string name;
    bool groupAdmin = false;
};
// `user` is the account the list is of, as its first line names it.
bool readAdminGroups(const session::Reply& reply, std::string& user, std::vector<AdminGroup>& groups,
                     std::string& failure);

// Which way a SITE CHGADMIN toggle went by its own reply: +1 made group
// admin ("... successfully added as gadmin ..."), -1 taken back
// ("... removed ..."), 0 neither said.
int toggleDirection(const session::Reply& reply);

}  // namespace admin
