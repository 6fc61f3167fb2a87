// The simulated site as a glftpd 2.x server administers groups and
// accounts: the real run of glftpd 2.13 replayed against it, reply for reply,
// and what the administration pages write read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "host/admin/account_settings.h"
#include "host/admin/admin_plans.h"
#include "host/admin/group_members.h"
#include "host/admin/group_settings.h"
#include "host/admin/user_listing.h"
#include "host/simsite/simulated_site.h"

using session::Reply;
using simsite::SimulatedSite;

namespace {

using Lines = std::vector<std::string>;

Lines captureLines(const std::string& name) {
    // Under Wine the Unix path of the source tree is reached through Z:.
    const std::string path = std::string(QUORIN_FIXTURE_DIR) + "/glftpd213/" + name;
    std::ifstream in("Z:" + path, std::ios::binary);
    if (!in) {
        in.open(path, std::ios::binary);
    }
    Lines lines;
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

// How a reply is held against its capture.
enum Compare {
    Sent,          // only sent: preparation, or the site's own texts differ (ADDUSER, CHGRP, ADDIP)
    Whole,         // every line, byte for byte
    AnyRowOrder,   // GINFO: every line, the member rows in any order (the server's is its directory's)
    AccountLines,  // SITE USER: the lines of the settings the 2.x server added, byte for byte
};

struct Step {
    const char* command;
    const char* capture;
    Compare compare;
};

// The siteop's session of the captured run, in its order (with the one
// GADDUSER the group admin's session made, which later screens count).
const Step capturedRun[] = {
    {"SITE CHANGE glftpd flags +ABCDEFGH", "prep-change-glftpd-flags.txt", Sent},
    {"SITE GRPADD iso ISO release group", "prep-grpadd-iso.txt", Sent},
    {"SITE GRPADD mp3 Music couriers", "prep-grpadd-mp3.txt", Sent},
    {"SITE GRPADD friends Friends of the site", "prep-grpadd-friends.txt", Sent},
    {"SITE GRPADD emptygrp Nobody here", "prep-grpadd-emptygrp.txt", Sent},
    {"SITE GRP iso", "site-grp-iso-fresh.txt", Whole},
    {"SITE GADDUSER iso isoadm isoadmpw1 *@127.0.0.1", "site-gadduser-iso-isoadm.txt", Whole},
    {"SITE GADDUSER iso isouser1 isouserpw1 *@10.1.1.* ident1@10.1.2.3", "site-gadduser-iso-isouser1.txt", Whole},
    {"SITE GADDUSER iso isoleech isoleechpw1", "site-gadduser-iso-isoleech-noip.txt", Whole},
    {"SITE GADDUSER mp3 mp3one mp3onepw1 *@192.168.5.*", "site-gadduser-mp3-mp3one.txt", Whole},
    {"SITE GADDUSER mp3 mp3two mp3twopw1 mp3two@203.0.113.7", "site-gadduser-mp3-mp3two.txt", Whole},
    {"SITE GADDUSER mp3 mp3one otherpw1", "site-gadduser-exists.txt", Whole},
    {"SITE GADDUSER nosuchgrp newguy newguypw1", "site-gadduser-nosuchgrp.txt", Whole},
    {"SITE GADDUSER STAFF newguy newguypw1", "site-gadduser-privgroup.txt", Whole},
    {"SITE GADDUSER mp3 newguy", "site-gadduser-nopassword.txt", Whole},
    {"SITE GADDUSER", "site-gadduser-noargs.txt", Whole},
    {"SITE GRPCHANGE emptygrp slots 0", "prep-grpchange-emptygrp-slots-0.txt", Sent},
    {"SITE GADDUSER emptygrp newguy newguypw1", "site-gadduser-noslots.txt", Whole},
    {"SITE GRPCHANGE emptygrp slots -1", "prep-grpchange-emptygrp-slots-unlimited.txt", Sent},
    {"SITE ADDUSER frank frankpw1 *@127.0.0.1", "prep-adduser-frank.txt", Sent},
    {"SITE ADDUSER fred fredpw1 *@198.51.100.*", "prep-adduser-fred.txt", Sent},
    {"SITE ADDUSER delme delmepw1 *@10.9.9.9", "prep-adduser-delme.txt", Sent},
    {"SITE ADDUSER siteop2 siteop2pw1 *@10.7.7.*", "prep-adduser-siteop2.txt", Sent},
    {"SITE CHGRP frank friends", "prep-chgrp-frank-friends.txt", Sent},
    {"SITE CHGRP fred friends", "prep-chgrp-fred-friends.txt", Sent},
    {"SITE CHGRP delme iso", "prep-chgrp-delme-iso.txt", Sent},
    {"SITE CHGRP siteop2 iso", "prep-chgrp-siteop2-iso.txt", Sent},
    {"SITE CHANGE siteop2 flags +1", "prep-change-siteop2-flags-plus1.txt", Sent},
    {"SITE ADDIP isoadm *@10.1.1.*", "prep-addip-isoadm.txt", Sent},
    {"SITE CHANGE isoleech ratio 0", "site-change-isoleech-ratio-0.txt", Whole},
    {"SITE USER isoleech", "site-user-isoleech.txt", AccountLines},
    {"SITE DELUSER delme", "site-deluser-delme.txt", Whole},
    {"SITE DELUSER delme", "site-deluser-delme-again.txt", Whole},
    {"SITE USER isoadm", "site-user-isoadm-before.txt", AccountLines},
    {"SITE CHGADMIN isoadm iso", "site-chgadmin-isoadm-iso-give.txt", Whole},
    {"SITE USER isoadm", "site-user-isoadm-after-give.txt", AccountLines},
    {"SITE CHGADMIN isoadm iso", "site-chgadmin-isoadm-iso-take.txt", Whole},
    {"SITE USER isoadm", "site-user-isoadm-after-take.txt", AccountLines},
    {"SITE CHGADMIN isoadm iso", "site-chgadmin-isoadm-iso-give-again.txt", Whole},
    {"SITE USER isoadm", "site-user-isoadm-gadmin.txt", AccountLines},
    {"SITE CHGADMIN mp3one iso", "site-chgadmin-mp3one-iso-notmember.txt", Whole},
    {"SITE USER mp3one", "site-user-mp3one-after-chgadmin.txt", AccountLines},
    {"SITE CHGADMIN nosuchuser iso", "site-chgadmin-nosuchuser.txt", Whole},
    {"SITE CHGADMIN isoadm nosuchgrp", "site-chgadmin-nosuchgrp.txt", Whole},
    {"SITE CHGADMIN frank STAFF", "site-chgadmin-privgroup.txt", Whole},
    {"SITE CHGADMIN", "site-chgadmin-noargs.txt", Whole},
    {"SITE CHGADMIN isoadm", "site-chgadmin-nogroup.txt", Whole},
    {"SITE CHGADMIN delme iso", "site-chgadmin-deleted-user.txt", Whole},
    {"SITE USER delme", "site-user-delme-after-chgadmin.txt", AccountLines},
    {"SITE CHGADMIN delme iso", "site-chgadmin-delme-iso-back.txt", Whole},
    {"SITE GRP iso", "site-grp-iso-before.txt", Whole},
    {"SITE GRP nosuchgrp", "site-grp-nosuchgrp.txt", Whole},
    {"SITE GRP", "site-grp-noargs.txt", Whole},
    {"SITE GRP STAFF", "site-grp-privgroup.txt", Whole},
    {"SITE GRPCHANGE iso slots 10", "site-grpchange-iso-slots-10.txt", Whole},
    {"SITE GRP iso", "site-grp-iso-slots-10.txt", Whole},
    {"SITE GRPCHANGE iso slots -1", "site-grpchange-iso-slots-minus1.txt", Whole},
    {"SITE GRPCHANGE iso slots -2", "site-grpchange-iso-slots-minus2.txt", Whole},
    {"SITE GRP iso", "site-grpchange-iso-slots-minus2-grp.txt", Whole},
    {"SITE GRPCHANGE iso slots 99999999", "site-grpchange-iso-slots-99999999.txt", Whole},
    {"SITE GRP iso", "site-grpchange-iso-slots-99999999-grp.txt", Whole},
    {"SITE GRPCHANGE iso slots abc", "site-grpchange-iso-slots-abc.txt", Whole},
    {"SITE GRPCHANGE iso slots", "site-grpchange-iso-slots-novalue.txt", Whole},
    {"SITE GRPCHANGE iso slots 2", "site-grpchange-iso-slots-2-members5.txt", Whole},
    {"SITE GRP iso", "site-grp-iso-slots-2.txt", Whole},
    {"SITE GRPCHANGE iso slots 20", "site-grpchange-iso-slots-20.txt", Whole},
    {"SITE GRPCHANGE iso leech_slots 2", "site-grpchange-iso-leech_slots-2.txt", Whole},
    {"SITE GRPCHANGE iso leech_slots -1", "site-grpchange-iso-leech_slots-minus1.txt", Whole},
    {"SITE GRP iso", "site-grpchange-iso-leech_slots-minus1-grp.txt", Whole},
    {"SITE GRPCHANGE iso leech_slots -2", "site-grpchange-iso-leech_slots-minus2.txt", Whole},
    {"SITE GRP iso", "site-grpchange-iso-leech_slots-minus2-grp.txt", Whole},
    {"SITE GRPCHANGE iso leech_slots -3", "site-grpchange-iso-leech_slots-minus3.txt", Whole},
    {"SITE GRP iso", "site-grpchange-iso-leech_slots-minus3-grp.txt", Whole},
    {"SITE GRPCHANGE iso leech_slots 3", "site-grpchange-iso-leech_slots-3.txt", Whole},
    {"SITE GRPCHANGE iso allot_slots 4", "site-grpchange-iso-allot_slots-4.txt", Whole},
    {"SITE GRPCHANGE iso allot_slots -1", "site-grpchange-iso-allot_slots-minus1.txt", Whole},
    {"SITE GRP iso", "site-grpchange-iso-allot_slots-minus1-grp.txt", Whole},
    {"SITE GRPCHANGE iso allot_slots -2", "site-grpchange-iso-allot_slots-minus2.txt", Whole},
    {"SITE GRP iso", "site-grpchange-iso-allot_slots-minus2-grp.txt", Whole},
    {"SITE GRPCHANGE iso allot_slots -3", "site-grpchange-iso-allot_slots-minus3.txt", Whole},
    {"SITE GRP iso", "site-grpchange-iso-allot_slots-minus3-grp.txt", Whole},
    {"SITE GRPCHANGE iso allot_slots 5", "site-grpchange-iso-allot_slots-5.txt", Whole},
    {"SITE GRPCHANGE iso max_allot_size 1024", "site-grpchange-iso-max_allot_size-1024.txt", Whole},
    {"SITE GRP iso", "site-grp-iso-max_allot_size-1024.txt", Whole},
    {"SITE GRPCHANGE iso max_allot_size 0", "site-grpchange-iso-max_allot_size-0.txt", Whole},
    {"SITE GRPCHANGE iso max_allot_size -5", "site-grpchange-iso-max_allot_size-minus5.txt", Whole},
    {"SITE GRP iso", "site-grpchange-iso-max_allot_size-minus5-grp.txt", Whole},
    {"SITE GRPCHANGE iso max_allot_size 2048", "site-grpchange-iso-max_allot_size-2048.txt", Whole},
    {"SITE GRPCHANGE iso max_logins 3", "site-grpchange-iso-max_logins-3.txt", Whole},
    {"SITE GRPCHANGE iso max_logins 0", "site-grpchange-iso-max_logins-0.txt", Whole},
    {"SITE GRPCHANGE iso max_logins -1", "site-grpchange-iso-max_logins-minus1.txt", Whole},
    {"SITE GRP iso", "site-grpchange-iso-max_logins-minus1-grp.txt", Whole},
    {"SITE GRPCHANGE iso max_logins 6", "site-grpchange-iso-max_logins-6.txt", Whole},
    {"SITE GRPCHANGE iso comment Scene ISO couriers since 2001", "site-grpchange-iso-comment.txt", Whole},
    {"SITE GRPCHANGE iso comment CCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCC",
     "site-grpchange-iso-comment-63.txt", Whole},
    {"SITE GRPCHANGE iso comment DDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDD",
     "site-grpchange-iso-comment-64.txt", Whole},
    {"SITE GRP iso", "site-grp-iso-after-comment64.txt", Whole},
    {"SITE GRPCHANGE iso comment ISO couriers: best of the best", "site-grpchange-iso-comment-final.txt", Whole},
    {"SITE GRPCHANGE iso foo 1", "site-grpchange-iso-unknown-setting.txt", Whole},
    {"SITE GRPCHANGE iso SLOTS 20", "site-grpchange-iso-slots-upper.txt", Whole},
    {"SITE GRPCHANGE nosuchgrp slots 5", "site-grpchange-nosuchgrp.txt", Whole},
    {"SITE GRPCHANGE STAFF slots 5", "site-grpchange-privgroup.txt", Whole},
    {"SITE GRPCHANGE", "site-grpchange-noargs.txt", Whole},
    {"SITE GRPCHANGE { iso mp3 } max_logins 4", "site-grpchange-list-max_logins-4.txt", Whole},
    {"SITE GRPCHANGE { mp3 nosuchgrp } max_logins 5", "site-grpchange-list-with-missing.txt", Whole},
    {"SITE GRPCHANGE * max_allot_size 4096", "site-grpchange-all-max_allot_size-4096.txt", Whole},
    {"SITE GRP iso", "site-grp-iso-after.txt", Whole},
    {"SITE GRP mp3", "site-grp-mp3-after.txt", Whole},
    {"SITE GRPCHANGE mp3 slots 10", "site-grpchange-mp3-slots-10.txt", Whole},
    {"SITE GADDUSER mp3 mp3three mp3threepw1 *@192.168.5.*", "site-gadduser-mp3-mp3three.txt", Whole},
    {"SITE GRP mp3", "site-grp-mp3-after-gadduser.txt", Whole},
    {"SITE GINFO iso", "site-ginfo-iso.txt", AnyRowOrder},
    {"SITE GINFO mp3", "site-ginfo-mp3.txt", AnyRowOrder},
    {"SITE GINFO emptygrp", "site-ginfo-emptygrp.txt", AnyRowOrder},
    {"SITE GINFO nosuchgrp", "site-ginfo-nosuchgrp.txt", AnyRowOrder},
    {"SITE GINFO", "site-ginfo-noargs-siteop.txt", AnyRowOrder},
    {"SITE GINFO STAFF", "site-ginfo-privgroup.txt", AnyRowOrder},
    {"SITE USERS", "site-users.txt", Whole},
    {"SITE USERS =iso", "site-users-eq-iso.txt", Whole},
    {"SITE USERS =emptygrp", "site-users-eq-emptygrp.txt", Whole},
    {"SITE USERS =nosuchgrp", "site-users-eq-nosuchgrp.txt", Whole},
    {"SITE USERS iso*", "site-users-prefix-iso.txt", Whole},
    {"SITE USERS f*", "site-users-prefix-f.txt", Whole},
    {"SITE USERS deleted", "site-users-deleted.txt", Whole},
    {"SITE USERS siteop", "site-users-siteop.txt", Whole},
    {"SITE USERS gadmin", "site-users-gadmin.txt", Whole},
    {"SITE USERS leech", "site-users-leech.txt", Whole},
    {"SITE USERS 1", "site-users-flag-1.txt", Whole},
    {"SITE USERS 2", "site-users-flag-2.txt", Whole},
    {"SITE USERS help", "site-users-help.txt", Whole},
    {"SITE USERS zzz*", "site-users-nomatch-prefix.txt", Whole},
    {"SITE USERS 8", "site-users-nomatch-flag.txt", Whole},
    {"SITE USERS all", "site-users-all.txt", Whole},
    {"SITE USERS *", "site-users-star.txt", Whole},
    {"SITE GADDUSER iso isonew isonewpw1 *@10.3.3.*", "site-gadduser-gadmin-own.txt", Whole},
    {"SITE GRP iso", "site-grp-iso-after-gadmin-add.txt", Whole},
    {"SITE READD", "site-readd-list.txt", Whole},
    {"SITE READD delme", "site-readd-delme.txt", Whole},
    {"SITE READD delme", "site-readd-delme-again.txt", Whole},
    {"SITE READD nosuchuser", "site-readd-nosuchuser.txt", Whole},
    {"SITE DELUSER delme", "site-deluser-delme-2.txt", Whole},
    {"SITE DELUSER fred", "site-deluser-fred.txt", Whole},
    {"SITE DELUSER", "site-deluser-noargs.txt", Whole},
    {"SITE READD", "site-readd-list-two.txt", Whole},
    {"SITE USERS deleted", "site-users-deleted-two.txt", Whole},
    {"SITE PURGE fred", "site-purge-fred.txt", Whole},
    {"SITE PURGE fred", "site-purge-fred-again.txt", Whole},
    {"SITE PURGE isouser1", "site-purge-isouser1-notdeleted.txt", Whole},
    {"SITE READD fred", "site-readd-fred-purged.txt", Whole},
    {"SITE USER fred", "site-user-fred-purged.txt", AccountLines},
    {"SITE USERS deleted", "site-users-deleted-after-purge.txt", Whole},
    {"SITE RENUSER mp3two mp3duo", "site-renuser-mp3two-mp3duo.txt", Whole},
    {"SITE USER mp3duo", "site-user-mp3duo-renamed.txt", AccountLines},
    {"SITE USER mp3two", "site-user-mp3two-oldname.txt", AccountLines},
    {"SITE RENUSER mp3duo mp3one", "site-renuser-existing.txt", Whole},
    {"SITE RENUSER mp3duo abcdefghijklmnopqrstuvwx", "site-renuser-24chars.txt", Whole},
    {"SITE USER abcdefghijklmnopqrstuvwx", "site-user-24chars.txt", AccountLines},
    {"SITE RENUSER abcdefghijklmnopqrstuvwx mp3duo", "site-renuser-24chars-back.txt", Whole},
    {"SITE RENUSER mp3duo abcdefghijklmnopqrstuvw", "site-renuser-23chars.txt", Whole},
    {"SITE RENUSER abcdefghijklmnopqrstuvw mp3duo", "site-renuser-23chars-back.txt", Whole},
    {"SITE RENUSER mp3duo abcdefghijklmnopqrstuvwxyz012345", "site-renuser-32chars.txt", Whole},
    {"SITE USER abcdefghijklmnopqrstuvwxyz012345", "site-user-32chars.txt", AccountLines},
    {"SITE RENUSER abcdefghijklmnopqrstuvwxyz012345 mp3duo", "site-renuser-32chars-back.txt", Whole},
    {"SITE RENUSER mp3duo mp3/duo", "site-renuser-slash.txt", Whole},
    {"SITE RENUSER mp3duo mp3:duo", "site-renuser-colon.txt", Whole},
    {"SITE RENUSER mp3duo mp3!duo", "site-renuser-bang.txt", Whole},
    {"SITE RENUSER mp3duo default.duo", "site-renuser-default-prefix.txt", Whole},
    {"SITE RENUSER mp3duo mp3duo.lock", "site-renuser-lock-suffix.txt", Whole},
    {"SITE RENUSER mp3duo mp3duo.12", "site-renuser-number-suffix.txt", Whole},
    {"SITE RENUSER nosuchuser newname", "site-renuser-nosuchuser.txt", Whole},
    {"SITE RENUSER", "site-renuser-noargs.txt", Whole},
    {"SITE RENUSER mp3duo", "site-renuser-nonewname.txt", Whole},
    {"SITE RENUSER mp3duo mp3duo", "site-renuser-samename.txt", Whole},
    {"SITE RENUSER delme delme2", "site-renuser-deleted.txt", Whole},
    {"SITE RENUSER delme2 delme", "site-renuser-deleted-back.txt", Whole},
    {"SITE CHANGE isouser1 expires 2027-06-30", "site-change-expires-date.txt", Whole},
    {"SITE CHANGE isouser1 expires never", "site-change-expires-never.txt", Whole},
    {"SITE CHANGE isouser1 expires 0", "site-change-expires-0.txt", Whole},
    {"SITE CHANGE isouser1 expires 2027-13-45", "site-change-expires-baddate.txt", Whole},
    {"SITE CHANGE isouser1 expires 30.06.2027", "site-change-expires-badformat.txt", Whole},
    {"SITE CHANGE isouser1 expires 2020-01-01", "site-change-expires-past.txt", Whole},
    {"SITE USER isouser1", "site-user-isouser1-expires-past.txt", AccountLines},
    {"SITE CHANGE isouser1 expires 2027-06-30", "site-change-expires-final.txt", Whole},
    {"SITE CHANGE isouser1 timeframe 8 20", "site-change-timeframe-8-20.txt", Whole},
    {"SITE CHANGE isouser1 timeframe 8", "site-change-timeframe-one-hour.txt", Whole},
    {"SITE USER isouser1", "site-change-timeframe-one-hour-user.txt", AccountLines},
    {"SITE CHANGE isouser1 timeframe 25 3", "site-change-timeframe-25.txt", Whole},
    {"SITE CHANGE isouser1 timeframe -1 5", "site-change-timeframe-minus1.txt", Whole},
    {"SITE CHANGE isouser1 timeframe abc def", "site-change-timeframe-abc.txt", Whole},
    {"SITE USER isouser1", "site-change-timeframe-abc-user.txt", AccountLines},
    {"SITE CHANGE isouser1 timeframe 8 20", "site-change-timeframe-final.txt", Whole},
    {"SITE CHANGE isouser1 idle_time -1", "site-change-idle_time-minus1.txt", Whole},
    {"SITE USER isouser1", "site-change-idle_time-minus1-user.txt", AccountLines},
    {"SITE CHANGE isouser1 idle_time 0", "site-change-idle_time-0.txt", Whole},
    {"SITE USER isouser1", "site-change-idle_time-0-user.txt", AccountLines},
    {"SITE CHANGE isouser1 idle_time abc", "site-change-idle_time-abc.txt", Whole},
    {"SITE USER isouser1", "site-change-idle_time-abc-user.txt", AccountLines},
    {"SITE CHANGE isouser1 idle_time -5", "site-change-idle_time-minus5.txt", Whole},
    {"SITE USER isouser1", "site-change-idle_time-minus5-user.txt", AccountLines},
    {"SITE CHANGE isouser1 idle_time 30", "site-change-idle_time-30.txt", Whole},
    {"SITE CHANGE isouser1 comment Long-time courier, ask before moving", "site-change-comment.txt", Whole},
    {"SITE CHANGE isouser1 comment ccccccccccccccccccccccccccccccccccccccccccccccccc", "site-change-comment-49.txt",
     Whole},
    {"SITE USER isouser1", "site-user-isouser1-comment-49.txt", AccountLines},
    {"SITE CHANGE isouser1 comment Long-time courier, ask before moving", "site-change-comment-final.txt", Whole},
    {"SITE CHANGE isouser1 max_sim_up -1", "site-change-max_sim_up-minus1.txt", Whole},
    {"SITE USER isouser1", "site-change-max_sim_up-minus1-user.txt", AccountLines},
    {"SITE CHANGE isouser1 max_sim_up 0", "site-change-max_sim_up-0.txt", Whole},
    {"SITE USER isouser1", "site-change-max_sim_up-0-user.txt", AccountLines},
    {"SITE CHANGE isouser1 max_sim_up 30001", "site-change-max_sim_up-30001.txt", Whole},
    {"SITE CHANGE isouser1 max_sim_up -2", "site-change-max_sim_up-minus2.txt", Whole},
    {"SITE CHANGE isouser1 max_sim_down -1", "site-change-max_sim_down-minus1.txt", Whole},
    {"SITE USER isouser1", "site-change-max_sim_down-minus1-user.txt", AccountLines},
    {"SITE CHANGE isouser1 max_sim_down 0", "site-change-max_sim_down-0.txt", Whole},
    {"SITE USER isouser1", "site-change-max_sim_down-0-user.txt", AccountLines},
    {"SITE CHANGE isouser1 max_sim_down 30001", "site-change-max_sim_down-30001.txt", Whole},
    {"SITE CHANGE isouser1 max_sim_down -2", "site-change-max_sim_down-minus2.txt", Whole},
    {"SITE CHANGE isouser1 max_sim_up 5", "site-change-max_sim_up-5.txt", Whole},
    {"SITE CHANGE isouser1 max_sim_down 7", "site-change-max_sim_down-7.txt", Whole},
    {"SITE CHANGE isouser1 num_logins 4 2", "site-change-num_logins-4-2.txt", Whole},
    {"SITE CHANGE isouser1 num_logins 30001", "site-change-num_logins-30001.txt", Whole},
    {"SITE CHANGE isouser1 num_logins 4 abc", "site-change-num_logins-bad2.txt", Whole},
    {"SITE USER isouser1", "site-change-num_logins-bad2-user.txt", AccountLines},
    {"SITE CHANGE isouser1 num_logins 4 2", "site-change-num_logins-final.txt", Whole},
    {"SITE CHANGE isouser1 sratio DEFAULT 2", "site-change-sratio-default.txt", Whole},
    {"SITE CHANGE isouser1 sratio GAMES 2", "site-change-sratio-nosuchsection.txt", Whole},
    {"SITE CHANGE isouser1 sratio", "site-change-sratio-novalue.txt", Whole},
    {"SITE CHANGE isouser1 startup_dir /incoming", "site-change-startup_dir.txt", Whole},
    {"SITE CHANGE isouser1 startup_dir incoming", "site-change-startup_dir-noslash.txt", Whole},
    {"SITE CHANGE isouser1 startup_dir", "site-change-startup_dir-novalue.txt", Whole},
    {"SITE CHANGE isouser1 startup_dir /incoming", "site-change-startup_dir-final.txt", Whole},
    {"SITE CHANGE isouser1 homedir", "site-change-homedir-novalue.txt", Whole},
    {"SITE CHANGE isouser1 homedir /tmp", "site-change-homedir-outside.txt", Whole},
    {"SITE CHANGE isouser1 homedir /site/isohome", "site-change-homedir-missingdir.txt", Whole},
    {"SITE CHANGE isouser1 homedir /site/isohome", "site-change-homedir-site-isohome.txt", Whole},
    {"SITE CHANGE isouser1 homedir", "site-change-homedir-novalue-after.txt", Whole},
    {"SITE CHANGE isouser1 homedir /site/isohome/", "site-change-homedir-trailing-slash.txt", Whole},
    {"SITE CHANGE isouser1 homedir /site", "site-change-homedir-back.txt", Whole},
    {"SITE CHANGE isouser1 ratio 5", "site-change-ratio-5.txt", Whole},
    {"SITE CHANGE isouser1 ratio 10", "site-change-ratio-10.txt", Whole},
    {"SITE CHANGE isouser1 ratio -1", "site-change-ratio-minus1.txt", Whole},
    {"SITE CHANGE isouser1 ratio 5", "site-change-ratio-final.txt", Whole},
    {"SITE CHANGE isouser1 credits 4096", "site-change-credits-4096.txt", Whole},
    {"SITE CHANGE isouser1 credits abc", "site-change-credits-abc.txt", Whole},
    {"SITE CHANGE isouser1 credits 4096", "site-change-credits-final.txt", Whole},
    {"SITE CHANGE isouser1 wkly_allotment 0,2048", "site-change-wkly_allotment-0-2048.txt", Whole},
    {"SITE CHANGE isouser1 wkly_allotment 5,1024", "site-change-wkly_allotment-section5.txt", Whole},
    {"SITE USER isouser1", "site-change-wkly_allotment-section5-user.txt", AccountLines},
    {"SITE CHANGE isouser1 wkly_allotment 0,2048", "site-change-wkly_allotment-final.txt", Whole},
    {"SITE CHANGE isouser1 time_limit 90", "site-change-time_limit-90.txt", Whole},
    {"SITE CHANGE isouser1 time_limit abc", "site-change-time_limit-abc.txt", Whole},
    {"SITE USER isouser1", "site-change-time_limit-abc-user.txt", AccountLines},
    {"SITE CHANGE isouser1 time_limit 90", "site-change-time_limit-final.txt", Whole},
    {"SITE CHANGE isouser1 max_dlspeed 500", "site-change-max_dlspeed-500.txt", Whole},
    {"SITE CHANGE isouser1 max_ulspeed 2m", "site-change-max_ulspeed-2m.txt", Whole},
    {"SITE CHANGE isouser1 max_dlspeed abc", "site-change-max_dlspeed-abc.txt", Whole},
    {"SITE CHANGE isouser1 max_dlspeed 500", "site-change-max_dlspeed-final.txt", Whole},
    {"SITE CHANGE isouser1 tagline Fast and quiet", "site-change-tagline.txt", Whole},
    {"SITE CHANGE isouser1 tagline ttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttt",
     "site-change-tagline-63.txt", Whole},
    {"SITE CHANGE isouser1 tagline Fast and quiet", "site-change-tagline-final.txt", Whole},
    {"SITE CHANGE isouser1 flags +I", "site-change-flags-plus-I.txt", Whole},
    {"SITE CHANGE isouser1 flags +!", "site-change-flags-bad.txt", Whole},
    {"SITE USER isouser1", "site-change-flags-bad-user.txt", AccountLines},
    {"SITE CHANGE isouser1 foo 1", "site-change-unknown-setting.txt", Whole},
    {"SITE CHANGE isouser1 ratio", "site-change-novalue.txt", Whole},
    {"SITE CHANGE isouser1", "site-change-nosetting.txt", Whole},
    {"SITE CHANGE nosuchuser expires never", "site-change-nosuchuser.txt", Whole},
    {"SITE CHANGE delme tagline still here", "site-change-deleted-user.txt", Whole},
    {"SITE USER isouser1", "site-user-isouser1-all-settings.txt", AccountLines},
    {"SITE CHANGE =iso ratio 2", "site-change-eq-iso-ratio-2.txt", Whole},
    {"SITE CHANGE { mp3one mp3duo } tagline x", "site-change-list-tagline.txt", Whole},
    {"SITE CHANGE { mp3one nosuchuser } tagline y", "site-change-list-with-missing.txt", Whole},
    {"SITE CHANGE * max_sim_up 3", "site-change-all-max_sim_up-3.txt", Whole},
    {"SITE CHANGE =nosuchgrp ratio 2", "site-change-eq-nosuchgrp.txt", Whole},
    {"SITE CHANGE =emptygrp ratio 2", "site-change-eq-emptygrp.txt", Whole},
    {"SITE USERS =iso", "site-users-eq-iso-after-bulk.txt", Whole},
    {"SITE USER mp3one", "site-user-mp3one-after-bulk.txt", AccountLines},
    {"SITE ADDUSER crashme crashmepw1 *@10.8.8.8", "prep-adduser-crashme.txt", Sent},
    {"SITE CHANGE crashme comment dddddddddddddddddddddddddddddddddddddddddddddddddd", "site-change-comment-50.txt",
     Whole},
    {"SITE USER crashme", "site-user-crashme-after-comment-50.txt", AccountLines},
    {"SITE CHANGE crashme tagline still editable?", "site-change-crashme-tagline-after-crash.txt", Whole},
    {"SITE CHANGE crashme comment eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee",
     "site-change-comment-70.txt", Whole},
    {"SITE CHANGE crashme tagline tttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttt",
     "site-change-tagline-64.txt", Whole},
    {"SITE USER crashme", "site-user-crashme-after-tagline-64.txt", AccountLines},
    {"SITE CHANGE crashme tagline uuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuu",
     "site-change-tagline-100.txt", Whole},
    {"SITE USERS deleted", "site-users-deleted-before-purge-all.txt", Whole},
    {"SITE PURGE", "site-purge-noargs.txt", Whole},
    {"SITE USERS deleted", "site-users-deleted-after-purge-noargs.txt", Whole},
    {"SITE PURGE *", "site-purge-star.txt", Whole},
    {"SITE USERS deleted", "site-users-deleted-after-purge-star.txt", Whole},
    {"SITE USER delme", "site-user-delme-after-purge-star.txt", AccountLines},
    {"SITE USERS", "site-users-final.txt", Whole},

};

// The site the run started on: the stock siteop with no group, and the
// stock groups (NoGroup, glftpd, the private STAFF).
SimulatedSite capturedSite() {
    SimulatedSite site(SimulatedSite::Contents::Empty);
    site.setGeneration(SimulatedSite::Generation::Glftpd2);
    simsite::SiteUser& op = *site.editUser("glftpd");
    op.groups.clear();
    op.ratio = 3;
    op.creditsKb = 5120;
    site.addGroup("NoGroup", "No Group", false);
    site.addGroup("STAFF", "Staff", true);
    return site;
}

// GINFO's member rows, from after the header's rule to the first rule below.
Lines sortedMemberRows(Lines lines) {
    const auto first = std::find_if(lines.begin(), lines.end(),
                                    [](const std::string& l) { return l.compare(0, 18, "200- |-----------+") == 0; });
    if (first == lines.end()) {
        return lines;
    }
    const auto last = std::find_if(first + 1, lines.end(),
                                   [](const std::string& l) { return l.compare(0, 17, "200- |----------+") == 0; });
    std::sort(first + 1, last);
    return lines;
}

bool accountSettingLine(const std::string& line) {
    static const char* const starts[] = {
        "200- User Comment: ",      "200- | Added by: ",  "200- | Flags: ",   "200- | Max Logins: ",
        "200- | Max Sim Uploads: ", "200- | Timeframe: ", "200- | Tagline: ", "200- | Groups: ",
        "200- | Priv Groups: ",     "200- | IP"};
    for (const char* start : starts) {
        if (line.compare(0, std::string(start).size(), start) == 0) {
            return true;
        }
    }
    return false;
}

Lines accountSettingLines(const Lines& lines) {
    Lines kept;
    for (const std::string& line : lines) {
        if (lines.size() == 1 || accountSettingLine(line)) {
            kept.push_back(line);
        }
    }
    return kept;
}

std::string lastLine(const Reply& reply) {
    return reply.lines.empty() ? std::string() : reply.lines.back();
}

}  // namespace

TEST(SimulatedSite2x, TheCapturedRunAnswersAsTheRealServerDid) {
    SimulatedSite site = capturedSite();
    int compared = 0;
    for (const Step& step : capturedRun) {
        SCOPED_TRACE(std::string(step.command) + " (" + step.capture + ")");
        const Reply reply = site.handle(step.command);
        if (step.compare == Sent) {
            EXPECT_EQ(reply.code, 200);
            continue;
        }
        const Lines captured = captureLines(step.capture);
        ASSERT_FALSE(captured.empty());
        EXPECT_EQ(reply.code, std::stoi(captured.back().substr(0, 3)));
        switch (step.compare) {
        case Whole:
            EXPECT_EQ(reply.lines, captured);
            break;
        case AnyRowOrder:
            EXPECT_EQ(sortedMemberRows(reply.lines), sortedMemberRows(captured));
            break;
        case AccountLines:
            EXPECT_EQ(accountSettingLines(reply.lines), accountSettingLines(captured));
            break;
        case Sent:
            break;
        }
        ++compared;
    }
    EXPECT_GT(compared, 250);
}

// What a page writes, read back with the command the page reads with.
TEST(SimulatedSite2x, WhatThePagesWriteReadsBack) {
    SimulatedSite site;
    site.setGeneration(SimulatedSite::Generation::Glftpd2);
    struct {
        const char* write;
        const char* read;
        const char* shows;  // a whole line of the read
    } const cases[] = {
        {"SITE GRPCHANGE friends slots 7", "SITE GRP friends",
         "200- | Number of slots left: 7                    (-1 = Unlimited)           |"},
        {"SITE GRPCHANGE friends max_allot_size 2048", "SITE GRP friends",
         "200- | Max. allotment size: 2.000000              (0 = Unlimited)            |"},
        {"SITE GRPCHANGE friends comment New comment", "SITE GRP friends", "200- Group Comment: New comment"},
        {"SITE CHGADMIN bob friends", "SITE GINFO friends",
         "200- |+bob       |      0 |         0 |      0 |         0 |  1:3  |       0 |"},
        {"SITE CHGADMIN bob friends", "SITE USER bob",
         "200- | Groups: friends                                                       |"},
        {"SITE CHANGE bob expires 2028-2-29", "SITE USER bob",
         "200- | Added by: glftpd                   Expires: 2028-02-29                |"},
        {"SITE CHANGE bob timeframe 22 6", "SITE USER bob",
         "200- | Timeframe: 22:00-06:00             (24 hour format)                   |"},
        {"SITE CHANGE bob idle_time 15", "SITE USER bob",
         "200- | Flags: 3                           Idle time: 15                      |"},
        {"SITE CHANGE bob comment Moved to archive soon", "SITE USER bob", "200- User Comment: Moved to archive soon"},
        {"SITE CHANGE bob num_logins 3 1", "SITE USER bob",
         "200- | Max Logins: 3                      From same IP: 1                    |"},
        {"SITE CHANGE =couriers max_sim_up 4", "SITE USER carol",
         "200- | Max Sim Uploads: 4                 Max Sim Downloads: 2               |"},
        {"SITE CHANGE { bob carol } max_sim_down -1", "SITE USER carol",
         "200- | Max Sim Uploads: 4                 Max Sim Downloads: Unlimited       |"},
        {"SITE RENUSER bob robert", "SITE USERS =friends",
         "200- robert          friends    UL:    0MiB      DL:    0MiB      Credit:   512MiB"},
        {"SITE READD olduser", "SITE USERS deleted", "200 0 Total members."},
        {"SITE DELUSER olduser", "SITE READD", "200- | olduser     "},
        {"SITE PURGE olduser", "SITE USER olduser", "200 User 'olduser' does not exist."},
    };
    site.editUser("bob")->allTime = simsite::Transfer{};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.write);
        const Reply written = site.handle(c.write);
        EXPECT_EQ(written.code, 200);
        const Lines read = site.handle(c.read).lines;
        EXPECT_NE(std::find(read.begin(), read.end(), c.shows), read.end()) << testing::PrintToString(read);
    }
}

