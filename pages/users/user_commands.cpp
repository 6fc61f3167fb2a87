#include "pages/users/user_commands.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "common/command_text.h"

const SpecialListFlag specialListFlags[specialListFlagCount] = {
    {"Siteop", "SITEOP"},       {"Group admin", "GADMIN"}, {"Group lock", "GLOCK"},
    {"Exempt", "EXEMPT"},       {"Deleted", "DELETED"},    {"Useredit", "USEREDIT"},
    {"Anonymous", "ANONYMOUS"}, {"Nuke", "NUKE"},          {"Unnuke", "UNNUKE"},
    {"Undupe", "UNDUPE"},       {"Kick", "KICK"},          {"Kill", "KILL"},
    {"Take", "TAKE"},           {"Give", "GIVE"},          {"Users", "USERS"},
    {"Idler", "IDLER"},         {"Leech", "LEECH"},
};

const char creditAmountRangeMessage[] = "The amount must lie between -2097152 and 2097151.999 MB";

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// 10^n for 0 <= n <= 22, each exact in a double.
double exactPowerOfTen(int n) {
    double value = 1.0;
    for (int i = 0; i < n; ++i) {
        value *= 10.0;
    }
    return value;
}

}  // namespace

double readAmountMb(const char* text) {
    if (text == nullptr) {
        return 0.0;
    }
    const char* at = text;
    while (isSpace(*at)) {
        ++at;
    }
    bool negative = false;
    if (*at == '+' || *at == '-') {
        negative = *at == '-';
        ++at;
    }
    // Up to 19 significant digits in an integer; the rest only move the
    // decimal exponent.
    std::uint64_t mantissa = 0;
    int significant = 0;
    long exponent = 0;
    bool anyDigit = false;
    for (; isDigit(*at); ++at) {
        anyDigit = true;
        if (significant < 19) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*at - '0');
            significant += mantissa != 0 ? 1 : 0;
        } else {
            ++exponent;
        }
    }
    if (*at == '.') {
        ++at;
        for (; isDigit(*at); ++at) {
            anyDigit = true;
            if (significant < 19) {
                mantissa = mantissa * 10 + static_cast<unsigned>(*at - '0');
                significant += mantissa != 0 ? 1 : 0;
                --exponent;
            }
        }
    }
    if (!anyDigit) {
        return 0.0;
    }
    if (*at == 'e' || *at == 'E') {
        const char* mark = at + 1;
        bool negativeExponent = false;
        if (*mark == '+' || *mark == '-') {
            negativeExponent = *mark == '-';
            ++mark;
        }
        if (isDigit(*mark)) {
            long written = 0;
            for (; isDigit(*mark); ++mark) {
                // Far beyond any double already; stop growing.
                if (written < 100000) {
                    written = written * 10 + (*mark - '0');
                }
            }
            exponent += negativeExponent ? -written : written;
        }
    }
    double value = 0.0;
    if (mantissa != 0) {
        value = static_cast<double>(mantissa);
        if (mantissa <= (std::uint64_t{1} << 53) && exponent >= -22 && exponent <= 22) {
            // Both operands exact: one correctly rounded operation.
            value = exponent < 0 ? value / exactPowerOfTen(static_cast<int>(-exponent))
                                 : value * exactPowerOfTen(static_cast<int>(exponent));
        } else if (exponent > 400) {
            value = DBL_MAX;
        } else if (exponent < -400) {
            value = 0.0;
        } else {
            value = value * std::pow(10.0, static_cast<double>(exponent));
            if (!std::isfinite(value)) {
                value = DBL_MAX;
            }
        }
    }
    return negative ? -value : value;
}

void formatAmountMb(double amountMb, char* buffer, std::size_t size) {
    if (size == 0) {
        return;
    }
    std::snprintf(buffer, size, "%0.1f", amountMb);
}

bool creditKilobytes(double amountMb, std::int32_t& kilobytes) {
    const double count = std::trunc(amountMb * 1024.0);
    // Written so that NaN fails too.
    if (!(count >= -2147483648.0 && count <= 2147483647.0)) {
        return false;
    }
    kilobytes = static_cast<std::int32_t>(count);
    return true;
}

bool buildCreditCommand(CommandText& command, const char* keyword, const char* user,
                        double amountMb, const char* message) {
    std::int32_t kilobytes = 0;
    if (!creditKilobytes(amountMb, kilobytes)) {
        return false;
    }
    command.assign("SITE ");
    command.append(keyword);
    command.append(" ");
    command.append(user);
    command.append(" ");
    command.appendNumber(kilobytes);
    if (message != nullptr && message[0] != '\0') {
        command.append(" ");
        command.append(message);
    }
    return true;
}
