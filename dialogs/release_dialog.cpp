#include "dialogs/release_dialog.h"

namespace {
INT_PTR releaseDialogProc(HWND dialog, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, 1);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
        }
        return FALSE;
    default:
        return FALSE;
    }
}
}  // namespace

INT_PTR CALLBACK nukeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return releaseDialogProc(dialog, message, wParam);
}

INT_PTR CALLBACK unnukeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return releaseDialogProc(dialog, message, wParam);
}

void setNukeDirectory(char*) {}
void setUnnukeDirectory(char*) {}
const char* keptNukeReason() { return nullptr; }
const char* keptUnnukeReason() { return nullptr; }
std::int32_t keptNukeMultiplier() { return 1; }
void releaseNukeState() {}
void releaseUnnukeState() {}
