#include <windows.h>

#include <cstdint>

#include "common/command_text.h"
#include "common/dialog_controls.h"
#include "common/name_controls.h"
#include "common/site_directory.h"
#include "common/text_utils.h"
#include "pages/users/user_commands.h"
#include "pages/users/user_record.h"
#include "plugin/host_channel.h"
#include "plugin/page_host.h"
#include "plugin/page_registry.h"
#include "resources/resource_ids.h"

namespace {

// The form as last captured; survives the page's destruction.
struct UserCommandsPageState {
    double amountMb;
    char* creditMessage;
    char* readdName;
    std::int32_t userIndex;
    std::int32_t listGroupIndex;
    std::int32_t listFlagIndex;
    bool listByFlag;
};

UserCommandsPageState userCommandsState = {0.0, nullptr, nullptr, -1, -1, -1, false};

void selectComboIndex(HWND page, int comboId, std::int32_t index) {
    // CB_SETCURSEL past the end leaves the combo without a selection.
    SendDlgItemMessageA(page, comboId, CB_SETCURSEL, static_cast<WPARAM>(index == -1 ? 0 : index), 0);
}

void showListMode(HWND page, bool byFlag) {
    EnableWindow(GetDlgItem(page, IDC_USERCMD_LIST_GROUP), !byFlag);
    EnableWindow(GetDlgItem(page, IDC_USERCMD_LIST_FLAG), byFlag);
    CheckRadioButton(page, IDC_USERCMD_BY_GROUP, IDC_USERCMD_BY_FLAG,
                     byFlag ? IDC_USERCMD_BY_FLAG : IDC_USERCMD_BY_GROUP);
}

void refreshUserCommandsPage(HWND page) {
    const UserCommandsPageState& state = userCommandsState;
    char amount[amountTextSize];
    formatAmountMb(state.amountMb, amount, sizeof amount);
    setControlText(page, IDC_USERCMD_AMOUNT, amount);

    fillUserControl(GetDlgItem(page, IDC_USERCMD_USERNAME));
    fillGroupControl(GetDlgItem(page, IDC_USERCMD_LIST_GROUP), false, true);

    HWND flags = GetDlgItem(page, IDC_USERCMD_LIST_FLAG);
    SendMessageA(flags, CB_RESETCONTENT, 0, 0);
    for (const SpecialListFlag& flag : specialListFlags) {
        SendMessageA(flags, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(flag.displayText));
    }

    selectComboIndex(page, IDC_USERCMD_USERNAME, state.userIndex);
    selectComboIndex(page, IDC_USERCMD_LIST_GROUP, state.listGroupIndex);
    selectComboIndex(page, IDC_USERCMD_LIST_FLAG, state.listFlagIndex);

    if (state.creditMessage != nullptr) {
        setControlText(page, IDC_USERCMD_MESSAGE, state.creditMessage);
    }
    if (state.readdName != nullptr) {
        setControlText(page, IDC_USERCMD_READD_NAME, state.readdName);
    }
    showListMode(page, state.listByFlag);
}

void captureUserCommandsPage(HWND page) {
    releaseUserCommandsPage();
    UserCommandsPageState& state = userCommandsState;
    char* amount = dupControlText(page, IDC_USERCMD_AMOUNT);
    state.amountMb = readAmountMb(amount);
    freeText(amount);
    state.creditMessage = dupControlText(page, IDC_USERCMD_MESSAGE);
    state.readdName = dupControlText(page, IDC_USERCMD_READD_NAME);
    state.userIndex = comboSelection(page, IDC_USERCMD_USERNAME);
    state.listGroupIndex = comboSelection(page, IDC_USERCMD_LIST_GROUP);
    state.listFlagIndex = comboSelection(page, IDC_USERCMD_LIST_FLAG);
    state.listByFlag = IsDlgButtonChecked(page, IDC_USERCMD_BY_GROUP) != BST_CHECKED;
}

// Owned copy of the selected user's name, or null when none is selected.
char* capturedUserName(HWND page) {
    if (userCommandsState.userIndex == -1) {
        return nullptr;
    }
    return dupComboItemText(page, IDC_USERCMD_USERNAME, userCommandsState.userIndex);
}

void sendUserCommand(HWND page, UserCommandKind kind, const char* keyword) {
    captureUserCommandsPage(page);
    const UserCommandsPageState& state = userCommandsState;
    CommandText command("SITE ");
    command.append(keyword);
    switch (kind) {
    case Bare:
        break;
    case ForUser:
    case CreditTransfer: {
        char* user = capturedUserName(page);
        if (user == nullptr) {
            return;
        }
        bool ready = true;
        if (kind == ForUser) {
            command.append(" ");
            command.append(user);
        } else if (!buildCreditCommand(command, keyword, user, state.amountMb, state.creditMessage)) {
            ready = false;
        }
        freeText(user);
        if (!ready) {
            showParameterError(page, creditAmountRangeMessage);
            return;
        }
        break;
    }
    case SpecialList:
        command.append(" ");
        if (state.listByFlag) {
            if (state.listFlagIndex < 0 || state.listFlagIndex >= specialListFlagCount) {
                return;
            }
            command.append(specialListFlags[state.listFlagIndex].keyword);
        } else {
            char* group = state.listGroupIndex == -1
                              ? nullptr
                              : dupComboItemText(page, IDC_USERCMD_LIST_GROUP, state.listGroupIndex);
            if (group == nullptr) {
                return;
            }
            command.append(group);
            freeText(group);
        }
        break;
    }
    sendCommandOnly(command);
}

void deleteUser(HWND page) {
    captureUserCommandsPage(page);
    char* user = capturedUserName(page);
    if (user == nullptr) {
        return;
    }
    CommandText command("SITE DELUSER ");
    command.append(user);
    HostRequest request{};
    if (sendCommand(request, command, false) != 0) {
        removeName(siteDirectory.userNames, user);
        refreshUserCommandsPage(page);
    }
    freeText(user);
}

void readdUser(HWND page) {
    captureUserCommandsPage(page);
    const char* name = userCommandsState.readdName;
    if (name == nullptr || name[0] == '\0') {
        showParameterError(page, "You need to specify an username");
        return;
    }
    if (refuseBlankField(page, IDC_USERCMD_READD_NAME, WORD_USER_NAME, name)) {
        return;
    }
    CommandText command("SITE READD ");
    command.append(name);
    HostRequest request{};
    if (sendCommand(request, command, true) == 0) {
        return;
    }
    if (!isAccountLoadFailure(firstReplyText(request))) {
        appendName(siteDirectory.userNames, name);
        refreshUserCommandsPage(page);
    }
    releaseReply(request);
}

void onUserCommand(HWND page, int id) {
    switch (id) {
    case IDC_USERCMD_SHOW_USER:
        sendUserCommand(page, ForUser, "USER");
        break;
    case IDC_USERCMD_USER_STATS:
        sendUserCommand(page, ForUser, "STATS");
        break;
    case IDC_USERCMD_SEEN_USER:
        sendUserCommand(page, ForUser, "SEEN");
        break;
    case IDC_USERCMD_DELETE_USER:
        deleteUser(page);
        break;
    case IDC_USERCMD_READD_USER:
        readdUser(page);
        break;
    case IDC_USERCMD_GIVE_CREDITS:
        sendUserCommand(page, CreditTransfer, "GIVE");
        break;
    case IDC_USERCMD_TAKE_CREDITS:
        sendUserCommand(page, CreditTransfer, "TAKE");
        break;
    case IDC_USERCMD_LIST_USERS:
        sendUserCommand(page, Bare, "USERS");
        break;
    case IDC_USERCMD_LIST_SHORT:
        sendUserCommand(page, Bare, "USER");
        break;
    case IDC_USERCMD_PURGE_USERS:
        sendUserCommand(page, Bare, "PURGE");
        break;
    case IDC_USERCMD_BY_GROUP:
        showListMode(page, false);
        userCommandsState.listByFlag = false;
        break;
    case IDC_USERCMD_BY_FLAG:
        showListMode(page, true);
        userCommandsState.listByFlag = true;
        break;
    case IDC_USERCMD_LIST_SPECIAL:
        sendUserCommand(page, SpecialList, "USERS");
        break;
    default:
        break;
    }
}

}  // namespace

void releaseUserCommandsPage() {
    UserCommandsPageState& state = userCommandsState;
    clearText(state.creditMessage);
    clearText(state.readdName);
    state.userIndex = -1;
    state.listGroupIndex = -1;
    state.listFlagIndex = -1;
    state.listByFlag = false;
}

INT_PTR CALLBACK userCommandsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        refreshUserCommandsPage(page);
        return TRUE;
    case WM_DESTROY:
        captureUserCommandsPage(page);
        return FALSE;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0) {
            onUserCommand(page, LOWORD(wParam));
        } else if (HIWORD(wParam) == CBN_CLOSEUP && LOWORD(wParam) == IDC_USERCMD_USERNAME) {
            // Show the picked user once the drop-down has finished closing.
            PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_USERCMD_SHOW_USER, 0), 0);
        }
        return FALSE;
    case WM_PAGE_FOCUS:
        SetFocus(GetDlgItem(page, IDC_USERCMD_USERNAME));
        return FALSE;
    default:
        return FALSE;
    }
}
