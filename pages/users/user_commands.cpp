#include "pages/users/user_commands.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "common/command_text.h"
#include "common/number_text.h"

const SpecialListFlag specialListFlags[specialListFlagCount] = {
    {"Siteop", "SITEOP"},       {"Group admin", "GADMIN"}, {"Group lock", "GLOCK"},
    {"Exempt", "EXEMPT"},       {"Deleted", "DELETED"},    {"Useredit", "USEREDIT"},
    {"Anonymous", "ANONYMOUS"}, {"Nuke", "NUKE"},          {"Unnuke", "UNNUKE"},
    {"Undupe", "UNDUPE"},       {"Kick", "KICK"},          {"Kill", "KILL"},
    {"Take", "TAKE"},           {"Give", "GIVE"},          {"Users", "USERS"},
    {"Idler", "IDLER"},         {"Leech", "LEECH"},
};

const char creditAmountRangeMessage[] = "The amount must lie between -2097152 and 2097151.999 MB";

double readAmountMb(const char* text) {
    return decimalToDouble(text);
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
