#include "common/number_text.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
}  // namespace

std::int32_t decimalToInt32(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    while (isSpace(*text)) {
        ++text;
    }
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    // Accumulate in 64 bits and stop growing once past the 32-bit range.
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                        : std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value <= limit) {
            value = value * 10 + (*text - '0');
        }
    }
    if (value > limit) {
        value = limit;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::int32_t clampToInt32(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483647.0) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value <= -2147483648.0) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

double decimalToDouble(const char* text) {
    if (text == nullptr) {
        return 0.0;
    }
    return std::strtod(text, nullptr);
}
