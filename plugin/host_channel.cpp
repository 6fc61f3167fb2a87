#include "plugin/host_channel.h"

#include "common/command_text.h"
#include "common/text_utils.h"

namespace {
HostCallback hostCallback = nullptr;
}

bool isReplyOk(std::int32_t replyCode) {
    return replyCode < 400;
}

void storeHostCallback(HostCallback callback) {
    hostCallback = callback;
}

HostCallback storedHostCallback() {
    return hostCallback;
}

bool holdsLineBreak(const char* text) {
    for (; *text != '\0'; ++text) {
        if (*text == '\r' || *text == '\n') {
            return true;
        }
    }
    return false;
}

std::int32_t sendCommand(HostRequest& request, const CommandText& command, bool keepReply) {
    if (hostCallback == nullptr || holdsLineBreak(command.text())) {
        return 0;
    }
    request.action = ACTION_SEND_COMMAND;
    request.command = dupText(command.text());
    request.param = keepReply ? 1 : 0;
    const std::int32_t result = hostCallback(&request);
    freeText(request.command);
    // The host never sees the copy again; leave no dangling pointer behind.
    request.command = nullptr;
    if (keepReply && result != 0) {
        // An operator account with colours on gets every line wrapped in
        // colour sequences; no reader should have to know about them.
        for (ReplyLine* line = request.replyLines; line != nullptr; line = line->next) {
            stripColourSequences(line->text);
        }
    }
    return result;
}

bool sendCheckedCommand(const CommandText& command) {
    HostRequest request{};
    return sendCommand(request, command, false) != 0 && isReplyOk(request.replyCode);
}

void sendCommandOnly(const CommandText& command) {
    HostRequest request{};
    sendCommand(request, command, false);
}

void releaseReply(HostRequest& request) {
    if (hostCallback == nullptr) {
        return;
    }
    request.action = ACTION_RELEASE_REPLY;
    hostCallback(&request);
}

const char* firstReplyText(const HostRequest& request) {
    if (request.replyLines == nullptr || request.replyLines->text == nullptr) {
        return nullptr;
    }
    return request.replyLines->text;
}

std::int32_t requestHostAction(std::int32_t action, std::int32_t param) {
    if (hostCallback == nullptr) {
        return 0;
    }
    HostRequest request{};
    request.action = action;
    request.param = param;
    return hostCallback(&request);
}
