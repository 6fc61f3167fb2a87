// The stripped text must be the old text or one of its suffixes, never longer,
// and the bytes past the old NUL must stay as they were.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "dialogs/nuke_words.h"

namespace {

bool isLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Exactly sized, so reading past the end trips the address sanitizer; any
    // bytes after an embedded NUL act as a guard that must not change.
    std::vector<char> before(data, data + size);
    before.push_back('\0');
    char* text = static_cast<char*>(std::malloc(before.size()));
    std::memcpy(text, before.data(), before.size());
    const std::size_t oldLength = std::strlen(before.data());

    const bool changed = stripNukeWord(text);
    const std::size_t newLength = std::strlen(text);

    require(std::memcmp(text + oldLength, before.data() + oldLength, before.size() - oldLength) == 0);
    if (changed) {
        require(newLength < oldLength);
        require(std::memcmp(text, before.data() + (oldLength - newLength), newLength) == 0);
        require(isLetterOrDigit(text[0]));
    } else {
        require(std::memcmp(text, before.data(), before.size()) == 0);
    }
    std::free(text);
    return 0;
}
