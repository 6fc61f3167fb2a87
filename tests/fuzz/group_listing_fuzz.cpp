#include <cstring>

#include "common/heap.h"
#include "common/site_directory.h"
#include "tests/fuzz/fuzz_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::int32_t blocks = liveHeapBlocks();
    FuzzReply reply(data, size);
    NamePairList* groups = nullptr;
    NamePairList* privateGroups = nullptr;
    parseGroupListing(reply.head(), groups, privateGroups);
    for (NamePairList* list : {groups, privateGroups}) {
        for (; list != nullptr; list = list->next) {
            // A name is a non-empty run of non-blanks; its description is
            // never read past the line.
            FUZZ_CHECK(list->name[0] != '\0' && std::strchr(list->name, ' ') == nullptr);
            FUZZ_CHECK(list->info[0] != ' ');
        }
    }
    freeNamePairList(groups);
    freeNamePairList(privateGroups);
    FUZZ_CHECK(liveHeapBlocks() == blocks);
    return 0;
}
