#pragma once
// Arbitrary bytes as a SITE SWHO or SITE WHO reply through one of the online
// listing parsers: every entry has both texts, and nothing is left behind.
#include <cstddef>
#include <cstdint>

#include "common/heap.h"
#include "pages/site/online_listing.h"
#include "tests/fuzz/fuzz_reply.h"

inline int fuzzOnlineListing(const std::uint8_t* data, std::size_t size,
                             void (*parse)(ReplyLine*, NamePairList*&)) {
    FuzzReply reply(data, size);
    const std::int32_t before = liveHeapBlocks();
    // Read before the parse cuts the lines; the parse runs either way.
    volatile bool refused = isOnlineListingRefused(reply.head());
    (void)refused;
    NamePairList* online = nullptr;
    parse(reply.head(), online);
    for (const NamePairList* entry = online; entry != nullptr; entry = entry->next) {
        FUZZ_CHECK(entry->name != nullptr && entry->info != nullptr);
    }
    freeNamePairList(online);
    FUZZ_CHECK(liveHeapBlocks() == before);
    return 0;
}
