// The administration readers and the reply judge against every real glftpd
// 2.13 reply to the commands they serve (tests/fixtures/glftpd213, copied
// unchanged): each file is read, or refused, as its text says.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/admin/account_settings.h"
#include "host/admin/admin_reply.h"
#include "host/admin/group_members.h"
#include "host/admin/group_settings.h"
#include "host/admin/user_listing.h"

namespace {

std::string fixtureDir() {
    const std::string dir = std::string(QUORIN_FIXTURE_DIR) + "/glftpd213";
    std::error_code error;
    if (std::filesystem::is_directory(dir, error)) return dir;
    return "Z:" + dir;  // the 32-bit build under Wine
}

session::Reply replyOf(const std::string& file) {
    std::ifstream in(fixtureDir() + "/" + file, std::ios::binary);
    session::Reply reply;
    std::string line;
    while (std::getline(in, line)) reply.lines.push_back(line);
    if (!reply.lines.empty()) reply.code = std::atoi(reply.lines.back().substr(0, 3).c_str());
    return reply;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}
bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::string joined(const std::vector<std::string>& names, const char* separator = ",") {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : separator) + name;
    return text;
}

enum class Reader { Judge, Group, Members, Listing, Account };

// Each file's reply goes to the reader of the command it answers; every
// other is a change (or a listing nothing reads) and goes to the judge.
Reader readerOf(const std::string& file) {
    if (startsWith(file, "site-grp-") || endsWith(file, "-grp.txt")) return Reader::Group;
    if (startsWith(file, "site-ginfo-")) return Reader::Members;
    if (startsWith(file, "site-users")) return Reader::Listing;
    if (startsWith(file, "site-user-") || (startsWith(file, "site-change-") && endsWith(file, "-user.txt")))
        return Reader::Account;
    return Reader::Judge;
}

// What came out, told in one line.
bool outcomeOf(Reader reader, const session::Reply& reply, std::string& told) {
    std::string failure;
    if (reader == Reader::Group) {
        admin::GroupSettings group;
        if (!admin::readGroupSettings(reply, group, failure)) return told = failure, false;
        told = group.name + " slots " + std::to_string(group.slots) + " leech " + std::to_string(group.leechSlots) +
               " allot " + std::to_string(group.allotSlots) + " size " + std::to_string(group.maxAllotSizeKb) +
               " logins " + std::to_string(group.maxLogins) + " comment " + group.comment;
        return true;
    }
    if (reader == Reader::Members) {
        admin::GroupInfo info;
        if (!admin::readGroupInfo(reply, info, failure)) return told = failure, false;
        for (const admin::GroupMember& member : info.members)
            told += std::string(member.siteop ? "*" : member.groupAdmin ? "+" : "") + member.name + ":" +
                    member.ratio + " ";
        told += "users " + std::to_string(info.usersInGroup) + " leech " + std::to_string(info.withLeech) +
                " free " + std::to_string(info.freeSlots) + "/" + std::to_string(info.freeLeechSlots);
        return true;
    }
    if (reader == Reader::Listing) {
        admin::UserListing listing;
        if (!admin::readUserListing(reply, listing, failure)) return told = failure, false;
        for (const admin::ListedUser& user : listing.users)
            told += user.name + "/" + user.group + "/" + user.credits + " ";
        told += "counters " + std::to_string(listing.siteops) + "," + std::to_string(listing.gadmins) + "," +
                std::to_string(listing.leech) + "," + std::to_string(listing.deleted) + " total " +
                std::to_string(listing.total);
        return true;
    }
    if (reader == Reader::Account) {
        admin::AccountSettings account;
        if (!admin::readAccountSettings(reply, account, failure)) return told = failure, false;
        told = account.name + " expires " + account.expires + " timeframe " + std::to_string(account.timeframeFrom) +
               "-" + std::to_string(account.timeframeTo) + " idle " + account.idleTime + " sim " +
               account.maxSimUploads + "/" + account.maxSimDownloads + " logins " + account.maxLogins + "/" +
               account.sameIpLogins + " flags " + account.flags + (account.deleted ? " deleted" : "") +
               " groups " + joined(account.groups) + " admin " + joined(account.adminGroups) + " comment " +
               account.comment;
        return true;
    }
    const admin::Verdict verdict = admin::judgeReply(reply);
    told = verdict.text;
    if (verdict.appliedCount >= 0) told += " [" + std::to_string(verdict.appliedCount) + "]";
    if (!verdict.modified.empty()) told += " [modified " + joined(verdict.modified) + "]";
    if (!verdict.notModified.empty()) told += " [not modified " + joined(verdict.notModified) + "]";
    if (verdict.sessionEnded) told += " [session ended]";
    return verdict.done;
}

struct Expected {
    const char* file;
    bool read;         // read (or, for a change, done)
    const char* told;  // as outcomeOf tells it
};

