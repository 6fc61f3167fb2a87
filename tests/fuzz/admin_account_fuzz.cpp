// The 2.x account screen's reader on any bytes: no fault, hours in range, and
// an account read as it is plans no change.
#include "host/admin/account_settings.h"
#include "host/admin/admin_plans.h"
#include "tests/fuzz/admin_fuzz_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const session::Reply reply = adminFuzzReply(data, size);
    std::string failure;
    admin::AccountSettings account;
    if (!admin::readAccountSettings(reply, account, failure)) {
        FUZZ_CHECK(!failure.empty() && account.name.empty());
        return 0;
    }
    FUZZ_CHECK(account.timeframeFrom >= 0 && account.timeframeFrom <= 23);
    FUZZ_CHECK(account.timeframeTo >= 0 && account.timeframeTo <= 23);
    FUZZ_CHECK(account.adminGroups.size() <= account.groups.size());
    FUZZ_CHECK(admin::accountChangePlan(account, admin::accountFormOf(account)).commands.empty());
    return 0;
}
