#pragma once
// The nuke multiplier as the release dialog steps it.
#include <cstdint>

// The multiplier after one step of the up-down control: the decimal value of
// the text, one more for a proposed change below 0 (the up arrow in the
// control's default range), one less otherwise; never below 0 and never past
// the 32-bit range.
std::int32_t steppedMultiplier(const char* text, int proposedDelta);
