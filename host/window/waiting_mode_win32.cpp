#include "host/window/waiting_mode_win32.h"

#include "host/window/transcript_pane_win32.h"

namespace waiting_mode {

namespace {

HWND status = nullptr;
bool waiting = false;
HCURSOR previousCursor = nullptr;
DWORD lastShown = 0;

}  // namespace

void attach(HWND statusLine) { status = statusLine; }

void begin() {
    waiting = true;
    transcript_pane::hold();
    previousCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
}

void end() {
    waiting = false;
    transcript_pane::release();
    SetCursor(previousCursor != nullptr ? previousCursor : LoadCursor(nullptr, IDC_ARROW));
    SetWindowTextA(status, "Ready.");
}

bool active() { return waiting; }

void showProgress(const std::string& command, std::size_t linesSoFar) {
    const DWORD now = GetTickCount();
    if (now - lastShown >= 100) {
        lastShown = now;
        // The count first: a long command is cut at the line's end.
        const std::string text =
            std::to_string(linesSoFar) + " line(s) received, waiting for the reply to " + command;
        SetWindowTextA(status, text.c_str());
        transcript_pane::flush();
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) ||
           PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE) ||
           PeekMessageA(&message, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {
    }
    for (int painted = 0; painted < 64 && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE);
         ++painted) {
        DispatchMessageA(&message);
    }
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
}

}  // namespace waiting_mode
