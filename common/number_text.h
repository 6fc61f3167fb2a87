#pragma once
// Text-to-number conversions that read like atoi/atof but never overflow:
// values beyond the 32-bit range clamp to its ends.
#include <cstdint>

// Leading white space, an optional sign, then decimal digits up to the first
// other character; no digits give 0.
std::int32_t decimalToInt32(const char* text);

// A double brought into the 32-bit range (truncated toward zero); NaN gives 0.
std::int32_t clampToInt32(double value);

// The leading plain decimal number (white space, sign, digits, point,
// exponent), read the same in every locale; anything else gives 0, and a
// value beyond the double range the largest double of its sign.
double decimalToDouble(const char* text);
// The same, also telling where the number ended (at text when there was none).
double decimalToDouble(const char* text, const char** numberEnd);