// clang-format off
const Expected expected[] = {
    {"site-change-all-max_sim_up-3.txt", true, "Change command applied to 10 users. [10]"},
    {"site-change-comment-49.txt", true, "Command Successful."},
    {"site-change-comment-50.txt", false, "ASSERT: (srclen + 1 <= dest_size) in file remoteadmin.c line 1541 inside function gl_strcpy_internal [session ended]"},
    {"site-change-comment-70.txt", false, "ASSERT: (srclen + 1 <= dest_size) in file remoteadmin.c line 1541 inside function gl_strcpy_internal [session ended]"},
    {"site-change-comment-final.txt", true, "Command Successful."},
    {"site-change-comment.txt", true, "Command Successful."},
    {"site-change-crashme-tagline-after-crash.txt", true, "Command Successful."},
    {"site-change-credits-4096.txt", true, "Command Successful."},
    {"site-change-credits-abc.txt", false, "The value specified is out of range."},
    {"site-change-credits-final.txt", true, "Command Successful."},
    {"site-change-deleted-user.txt", false, "You can not modify deleted user 'delme'."},
    {"site-change-eq-emptygrp.txt", true, "Change command applied to 0 users. [0]"},
    {"site-change-eq-iso-ratio-2.txt", true, "Change command applied to 5 users. [5]"},
    {"site-change-eq-nosuchgrp.txt", true, "Change command applied to 0 users. [0]"},
    {"site-change-expires-0.txt", true, "Command Successful."},
    {"site-change-expires-baddate.txt", false, "The provided date should be in the format YYYY-M-D"},
    {"site-change-expires-badformat.txt", false, "The provided date should be in the format YYYY-M-D"},
    {"site-change-expires-date.txt", true, "Command Successful."},
    {"site-change-expires-final.txt", true, "Command Successful."},
    {"site-change-expires-never.txt", true, "Command Successful."},
    {"site-change-expires-past.txt", true, "Command Successful."},
    {"site-change-flags-bad-user.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle 30 sim 5/7 logins 4/2 flags 3I groups iso admin  comment Long-time courier, ask before moving"},
    {"site-change-flags-bad.txt", false, "No flags were changed."},
    {"site-change-flags-plus-I.txt", true, "Command Successful."},
    {"site-change-gadmin-member-ratio.txt", false, "Error: you can only change ratio to 0 or 3."},
    {"site-change-homedir-back.txt", true, "Homedir for isouser1 changed to /site"},
    {"site-change-homedir-missingdir.txt", true, "Homedir for isouser1 changed to /site/isohome"},
    {"site-change-homedir-novalue-after.txt", true, "isouser1's homedir is set to /site/isohome"},
    {"site-change-homedir-novalue.txt", true, "isouser1's homedir is set to /site"},
    {"site-change-homedir-outside.txt", false, "Error: homedir outside of min_homedir, aborting"},
    {"site-change-homedir-site-isohome.txt", true, "Homedir for isouser1 changed to /site/isohome"},
    {"site-change-homedir-trailing-slash.txt", true, "Homedir for isouser1 changed to /site/isohome/"},
    {"site-change-idle_time-0-user.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle 0 sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Added by glftpd"},
    {"site-change-idle_time-0.txt", true, "Command Successful."},
    {"site-change-idle_time-30.txt", true, "Command Successful."},
    {"site-change-idle_time-abc-user.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle 0 sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Added by glftpd"},
    {"site-change-idle_time-abc.txt", true, "Command Successful."},
    {"site-change-idle_time-minus1-user.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Added by glftpd"},
    {"site-change-idle_time-minus1.txt", true, "Command Successful."},
    {"site-change-idle_time-minus5-user.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle -5 sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Added by glftpd"},
    {"site-change-idle_time-minus5.txt", true, "Command Successful."},
    {"site-change-isoleech-ratio-0.txt", true, "Command Successful."},
    {"site-change-list-tagline.txt", true, "Done [modified mp3duo,mp3one]"},
    {"site-change-list-with-missing.txt", false, "Error modifying nosuchuser [modified mp3one] [not modified nosuchuser]"},
    {"site-change-max_dlspeed-500.txt", true, "Changed max download speed for isouser1 to 500 KB/s"},
    {"site-change-max_dlspeed-abc.txt", false, "The value specified is out of range."},
    {"site-change-max_dlspeed-final.txt", true, "Changed max download speed for isouser1 to 500 KB/s"},
    {"site-change-max_sim_down-0-user.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle 30 sim 0/0 logins 2/Unlimited flags 3 groups iso admin  comment Long-time courier, ask before moving"},
    {"site-change-max_sim_down-0.txt", true, "Changed max simultaneous downloads for isouser1 to 0."},
    {"site-change-max_sim_down-30001.txt", false, "The value specified is out of range."},
    {"site-change-max_sim_down-7.txt", true, "Changed max simultaneous downloads for isouser1 to 7."},
    {"site-change-max_sim_down-minus1-user.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle 30 sim 0/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Long-time courier, ask before moving"},
    {"site-change-max_sim_down-minus1.txt", true, "Changed max simultaneous downloads for isouser1 to -1."},
    {"site-change-max_sim_down-minus2.txt", false, "The value specified is out of range."},
    {"site-change-max_sim_up-0-user.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle 30 sim 0/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Long-time courier, ask before moving"},
    {"site-change-max_sim_up-0.txt", true, "Changed max simultaneous uploads for isouser1 to 0."},
    {"site-change-max_sim_up-30001.txt", false, "The value specified is out of range."},
    {"site-change-max_sim_up-5.txt", true, "Changed max simultaneous uploads for isouser1 to 5."},
    {"site-change-max_sim_up-minus1-user.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle 30 sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Long-time courier, ask before moving"},
    {"site-change-max_sim_up-minus1.txt", true, "Changed max simultaneous uploads for isouser1 to -1."},
    {"site-change-max_sim_up-minus2.txt", false, "The value specified is out of range."},
    {"site-change-max_ulspeed-2m.txt", true, "Changed max upload speed for isouser1 to 2048 KB/s"},
    {"site-change-nosetting.txt", false, "Valid fields & descriptions:"},
    {"site-change-nosuchuser.txt", false, "User 'nosuchuser' does not exist."},
    {"site-change-novalue.txt", false, "ratio  [0-9] The user's ratio"},
    {"site-change-num_logins-30001.txt", false, "The value specified is out of range."},
    {"site-change-num_logins-4-2.txt", true, "Command Successful."},
    {"site-change-num_logins-bad2-user.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle 30 sim 5/7 logins 4/Unlimited flags 3 groups iso admin  comment Long-time courier, ask before moving"},
    {"site-change-num_logins-bad2.txt", true, "Command Successful."},
    {"site-change-num_logins-final.txt", true, "Command Successful."},
    {"site-change-plainuser-self.txt", false, "You do not have access to this command."},
    {"site-change-ratio-10.txt", false, "Ratio out of range (range is 0 to 9)"},
    {"site-change-ratio-5.txt", true, "Command Successful."},
    {"site-change-ratio-final.txt", true, "Command Successful."},
    {"site-change-ratio-minus1.txt", false, "Ratio out of range (range is 0 to 9)"},
    {"site-change-sratio-default.txt", false, "Use 'site change user ratio' to change the default ratio"},
    {"site-change-sratio-nosuchsection.txt", false, "Invalid section name"},
    {"site-change-sratio-novalue.txt", false, "sratio  [Str] [0-9] User's section ratio"},
    {"site-change-startup_dir-final.txt", true, "Command Successful."},
    {"site-change-startup_dir-noslash.txt", true, "Command Successful."},
    {"site-change-startup_dir-novalue.txt", false, "startup_dir  [Str] User's Start-up Directory"},
    {"site-change-startup_dir.txt", true, "Command Successful."},
    {"site-change-tagline-100.txt", false, "ASSERT: (srclen + 1 <= dest_size) in file remoteadmin.c line 1537 inside function gl_strcpy_internal [session ended]"},
    {"site-change-tagline-63.txt", true, "Command Successful."},
    {"site-change-tagline-64.txt", false, "ASSERT: (srclen + 1 <= dest_size) in file remoteadmin.c line 1537 inside function gl_strcpy_internal [session ended]"},
    {"site-change-tagline-final.txt", true, "Command Successful."},
    {"site-change-tagline.txt", true, "Command Successful."},
    {"site-change-time_limit-90.txt", true, "Command Successful."},
    {"site-change-time_limit-abc-user.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle 30 sim 5/7 logins 4/2 flags 3 groups iso admin  comment Long-time courier, ask before moving"},
    {"site-change-time_limit-abc.txt", true, "Command Successful."},
    {"site-change-time_limit-final.txt", true, "Command Successful."},
    {"site-change-timeframe-25.txt", false, "Invalid hour"},
    {"site-change-timeframe-8-20.txt", true, "Command Successful."},
    {"site-change-timeframe-abc-user.txt", true, "isouser1 expires 2027-06-30 timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Added by glftpd"},
    {"site-change-timeframe-abc.txt", true, "Command Successful."},
    {"site-change-timeframe-final.txt", true, "Command Successful."},
    {"site-change-timeframe-minus1.txt", false, "Invalid hour"},
    {"site-change-timeframe-one-hour-user.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Added by glftpd"},
    {"site-change-timeframe-one-hour.txt", true, "Command Successful."},
    {"site-change-unknown-setting.txt", false, "Invalid Field"},
    {"site-change-wkly_allotment-0-2048.txt", true, "Command Successful."},
    {"site-change-wkly_allotment-final.txt", true, "Command Successful."},
    {"site-change-wkly_allotment-section5-user.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle 30 sim 5/7 logins 4/2 flags 3 groups iso admin  comment Long-time courier, ask before moving"},
    {"site-change-wkly_allotment-section5.txt", true, "Command Successful."},
    {"site-chgadmin-deleted-user.txt", true, "'delme' has been successfully added as gadmin for 'iso'"},
    {"site-chgadmin-delme-iso-back.txt", true, "'delme' has been successfully removed as gadmin for 'iso'"},
    {"site-chgadmin-gadmin.txt", false, "You do not have access to this command."},
    {"site-chgadmin-isoadm-iso-give-again.txt", true, "'isoadm' has been successfully added as gadmin for 'iso'"},
    {"site-chgadmin-isoadm-iso-give.txt", true, "'isoadm' has been successfully added as gadmin for 'iso'"},
    {"site-chgadmin-isoadm-iso-take.txt", true, "'isoadm' has been successfully removed as gadmin for 'iso'"},
    {"site-chgadmin-mp3one-iso-notmember.txt", false, "User is not a member of the group."},
    {"site-chgadmin-noargs.txt", false, "USAGE: SITE CHGADMIN <username> <group>"},
    {"site-chgadmin-nogroup.txt", false, "Use SITE CHGADMIN <username> <group> to toggle group admin for a group."},
    {"site-chgadmin-nosuchgrp.txt", false, "'nosuchgrp' is not a valid group. SITE GROUPS for a list."},
    {"site-chgadmin-nosuchuser.txt", false, "'nosuchuser': user not found."},
    {"site-chgadmin-plainuser.txt", false, "You do not have access to this command."},
    {"site-chgadmin-privgroup.txt", false, "'STAFF' is not a valid group. SITE GROUPS for a list."},
    {"site-deluser-delme-2.txt", true, "User (delme) deleted."},
    {"site-deluser-delme-again.txt", false, "User delme is already deleted."},
    {"site-deluser-delme.txt", true, "User (delme) deleted."},
    {"site-deluser-fred.txt", true, "User (fred) deleted."},
    {"site-deluser-gadmin-other.txt", false, "Invalid Access. Users primary group is not your gadmin group."},
    {"site-deluser-noargs.txt", false, "USAGE: SITE DELUSER <username>"},
    {"site-deluser-plainuser.txt", false, "You do not have access to this command."},
    {"site-gadduser-exists.txt", false, "User mp3one already exists"},
    {"site-gadduser-gadmin-other.txt", false, "You are not allowed to add users to group mp3."},
    {"site-gadduser-gadmin-own.txt", true, "User (isonew) successfully added to group iso."},
    {"site-gadduser-iso-isoadm.txt", true, "User (isoadm) successfully added to group iso."},
    {"site-gadduser-iso-isoleech-noip.txt", true, "User (isoleech) successfully added to group iso."},
    {"site-gadduser-iso-isouser1.txt", true, "User (isouser1) successfully added to group iso."},
    {"site-gadduser-mp3-mp3one.txt", true, "User (mp3one) successfully added to group mp3."},
    {"site-gadduser-mp3-mp3three.txt", true, "User (mp3three) successfully added to group mp3."},
    {"site-gadduser-mp3-mp3two.txt", true, "User (mp3two) successfully added to group mp3."},
    {"site-gadduser-noargs.txt", false, "USAGE: SITE GADDUSER <group> <username> <password>"},
    {"site-gadduser-nopassword.txt", false, "You forgot a password"},
    {"site-gadduser-noslots.txt", false, "Sorry, no more open slots available."},
    {"site-gadduser-nosuchgrp.txt", false, "Group (nosuchgrp) does not exist."},
    {"site-gadduser-plainuser.txt", false, "You do not have access to this command."},
    {"site-gadduser-privgroup.txt", false, "Group (STAFF) does not exist."},
    {"site-ginfo-emptygrp.txt", true, "users 0 leech 0 free -1/0"},
    {"site-ginfo-iso-gadmin.txt", true, "isoleech:leech *siteop2:1:3 delme:1:3 isouser1:1:3 +isoadm:1:3 users 5 leech 1 free 20/3"},
    {"site-ginfo-iso.txt", true, "isoleech:leech *siteop2:1:3 delme:1:3 isouser1:1:3 +isoadm:1:3 users 5 leech 1 free 20/3"},
    {"site-ginfo-mp3-gadmin.txt", false, "You are not GADMIN for mp3"},
    {"site-ginfo-mp3.txt", true, "mp3one:1:3 mp3three:1:3 mp3two:1:3 users 3 leech 0 free 9/0"},
    {"site-ginfo-noargs-gadmin.txt", true, "isoleech:leech *siteop2:1:3 delme:1:3 isouser1:1:3 +isoadm:1:3 users 5 leech 1 free 20/3"},
    {"site-ginfo-noargs-siteop.txt", false, "USAGE: SITE GINFO <group>"},
    {"site-ginfo-nosuchgrp.txt", false, "'nosuchgrp' is not a valid group. SITE GROUPS for a list."},
    {"site-ginfo-plainuser.txt", false, "You do not have access to this command."},
    {"site-ginfo-privgroup.txt", true, "users 0 leech 0 free -1/0"},
    {"site-grp-iso-after-comment64.txt", true, "iso slots 20 leech 3 allot 5 size 2048 logins 6 comment DDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDD"},
    {"site-grp-iso-after-gadmin-add.txt", true, "iso slots 19 leech 3 allot 5 size 4096 logins 4 comment ISO couriers: best of the best"},
    {"site-grp-iso-after.txt", true, "iso slots 20 leech 3 allot 5 size 4096 logins 4 comment ISO couriers: best of the best"},
    {"site-grp-iso-before.txt", true, "iso slots -1 leech 0 allot 0 size 0 logins 0 comment Added by glftpd"},
    {"site-grp-iso-fresh.txt", true, "iso slots -1 leech 0 allot 0 size 0 logins 0 comment Added by glftpd"},
    {"site-grp-iso-gadmin.txt", true, "iso slots 20 leech 3 allot 5 size 4096 logins 4 comment ISO couriers: best of the best"},
    {"site-grp-iso-max_allot_size-1024.txt", true, "iso slots 20 leech 3 allot 5 size 1024 logins 0 comment Added by glftpd"},
    {"site-grp-iso-plainuser.txt", false, "You do not have access to this command."},
    {"site-grp-iso-slots-10.txt", true, "iso slots 10 leech 0 allot 0 size 0 logins 0 comment Added by glftpd"},
    {"site-grp-iso-slots-2.txt", true, "iso slots 2 leech 0 allot 0 size 0 logins 0 comment Added by glftpd"},
    {"site-grp-mp3-after-gadduser.txt", true, "mp3 slots 9 leech 0 allot 0 size 4096 logins 5 comment Added by glftpd"},
    {"site-grp-mp3-after.txt", true, "mp3 slots -1 leech 0 allot 0 size 4096 logins 5 comment Added by glftpd"},
    {"site-grp-mp3-gadmin.txt", false, "You do not have access to this command."},
    {"site-grp-noargs.txt", false, "USAGE: SITE GRP <group>"},
    {"site-grp-nosuchgrp.txt", false, "Group (nosuchgrp) does not exist."},
    {"site-grp-privgroup.txt", false, "Group (STAFF) does not exist."},
    {"site-grpchange-all-max_allot_size-4096.txt", true, "Change command applied to 6 groups. [6]"},
    {"site-grpchange-gadmin.txt", false, "You do not have access to this command."},
    {"site-grpchange-iso-allot_slots-4.txt", true, "Command Successful."},
    {"site-grpchange-iso-allot_slots-5.txt", true, "Command Successful."},
    {"site-grpchange-iso-allot_slots-minus1-grp.txt", true, "iso slots 20 leech 3 allot -1 size 0 logins 0 comment Added by glftpd"},
    {"site-grpchange-iso-allot_slots-minus1.txt", true, "Command Successful."},
    {"site-grpchange-iso-allot_slots-minus2-grp.txt", true, "iso slots 20 leech 3 allot -2 size 0 logins 0 comment Added by glftpd"},
    {"site-grpchange-iso-allot_slots-minus2.txt", true, "Command Successful."},
    {"site-grpchange-iso-allot_slots-minus3-grp.txt", true, "iso slots 20 leech 3 allot -3 size 0 logins 0 comment Added by glftpd"},
    {"site-grpchange-iso-allot_slots-minus3.txt", true, "Command Successful."},
    {"site-grpchange-iso-comment-63.txt", true, "Command Successful."},
    {"site-grpchange-iso-comment-64.txt", true, "Command Successful."},
    {"site-grpchange-iso-comment-final.txt", true, "Command Successful."},
    {"site-grpchange-iso-comment.txt", true, "Command Successful."},
    {"site-grpchange-iso-leech_slots-2.txt", true, "Command Successful."},
    {"site-grpchange-iso-leech_slots-3.txt", true, "Command Successful."},
    {"site-grpchange-iso-leech_slots-minus1-grp.txt", true, "iso slots 20 leech -1 allot 0 size 0 logins 0 comment Added by glftpd"},
    {"site-grpchange-iso-leech_slots-minus1.txt", true, "Command Successful."},
    {"site-grpchange-iso-leech_slots-minus2-grp.txt", true, "iso slots 20 leech -2 allot 0 size 0 logins 0 comment Added by glftpd"},
    {"site-grpchange-iso-leech_slots-minus2.txt", true, "Command Successful."},
    {"site-grpchange-iso-leech_slots-minus3-grp.txt", true, "iso slots 20 leech -3 allot 0 size 0 logins 0 comment Added by glftpd"},
    {"site-grpchange-iso-leech_slots-minus3.txt", true, "Command Successful."},
    {"site-grpchange-iso-max_allot_size-0.txt", true, "Command Successful."},
    {"site-grpchange-iso-max_allot_size-1024.txt", true, "Command Successful."},
    {"site-grpchange-iso-max_allot_size-2048.txt", true, "Command Successful."},
    {"site-grpchange-iso-max_allot_size-minus5-grp.txt", true, "iso slots 20 leech 3 allot 5 size 9223372036854775807 logins 0 comment Added by glftpd"},
    {"site-grpchange-iso-max_allot_size-minus5.txt", true, "Command Successful."},
    {"site-grpchange-iso-max_logins-0.txt", true, "Command Successful."},
    {"site-grpchange-iso-max_logins-3.txt", true, "Command Successful."},
    {"site-grpchange-iso-max_logins-6.txt", true, "Command Successful."},
    {"site-grpchange-iso-max_logins-minus1-grp.txt", true, "iso slots 20 leech 3 allot 5 size 2048 logins -1 comment Added by glftpd"},
    {"site-grpchange-iso-max_logins-minus1.txt", true, "Command Successful."},
    {"site-grpchange-iso-slots-10.txt", true, "Command Successful."},
    {"site-grpchange-iso-slots-2-members5.txt", true, "Command Successful."},
    {"site-grpchange-iso-slots-20.txt", true, "Command Successful."},
    {"site-grpchange-iso-slots-99999999-grp.txt", true, "iso slots -7937 leech 0 allot 0 size 0 logins 0 comment Added by glftpd"},
    {"site-grpchange-iso-slots-99999999.txt", true, "Command Successful."},
    {"site-grpchange-iso-slots-abc.txt", false, "The value specified is out of range."},
    {"site-grpchange-iso-slots-minus1.txt", true, "Command Successful."},
    {"site-grpchange-iso-slots-minus2-grp.txt", true, "iso slots -2 leech 0 allot 0 size 0 logins 0 comment Added by glftpd"},
    {"site-grpchange-iso-slots-minus2.txt", true, "Command Successful."},
    {"site-grpchange-iso-slots-novalue.txt", false, "slots  [Num] Group's max slots"},
    {"site-grpchange-iso-slots-upper.txt", false, "Invalid Field"},
    {"site-grpchange-iso-unknown-setting.txt", false, "Invalid Field"},
    {"site-grpchange-list-max_logins-4.txt", true, "Done [modified mp3,iso]"},
    {"site-grpchange-list-with-missing.txt", false, "Error modifying nosuchgrp [modified mp3] [not modified nosuchgrp]"},
    {"site-grpchange-mp3-slots-10.txt", true, "Command Successful."},
    {"site-grpchange-noargs.txt", false, "SITE GRPCHANGE <group> <field> <value>"},
    {"site-grpchange-nosuchgrp.txt", false, "Group (nosuchgrp) does not exist."},
    {"site-grpchange-plainuser.txt", false, "You do not have access to this command."},
    {"site-grpchange-privgroup.txt", false, "Group (STAFF) does not exist."},
    {"site-purge-fred-again.txt", false, "Failed purge: user 'fred' doesn't exist."},
    {"site-purge-fred.txt", true, "User (fred) purged."},
    {"site-purge-isouser1-notdeleted.txt", false, "Failed purge: isouser1 has not been deleted."},
    {"site-purge-noargs.txt", false, "USAGE: SITE PURGE <username>"},
    {"site-purge-plainuser.txt", false, "You do not have access to this command."},
    {"site-purge-star.txt", true, "Command successful.  (1 Users Purged)"},
    {"site-readd-delme-again.txt", false, "User delme has not been deleted."},
    {"site-readd-delme.txt", true, "User (delme) readded."},
    {"site-readd-fred-purged.txt", false, "Error loading userfile for fred"},
    {"site-readd-list-gadmin.txt", false, "USAGE: SITE READD <username>"},
    {"site-readd-list-two.txt", false, "USAGE: SITE READD <username>"},
    {"site-readd-list.txt", false, "USAGE: SITE READD <username>"},
    {"site-readd-nosuchuser.txt", false, "Error loading userfile for nosuchuser"},
    {"site-readd-plainuser.txt", false, "You do not have access to this command."},
    {"site-renuser-23chars-back.txt", true, "User (abcdefghijklmnopqrstuvw) successfully renamed."},
    {"site-renuser-23chars.txt", true, "User (mp3duo) successfully renamed."},
    {"site-renuser-24chars-back.txt", true, "User (abcdefghijklmnopqrstuvw) successfully renamed."},
    {"site-renuser-24chars.txt", true, "User (mp3duo) successfully renamed."},
    {"site-renuser-32chars-back.txt", true, "User (abcdefghijklmnopqrstuvw) successfully renamed."},
    {"site-renuser-32chars.txt", true, "User (mp3duo) successfully renamed."},
    {"site-renuser-bang.txt", false, "Illegal characters in username"},
    {"site-renuser-colon.txt", false, "Illegal characters in username"},
    {"site-renuser-default-prefix.txt", false, "Illegal part in username"},
    {"site-renuser-deleted-back.txt", true, "User (delme2) successfully renamed."},
    {"site-renuser-deleted.txt", true, "User (delme) successfully renamed."},
    {"site-renuser-existing.txt", false, "User mp3one already exists"},
    {"site-renuser-gadmin.txt", false, "You do not have access to this command."},
    {"site-renuser-lock-suffix.txt", false, "Illegal part in username"},
    {"site-renuser-mp3two-mp3duo.txt", true, "User (mp3two) successfully renamed."},
    {"site-renuser-noargs.txt", false, "USAGE: SITE RENUSER <old_username> <new_username>"},
    {"site-renuser-nonewname.txt", false, "New username not provided"},
    {"site-renuser-nosuchuser.txt", false, "User 'nosuchuser' does not exist."},
    {"site-renuser-number-suffix.txt", false, "Illegal part in username"},
    {"site-renuser-plainuser.txt", false, "You do not have access to this command."},
    {"site-renuser-samename.txt", false, "User mp3duo already exists"},
    {"site-renuser-slash.txt", false, "Illegal characters in username"},
    {"site-user-24chars.txt", true, "abcdefghijklmnopqrstuvw expires Never timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups mp3 admin  comment Added by glftpd"},
    {"site-user-32chars.txt", true, "abcdefghijklmnopqrstuvw expires Never timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups mp3 admin  comment Added by glftpd"},
    {"site-user-crashme-after-comment-50.txt", true, "crashme expires Never timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups  admin  comment Added by glftpd"},
    {"site-user-crashme-after-tagline-64.txt", true, "crashme expires Never timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups  admin  comment Added by glftpd"},
    {"site-user-delme-after-chgadmin.txt", true, "delme expires Never timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 236 deleted groups iso admin iso comment Added by glftpd"},
    {"site-user-delme-after-purge-star.txt", false, "User 'delme' does not exist."},
    {"site-user-fred-purged.txt", false, "User 'fred' does not exist."},
    {"site-user-isoadm-after-give.txt", true, "isoadm expires Never timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 23 groups iso admin iso comment Added by glftpd"},
    {"site-user-isoadm-after-take.txt", true, "isoadm expires Never timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Added by glftpd"},
    {"site-user-isoadm-before.txt", true, "isoadm expires Never timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Added by glftpd"},
    {"site-user-isoadm-gadmin.txt", true, "isoadm expires Never timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 23 groups iso admin iso comment Added by glftpd"},
    {"site-user-isoleech.txt", true, "isoleech expires Never timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Added by glftpd"},
    {"site-user-isouser1-all-settings.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle 30 sim 5/7 logins 4/2 flags 3I groups iso admin  comment Long-time courier, ask before moving"},
    {"site-user-isouser1-comment-49.txt", true, "isouser1 expires 2027-06-30 timeframe 8-20 idle 30 sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment ccccccccccccccccccccccccccccccccccccccccccccccccc"},
    {"site-user-isouser1-expires-past.txt", true, "isouser1 expires 2020-01-01 timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Added by glftpd"},
    {"site-user-mp3duo-renamed.txt", true, "mp3duo expires Never timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups mp3 admin  comment Added by glftpd"},
    {"site-user-mp3one-after-bulk.txt", true, "mp3one expires Never timeframe 0-0 idle Disabled sim 3/Unlimited logins 2/Unlimited flags 3 groups mp3 admin  comment Added by glftpd"},
    {"site-user-mp3one-after-chgadmin.txt", true, "mp3one expires Never timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups mp3 admin  comment Added by glftpd"},
    {"site-user-mp3two-oldname.txt", false, "User 'mp3two' does not exist."},
    {"site-users.txt", true, "frank/friends/15MiB fred/friends/15MiB glftpd//5MiB isoadm/iso/15MiB isoleech/iso/15MiB isouser1/iso/15MiB mp3one/mp3/15MiB mp3three/mp3/15MiB mp3two/mp3/15MiB siteop2/iso/15MiB counters 2,1,1,1 total 10"},
    {"site-users-all.txt", true, "frank/friends/15MiB fred/friends/15MiB glftpd//5MiB isoadm/iso/15MiB isoleech/iso/15MiB isouser1/iso/15MiB mp3one/mp3/15MiB mp3three/mp3/15MiB mp3two/mp3/15MiB siteop2/iso/15MiB counters 2,1,1,1 total 10"},
    {"site-users-deleted-after-purge-noargs.txt", true, "delme/iso/15MiB counters 0,0,0,1 total 1"},
    {"site-users-deleted-after-purge-star.txt", true, "counters 0,0,0,0 total 0"},
    {"site-users-deleted-after-purge.txt", true, "delme/iso/15MiB counters 0,0,0,1 total 1"},
    {"site-users-deleted-before-purge-all.txt", true, "delme/iso/15MiB counters 0,0,0,1 total 1"},
    {"site-users-deleted-two.txt", true, "delme/iso/15MiB fred/friends/15MiB counters 0,0,0,2 total 2"},
    {"site-users-deleted.txt", true, "delme/iso/15MiB counters 0,0,0,1 total 1"},
    {"site-users-eq-emptygrp.txt", true, "counters 0,0,0,0 total 0"},
    {"site-users-eq-iso-after-bulk.txt", true, "isoadm/iso/15MiB isoleech/iso/15MiB isonew/iso/15MiB isouser1/iso/4MiB siteop2/iso/15MiB counters 1,1,0,1 total 5"},
    {"site-users-eq-iso.txt", true, "isoadm/iso/15MiB isoleech/iso/15MiB isouser1/iso/15MiB siteop2/iso/15MiB counters 1,1,1,1 total 4"},
    {"site-users-eq-nosuchgrp.txt", false, "Group (nosuchgrp) does not exist."},
    {"site-users-final.txt", true, "crashme//15MiB frank/friends/15MiB glftpd//5MiB isoadm/iso/15MiB isoleech/iso/15MiB isonew/iso/15MiB isouser1/iso/4MiB mp3duo/mp3/15MiB mp3one/mp3/15MiB mp3three/mp3/15MiB siteop2/iso/15MiB counters 2,1,0,0 total 11"},
    {"site-users-flag-1.txt", true, "glftpd//5MiB siteop2/iso/15MiB counters 2,0,0,0 total 2"},
    {"site-users-flag-2.txt", true, "isoadm/iso/15MiB counters 0,1,0,0 total 1"},
    {"site-users-gadmin-session.txt", false, "You do not have access to this command."},
    {"site-users-gadmin.txt", true, "isoadm/iso/15MiB counters 0,1,0,0 total 1"},
    {"site-users-help.txt", false, "USAGE: SITE USERS [<string>]"},
    {"site-users-leech.txt", true, "isoleech/iso/15MiB counters 0,0,1,0 total 1"},
    {"site-users-nomatch-flag.txt", true, "counters 0,0,0,0 total 0"},
    {"site-users-nomatch-prefix.txt", true, "counters 0,0,0,0 total 0"},
    {"site-users-plainuser.txt", false, "You do not have access to this command."},
    {"site-users-prefix-f.txt", true, "frank/friends/15MiB fred/friends/15MiB counters 0,0,0,0 total 2"},
    {"site-users-prefix-iso.txt", true, "isoadm/iso/15MiB isoleech/iso/15MiB isouser1/iso/15MiB counters 0,1,1,0 total 3"},
    {"site-users-siteop.txt", true, "glftpd//5MiB siteop2/iso/15MiB counters 2,0,0,0 total 2"},
    {"site-users-star.txt", true, "frank/friends/15MiB fred/friends/15MiB glftpd//5MiB isoadm/iso/15MiB isoleech/iso/15MiB isouser1/iso/15MiB mp3one/mp3/15MiB mp3three/mp3/15MiB mp3two/mp3/15MiB siteop2/iso/15MiB counters 2,1,1,1 total 10"},
};
// clang-format on

