#pragma once
// Filling a control with many entries: drawing is suspended for the fill and
// the control drawn once at the end, instead of after every entry.
#include <windows.h>

class RedrawPause {
public:
    explicit RedrawPause(HWND control);
    ~RedrawPause();
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

private:
    HWND paused;
};
