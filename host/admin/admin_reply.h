#pragma once
// What a reply to an administration command came to. glftpd 2.x answers
// every one of them with code 200, refusals included, and ends usage boxes,
// "Invalid Field" lists and "No flags were changed." with "200 Command
// Successful.": only the text tells a refusal from a change.
#include <cstdint>
#include <string>
#include <vector>

#include "host/session/site_link.h"

namespace admin {

// What a reply came to: done or refused, and the server's words for the operator.
struct Verdict {
    bool done = false;
    // The deciding line without "200- "/"200 ", e.g. "Group (x) does not
    // exist."; for a change answered "Command Successful." after words of its
    // own, the first of those ("'x' has been successfully removed as gadmin
    // for 'g'").
    std::string text;
    // The server ended the session after answering (an internal assertion, code 550).
    bool sessionEnded = false;
    // List forms ("{ a b }", ending "200 Done"): the names the server
    // reports as modified and as not modified, in the order it sent them.
    std::vector<std::string> modified, notModified;
    // "Change command applied to N users." (or groups): N; -1 when not said.
    std::int64_t appliedCount = -1;
};

// A reply to an administration command is done only when it ends with one
// of glftpd's success lines and no line refuses: a code of 400 or more, an
// ASSERT, a known refusal text, a usage box, an "Invalid Field" list, a
// setting's help line or "No flags were changed." is refused, and so is an
// unknown last line or a reply with no lines. A list form with an "Error
// modifying x" line is not done (which names were taken is in `modified`).
// A coloured reply (an operator with glftpd's colour flag) is judged as its
// plain twin, and the verdict's words carry no colour codes.
// Made for glftpd's own administration commands: a site script's reply (the
// operator's own commands) is shown as it came, not judged.
Verdict judgeReply(const session::Reply& reply);

// The reply itself when no line holds a colour code, else its plain twin,
// made in `storage`: every reader reads a coloured reply as its plain twin.
const session::Reply& plainTwin(const session::Reply& reply, session::Reply& storage);

// The text of a reply line without its code prefix ("200- x" -> "x", "200 x" -> "x").
std::string lineText(const std::string& line);

}  // namespace admin
