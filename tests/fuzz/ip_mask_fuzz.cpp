#include <cstdlib>
#include <cstring>

#include "common/heap.h"
#include "common/ip_mask.h"
#include "common/text_utils.h"
#include "tests/fuzz/fuzz_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::int32_t blocks = liveHeapBlocks();
    char* entry = static_cast<char*>(std::malloc(size + 1));
    if (size > 0) {
        std::memcpy(entry, data, size);
    }
    entry[size] = '\0';
    const std::size_t length = std::strlen(entry);
    char* copy = static_cast<char*>(std::malloc(length + 1));
    std::memcpy(copy, entry, length + 1);

    char* mask = normaliseIpMask(entry);
    FUZZ_CHECK(std::strcmp(entry, copy) == 0);  // the entry is left as it was
    FUZZ_CHECK(std::strlen(mask) <= length + 9);
    FUZZ_CHECK(std::strchr(mask, '@') != nullptr);
    char* again = normaliseIpMask(mask);
    FUZZ_CHECK(std::strcmp(again, mask) == 0);  // stable

    freeText(again);
    freeText(mask);
    std::free(copy);
    std::free(entry);
    FUZZ_CHECK(liveHeapBlocks() == blocks);
    return 0;
}
