#pragma once
// Text as the transcript shows it: nothing a server sends can start a line
// of the operator's record, hide part of one, colour it or turn it round.
#include <string>
#include <vector>

namespace session {

// One transcript line for each line of `text` (a line break the host wrote,
// "\n" or "\r\n", starts the next; a server's lines never hold one), every
// other control written out: a carriage return as "\r", the other C0 bytes
// and DEL as "\x1b", "\x00" and so on; the C1 controls (U+0080 to U+009F, a
// line break or an escape introducer to some readers), the line and
// paragraph separators (U+2028, U+2029) and the bidirectional controls
// (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069) as "\u0085",
// "\u2028", "\u202e"; a byte that is no part of valid UTF-8 as "\xe9". Tabs
// stay (they start nothing), and so does every other character, in the
// site's own script.
std::vector<std::string> transcriptLines(const std::string& text);

}  // namespace session
