#pragma once
// Arbitrary bytes as a reply the host session hands the administration
// readers: lines split at '\n' (none for no bytes), the code taken from the
// first byte so that refusals past 400 are met too.
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/session/site_link.h"
#include "tests/fuzz/fuzz_reply.h"  // FUZZ_CHECK


inline session::Reply adminFuzzReply(const std::uint8_t* data, std::size_t size) {
    session::Reply reply;
    reply.code = size > 0 && data[0] == '5' ? 550 : 200;
    std::size_t start = 0;
    for (std::size_t i = 0; size > 0 && i <= size; ++i) {
        if (i == size || data[i] == '\n') {
            reply.lines.emplace_back(reinterpret_cast<const char*>(data) + start, i - start);
            start = i + 1;
        }
    }
    return reply;
}