// Values the server takes without a check are stored as it stores them;
// what it refuses, or cannot survive, changes nothing.
TEST(SimulatedSite2x, QuestionableValuesAreStoredOrRefusedAsTheServerDoes) {
    SimulatedSite site;
    site.setGeneration(SimulatedSite::Generation::Glftpd2);
    const simsite::SiteUser& carol = *site.findUser("carol");
    const simsite::SiteGroup& testers = *site.findGroup("testers");
    EXPECT_EQ(lastLine(site.handle("SITE GRPCHANGE testers slots 99999999")), "200 Command Successful.");
    EXPECT_EQ(testers.slots, -7937);
    EXPECT_EQ(lastLine(site.handle("SITE GRPCHANGE testers slots 99999999999999999999")),
              "200 The value specified is out of range.");
    EXPECT_EQ(testers.slots, -7937);
    site.handle("SITE GRPCHANGE testers leech_slots -3");
    EXPECT_EQ(testers.leechSlots, -3);
    EXPECT_EQ(site.handle("SITE GRPCHANGE testers Slots 1").lines.front(), "200- Invalid Field");
    EXPECT_EQ(lastLine(site.handle("SITE GRPCHANGE STAFF slots 1")), "200 Group (STAFF) does not exist.");
    site.handle("SITE GRPCHANGE testers comment " + std::string(70, 'c'));
    EXPECT_EQ(testers.comment, std::string(63, 'c'));

    site.handle("SITE CHANGE carol idle_time 12abc");
    EXPECT_EQ(carol.idleTime, 12);
    site.handle("SITE CHANGE carol timeframe 9");
    EXPECT_EQ(carol.timeframeFrom, 9);
    EXPECT_EQ(carol.timeframeTo, 0);
    EXPECT_EQ(lastLine(site.handle("SITE CHANGE carol timeframe 24 1")), "200 Invalid hour");
    EXPECT_EQ(carol.timeframeFrom, 9);
    EXPECT_EQ(lastLine(site.handle("SITE CHANGE carol expires 2027-02-29")),
              "200 The provided date should be in the format YYYY-M-D");
    EXPECT_TRUE(carol.expires.empty());
    EXPECT_EQ(lastLine(site.handle("SITE CHANGE carol num_logins 5 -3")), "200 The value specified is out of range.");
    EXPECT_EQ(carol.maxLogins, 4);

    // Too long for the server: it asserts (and would close the session).
    const std::string tagline = carol.tagline;
    const Reply crash = site.handle("SITE CHANGE carol tagline " + std::string(64, 't'));
    EXPECT_EQ(crash.code, 550);
    EXPECT_EQ(crash.lines.size(), 1u);
    EXPECT_EQ(carol.tagline, tagline);
    EXPECT_EQ(site.handle("SITE CHANGE =couriers comment " + std::string(50, 'c')).code, 550);
    EXPECT_EQ(carol.comment, "Top courier, ask before moving her");
    EXPECT_EQ(site.handle("SITE CHANGE carol tagline " + std::string(63, 't')).code, 200);
    EXPECT_EQ(carol.tagline, std::string(63, 't'));
}

