#include <cstring>

#include "common/heap.h"
#include "common/site_directory.h"
#include "tests/fuzz/fuzz_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::int32_t blocks = liveHeapBlocks();
    FuzzReply reply(data, size);
    NameList* names = nullptr;
    parseUserListing(reply.head(), names);
    for (NameList* name = names; name != nullptr; name = name->next) {
        FUZZ_CHECK(name->text[0] != '\0' && std::strchr(name->text, ' ') == nullptr);
    }
    freeNameList(names);
    FUZZ_CHECK(liveHeapBlocks() == blocks);
    return 0;
}
