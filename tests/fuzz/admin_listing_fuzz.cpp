// The SITE USERS reader on any bytes: no fault, every row holds a name
// without blanks, the rows are as many as the listing says, and the count
// before one change for many never exceeds them; the row-at-a-time
// reader reads what the full reader reads.
#include <utility>

#include "host/admin/admin_plans.h"
#include "host/admin/user_listing.h"
#include "tests/fuzz/admin_fuzz_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const session::Reply reply = adminFuzzReply(data, size);
    std::string failure;
    admin::UserListing listing;
    const bool read = admin::readUserListing(reply, listing, failure);
    // The row-at-a-time reader reads the same rows, or refuses alike.
    admin::UserListingIndex index;
    session::Reply taken = reply;
    std::string indexFailure;
    FUZZ_CHECK(index.read(std::move(taken), indexFailure) == read && indexFailure == failure);
    FUZZ_CHECK(index.size() == listing.users.size() && index.total == listing.total);
    for (std::size_t i = 0; i < index.size(); ++i) {
        const admin::ListedUserCells cells = index.rowCells(i);
        const admin::ListedUser& user = listing.users[i];
        FUZZ_CHECK(cells.name == user.name && cells.group == user.group && cells.uploaded == user.uploaded &&
                   cells.downloaded == user.downloaded && cells.credits == user.credits &&
                   index.rowName(i) == user.name);
    }
    if (!read) {
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