TEST(SimulatedSite2x, BulkChangesSkipDeletedAccountsAndNameWhatTheyCouldNotChange) {
    SimulatedSite site;
    site.setGeneration(SimulatedSite::Generation::Glftpd2);
    // archive: frank, niaj, walter, oscar and the deleted olduser.
    EXPECT_EQ(site.handle("SITE USERS =archive").lines.back(), "200 4 Total members.");
    EXPECT_EQ(site.handle("SITE CHANGE =archive max_sim_up 2").lines, Lines{"200 Change command applied to 4 users."});
    EXPECT_EQ(site.findUser("olduser")->maxSimUploads, -1);
    EXPECT_EQ(site.findUser("walter")->maxSimUploads, 2);
    const std::size_t live = static_cast<std::size_t>(std::count_if(
        site.users().begin(), site.users().end(), [](const simsite::SiteUser& u) { return !u.deleted(); }));
    EXPECT_EQ(site.handle("SITE CHANGE * idle_time 20").lines,
              Lines{"200 Change command applied to " + std::to_string(live) + " users."});
    EXPECT_EQ(site.findUser("olduser")->idleTime, -1);
    EXPECT_EQ(site.handle("SITE CHANGE { walter nobody olduser } timeframe 1 2").lines,
              (Lines{"200- Error modifying olduser", "200- Error modifying nobody", "200- Successfully modified walter",
                     "200 Done"}));
    EXPECT_EQ(site.findUser("walter")->timeframeTo, 2);
    EXPECT_EQ(site.handle("SITE CHANGE =nosuchgrp ratio 2").lines, Lines{"200 Change command applied to 0 users."});
    EXPECT_EQ(site.handle("SITE CHANGE * foo 1").lines.front(), "200- Invalid Field");
    EXPECT_EQ(site.handle("SITE GRPCHANGE { friends nosuchgrp STAFF } max_logins 5").lines,
              (Lines{"200- Error modifying STAFF", "200- Error modifying nosuchgrp",
                     "200- Successfully modified friends", "200 Done"}));
}

