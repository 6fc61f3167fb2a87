#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "common/command_text.h"
#include "common/dialog_controls.h"
#include "common/name_controls.h"
#include "common/number_text.h"
#include "common/text_utils.h"
#include "pages/site/site_command_text.h"
#include "plugin/host_channel.h"
#include "plugin/page_host.h"
#include "plugin/page_registry.h"
#include "resources/resource_ids.h"

namespace {

char* savedMessage = nullptr;
char* savedRelease = nullptr;
std::int32_t savedAmount = 10;
MessageTarget savedTarget = MESSAGE_TO_USER;
std::int32_t savedUserIndex = -1;
std::int32_t savedGroupIndex = -1;

void selectComboItem(HWND page, int comboId, std::int32_t savedIndex) {
    const WPARAM index = static_cast<WPARAM>(savedIndex == -1 ? 0 : savedIndex);
    SendDlgItemMessageA(page, comboId, CB_SETCURSEL, index, 0);
}

void showTarget(HWND page, MessageTarget target) {
    EnableWindow(GetDlgItem(page, IDC_SITECMD_MSG_USER), target == MESSAGE_TO_USER ? TRUE : FALSE);
    EnableWindow(GetDlgItem(page, IDC_SITECMD_MSG_GROUP), target == MESSAGE_TO_GROUP ? TRUE : FALSE);
    CheckRadioButton(page, IDC_SITECMD_TO_USER, IDC_SITECMD_TO_ALL, IDC_SITECMD_TO_USER + target);
}

void setUpPage(HWND page) {
    fillUserControl(GetDlgItem(page, IDC_SITECMD_MSG_USER));
    fillGroupControl(GetDlgItem(page, IDC_SITECMD_MSG_GROUP), false, true);
    selectComboItem(page, IDC_SITECMD_MSG_USER, savedUserIndex);
    selectComboItem(page, IDC_SITECMD_MSG_GROUP, savedGroupIndex);
    if (savedMessage != nullptr) {
        setControlText(page, IDC_SITECMD_MESSAGE, savedMessage);
    }
    if (savedRelease != nullptr) {
        setControlText(page, IDC_SITECMD_RELEASE, savedRelease);
    }
    showTarget(page, savedTarget);
    char amount[16];
    std::snprintf(amount, sizeof amount, "%d", static_cast<int>(savedAmount));
    setControlText(page, IDC_SITECMD_AMOUNT, amount);
}

void saveSiteCommandsState(HWND page) {
    resetSiteCommandsState();
    savedMessage = dupControlText(page, IDC_SITECMD_MESSAGE);
    savedRelease = dupControlText(page, IDC_SITECMD_RELEASE);
    char* amount = dupControlText(page, IDC_SITECMD_AMOUNT);
    savedAmount = decimalToInt32(amount);
    freeText(amount);
    if (IsDlgButtonChecked(page, IDC_SITECMD_TO_USER) == BST_CHECKED) {
        savedTarget = MESSAGE_TO_USER;
    } else if (IsDlgButtonChecked(page, IDC_SITECMD_TO_GROUP) == BST_CHECKED) {
        savedTarget = MESSAGE_TO_GROUP;
    } else {
        savedTarget = MESSAGE_TO_ALL;
    }
    savedUserIndex = comboSelection(page, IDC_SITECMD_MSG_USER);
    savedGroupIndex = comboSelection(page, IDC_SITECMD_MSG_GROUP);
}

CommandBuild buildMessage(HWND page, CommandText& command) {
    char* recipient = nullptr;
    // An index that no longer names an item gives no recipient, as none does.
    if (savedTarget == MESSAGE_TO_USER) {
        recipient = dupComboItemText(page, IDC_SITECMD_MSG_USER, savedUserIndex);
    } else if (savedTarget == MESSAGE_TO_GROUP) {
        recipient = dupComboItemText(page, IDC_SITECMD_MSG_GROUP, savedGroupIndex);
    }
    const CommandBuild built = buildMessageCommand(command, savedTarget, recipient, savedMessage);
    freeText(recipient);
    return built;
}

void runCommandButton(HWND page, const SiteCommandButton& button) {
    saveSiteCommandsState(page);
    CommandText command;
    const CommandBuild built = button.argument == SITE_ARGUMENT_MESSAGE
                                   ? buildMessage(page, command)
                                   : buildSiteCommand(command, button, savedAmount, savedRelease);
    switch (built) {
    case COMMAND_READY:
        sendCommandOnly(command);
        break;
    case COMMAND_NEEDS_RELEASE:
        showParameterError(page, releaseMissingText);
        break;
    case COMMAND_NEEDS_MESSAGE:
        showParameterError(page, messageMissingText);
        break;
    case COMMAND_NO_RECIPIENT:
        break;
    }
}

void onCommand(HWND page, int id) {
    switch (id) {
    case IDC_SITECMD_TO_USER:
        savedTarget = MESSAGE_TO_USER;
        showTarget(page, savedTarget);
        return;
    case IDC_SITECMD_TO_GROUP:
        savedTarget = MESSAGE_TO_GROUP;
        showTarget(page, savedTarget);
        return;
    case IDC_SITECMD_TO_ALL:
        savedTarget = MESSAGE_TO_ALL;
        showTarget(page, savedTarget);
        return;
    default:
        break;
    }
    const SiteCommandButton* button = findSiteCommandButton(id);
    if (button != nullptr) {
        runCommandButton(page, *button);
    }
}

}  // namespace

void resetSiteCommandsState() {
    clearText(savedMessage);
    clearText(savedRelease);
    savedAmount = 10;
    savedTarget = MESSAGE_TO_USER;
    savedUserIndex = -1;
    savedGroupIndex = -1;
}

INT_PTR CALLBACK siteCommandsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        setUpPage(page);
        return TRUE;
    case WM_DESTROY:
        saveSiteCommandsState(page);
        return FALSE;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0) {
            onCommand(page, LOWORD(wParam));
        }
        return FALSE;
    case WM_PAGE_FOCUS:
        SetFocus(GetDlgItem(page, IDC_SITECMD_VIEW_MSGS));
        return FALSE;
    default:
        return FALSE;
    }
}
