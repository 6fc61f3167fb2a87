// The SITE USERS reader on any bytes: no fault, every row holds a name
// without blanks, the rows are as many as the listing says, and the count
// before one change for many never exceeds them.
#include "host/admin/admin_plans.h"
#include "host/admin/user_listing.h"
#include "tests/fuzz/admin_fuzz_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const session::Reply reply = adminFuzzReply(data, size);
    std::string failure;
    admin::UserListing listing;
    if (!admin::readUserListing(reply, listing, failure)) {
        FUZZ_CHECK(!failure.empty() && listing.users.empty());
        return 0;
    }
    FUZZ_CHECK(listing.total == static_cast<std::int64_t>(listing.users.size()));
    admin::BulkForm list{admin::BulkTarget::List, "", {}, "ratio", "1"};
    for (const admin::ListedUser& user : listing.users) {
        FUZZ_CHECK(!user.name.empty() && user.name.find(' ') == std::string::npos);
        if (list.accounts.size() < 3) list.accounts.push_back(user.name);
    }
    FUZZ_CHECK(admin::bulkCount(list, listing) <= static_cast<std::int64_t>(list.accounts.size()));
    const admin::BulkForm everyone{admin::BulkTarget::Everyone, "", {}, "ratio", "1"};
    FUZZ_CHECK(admin::bulkCount(everyone, listing) == listing.total);
    return 0;
}