TEST(SimulatedSite2x, TheUserListingSortsShiftsLongNamesAndCountsTheSelection) {
    SimulatedSite site(SimulatedSite::Contents::Empty);
    site.setGeneration(SimulatedSite::Generation::Glftpd2);
    site.addGroup("crew", "Crew", false);
    for (const char* name : {"zed", "charlie_longname", "amy"}) {
        simsite::SiteUser& account = site.addAccount(name, "x");
        account.groups = {"crew"};
        account.creditsKb = 15000;
    }
    site.editUser("amy")->allTime.uploadKb = 3 * 1024 * 1024;
    site.editUser("amy")->allTime.uploadFiles = 12;
    site.handle("SITE DELUSER zed");
    EXPECT_EQ(site.handle("SITE USERS =crew").lines,
              (Lines{"200- Detailed User Listing...",
                     "200- amy             crew       UL: 3072MiB      DL:    0MiB      Credit:    15MiB",
                     "200- charlie_longname crew       UL:    0MiB      DL:    0MiB      Credit:    15MiB",
                     "200- Uploaded:  3072.0MiB Downloaded:     0.0MiB Files Up:    12 Files Down:     0",
                     "200- SITEOPS=0, GADMINS=0, LEECH=0, DELETED=1", "200 2 Total members."}));
    EXPECT_EQ(site.handle("SITE USERS 6").lines.back(), "200 1 Total members.");
    EXPECT_EQ(site.handle("SITE USERS c*").lines.back(), "200 1 Total members.");
    EXPECT_EQ(site.handle("SITE USERS leech").lines.back(), "200 1 Total members.");  // glftpd: ratio 0
    EXPECT_EQ(site.handle("SITE USERS nosuchword").lines.back(), "200 0 Total members.");
}

