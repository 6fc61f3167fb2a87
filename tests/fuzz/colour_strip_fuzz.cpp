#include <cstdlib>
#include <cstring>
#include <string>

#include "common/text_utils.h"
#include "tests/fuzz/fuzz_reply.h"

// The text in a buffer of exactly its length and NUL; the stripped result is
// checked against a plain model: one pass from the left that drops every
// ESC '[' {digit or ';'} 'm' and keeps every other byte in order.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    char* buffer = static_cast<char*>(std::malloc(size + 1));
    if (size > 0) {
        std::memcpy(buffer, data, size);
    }
    buffer[size] = '\0';
    const std::string text(buffer);

    std::string expected;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == '\x1b' && at + 1 < text.size() && text[at + 1] == '[') {
            std::size_t end = at + 2;
            while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == ';')) {
                ++end;
            }
            if (end < text.size() && text[end] == 'm') {
                at = end + 1;
                continue;
            }
        }
        expected += text[at++];
    }

    stripColourSequences(buffer);
    FUZZ_CHECK(expected == buffer);
    std::free(buffer);
    return 0;
}
