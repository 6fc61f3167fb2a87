#include "common/dialog_controls.h"

#include "common/heap.h"
#include "common/text_utils.h"

char* dupControlText(HWND page, int controlId) {
    HWND control = GetDlgItem(page, controlId);
    const int length = control != nullptr ? GetWindowTextLengthA(control) : 0;
    if (length <= 0) {
        return dupText("");
    }
    char* text = static_cast<char*>(heapAlloc(static_cast<std::size_t>(length) + 1));
    const int copied = GetWindowTextA(control, text, length + 1);
    text[copied >= 0 && copied <= length ? copied : 0] = '\0';
    return text;
}

void setControlText(HWND page, int controlId, const char* text) {
    SetDlgItemTextA(page, controlId, text != nullptr ? text : "");
}

bool controlTextIsEmpty(HWND page, int controlId) {
    HWND control = GetDlgItem(page, controlId);
    return control == nullptr || GetWindowTextLengthA(control) <= 0;
}

char* dupComboItemText(HWND page, int comboId, int index) {
    HWND combo = GetDlgItem(page, comboId);
    if (combo == nullptr || index < 0) {
        return nullptr;
    }
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length < 0) {
        return nullptr;
    }
    char* text = static_cast<char*>(heapAlloc(static_cast<std::size_t>(length) + 1));
    const LRESULT copied =
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    text[copied >= 0 && copied <= length ? copied : 0] = '\0';
    return text;
}

int comboSelection(HWND page, int comboId) {
    const LRESULT selected = SendDlgItemMessageA(page, comboId, CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

char* dupComboSelectionText(HWND page, int comboId) {
    return dupComboItemText(page, comboId, comboSelection(page, comboId));
}

void showParameterError(HWND page, const char* text) {
    MessageBoxA(page, text, "Parameter error", MB_OK | MB_ICONERROR);
}

bool refuseBlankField(HWND page, int controlId, WordField field, const char* text) {
    const char* error = wordFieldError(field, text);
    if (error == nullptr) {
        return false;
    }
    showParameterError(page, error);
    SetFocus(GetDlgItem(page, controlId));
    return true;
}
