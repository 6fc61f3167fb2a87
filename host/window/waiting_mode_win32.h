#pragma once
// The host's waiting mode while a request or a login is in flight: a wait
// cursor, a status line with how long the wait has lasted and the reply's
// progress, painting, and the operator's ways out: the Cancel button beside
// the status line, Esc, and the window's close (the window closes once the
// cancelled wait is over). A cancelled wait fails its request, outcome
// unknown, and closes the connection. Any other input that arrives meanwhile
// is thrown away, so nothing reaches the plug-in (or the host's buttons)
// before its request is complete, and the plug-in is never re-entered. When
// the server has been silent for the time-out during a command, the operator
// is asked whether to keep waiting (the default) or cancel.
#include <windows.h>

#include <cstddef>
#include <string>

namespace waiting_mode {

// The Cancel button's control id in the status line's window.
constexpr int cancelButtonId = 190;

// The status line; the Cancel button is made beside it, in its window, and
// the live connection asks the waiting mode from now on.
void attach(HWND statusLine);
// Whether there is an operator to ask about a silent server (not on a tour:
// its time-out ends the wait).
void askOnSilence(bool ask);

void begin();
void end();
bool active();
// Called between reads of a reply, and between the slices of connecting.
void showProgress(const std::string& command, std::size_t linesSoFar);

// What the Cancel button and Esc do: the wait under way fails.
void cancel();
// The window's close: false when nothing is waited for (close now);
// otherwise the wait is cancelled and the window gets WM_CLOSE again once
// it is over.
bool deferClose();
// The window's WM_COMMAND: true when it was the Cancel button's.
bool handleCommand(int id, int code);

}  // namespace waiting_mode