TEST(AdminReaders, EveryCaptureReadOrRefusedAsItsTextSays) {
    std::map<std::string, const Expected*> table;
    for (const Expected& row : expected) table[row.file] = &row;
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(fixtureDir()))
        if (entry.is_regular_file()) files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    for (const Expected& row : expected)
        EXPECT_TRUE(std::binary_search(files.begin(), files.end(), std::string(row.file))) << "no fixture " << row.file;
    for (const std::string& file : files) {
        std::string told;
        const bool read = outcomeOf(readerOf(file), replyOf(file), told);
        const auto row = table.find(file);
        if (row == table.end()) {
            ADD_FAILURE() << "no row: {\"" << file << "\", " << (read ? "true" : "false") << ", \"" << told << "\"},";
            continue;
        }
        EXPECT_EQ(read, row->second->read) << file << ": " << told;
        EXPECT_EQ(told, row->second->told) << file;
    }
}

// What no capture shows: replies cut short, lines out of shape, numbers
// past any range, names that move the columns.
struct Made {
    const char* what;
    Reader reader;
    int code;
    std::vector<std::string> lines;
    bool read;
    const char* told;
};

const std::string frame = "200- `-----------------------------------------------------------------------'";
const std::string ginfoHead = "200- |  Username |     Up |       MiB |     Dn |       MiB | Ratio |    Wkly |";
const std::string ginfoRule = "200- |-----------+--------+-----------+--------+-----------+-------+---------|";
const std::string ginfoEnd = "200- |----------+------+--------+------+--------+-------+--------------------|";
const std::string ginfoFoot1 = "200- |   Tot MiB Up:        0.0   Tot Files Up:      0   Users in group: 1   |";
const std::string ginfoFoot2 = "200- |   Tot MiB Dn:        0.0   Tot Files Dn:      0       With leech: 0   |";
const std::string ginfoFoot3 = "200- |   Total Free Slots: 99999999999999999999   Free Leech Slots: 0     |";
const std::string usersHead = "200- Detailed User Listing...";
const std::string usersTotals = "200- Uploaded:     0.0MiB Downloaded:     0.0MiB Files Up:     0 Files Down:     0";

