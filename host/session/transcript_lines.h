#pragma once
// Text as the transcript shows it: nothing a server sends can start a line
// of the operator's record, hide part of one or colour it.
#include <string>
#include <vector>

namespace session {

// One transcript line for each line of `text` (a line break the host wrote,
// "\n" or "\r\n", starts the next; a server's lines never hold one), every
// other control byte written out: a carriage return as "\r", the rest as
// "\x1b", "\x00" and so on. Tabs stay (they start nothing); bytes from 0x80
// up stay too, for the site's own characters.
std::vector<std::string> transcriptLines(const std::string& text);

}  // namespace session
