#include "common/name_controls.h"

#include <cstdint>
#include <cstring>

#include "common/bulk_fill.h"
#include "common/fill_order.h"
#include "common/site_directory.h"

namespace {

const char* textOf(const NameList* node) {
    return node->text;
}

const char* textOf(const NamePairList* node) {
    return node->name;
}

void emptyControl(HWND control, bool asCombo) {
    // One message, however many entries: empty, and nothing selected.
    SendMessageA(control, asCombo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
}

void addName(HWND control, const char* text, bool asCombo) {
    SendMessageA(control, asCombo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(text));
}

template <typename Node>
void fillNames(HWND control, const Node* head, bool asCombo) {
    emptyControl(control, asCombo);
    std::size_t count = 0;
    std::size_t bytes = 0;
    for (const Node* node = head; node != nullptr; node = node->next) {
        ++count;
        bytes += std::strlen(textOf(node)) + 1;
    }
    if (count == 0) {
        return;
    }
    RedrawPause pause(control);
    const std::size_t limit = INT32_MAX;
    SendMessageA(control, asCombo ? CB_INITSTORAGE : LB_INITSTORAGE,
                 static_cast<WPARAM>(count < limit ? count : limit),
                 static_cast<LPARAM>(bytes < limit ? bytes : limit));
    const LONG_PTR sortStyle = asCombo ? CBS_SORT : LBS_SORT;
    if ((GetWindowLongPtrA(control, GWL_STYLE) & sortStyle) == 0) {
        // The control keeps the order it is given.
        for (const Node* node = head; node != nullptr; node = node->next) {
            addName(control, textOf(node), asCombo);
        }
        return;
    }
    // Handed over in nearly the control's order, each name goes in at the end.
    const Node** order =
        nodesInFillOrder(head, count, [](const Node* node) { return textOf(node); }, false);
    for (std::size_t i = 0; i < count; ++i) {
        addName(control, textOf(order[i]), asCombo);
    }
    heapFree(order);
}

}  // namespace

void fillNameControl(HWND control, const NameList* names, bool asCombo) {
    fillNames(control, names, asCombo);
}

void fillNameControl(HWND control, const NamePairList* pairs, bool asCombo) {
    fillNames(control, pairs, asCombo);
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