const Made made[] = {
    {"no lines", Reader::Listing, 200, {}, false, "The server sent no reply."},
    {"no lines", Reader::Group, 200, {}, false, "The server sent no reply."},
    {"no lines", Reader::Members, 200, {}, false, "The server sent no reply."},
    {"no lines", Reader::Account, 200, {}, false, "The server sent no reply."},
    {"no lines", Reader::Judge, 200, {}, false, "The server sent no reply."},
    {"a code of 400 or more", Reader::Judge, 421, {"421 Timeout (900 seconds): closing control connection."},
     false, "Timeout (900 seconds): closing control connection."},
    {"an unknown last line", Reader::Judge, 200, {"200 Something else happened."}, false,
     "Something else happened."},
    {"a name of 16 and more moves the row; no group", Reader::Listing, 200,
     {usersHead,
      "200- charlie_longname friends    UL:    0MiB      DL:    1MiB      Credit:    15MiB",
      "200- glftpd                     UL:    0MiB      DL:    0MiB      Credit:     5MiB",
      "200- abcdefghijklmnopqrstuvw    UL:   12MiB      DL:    0MiB      Credit: 99999999999MiB",
      usersTotals, "200- SITEOPS=1, GADMINS=0, LEECH=0, DELETED=0", "200 3 Total members."},
     true, "charlie_longname/friends/15MiB glftpd//5MiB abcdefghijklmnopqrstuvw//99999999999MiB "
           "counters 1,0,0,0 total 3"},
    {"the count differs from the rows", Reader::Listing, 200,
     {usersHead, usersTotals, "200- SITEOPS=0, GADMINS=0, LEECH=0, DELETED=0", "200 2 Total members."}, false,
     "The account listing says 2 accounts but shows 0."},
    {"cut after the header", Reader::Listing, 200, {usersHead}, false, "The account listing ends early."},
    {"a row without UL:", Reader::Listing, 200,
     {usersHead, "200- frank           friends", usersTotals, "200- SITEOPS=0, GADMINS=0, LEECH=0, DELETED=0",
      "200 1 Total members."},
     false, "Line 2 of the account listing is not an account row."},
    {"counters past 64 bits are clamped", Reader::Listing, 200,
     {usersHead, usersTotals, "200- SITEOPS=99999999999999999999999, GADMINS=0, LEECH=-1, DELETED=0",
      "200 0 Total members."},
     true, "counters 9223372036854775807,0,-1,0 total 0"},
    {"a member row short of columns", Reader::Members, 200,
     {ginfoHead, ginfoRule, "200- | isoleech  |      0 |", ginfoEnd, ginfoFoot1, ginfoFoot2, ginfoFoot3, frame,
      "200 Command Successful."},
     false, "Line 3 of the group's member list is not a member row."},
    {"a name holding '|', free slots past 64 bits", Reader::Members, 200,
     {ginfoHead, ginfoRule, "200- |+is|o      |      1 |         2 |      3 |         4 | leech |       5 |",
      ginfoEnd, ginfoFoot1, ginfoFoot2, ginfoFoot3, frame, "200 Command Successful."},
     true, "+is|o:leech users 1 leech 0 free 9223372036854775807/0"},
    {"the footer missing", Reader::Members, 200, {ginfoHead, ginfoRule, ginfoEnd, "200 Command Successful."},
     false, "The group's member list ends early."},
    {"a value that is no number", Reader::Group, 200,
     {"200- | Groupname: iso                                                        |",
      "200- | Groupcomment:                                                         |",
      "200- | Number of slots left: lots                 (-1 = Unlimited)           |",
      "200- | Number of leech slots left: 3              (-1 = Disabled)            |",
      "200- | Number of allotment slots left: 5          (-2 = Disabled, -1 = Unlim)|",
      "200- | Max. allotment size: 0.976562              (0 = Unlimited)            |",
      "200- | Max simultaneous logins: 4                 (0 = Unlimited)            |", "200 Command Successful."},
     false, "The group's settings screen holds a value that is not a number."},
    {"six decimals of MiB back to KiB; numbers past 64 bits", Reader::Group, 200,
     {"200- | Groupname: iso                                                        |",
      "200- | Groupcomment:                                                         |",
      "200- | Number of slots left: -99999999999999999999 (-1 = Unlimited)          |",
      "200- | Number of leech slots left: Disabled       (-1 = Disabled)            |",
      "200- | Number of allotment slots left: Unlimited  (-2 = Disabled, -1 = Unlim)|",
      "200- | Max. allotment size: 0.976562              (0 = Unlimited)            |",
      "200- | Max simultaneous logins: 4                 (0 = Unlimited)            |", "200 Command Successful."},
     true, "iso slots -9223372036854775808 leech -2 allot -1 size 1000 logins 4 comment "},
    {"a group screen cut short", Reader::Group, 200,
     {"200- | Groupname: iso                                                        |", "200 Command Successful."},
     false, "The reply is not a group's settings screen."},
    {"a timeframe past 23", Reader::Account, 200,
     {"200- | Username: x                        Created: 12-07-26                  |",
      "200- | Added by: glftpd                   Expires: Never                     |",
      "200- | Flags: 3                           Idle time: Disabled                |",
      "200- | Max Logins: 2                      From same IP: Unlimited            |",
      "200- | Max Sim Uploads: Unlimited         Max Sim Downloads: Unlimited       |",
      "200- | Timeframe: 25:00-99:00             (24 hour format)                   |",
      "200- | Groups:                                                               |", "200 Command Successful."},
     false, "The account's screen shows a timeframe that is not two hours."},
    {"a tagline that looks like a label; empty flags", Reader::Account, 200,
     {"200- User Comment: Expires: soon",
      "200- | Username: x                        Created: 12-07-26                  |",
      "200- | Added by: glftpd                   Expires: 2027-01-02                |",
      "200- | Flags:                             Idle time: -5                      |",
      "200- | Max Logins: 2                      From same IP: Unlimited            |",
      "200- | Max Sim Uploads: Unlimited         Max Sim Downloads: 30000           |",
      "200- | Timeframe: 00:00-23:00             (24 hour format)                   |",
      "200- | Tagline:  Expires: never Flags: 1                                     |",
      "200- | Groups: * *a b*                                                       |",
      "200- | Priv Groups: *STAFF                                                   |", "200 Command Successful."},
     true, "x expires 2027-01-02 timeframe 0-23 idle -5 sim Unlimited/30000 logins 2/Unlimited flags  groups "
           "a,b* admin a comment Expires: soon"},
};

