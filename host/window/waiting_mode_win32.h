#pragma once
// The host's waiting mode while a request is in flight: a wait cursor, a
// status line with the reply's progress, painting only. Input that arrives
// meanwhile is thrown away, so nothing reaches the plug-in (or the host's
// buttons) before its request is complete, and the plug-in is never
// re-entered.
#include <windows.h>

#include <cstddef>
#include <string>

namespace waiting_mode {

void attach(HWND statusLine);
void begin();
void end();
bool active();
// Called between reads of a reply.
void showProgress(const std::string& command, std::size_t linesSoFar);

}  // namespace waiting_mode