// The older server keeps its own answers: the new commands are unknown to
// it, and the listing, change, readd and purge answer as before.
TEST(SimulatedSite2x, TheOlderServerAnswersAsBefore) {
    SimulatedSite site;
    for (const char* command : {"SITE GRP friends", "SITE GRPCHANGE friends slots 1", "SITE GINFO friends",
                                "SITE CHGADMIN bob friends", "SITE RENUSER bob robert", "SITE GADDUSER friends x y"}) {
        EXPECT_EQ(site.handle(command).code, 500) << command;
    }
    EXPECT_EQ(site.handle("SITE USERS").lines.back(),
              "200 " + std::to_string(site.users().size()) + " user(s) listed.");
    EXPECT_EQ(site.handle("SITE CHANGE bob max_sim_up 3").lines.back().find("200 Unknown setting"), 0u);
    EXPECT_EQ(site.handle("SITE READD").code, 501);
    EXPECT_EQ(site.handle("SITE PURGE").lines.back(), "200 Purged 1 user(s).");
    const Reply screen = site.handle("SITE USER carol");
    EXPECT_EQ(screen.lines.front(), "200- +=======================================================================+");
    for (const std::string& line : screen.lines) {
        EXPECT_EQ(line.find("Expires"), std::string::npos);
        EXPECT_EQ(line.find("Max Sim"), std::string::npos);
    }
}