TEST(AdminReaders, RepliesNoCaptureShowsAreReadOrRefusedWithoutFault) {
    for (const Made& reply : made) {
        session::Reply sent;
        sent.code = reply.code;
        sent.lines = reply.lines;
        std::string told;
        EXPECT_EQ(outcomeOf(reply.reader, sent, told), reply.read) << reply.what << ": " << told;
        EXPECT_EQ(told, reply.told) << reply.what;
    }
}

}  // namespace

// The row-at-a-time readers the pages show big listings with: on every
// capture and every made reply of their commands they read, or refuse with
// the same words, what the full readers read, cell for cell.
std::string cellsOf(const admin::ListedUserCells& cells) {
    return std::string(cells.name) + "|" + std::string(cells.group) + "|" + std::string(cells.uploaded) + "|" +
           std::string(cells.downloaded) + "|" + std::string(cells.credits);
}
std::string cellsOf(const admin::ListedUser& user) {
    return user.name + "|" + user.group + "|" + user.uploaded + "|" + user.downloaded + "|" + user.credits;
}
std::string cellsOf(const admin::GroupMemberCells& cells, bool deleted) {
    return std::string(cells.siteop ? "*" : cells.groupAdmin ? "+" : "") + std::string(cells.name) + "|" +
           std::string(cells.filesUp) + "|" + std::string(cells.mibUp) + "|" + std::string(cells.filesDown) + "|" +
           std::string(cells.mibDown) + "|" + std::string(cells.ratio) + "|" + std::string(cells.weekly) +
           (deleted ? "|deleted" : "");
}
std::string cellsOf(const admin::GroupMember& member) {
    return std::string(member.siteop ? "*" : member.groupAdmin ? "+" : "") + member.name + "|" + member.filesUp +
           "|" + member.mibUp + "|" + member.filesDown + "|" + member.mibDown + "|" + member.ratio + "|" +
           member.weekly + (member.deleted ? "|deleted" : "");
}

