#include <windows.h>

#include "common/dialog_controls.h"
#include "common/name_controls.h"
#include "common/text_utils.h"
#include "pages/users/add_user_form.h"
#include "plugin/page_host.h"
#include "plugin/page_registry.h"
#include "resources/resource_ids.h"

namespace {

// IP 0 to IP 9; the identifiers do not ascend with the IP number.
const int ipEditIds[addUserIpCount] = {
    IDC_ADDUSER_IP0, IDC_ADDUSER_IP1, IDC_ADDUSER_IP2, IDC_ADDUSER_IP3, IDC_ADDUSER_IP4,
    IDC_ADDUSER_IP5, IDC_ADDUSER_IP6, IDC_ADDUSER_IP7, IDC_ADDUSER_IP8, IDC_ADDUSER_IP9,
};

const char glDefaultEntry[] = "(gl default)";
// Item data marking the "(gl default)" entry. A group whose name sorts ahead
// of it takes index 0, so the entry is known by this mark, not by position.
constexpr LPARAM glDefaultMark = 1;

// The form as last left; it outlives the page until the library's unload.
struct AddUserPageState {
    char* userNameText;
    char* passwordText;
    char* ipListText;
    char* fullAddText;
    char* ipTexts[addUserIpCount];
    int groupIndex;
    int privateGroupIndex;
};

AddUserPageState addUserPageState = {nullptr, nullptr, nullptr, nullptr, {}, -1, -1};

void clearAddUserPageState() {
    AddUserPageState& state = addUserPageState;
    clearText(state.userNameText);
    clearText(state.passwordText);
    clearText(state.ipListText);
    clearText(state.fullAddText);
    for (char*& text : state.ipTexts) {
        clearText(text);
    }
    state.groupIndex = -1;
    state.privateGroupIndex = -1;
}

void setIfPresent(HWND page, int controlId, const char* text) {
    if (text != nullptr) {
        setControlText(page, controlId, text);
    }
}

void fillGroupCombo(HWND page, int comboId, bool wantPrivate, int savedIndex) {
    HWND combo = GetDlgItem(page, comboId);
    fillGroupControl(combo, wantPrivate, true);
    const LRESULT defaultIndex =
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(glDefaultEntry));
    if (defaultIndex >= 0) {
        SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(defaultIndex), glDefaultMark);
    }
    const LRESULT selected = savedIndex >= 0 ? savedIndex : defaultIndex;
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void restoreAddUserPage(HWND page) {
    const AddUserPageState& state = addUserPageState;
    setIfPresent(page, IDC_ADDUSER_USERNAME, state.userNameText);
    setIfPresent(page, IDC_ADDUSER_PASSWORD, state.passwordText);
    setIfPresent(page, IDC_ADDUSER_IP_LIST, state.ipListText);
    setIfPresent(page, IDC_ADDUSER_FULL_ADD, state.fullAddText);
    for (int slot = 0; slot < addUserIpCount; ++slot) {
        setIfPresent(page, ipEditIds[slot], state.ipTexts[slot]);
    }
    fillGroupCombo(page, IDC_ADDUSER_GROUP, false, state.groupIndex);
    fillGroupCombo(page, IDC_ADDUSER_PRIVATE_GROUP, true, state.privateGroupIndex);
}

void captureAddUserPage(HWND page) {
    clearAddUserPageState();
    AddUserPageState& state = addUserPageState;
    state.userNameText = dupControlText(page, IDC_ADDUSER_USERNAME);
    state.passwordText = dupControlText(page, IDC_ADDUSER_PASSWORD);
    state.ipListText = dupControlText(page, IDC_ADDUSER_IP_LIST);
    state.fullAddText = dupControlText(page, IDC_ADDUSER_FULL_ADD);
    for (int slot = 0; slot < addUserIpCount; ++slot) {
        state.ipTexts[slot] = dupControlText(page, ipEditIds[slot]);
    }
    state.groupIndex = comboSelection(page, IDC_ADDUSER_GROUP);
    state.privateGroupIndex = comboSelection(page, IDC_ADDUSER_PRIVATE_GROUP);
}

void showParsedLine(HWND page, const ParsedAddLine& parsed) {
    for (int slot = 0; slot < addUserIpCount; ++slot) {
        setControlText(page, ipEditIds[slot], parsed.masks[slot]);
    }
}

void parseIpList(HWND page) {
    char* line = dupControlText(page, IDC_ADDUSER_IP_LIST);
    ParsedAddLine parsed{};
    parseIpListLine(line, parsed);
    showParsedLine(page, parsed);
    setControlText(page, IDC_ADDUSER_IP_LIST, nullptr);
    releaseParsedAddLine(parsed);
    freeText(line);
}

