#include "common/bulk_fill.h"

RedrawPause::RedrawPause(HWND control) : paused(nullptr) {
    // WM_SETREDRAW TRUE also makes a window visible: a hidden control is
    // left alone (nothing of it is drawn anyway).
    if (control != nullptr && (GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0) {
        paused = control;
        SendMessageA(paused, WM_SETREDRAW, FALSE, 0);
    }
}

RedrawPause::~RedrawPause() {
    if (paused != nullptr) {
        SendMessageA(paused, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(paused, nullptr, TRUE);
    }
}
