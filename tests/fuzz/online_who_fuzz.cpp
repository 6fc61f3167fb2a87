#include "tests/fuzz/online_listing_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzOnlineListing(data, size, parseWhoListing);
}