void parseFullAddString(HWND page) {
    char* line = dupControlText(page, IDC_ADDUSER_FULL_ADD);
    ParsedAddLine parsed{};
    parseFullAddLine(line, parsed);
    setControlText(page, IDC_ADDUSER_USERNAME, parsed.userName);
    setControlText(page, IDC_ADDUSER_PASSWORD, parsed.password);
    showParsedLine(page, parsed);
    setControlText(page, IDC_ADDUSER_FULL_ADD, nullptr);
    releaseParsedAddLine(parsed);
    freeText(line);
}

// Owned name of the group chosen at `index`, or null for "(gl default)" and
// for no choice.
char* chosenGroup(HWND page, int comboId, int index) {
    if (index < 0) {
        return nullptr;
    }
    const LRESULT mark =
        SendDlgItemMessageA(page, comboId, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (mark == CB_ERR || mark == glDefaultMark) {
        return nullptr;
    }
    return dupComboItemText(page, comboId, index);
}

void showMaskInEdit(void* context, int ipNumber, const char* mask) {
    HWND page = static_cast<HWND>(context);
    if (IsWindow(page)) {
        setControlText(page, ipEditIds[ipNumber], mask);
    }
}

void focusControl(HWND page, int controlId) {
    SetFocus(GetDlgItem(page, controlId));
}

// The add works on copies of the captured texts: the host serves every
// request from inside this call and may destroy the page, and with it
// recapture the state, while doing so.
struct AddUserCopies {
    char* userName;
    char* password;
    char* ipTexts[addUserIpCount];
    char* group;
    char* privateGroup;
};

void releaseCopies(AddUserCopies& copies) {
    clearText(copies.userName);
    clearText(copies.password);
    for (char*& text : copies.ipTexts) {
        clearText(text);
    }
    clearText(copies.group);
    clearText(copies.privateGroup);
}

void addUser(HWND page, bool thenEdit) {
    captureAddUserPage(page);
    const AddUserPageState& state = addUserPageState;
    if (state.userNameText[0] == '\0') {
        showParameterError(page, "You need to specify an username");
        focusControl(page, IDC_ADDUSER_USERNAME);
        return;
    }
    if (refuseBlankField(page, IDC_ADDUSER_USERNAME, WORD_USER_NAME, state.userNameText)) {
        return;
    }
    if (state.passwordText[0] == '\0') {
        showParameterError(page, "You need to specify a users password");
        focusControl(page, IDC_ADDUSER_PASSWORD);
        return;
    }
    if (refuseBlankField(page, IDC_ADDUSER_PASSWORD, WORD_PASSWORD, state.passwordText)) {
        return;
    }

    AddUserCopies copies{};
    copies.userName = dupText(state.userNameText);
    copies.password = dupText(state.passwordText);
    for (int slot = 0; slot < addUserIpCount; ++slot) {
        copies.ipTexts[slot] = dupText(state.ipTexts[slot]);
    }
    copies.group = chosenGroup(page, IDC_ADDUSER_GROUP, state.groupIndex);
    copies.privateGroup = chosenGroup(page, IDC_ADDUSER_PRIVATE_GROUP, state.privateGroupIndex);

    AddUserInput input{};
    input.userName = copies.userName;
    input.password = copies.password;
    for (int slot = 0; slot < addUserIpCount; ++slot) {
        input.ipTexts[slot] = copies.ipTexts[slot];
    }
    input.group = copies.group;
    input.privateGroup = copies.privateGroup;

    if (sendAddUserChain(input, showMaskInEdit, page)) {
        // With Add + Edit the page is gone once this returns.
        completeAddUser(copies.userName, thenEdit);
    }
    releaseCopies(copies);
}

}  // namespace

void releaseAddUserPage() {
    clearAddUserPageState();
}

INT_PTR CALLBACK addUserPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        restoreAddUserPage(page);
        return TRUE;
    case WM_DESTROY:
        captureAddUserPage(page);
        return FALSE;
    case WM_COMMAND:
        if (HIWORD(wParam) != 0) {
            return FALSE;
        }
        switch (LOWORD(wParam)) {
        case IDC_ADDUSER_PARSE_IP_LIST:
            parseIpList(page);
            break;
        case IDC_ADDUSER_PARSE_FULL_ADD:
            parseFullAddString(page);
            break;
        case IDC_ADDUSER_ADD:
            addUser(page, false);
            break;
        case IDC_ADDUSER_ADD_EDIT:
            addUser(page, true);
            break;
        default:
            break;
        }
        return FALSE;
    case WM_PAGE_FOCUS:
        focusControl(page, IDC_ADDUSER_USERNAME);
        return FALSE;
    default:
        return FALSE;
    }
}
