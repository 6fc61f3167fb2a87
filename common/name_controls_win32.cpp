#include "common/name_controls.h"

#include "common/site_directory.h"

namespace {

void emptyControl(HWND control, bool asCombo) {
    const UINT deleteMessage = asCombo ? CB_DELETESTRING : LB_DELETESTRING;
    // CB_ERR and LB_ERR are both -1; a missing control answers 0, so stop then too.
    while (true) {
        const LRESULT left = SendMessageA(control, deleteMessage, 0, 0);
        if (left <= 0) {
            break;
        }
    }
}

void addName(HWND control, const char* text, bool asCombo) {
    SendMessageA(control, asCombo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(text));
}

}  // namespace

void fillNameControl(HWND control, const NameList* names, bool asCombo) {
    emptyControl(control, asCombo);
    for (; names != nullptr; names = names->next) {
        addName(control, names->text, asCombo);
    }
}

void fillNameControl(HWND control, const NamePairList* pairs, bool asCombo) {
    emptyControl(control, asCombo);
    for (; pairs != nullptr; pairs = pairs->next) {
        addName(control, pairs->name, asCombo);
    }
}

void fillGroupControl(HWND control, bool wantPrivate, bool asCombo) {
    ensureSiteDirectory();
    fillNameControl(control, wantPrivate ? siteDirectory.privateGroupList : siteDirectory.groupList,
                    asCombo);
}

void fillUserControl(HWND combo) {
    ensureSiteDirectory();
    fillNameControl(combo, siteDirectory.userNames, true);
}
