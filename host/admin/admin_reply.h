#pragma once
// What a reply to an administration command came to. glftpd 2.x answers
// every one of them with code 200, refusals included, and ends usage boxes,
// "Invalid Field" lists and "No flags were changed." with "200 Command
// Successful.": only the text tells a refusal from a change.
#include <string>

#include "host/session/site_link.h"

namespace admin {

// What a reply came to: done or refused, and the server's words for the operator.
struct Verdict {
    bool done = false;
    std::string text;  // the deciding line without "200- "/"200 ", e.g. "Group (x) does not exist."
};

// A reply to an administration command: a code of 400 or more, an ASSERT,
// any known refusal text, a usage box, an "Invalid Field" list, a setting's
// help line or "No flags were changed." is refused. A reply with no lines is
// refused too.
Verdict judgeReply(const session::Reply& reply);

// The text of a reply line without its code prefix ("200- x" -> "x", "200 x" -> "x").
std::string lineText(const std::string& line);

}  // namespace admin
