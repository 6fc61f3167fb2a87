#include "common/number_text.h"

#include <cmath>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "common/heap.h"

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
    return decimalToDouble(text, nullptr);
}

double decimalToDouble(const char* text, const char** numberEnd) {
    if (numberEnd != nullptr) {
        *numberEnd = text;
    }
    if (text == nullptr) {
        return 0.0;
    }
    while (isSpace(*text)) {
        ++text;
    }
    // Only the plain decimal form is a number here: hexadecimal, "inf" and
    // "nan" are not what an operator or a server listing means by one.
    const char* end = text;
    if (*end == '+' || *end == '-') {
        ++end;
    }
    std::size_t digits = 0;
    for (; *end >= '0' && *end <= '9'; ++end) {
        ++digits;
    }
    if (*end == '.') {
        for (++end; *end >= '0' && *end <= '9'; ++end) {
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    if (*end == 'e' || *end == 'E') {
        const char* exponent = end + 1;
        if (*exponent == '+' || *exponent == '-') {
            ++exponent;
        }
        if (*exponent >= '0' && *exponent <= '9') {
            while (*exponent >= '0' && *exponent <= '9') {
                ++exponent;
            }
            end = exponent;
        }
    }
    if (numberEnd != nullptr) {
        *numberEnd = end;
    }
    // strtod reads the host's locale; hand it the locale's own decimal point
    // so that "1.5" means one and a half wherever the host runs.
    // A plain buffer, not std::string: that alone would pull the C++ string
    // and exception runtime into the statically linked DLL.
    const char* localePoint = std::localeconv()->decimal_point;
    if (localePoint == nullptr || localePoint[0] == '\0') {
        localePoint = ".";
    }
    const std::size_t length = static_cast<std::size_t>(end - text);
    const std::size_t pointLength = std::strlen(localePoint);
    char* number = static_cast<char*>(heapAlloc(length + pointLength + 1));
    const char* point = static_cast<const char*>(std::memchr(text, '.', length));
    std::size_t written = 0;
    if (point == nullptr) {
        std::memcpy(number, text, length);
        written = length;
    } else {
        const std::size_t before = static_cast<std::size_t>(point - text);
        std::memcpy(number, text, before);
        std::memcpy(number + before, localePoint, pointLength);
        std::memcpy(number + before + pointLength, point + 1, length - before - 1);
        written = length - 1 + pointLength;
    }
    number[written] = '\0';
    const double value = std::strtod(number, nullptr);
    heapFree(number);
    if (std::isinf(value)) {
        return value > 0 ? std::numeric_limits<double>::max() : -std::numeric_limits<double>::max();
    }
    return value;
}
