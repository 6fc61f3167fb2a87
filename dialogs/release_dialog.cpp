#include "dialogs/release_dialog.h"

#include <commctrl.h>

#include <cstdio>

#include "common/dialog_controls.h"
#include "common/number_text.h"
#include "common/text_utils.h"
#include "dialogs/nuke_words.h"
#include "dialogs/release_multiplier.h"
#include "resources/resource_ids.h"

namespace {

// Both reasons survive from one dialog to the next until the unload.
const char* nukeDirectory = nullptr;
char* nukeReason = nullptr;
std::int32_t nukeMultiplier = 1;
char* unnukeDirectory = nullptr;
char* unnukeReason = nullptr;

void centreOnScreen(HWND dialog) {
    RECT frame;
    if (!GetWindowRect(dialog, &frame)) {
        return;
    }
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void showMultiplier(HWND dialog, std::int32_t multiplier) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(multiplier));
    setControlText(dialog, IDC_RELEASE_MULTIPLIER, text);
}

// The edit is the only value: the up-down's own position is ignored.
void stepMultiplier(HWND dialog, const NMUPDOWN* change) {
    char text[32] = {};
    GetDlgItemTextA(dialog, IDC_RELEASE_MULTIPLIER, text, sizeof text);
    showMultiplier(dialog, steppedMultiplier(text, change->iDelta));
}

void captureNuke(HWND dialog) {
    releaseNukeState();
    nukeReason = dupControlText(dialog, IDC_RELEASE_REASON);
    char* multiplier = dupControlText(dialog, IDC_RELEASE_MULTIPLIER);
    // A pasted sign gets past the digits-only edit; a negative multiplier
    // would reach the host as -1, its "cancelled", although OK was pressed.
    const std::int32_t typed = decimalToInt32(multiplier);
    nukeMultiplier = typed < 0 ? 0 : typed;
    freeText(multiplier);
}

void captureUnnuke(HWND dialog) {
    releaseUnnukeState();
    unnukeReason = dupControlText(dialog, IDC_RELEASE_REASON);
}

bool isClick(WPARAM wParam, int id) {
    return HIWORD(wParam) == 0 && LOWORD(wParam) == id;
}

}  // namespace

INT_PTR CALLBACK nukeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        centreOnScreen(dialog);
        if (nukeReason != nullptr) {
            setControlText(dialog, IDC_RELEASE_REASON, nukeReason);
        }
        showMultiplier(dialog, nukeMultiplier);
        setControlText(dialog, IDC_RELEASE_DIRECTORY, nukeDirectory);
        SetWindowTextA(dialog, "Nuke a release");
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header != nullptr && header->idFrom == IDC_RELEASE_MULTIPLIER_SPIN &&
            header->code == UDN_DELTAPOS) {
            stepMultiplier(dialog, reinterpret_cast<const NMUPDOWN*>(lParam));
        }
        return FALSE;
    }
    case WM_COMMAND:
        if (isClick(wParam, IDOK)) {
            captureNuke(dialog);
            if (nukeReason[0] == '\0') {
                showParameterError(dialog, "You need to specify a nuke reason");
            } else {
                EndDialog(dialog, 1);
            }
        } else if (isClick(wParam, IDCANCEL)) {
            EndDialog(dialog, 0);
        }
        return FALSE;
    case WM_DESTROY:
        captureNuke(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK unnukeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        // Before anything is shown, so the host gets the stripped name back
        // even when the operator cancels.
        stripNukeWord(unnukeDirectory);
        centreOnScreen(dialog);
        if (unnukeReason != nullptr) {
            setControlText(dialog, IDC_RELEASE_REASON, unnukeReason);
        }
        EnableWindow(GetDlgItem(dialog, IDC_RELEASE_MULTIPLIER), FALSE);
        EnableWindow(GetDlgItem(dialog, IDC_RELEASE_MULTIPLIER_SPIN), FALSE);
        setControlText(dialog, IDC_RELEASE_DIRECTORY, unnukeDirectory);
        SetWindowTextA(dialog, "Unnuke a release");
        return TRUE;
    case WM_COMMAND:
        if (isClick(wParam, IDOK)) {
            captureUnnuke(dialog);
            if (unnukeReason[0] == '\0') {
                showParameterError(dialog, "You need to specify an unnuke reason");
            } else {
                EndDialog(dialog, 1);
            }
        } else if (isClick(wParam, IDCANCEL)) {
            EndDialog(dialog, 0);
        }
        return FALSE;
    case WM_DESTROY:
        captureUnnuke(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}

void setNukeDirectory(char* directory) {
    nukeDirectory = directory;
}

void setUnnukeDirectory(char* directory) {
    unnukeDirectory = directory;
}

const char* keptNukeReason() {
    return nukeReason;
}

const char* keptUnnukeReason() {
    return unnukeReason;
}

std::int32_t keptNukeMultiplier() {
    return nukeMultiplier;
}

void releaseNukeState() {
    clearText(nukeReason);
    nukeMultiplier = 1;
}

void releaseUnnukeState() {
    clearText(unnukeReason);
}
