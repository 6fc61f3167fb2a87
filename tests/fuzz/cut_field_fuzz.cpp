#include <cstdlib>
#include <cstring>
#include <string>

#include "common/text_utils.h"
#include "tests/fuzz/fuzz_reply.h"

// The first byte is the delimiter, the rest the text, in a buffer of exactly
// its length and NUL. The result is checked against a plain model of the cut.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const char delimiter = static_cast<char>(data[0]);
    const std::size_t length = size - 1;
    char* buffer = static_cast<char*>(std::malloc(length + 1));
    if (length > 0) {
        std::memcpy(buffer, data + 1, length);
    }
    buffer[length] = '\0';
    const std::string before(buffer, length + 1);
    const std::string text(buffer);  // what the cutter sees

    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        first = text.size();
    }
    std::size_t expectedStart;
    std::string expected;
    if (text.c_str()[first] == delimiter) {
        expectedStart = first;
    } else {
        std::size_t end = delimiter == '\0' ? std::string::npos : text.find(delimiter, first);
        if (end == std::string::npos) {
            end = text.size();
        }
        expected = text.substr(first, end - first);
        expected.erase(expected.find_last_not_of(' ') + 1);
        expectedStart = expected.empty() ? 0 : first;
    }

    const char* field = cutField(buffer, delimiter);
    FUZZ_CHECK(field == buffer + expectedStart);
    FUZZ_CHECK(expected == field);
    // At most one byte changed, and only to NUL.
    int changed = 0;
    for (std::size_t i = 0; i <= length; ++i) {
        if (buffer[i] != before[i]) {
            FUZZ_CHECK(buffer[i] == '\0');
            ++changed;
        }
    }
    FUZZ_CHECK(changed <= 1);
    std::free(buffer);
    return 0;
}
