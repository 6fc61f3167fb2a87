#pragma once
// Small text tools the administration readers and rules share: views into
// reply lines, trimming, numbers that never overflow.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace admin {

// The reply line's text after its code prefix, as a view into `line`.
std::string_view lineTextView(const std::string& line);

std::string_view trimBlanks(std::string_view text);       // blanks and tabs, both ends
std::string_view trimTrailingBlanks(std::string_view text);

// The text right after `label` in `text` up to the next blank or '|' ("" when
// the label is missing or directly followed by a blank).
bool valueAfter(std::string_view text, std::string_view label, std::string_view& value);

// A whole text as a decimal integer: optional '-', digits, nothing else.
// False for anything else; a value beyond the 64-bit range is clamped and
// `clamped` set.
bool readInteger(std::string_view text, std::int64_t& value, bool* clamped = nullptr);

// Whether the text holds a byte below 0x20 or DEL.
bool hasControl(std::string_view text);
// Whether the text holds a blank, a tab or a control byte.
bool hasBlankOrControl(std::string_view text);

bool equalsIgnoringCase(std::string_view a, std::string_view b);

// Whether the text holds an ANSI colour sequence (ESC '[' digits and ';' 'm'),
// as glftpd sends every line to an operator with its colour flag (5).
bool hasColour(std::string_view text);
// The text without its colour sequences: the plain twin of a coloured line.
std::string withoutColour(std::string_view text);
// Every line of the reply without its colour sequences; true when one had any.
bool removeColour(std::vector<std::string>& lines);

// Whether the bytes are valid UTF-8 (no overlong forms, no surrogates).
bool isUtf8(std::string_view text);
// The bytes as UTF-8 text for a control: valid UTF-8 as it is, anything
// else read as Windows' Western code page (Latin-1 written by an older client).
std::string displayText(std::string_view bytes);
bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);

}  // namespace admin