// Both readers on one reply; `what` names it in a failure.
void expectIndexReadsAsFullReader(Reader reader, const session::Reply& reply, const std::string& what) {
    std::string fullFailure, indexFailure;
    if (reader == Reader::Listing) {
        admin::UserListing listing;
        const bool read = admin::readUserListing(reply, listing, fullFailure);
        admin::UserListingIndex index;
        session::Reply taken = reply;
        EXPECT_EQ(index.read(std::move(taken), indexFailure), read) << what;
        EXPECT_EQ(indexFailure, fullFailure) << what;
        ASSERT_EQ(index.size(), listing.users.size()) << what;
        for (std::size_t i = 0; i < index.size(); ++i) {
            EXPECT_EQ(cellsOf(index.rowCells(i)), cellsOf(listing.users[i])) << what << " row " << i;
            EXPECT_EQ(index.rowName(i), listing.users[i].name) << what << " row " << i;
        }
        EXPECT_EQ(cellsOf(index.rowCells(index.size())), "||||") << what;
        EXPECT_EQ(std::vector<std::int64_t>({index.siteops, index.gadmins, index.leech, index.deleted, index.total}),
                  std::vector<std::int64_t>(
                      {listing.siteops, listing.gadmins, listing.leech, listing.deleted, listing.total}))
            << what;
        return;
    }
    admin::GroupInfo info;
    const bool read = admin::readGroupInfo(reply, info, fullFailure);
    admin::GroupInfoIndex index;
    session::Reply taken = reply;
    EXPECT_EQ(index.read(std::move(taken), indexFailure), read) << what;
    EXPECT_EQ(indexFailure, fullFailure) << what;
    // Every second member deleted, as SITE USERS deleted would list them.
    session::Reply deletedReply;
    deletedReply.code = 200;
    deletedReply.lines.push_back(usersHead);
    admin::UserListing deleted;
    for (std::size_t i = 0; i < info.members.size(); i += 2) {
        deletedReply.lines.push_back("200- " + info.members[i].name + " iso UL: 0MiB DL: 0MiB Credit: 0MiB");
        deleted.users.push_back({info.members[i].name, "iso", "0MiB", "0MiB", "0MiB"});
    }
    deletedReply.lines.push_back(usersTotals);
    deletedReply.lines.push_back("200- SITEOPS=0, GADMINS=0, LEECH=0, DELETED=0");
    deletedReply.lines.push_back("200 " + std::to_string(deleted.users.size()) + " Total members.");
    admin::UserListingIndex deletedIndex;
    std::string failure;
    admin::markDeleted(info, deleted);
    if (deletedIndex.read(std::move(deletedReply), failure)) index.markDeleted(deletedIndex);
    ASSERT_EQ(index.size(), info.members.size()) << what << " " << failure;
    for (std::size_t i = 0; i < index.size(); ++i) {
        EXPECT_EQ(cellsOf(index.rowCells(i), index.rowDeleted(i)), cellsOf(info.members[i])) << what << " row " << i;
        EXPECT_EQ(index.rowName(i), info.members[i].name) << what << " row " << i;
    }
    EXPECT_EQ(cellsOf(index.rowCells(index.size()), false), "||||||") << what;
    EXPECT_EQ(std::vector<std::int64_t>({index.usersInGroup, index.withLeech, index.freeSlots, index.freeLeechSlots}),
              std::vector<std::int64_t>({info.usersInGroup, info.withLeech, info.freeSlots, info.freeLeechSlots}))
        << what;
}

