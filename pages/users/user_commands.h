#pragma once
// The parts of the User commands page that need no window: the flag table of
// List special, reading the credit amount, and building credit commands.
#include <cstddef>
#include <cstdint>

class CommandText;

struct SpecialListFlag {
    const char* displayText;  // what the flag combo shows
    const char* keyword;      // what "SITE USERS" is sent with
};

constexpr int specialListFlagCount = 17;
// Row n is item n of the (unsorted) flag combo.
extern const SpecialListFlag specialListFlags[specialListFlagCount];

enum UserCommandKind : std::int32_t {
    Bare = 0,            // no argument
    ForUser = 1,         // the selected user
    CreditTransfer = 2,  // the selected user, kilobytes, optional message
    SpecialList = 3,     // the selected group or flag keyword
};

// The number at the start of an amount text: leading white space, an optional
// sign, digits with an optional decimal point and an optional exponent; what
// follows is ignored and a text that does not start with a number gives 0.
// Decimal only ("inf", "nan" and hexadecimal forms are no numbers), read the
// same whatever the process locale, and always finite: an exponent beyond the
// double range gives the largest double of that sign.
double readAmountMb(const char* text);

// The amount as shown in the amount edit ("%0.1f"); `size` of 400 holds any
// finite double.
constexpr std::size_t amountTextSize = 400;
void formatAmountMb(double amountMb, char* buffer, std::size_t size);

// Megabytes to kilobytes, truncated toward zero. False when the count leaves
// the signed 32-bit range the server takes (2097152 MB and above, below
// -2097152 MB): such an amount is refused rather than sent as another one.
bool creditKilobytes(double amountMb, std::int32_t& kilobytes);

extern const char creditAmountRangeMessage[];

// "SITE <keyword> <user> <kilobytes>", then " <message>" for a message that is
// present and not empty. False, and the command untouched, for an amount out
// of range.
bool buildCreditCommand(CommandText& command, const char* keyword, const char* user,
                        double amountMb, const char* message);
