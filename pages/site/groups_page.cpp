#include <windows.h>

#include <commctrl.h>

#include <cstdint>

#include "common/command_text.h"
#include "common/dialog_controls.h"
#include "common/list_view.h"
#include "common/site_directory.h"
#include "common/text_utils.h"
#include "pages/site/site_command_text.h"
#include "plugin/host_channel.h"
#include "plugin/page_host.h"
#include "plugin/page_registry.h"
#include "resources/resource_ids.h"

namespace {

char* savedGroupName = nullptr;
char* savedGroupInfo = nullptr;
// The group the change buttons act on: the row the list last reported.
char* selectedGroup = nullptr;
// Only grows, so a read-back buffer always holds any text ever listed.
std::int32_t longestGroupText = 0;

const int groupChangeControls[] = {
    IDC_GROUPS_CHANGE_INFO, IDC_GROUPS_NEW_INFO, IDC_GROUPS_RENAME, IDC_GROUPS_NEW_NAME,
    IDC_GROUPS_DELETE,
};

HWND groupListView(HWND page) {
    return GetDlgItem(page, IDC_GROUPS_LIST);
}

void setGroupChangeControls(HWND page, bool enabled) {
    for (int id : groupChangeControls) {
        EnableWindow(GetDlgItem(page, id), enabled ? TRUE : FALSE);
    }
}

void fillGroupList(HWND page, bool firstTime) {
    HWND list = groupListView(page);
    if (firstTime) {
        setUpTwoColumnList(list, "Name", 60, "Info", 150);
    } else {
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    }
    if (savedGroupName != nullptr) {
        setControlText(page, IDC_GROUPS_ADD_NAME, savedGroupName);
    }
    if (savedGroupInfo != nullptr) {
        setControlText(page, IDC_GROUPS_ADD_INFO, savedGroupInfo);
    }
    ensureSiteDirectory();
    // Grown before any row exists, so a notification raised while filling
    // already reads back with a buffer large enough.
    longestGroupText = longestGroupTextOf(longestGroupText, siteDirectory.groupList);
    addTwoColumnRows(list, siteDirectory.groupList);
}

void selectGroupRow(HWND page, int row) {
    HWND list = groupListView(page);
    if (!listViewHasRow(list, row)) {
        // Names no row (such as -1): keep the selection as it was.
        return;
    }
    clearText(selectedGroup);
    selectedGroup = dupListViewCell(list, row, 0, longestGroupText);
    setControlText(page, IDC_GROUPS_NEW_NAME, selectedGroup);
    char* info = dupListViewCell(list, row, 1, longestGroupText);
    setControlText(page, IDC_GROUPS_NEW_INFO, info);
    freeText(info);
    setGroupChangeControls(page, true);
}

void addGroup(HWND page) {
    if (controlTextIsEmpty(page, IDC_GROUPS_ADD_NAME)) {
        showParameterError(page, groupNameMissingText);
        return;
    }
    char* name = dupControlText(page, IDC_GROUPS_ADD_NAME);
    if (refuseBlankField(page, IDC_GROUPS_ADD_NAME, WORD_GROUP_NAME, name)) {
        freeText(name);
        return;
    }
    if (controlTextIsEmpty(page, IDC_GROUPS_ADD_INFO)) {
        showParameterError(page, groupInfoMissingText);
        freeText(name);
        return;
    }
    char* info = dupControlText(page, IDC_GROUPS_ADD_INFO);
    CommandText command;
    buildGroupAddCommand(command, name, info);
    // The channel would refuse such a line without asking the host; then
    // there is nothing to release and nothing to take into the list.
    if (!holdsLineBreak(command.text())) {
        HostRequest request{};
        // After a zero result the lines are not valid: the directory stays as it is.
        if (sendCommand(request, command, true) != 0 && groupAddAccepted(firstReplyText(request))) {
            appendPair(siteDirectory.groupList, name, info);
        }
        releaseReply(request);
        fillGroupList(page, false);
    }
    freeText(name);
    freeText(info);
}

void changeGroup(HWND page, GroupChange kind) {
    if (selectedGroup == nullptr) {
        return;  // no row selected since the page was shown
    }
    char* value = nullptr;
    if (kind == GROUP_CHANGE_INFO) {
        if (controlTextIsEmpty(page, IDC_GROUPS_NEW_INFO)) {
            showParameterError(page, groupInfoMissingText);
            return;
        }
        value = dupControlText(page, IDC_GROUPS_NEW_INFO);
    } else if (kind == GROUP_RENAME) {
        if (controlTextIsEmpty(page, IDC_GROUPS_NEW_NAME)) {
            showParameterError(page, groupNameMissingText);
            return;
        }
        value = dupControlText(page, IDC_GROUPS_NEW_NAME);
        if (refuseBlankField(page, IDC_GROUPS_NEW_NAME, WORD_NEW_GROUP_NAME, value)) {
            freeText(value);
            return;
        }
    }
    CommandText command;
    buildGroupChangeCommand(command, kind, selectedGroup, value);
    if (holdsLineBreak(command.text())) {
        // Nothing would reach the server, so the list must not change either.
        freeText(value);
        return;
    }
    if (kind == GROUP_CHANGE_INFO) {
        setGroupInfo(siteDirectory.groupList, selectedGroup, value);
    } else if (kind == GROUP_RENAME) {
        renameGroup(siteDirectory.groupList, selectedGroup, value);
    }
    HostRequest request{};
    const bool isDelete = kind == GROUP_DELETE;
    const std::int32_t result = sendCommand(request, command, isDelete);
    if (isDelete) {
        if (result != 0 && groupDeleteAccepted(firstReplyText(request))) {
            removePair(siteDirectory.groupList, selectedGroup);
        }
        releaseReply(request);
    }
    freeText(value);
    setGroupChangeControls(page, false);
    fillGroupList(page, false);
}

void saveGroupsPage(HWND page) {
    clearText(savedGroupName);
    clearText(savedGroupInfo);
    clearText(selectedGroup);
    savedGroupName = dupControlText(page, IDC_GROUPS_ADD_NAME);
    savedGroupInfo = dupControlText(page, IDC_GROUPS_ADD_INFO);
}

void onCommand(HWND page, int id) {
    switch (id) {
    case IDC_GROUPS_ADD:
        addGroup(page);
        break;
    case IDC_GROUPS_CHANGE_INFO:
        changeGroup(page, GROUP_CHANGE_INFO);
        break;
    case IDC_GROUPS_RENAME:
        changeGroup(page, GROUP_RENAME);
        break;
    case IDC_GROUPS_DELETE:
        changeGroup(page, GROUP_DELETE);
        break;
    default:
        break;
    }
}

}  // namespace

void releaseGroupsPage() {
    clearText(savedGroupName);
    clearText(savedGroupInfo);
    clearText(selectedGroup);
}

INT_PTR CALLBACK groupsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        setGroupChangeControls(page, false);
        fillGroupList(page, true);
        return TRUE;
    case WM_DESTROY:
        saveGroupsPage(page);
        return FALSE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header != nullptr && header->hwndFrom == groupListView(page) &&
            header->code == LVN_ITEMCHANGED) {
            selectGroupRow(page, reinterpret_cast<const NMLISTVIEW*>(lParam)->iItem);
        }
        return FALSE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == 0) {
            onCommand(page, LOWORD(wParam));
        }
        return FALSE;
    case WM_PAGE_FOCUS:
        SetFocus(groupListView(page));
        return FALSE;
    default:
        return FALSE;
    }
}