// The demo site gives each page something real on the newer server.
TEST(SimulatedSite2x, TheDemoSiteHasGroupSettingsAdminsExpiryAndTimeframes) {
    SimulatedSite site;
    site.setGeneration(SimulatedSite::Generation::Glftpd2);
    const Lines friends = site.handle("SITE GRP friends").lines;
    EXPECT_EQ(friends.front(), "200- Group Comment: Friends of the site: be nice, upload often");
    EXPECT_EQ(friends[4], "200- | Number of slots left: 12                   (-1 = Unlimited)           |");
    const Lines members = site.handle("SITE GINFO friends").lines;
    EXPECT_NE(std::find_if(members.begin(), members.end(),
                           [](const std::string& l) { return l.compare(0, 11, "200- |+judy") == 0; }),
              members.end());
    EXPECT_EQ(site.handle("SITE USERS deleted").lines.back(), "200 1 Total members.");
    const Lines erin = site.handle("SITE USER erin").lines;
    EXPECT_EQ(erin[3], "200- | Added by: glftpd                   Expires: 2027-06-30                |");
    const Lines ivan = site.handle("SITE USER ivan").lines;
    EXPECT_NE(std::find(ivan.begin(), ivan.end(),
                        "200- | Timeframe: 02:00-08:00             (24 hour format)                   |"),
              ivan.end());
}

