#include "dialogs/release_multiplier.h"

#include <limits>

#include "common/number_text.h"

std::int32_t steppedMultiplier(const char* text, int proposedDelta) {
    // 64 bits so that a typed 2147483647 steps up without overflowing.
    std::int64_t value = decimalToInt32(text);
    value += proposedDelta < 0 ? 1 : -1;
    if (value < 0) {
        return 0;
    }
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(value);
}
