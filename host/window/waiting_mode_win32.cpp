#include "host/window/waiting_mode_win32.h"

#include <algorithm>

#include "host/live/operator_wait.h"
#include "host/sites/wide_text_win32.h"
#include "host/window/transcript_pane_win32.h"

namespace waiting_mode {

namespace {

HWND status = nullptr;
HWND cancelButton = nullptr;
int depth = 0;  // begin() without end() so far
bool cancelRequested = false;
bool closePending = false;
bool asking = true;
HCURSOR previousCursor = nullptr;
HWND focusBefore = nullptr;
int statusWidth = 0;  // the status line's width outside a wait
DWORD started = 0;
DWORD lastShown = 0;

HWND window() { return status != nullptr ? GetParent(status) : nullptr; }

std::string secondsText(DWORD ms) { return std::to_string(ms / 1000) + " s"; }

// The live connection's questions, answered here.
class OperatorAnswers : public live::OperatorWait {
public:
    bool cancelled() override { return depth > 0 && cancelRequested; }

    bool keepWaiting(const std::string& waitingFor, int silentMs) override {
        if (depth == 0 || !asking || cancelRequested) {
            return false;
        }
        const std::string silence = secondsText(static_cast<DWORD>(silentMs));
        const std::string question =
            "The server has sent nothing for the last " + silence + "; the host has waited " +
            secondsText(GetTickCount() - started) + " in all for the reply to:\r\n" + waitingFor +
            "\r\n\r\nA site with many accounts can take minutes over some commands. Keep waiting?\r\n\r\n"
            "Yes: keep waiting (asked again after another " + silence + " of silence).\r\n"
            "No: cancel. The command was sent, its outcome is unknown, and the connection is closed.";
        if (wide_text::messageBox(window(), question, "The server is silent",
                                  MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON1) == IDYES) {
            return true;
        }
        cancel();
        return false;
    }

    bool keepSending(const std::string& sending, int stalledMs) override {
        if (depth == 0 || !asking || cancelRequested) {
            return false;
        }
        const std::string stall = secondsText(static_cast<DWORD>(stalledMs));
        const std::string question =
            "The server has taken nothing of what the host sends for the last " + stall + ":\r\n" + sending +
            "\r\n\r\nKeep waiting?\r\n\r\nYes: keep waiting (asked again after another " + stall +
            ").\r\nNo: cancel. Part of the command may have reached the server, its outcome is unknown, and the "
            "connection is closed.";
        if (wide_text::messageBox(window(), question, "The server takes nothing",
                                  MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON1) == IDYES) {
            return true;
        }
        cancel();
        return false;
    }

    void waitBegins() override { begin(); }
    void waitEnds() override { end(); }
};

OperatorAnswers answers;

// The Cancel button takes the right of the status line while a wait lasts.
void showCancelButton() {
    RECT place{};
    GetWindowRect(status, &place);
    MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&place), 2);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    const int buttonWidth = std::min(width / 2, height * 2);
    const int buttonHeight = height * 3 / 4;
    statusWidth = width;
    SendMessageW(cancelButton, WM_SETFONT, static_cast<WPARAM>(SendMessageW(status, WM_GETFONT, 0, 0)), FALSE);
    MoveWindow(status, place.left, place.top, width - buttonWidth - height / 8, height, TRUE);
    MoveWindow(cancelButton, place.right - buttonWidth, place.top + (height - buttonHeight) / 2, buttonWidth,
               buttonHeight, TRUE);
    ShowWindow(cancelButton, SW_SHOWNA);
}

void hideCancelButton() {
    if (GetFocus() == cancelButton) {
        SetFocus(focusBefore != nullptr && IsWindow(focusBefore) ? focusBefore : window());
    }
    ShowWindow(cancelButton, SW_HIDE);
    RECT place{};
    GetWindowRect(status, &place);
    MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&place), 2);
    MoveWindow(status, place.left, place.top, statusWidth, place.bottom - place.top, TRUE);
}

// Input while waiting: Esc, Alt+F4, the Cancel button and the window's
// close button do their part; the rest is thrown away.
void takeInput() {
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
            cancel();
        } else if (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4) {
            deferClose();
        }
    }
    while (PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
        if (message.hwnd == cancelButton) {
            DispatchMessageW(&message);
        }
    }
    while (PeekMessageW(&message, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {
        if (message.message == WM_NCLBUTTONDOWN && message.wParam == HTCLOSE) {
            deferClose();
        }
    }
    // The window manager's close button (Wine on X), the taskbar's, and a
    // close another program posts.
    while (PeekMessageW(&message, window(), WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE)) {
        if ((message.wParam & 0xfff0) == SC_CLOSE) {
            deferClose();
        }
    }
    while (PeekMessageW(&message, window(), WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
        deferClose();
    }
}

}  // namespace

void attach(HWND statusLine) {
    status = statusLine;
    cancelButton = CreateWindowExW(0, L"BUTTON", L"Cancel", WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0,
                                   window(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(cancelButtonId)),
                                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(statusLine, GWLP_HINSTANCE)),
                                   nullptr);
    live::installOperatorWait(&answers);
}

void askOnSilence(bool ask) { asking = ask; }

void begin() {
    if (depth++ > 0) {
        return;
    }
    cancelRequested = false;
    started = GetTickCount();
    lastShown = 0;
    focusBefore = GetFocus();
    transcript_pane::hold();
    previousCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    if (status != nullptr) {
        showCancelButton();
    }
}

void end() {
    if (depth == 0 || --depth > 0) {
        return;
    }
    cancelRequested = false;
    transcript_pane::release();
    SetCursor(previousCursor != nullptr ? previousCursor : LoadCursor(nullptr, IDC_ARROW));
    if (status != nullptr) {
        hideCancelButton();
        SetWindowTextA(status, "Ready.");
    }
    if (closePending) {
        closePending = false;
        PostMessageW(window(), WM_CLOSE, 0, 0);
    }
}

bool active() { return depth > 0; }

void showProgress(const std::string& command, std::size_t linesSoFar) {
    const DWORD now = GetTickCount();
    if (depth > 0 && status != nullptr && now - lastShown >= 100) {
        lastShown = now;
        // How long, and the count, first: a long command is cut at the
        // line's end ("12 s, 300 lines: SITE USER").
        std::string text = secondsText(now - started);
        if (linesSoFar > 0) {
            text += ", " + std::to_string(linesSoFar) + " lines";
        }
        text += ": " + command;
        wide_text::setWindowText(status, text);
        transcript_pane::flush();
    }
    takeInput();
    MSG message;
    for (int painted = 0; painted < 64 && PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE);
         ++painted) {
        DispatchMessageW(&message);
    }
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
}

void cancel() {
    if (depth > 0) {
        cancelRequested = true;
        if (status != nullptr) {
            SetWindowTextA(status, "Cancelling...");
        }
    }
}

bool deferClose() {
    if (depth == 0) {
        return false;
    }
    closePending = true;
    cancel();
    return true;
}

bool handleCommand(int id, int code) {
    if (id != cancelButtonId) {
        return false;
    }
    if (code == BN_CLICKED) {
        cancel();
    }
    return true;
}

}  // namespace waiting_mode