// The host's pages read the demo site with their own readers: every account
// screen, every group's settings and members, and the listings, as the site
// holds them.
TEST(SimulatedSite2x, TheHostsReadersReadTheDemoSiteAsItIs) {
    SimulatedSite site;
    site.setGeneration(SimulatedSite::Generation::Glftpd2);
    site.handle("SITE CHGADMIN carol couriers");
    auto limit = [](int value, int unlimited) { return value == unlimited ? "Unlimited" : std::to_string(value); };
    for (const simsite::SiteUser& account : site.users()) {
        SCOPED_TRACE(account.name);
        admin::AccountSettings read;
        std::string failure;
        ASSERT_TRUE(admin::readAccountSettings(site.handle("SITE USER " + account.name), read, failure)) << failure;
        EXPECT_EQ(read.name, account.name);
        EXPECT_EQ(read.comment, account.comment);
        EXPECT_EQ(read.expires, account.expires.empty() ? "Never" : account.expires);
        EXPECT_EQ(read.timeframeFrom, account.timeframeFrom);
        EXPECT_EQ(read.timeframeTo, account.timeframeTo);
        EXPECT_EQ(read.idleTime, account.idleTime == -1 ? "Disabled" : std::to_string(account.idleTime));
        EXPECT_EQ(read.maxSimUploads, limit(account.maxSimUploads, -1));
        EXPECT_EQ(read.maxSimDownloads, limit(account.maxSimDownloads, -1));
        EXPECT_EQ(read.maxLogins, limit(account.maxLogins, 0));
        EXPECT_EQ(read.sameIpLogins, limit(account.maxLoginsSameIp, 0));
        EXPECT_EQ(read.groups, account.groups);
        EXPECT_EQ(read.adminGroups, account.adminGroups);
        EXPECT_EQ(read.deleted, account.deleted());
    }
    for (const simsite::SiteGroup& group : site.groups()) {
        if (group.isPrivate) {
            continue;
        }
        SCOPED_TRACE(group.name);
        admin::GroupSettings settings;
        admin::GroupInfo info;
        std::string failure;
        ASSERT_TRUE(admin::readGroupSettings(site.handle("SITE GRP " + group.name), settings, failure)) << failure;
        EXPECT_EQ(settings.comment, group.comment);
        EXPECT_EQ(settings.slots, group.slots);
        EXPECT_EQ(settings.leechSlots, group.leechSlots);
        EXPECT_EQ(settings.allotSlots, group.allotSlots);
        EXPECT_EQ(settings.maxAllotSizeKb, group.maxAllotSizeKb);
        EXPECT_EQ(settings.maxLogins, group.maxLogins);
        ASSERT_TRUE(admin::readGroupInfo(site.handle("SITE GINFO " + group.name), info, failure)) << failure;
        Lines members;
        for (const admin::GroupMember& member : info.members) {
            const simsite::SiteUser& account = *site.findUser(member.name);
            EXPECT_EQ(member.siteop, account.hasFlag('1'));
            const bool admin = std::find(account.adminGroups.begin(), account.adminGroups.end(), group.name) !=
                               account.adminGroups.end();
            EXPECT_EQ(member.groupAdmin, !account.hasFlag('1') && admin);
            members.push_back(member.name);
        }
        Lines expected;
        for (const simsite::SiteUser& account : site.users()) {
            if (std::find(account.groups.begin(), account.groups.end(), group.name) != account.groups.end()) {
                expected.push_back(account.name);
            }
        }
        EXPECT_EQ(members, expected);
        EXPECT_EQ(info.usersInGroup, static_cast<std::int64_t>(expected.size()));
        EXPECT_EQ(info.freeSlots, group.slots);
    }
    admin::UserListing deleted;
    admin::UserListing everyone;
    std::string failure;
    ASSERT_TRUE(admin::readUserListing(site.handle("SITE USERS deleted"), deleted, failure)) << failure;
    ASSERT_TRUE(admin::readUserListing(site.handle("SITE USERS"), everyone, failure)) << failure;
    ASSERT_EQ(deleted.users.size(), 1u);
    EXPECT_EQ(deleted.users[0].name, "olduser");
    EXPECT_EQ(everyone.deleted, 1);
    EXPECT_EQ(everyone.users.size() + 1, site.users().size());
    EXPECT_TRUE(std::is_sorted(everyone.users.begin(), everyone.users.end(),
                               [](const admin::ListedUser& a, const admin::ListedUser& b) { return a.name < b.name; }));
}