TEST(AdminReaders, RowAtATimeReadersReadWhatTheFullReadersRead) {
    int replies = 0;
    for (const auto& entry : std::filesystem::directory_iterator(fixtureDir())) {
        if (!entry.is_regular_file()) continue;  // colour/, glance/: read by their own tables
        const std::string file = entry.path().filename().string();
        const Reader reader = readerOf(file);
        if (reader == Reader::Listing || reader == Reader::Members) {
            expectIndexReadsAsFullReader(reader, replyOf(file), file);
            ++replies;
        }
    }
    for (const Made& reply : made) {
        if (reply.reader == Reader::Listing || reply.reader == Reader::Members) {
            session::Reply sent;
            sent.code = reply.code;
            sent.lines = reply.lines;
            expectIndexReadsAsFullReader(reply.reader, sent, reply.what);
            ++replies;
        }
    }
    EXPECT_GT(replies, 40);
}

namespace {

// The replies an operator with glftpd's colour flag (5) gets, captured from
// a real 2.13 beside their plain twins (colour/account-*-colour.txt and
// -plain.txt, the same command on the same site): every reader gives the
// coloured reply its plain twin's outcome, in words without colour codes.
struct ColourRow {
    const char* capture;  // the name between "account-" and "-colour.txt"
    bool read;
    const char* told;
};

// clang-format off
const ColourRow colourRows[] = {
    {"site-change-deleted", false, "You can not modify deleted user 'delme'."},
    {"site-change-eq-ISO-idle_time-30", true, "Change command applied to 0 users. [0]"},
    {"site-change-eq-iso-idle_time-30", true, "Change command applied to 5 users. [5]"},
    {"site-change-isouser1-comment", true, "Command Successful."},
    {"site-change-isouser1-max_sim_up-30001", false, "The value specified is out of range."},
    {"site-change-isouser1-max_sim_up-5", true, "Changed max simultaneous uploads for isouser1 to 5."},
    {"site-change-isouser1-timeframe-25", false, "Invalid hour"},
    {"site-change-list", false, "Error modifying nosuchuser [modified isouser1] [not modified nosuchuser]"},
    {"site-change-nosuchuser", false, "User 'nosuchuser' does not exist."},
    {"site-purge", true, "User (purgeme) purged."},
    {"site-purge-not-deleted", false, "Failed purge: isouser1 has not been deleted."},
    {"site-readd", true, "User (delme) readded."},
    {"site-readd-not-deleted", false, "User isouser1 has not been deleted."},
    {"site-renuser", true, "User (renme) successfully renamed."},
    {"site-user-delme", true, "delme expires Never timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 36 deleted groups iso admin  comment Added by glftpd"},
    {"site-user-isouser1", true, "isouser1 expires Never timeframe 0-0 idle Disabled sim Unlimited/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Added by glftpd"},
    {"site-user-isouser1-after", true, "isouser1 expires Never timeframe 0-0 idle 20 sim 5/Unlimited logins 2/Unlimited flags 3 groups iso admin  comment Courier"},
    {"site-user-nosuchuser", false, "User 'nosuchuser' does not exist."},
    {"site-users", true, "colop/iso/15MiB glftpd//5MiB isoadm/iso/15MiB isoleech/iso/15MiB isouser1/iso/15MiB mp3one/mp3/15MiB renme/iso/15MiB counters 2,1,1,1 total 7"},
    {"site-users-deleted", true, "delme/iso/15MiB counters 0,0,0,1 total 1"},
    {"site-users-eq-ISO", true, "colop/iso/15MiB isoadm/iso/15MiB isoleech/iso/15MiB isouser1/iso/15MiB renme/iso/15MiB counters 1,1,1,1 total 5"},
    {"site-users-eq-iso", true, "colop/iso/15MiB isoadm/iso/15MiB isoleech/iso/15MiB isouser1/iso/15MiB renme/iso/15MiB counters 1,1,1,1 total 5"},
    {"site-users-eq-nosuchgrp", false, "Group (nosuchgrp) does not exist."},
};
// clang-format on

TEST(AdminReaders, ColouredRepliesReadAsTheirPlainTwins) {
    const std::string dir = fixtureDir() + "/colour";
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string file = entry.path().filename().string();
        if (startsWith(file, "account-") && endsWith(file, "-colour.txt"))
            names.push_back(file.substr(8, file.size() - 8 - 11));
    }
    std::sort(names.begin(), names.end());
    EXPECT_GE(names.size(), 20u);
    std::map<std::string, const ColourRow*> table;
    for (const ColourRow& row : colourRows) table[row.capture] = &row;
    for (const std::string& name : names) {
        const Reader reader = readerOf(name);
        const session::Reply coloured = replyOf("colour/account-" + name + "-colour.txt");
        const session::Reply plain = replyOf("colour/account-" + name + "-plain.txt");
        ASSERT_FALSE(plain.lines.empty()) << "no plain twin of " << name;
        std::string toldColoured, toldPlain;
        const bool readColoured = outcomeOf(reader, coloured, toldColoured);
        const bool readPlain = outcomeOf(reader, plain, toldPlain);
        EXPECT_EQ(readColoured, readPlain) << name;
        EXPECT_EQ(toldColoured, toldPlain) << name;
        EXPECT_EQ(toldColoured.find('\x1b'), std::string::npos) << name;
        if (reader == Reader::Listing) expectIndexReadsAsFullReader(reader, coloured, name);
        const auto row = table.find(name);
        if (row == table.end()) {
            ADD_FAILURE() << "no row: {\"" << name << "\", " << (readColoured ? "true" : "false") << ", \""
                          << toldColoured << "\"},";
            continue;
        }
        EXPECT_EQ(readColoured, row->second->read) << name;
        EXPECT_EQ(toldColoured, row->second->told) << name;
    }
}

}  // namespace
