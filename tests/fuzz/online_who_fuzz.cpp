// Arbitrary bytes as a SITE WHO reply: split into lines at '\n', each line
// in a heap block exactly as long as it (so a read past its NUL is caught),
// the list null-terminated as a host hands it over.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/heap.h"
#include "pages/site/online_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReplyLine* first = nullptr;
    ReplyLine** link = &first;
    std::size_t start = 0;
    while (start <= size) {
        std::size_t end = start;
        while (end < size && data[end] != '\n') {
            ++end;
        }
        const std::size_t length = end - start;
        ReplyLine* node = static_cast<ReplyLine*>(std::malloc(sizeof(ReplyLine)));
        node->text = static_cast<char*>(std::malloc(length + 1));
        if (length > 0) {
            std::memcpy(node->text, data + start, length);
        }
        node->text[length] = '\0';
        node->next = nullptr;
        *link = node;
        link = &node->next;
        start = end + 1;
    }

    const std::int32_t before = liveHeapBlocks();
    NamePairList* online = nullptr;
    // Read before the parse cuts the lines; the parse runs either way.
    volatile bool refused = isOnlineListingRefused(first);
    (void)refused;
    parseWhoListing(first, online);
    for (const NamePairList* entry = online; entry != nullptr; entry = entry->next) {
        if (entry->name == nullptr || entry->info == nullptr) {
            std::abort();
        }
    }
    freeNamePairList(online);
    if (liveHeapBlocks() != before) {
        std::abort();
    }

    while (first != nullptr) {
        ReplyLine* next = first->next;
        std::free(first->text);
        std::free(first);
        first = next;
    }
    return 0;
}