namespace {

// A plan sent to the site as a page sends it: each command, then the outcome.
admin::PlanOutcome sendPlan(SimulatedSite& site, const admin::Plan& plan) {
    EXPECT_TRUE(plan.refusal.empty()) << plan.refusal;
    std::vector<Reply> replies;
    for (const std::string& command : plan.commands) {
        replies.push_back(site.handle(command));
    }
    return admin::planOutcome(plan, replies);
}

template <typename Settings>
Settings readBack(SimulatedSite& site, const std::string& command,
                  bool (*reader)(const Reply&, Settings&, std::string&)) {
    Settings settings;
    std::string failure;
    EXPECT_TRUE(reader(site.handle(command), settings, failure)) << command << ": " << failure;
    return settings;
}

}  // namespace

// What the pages plan, the site takes, and the pages' readers read it back.
TEST(SimulatedSite2x, ThePagesPlansAreTakenAndReadBack) {
    SimulatedSite site;
    site.setGeneration(SimulatedSite::Generation::Glftpd2);

    const admin::GroupSettings group = readBack(site, "SITE GRP testers", &admin::readGroupSettings);
    admin::GroupForm groupForm = admin::groupFormOf(group);
    groupForm.slots = "9";
    groupForm.leechSlots = "-2";
    groupForm.allotSlots = "-1";
    groupForm.maxAllotSizeKb = "4096";
    groupForm.maxLogins = "0";
    groupForm.comment = "Beta testers, read the rules";
    const admin::Plan groupPlan = admin::groupChangePlan(group, groupForm);
    EXPECT_EQ(groupPlan.commands.size(), 6u);
    EXPECT_TRUE(sendPlan(site, groupPlan).complete);
    const admin::GroupForm groupRead =
        admin::groupFormOf(readBack(site, "SITE GRP testers", &admin::readGroupSettings));
    EXPECT_EQ(std::vector<std::string>({groupRead.slots, groupRead.leechSlots, groupRead.allotSlots,
                                        groupRead.maxAllotSizeKb, groupRead.maxLogins, groupRead.comment}),
              std::vector<std::string>({groupForm.slots, groupForm.leechSlots, groupForm.allotSlots,
                                        groupForm.maxAllotSizeKb, groupForm.maxLogins, groupForm.comment}));
    EXPECT_TRUE(admin::groupChangePlan(readBack(site, "SITE GRP testers", &admin::readGroupSettings), groupForm)
                    .commands.empty());

    const admin::AccountSettings account = readBack(site, "SITE USER grace", &admin::readAccountSettings);
    admin::AccountForm accountForm = admin::accountFormOf(account);
    accountForm.expires = "2027-12-31";
    accountForm.timeframeFrom = "7";
    accountForm.timeframeTo = "23";
    accountForm.idleTime = "45";
    accountForm.comment = "Tests the new sections";
    accountForm.maxSimUploads = "2";
    accountForm.maxSimDownloads = "3";
    accountForm.sameIpLogins = "1";
    EXPECT_TRUE(sendPlan(site, admin::accountChangePlan(account, accountForm)).complete);
    const admin::AccountSettings accountRead = readBack(site, "SITE USER grace", &admin::readAccountSettings);
    EXPECT_TRUE(admin::accountChangePlan(accountRead, accountForm).commands.empty())
        << testing::PrintToString(admin::accountChangePlan(accountRead, accountForm).commands);
    EXPECT_EQ(accountRead.comment, "Tests the new sections");
    EXPECT_EQ(accountRead.expires, "2027-12-31");

    EXPECT_TRUE(sendPlan(site, admin::groupAdminTogglePlan("grace", "testers")).complete);
    EXPECT_EQ(readBack(site, "SITE USER grace", &admin::readAccountSettings).adminGroups, Lines{"testers"});
    EXPECT_TRUE(sendPlan(site, admin::renamePlan("grace", "gracie")).complete);
    EXPECT_EQ(readBack(site, "SITE USER gracie", &admin::readAccountSettings).name, "gracie");
    site.handle("SITE DELUSER gracie");
    EXPECT_TRUE(sendPlan(site, admin::readdPlan("gracie")).complete);
    site.handle("SITE DELUSER gracie");
    EXPECT_TRUE(sendPlan(site, admin::purgePlan("gracie")).complete);
    EXPECT_EQ(site.findUser("gracie"), nullptr);

    // One change for many: the count before it is the count the server reports.
    for (const admin::BulkForm& bulk :
         {admin::BulkForm{admin::BulkTarget::Group, "archive", {}, "max_sim_down", "2"},
          admin::BulkForm{admin::BulkTarget::Everyone, "", {}, "idle_time", "10"},
          admin::BulkForm{admin::BulkTarget::List, "", {"bob", "olduser", "zoe"}, "expires", "2028-01-01"}}) {
        SCOPED_TRACE(bulk.setting);
        const admin::UserListing listing = readBack(site, admin::bulkCountCommand(bulk), &admin::readUserListing);
        const std::int64_t expected = admin::bulkCount(bulk, listing);
        const admin::Plan plan = admin::bulkChangePlan(bulk);
        ASSERT_EQ(plan.commands.size(), 1u);
        const Reply reply = site.handle(plan.commands[0]);
        const std::string text = lastLine(reply);
        if (bulk.target == admin::BulkTarget::List) {
            EXPECT_EQ(std::count_if(reply.lines.begin(), reply.lines.end(),
                                    [](const std::string& l) { return l.find("Successfully modified") != l.npos; }),
                      expected);
        } else {
            EXPECT_EQ(text, "200 Change command applied to " + std::to_string(expected) + " users.");
        }
    }
}
