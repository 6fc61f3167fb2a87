#pragma once
// The one channel to the host and, through it, to the server. The record and
// the reply lines are shared in memory with the host: on the 32-bit platform
// their layout is a binary interface.
#include <cstdint>

#if defined(_WIN32) && defined(__i386__)
#define HOST_CDECL __cdecl
#else
#define HOST_CDECL
#endif

struct ReplyLine {
    char* text;  // writable; parsers cut fields out of it in place
    ReplyLine* next;
};

struct HostRequest {
    std::int32_t action;
    char* command;
    std::int32_t param;
    std::int32_t replyCode;
    ReplyLine* replyLines;
};

#if defined(_WIN32) && defined(__i386__)
static_assert(sizeof(HostRequest) == 20, "HostRequest is shared with the host");
static_assert(sizeof(ReplyLine) == 8, "ReplyLine is shared with the host");
#endif

typedef std::int32_t(HOST_CDECL* HostCallback)(HostRequest* request);

enum HostAction : std::int32_t {
    ACTION_SEND_COMMAND = 0,
    ACTION_RELEASE_REPLY = 1,
    ACTION_SHOW_PAGE = 2,
    ACTION_USER_ADDED = 3,
};

class CommandText;

bool isReplyOk(std::int32_t replyCode);

void storeHostCallback(HostCallback callback);
HostCallback storedHostCallback();

// True when the text could not travel as one command line: a CR or LF inside
// it would let the server read a second command the operator never asked for.
bool holdsLineBreak(const char* text);

// Sends one command line. The copy handed to the host is freed before this
// returns. Returns the host's result; 0 when no host is known or the command
// holds a line break (then nothing reaches the host).
std::int32_t sendCommand(HostRequest& request, const CommandText& command, bool keepReply);

// Send and check: false when the host failed or the code is 400 or more.
bool sendCheckedCommand(const CommandText& command);

// Send and forget.
void sendCommandOnly(const CommandText& command);

void releaseReply(HostRequest& request);

// The first reply line's text, or null for a reply without lines.
const char* firstReplyText(const HostRequest& request);

// ACTION_SHOW_PAGE / ACTION_USER_ADDED.
std::int32_t requestHostAction(std::int32_t action, std::int32_t param);
