#include "pages/users/add_user_form.h"

#include <cstring>

#include "common/command_text.h"
#include "common/ip_mask.h"
#include "common/site_directory.h"
#include "common/text_utils.h"
#include "pages/users/pending_edit_user.h"
#include "plugin/host_channel.h"

const char* nextBlankToken(const char* cursor, std::size_t& length) {
    length = 0;
    if (cursor == nullptr) {
        return nullptr;
    }
    while (*cursor == ' ') {
        ++cursor;
    }
    if (*cursor == '\0') {
        return nullptr;
    }
    const char* end = cursor;
    while (*end != '\0' && *end != ' ') {
        ++end;
    }
    length = static_cast<std::size_t>(end - cursor);
    return cursor;
}

namespace {

// Normalises the tokens from `cursor` on into the masks, IP 0 first.
void fillMasks(const char* cursor, ParsedAddLine& parsed) {
    std::size_t length = 0;
    for (int slot = 0; slot < addUserIpCount; ++slot) {
        const char* token = nextBlankToken(cursor, length);
        if (token == nullptr) {
            return;
        }
        char* entry = dupTextPrefix(token, length);
        clearText(parsed.masks[slot]);
        parsed.masks[slot] = normaliseIpMask(entry);
        freeText(entry);
        cursor = token + length;
    }
}

}  // namespace

void parseIpListLine(const char* line, ParsedAddLine& parsed) {
    fillMasks(line, parsed);
}

void parseFullAddLine(const char* line, ParsedAddLine& parsed) {
    std::size_t length = 0;
    const char* login = nextBlankToken(line, length);
    if (login == nullptr) {
        return;
    }
    clearText(parsed.userName);
    parsed.userName = dupTextPrefix(login, length);
    const char* password = nextBlankToken(login + length, length);
    if (password == nullptr) {
        return;
    }
    clearText(parsed.password);
    parsed.password = dupTextPrefix(password, length);
    fillMasks(password + length, parsed);
}

void releaseParsedAddLine(ParsedAddLine& parsed) {
    clearText(parsed.userName);
    clearText(parsed.password);
    for (char*& mask : parsed.masks) {
        clearText(mask);
    }
}

namespace {
// The Edit user page's PageId (page_host.h is Win32-only).
constexpr std::int32_t editUserPageId = 2;
}  // namespace

bool addUserReplyRefused(std::int32_t replyCode, const char* firstLine) {
    if (!isReplyOk(replyCode)) {
        return true;
    }
    return firstLine != nullptr && std::strstr(firstLine, "already exists") != nullptr;
}

namespace {

bool sendAddUser(const char* userName, const char* password) {
    CommandText command;
    command.assign("SITE ADDUSER ");
    command.append(userName);
    command.append(" ");
    command.append(password);
    HostRequest request{};
    if (sendCommand(request, command, true) == 0) {
        return false;  // nothing is kept after a failed send
    }
    const bool refused = addUserReplyRefused(request.replyCode, firstReplyText(request));
    releaseReply(request);
    return !refused;
}

bool sendUserCommand(const char* keyword, const char* userName, const char* argument) {
    CommandText command;
    command.assign(keyword);
    command.append(userName);
    command.append(" ");
    command.append(argument);
    return sendCheckedCommand(command);
}

}  // namespace

bool sendAddUserChain(const AddUserInput& input, AddUserMaskShown maskShown, void* context) {
    if (!sendAddUser(input.userName, input.password)) {
        return false;
    }
    for (int slot = 0; slot < addUserIpCount; ++slot) {
        const char* entry = input.ipTexts[slot];
        if (entry == nullptr || *entry == '\0') {
            continue;
        }
        char* mask = normaliseIpMask(entry);
        if (maskShown != nullptr) {
            maskShown(context, slot, mask);
        }
        const bool added = sendUserCommand("SITE ADDIP ", input.userName, mask);
        freeText(mask);
        if (!added) {
            return false;
        }
    }
    if (input.group != nullptr && !sendUserCommand("SITE CHGRP ", input.userName, input.group)) {
        return false;
    }
    if (input.privateGroup != nullptr &&
        !sendUserCommand("SITE CHGRP ", input.userName, input.privateGroup)) {
        return false;
    }
    return true;
}

void completeAddUser(const char* userName, bool thenEdit) {
    appendName(siteDirectory.userNames, userName);
    requestHostAction(ACTION_USER_ADDED, 0);
    if (thenEdit) {
        setPendingEditUser(userName);
        requestHostAction(ACTION_SHOW_PAGE, editUserPageId);
    }
}
