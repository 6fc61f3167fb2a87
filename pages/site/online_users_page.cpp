#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstring>

#include "common/command_text.h"
#include "common/list_view.h"
#include "common/number_text.h"
#include "common/text_utils.h"
#include "pages/site/online_listing.h"
#include "pages/site/online_users_state.h"
#include "plugin/host_channel.h"
#include "plugin/page_host.h"
#include "plugin/page_registry.h"
#include "resources/resource_ids.h"

namespace {

// Survives page switches: a page shown again shows the cached list.
NamePairList* onlineList = nullptr;
char* selectedUser = nullptr;
std::int32_t selectedPid = 0;
// Longest name or PID text ever put into the list; sizes the read-back buffers.
std::int32_t longestOnlineText = 0;

void fetchOnlineList() {
    fetchOnlineListing(onlineList);
}

void setOnlineControls(HWND page, bool enabled) {
    EnableWindow(GetDlgItem(page, IDC_ONLINE_KICK), enabled);
    EnableWindow(GetDlgItem(page, IDC_ONLINE_SHOW_USER), enabled);
    EnableWindow(GetDlgItem(page, IDC_ONLINE_USER_STATS), enabled);
    EnableWindow(GetDlgItem(page, IDC_ONLINE_KILL), enabled && selectedPid != 0);
}

std::int32_t textLength(const char* text) {
    const std::size_t length = std::strlen(text);
    return length > 0x7FFFFFFE ? 0x7FFFFFFE : static_cast<std::int32_t>(length);
}

void fillOnlineList(HWND page, bool firstTime) {
    HWND list = GetDlgItem(page, IDC_ONLINE_LIST);
    if (firstTime) {
        setUpTwoColumnList(list, "Name", 150, "PID", 60);
    } else {
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    }
    if (onlineList == nullptr) {
        fetchOnlineList();
    }
    // Grown before any row exists, so a notification raised while filling
    // already reads back with a buffer large enough.
    for (const NamePairList* entry = onlineList; entry != nullptr; entry = entry->next) {
        const std::int32_t nameLength = textLength(entry->name);
        const std::int32_t pidLength = textLength(entry->info);
        if (nameLength > longestOnlineText) {
            longestOnlineText = nameLength;
        }
        if (pidLength > longestOnlineText) {
            longestOnlineText = pidLength;
        }
    }
    addTwoColumnRows(list, onlineList);
}

void selectOnlineRow(HWND page, HWND list, int row) {
    // A notification naming no row (-1 for "every item") carries no text to
    // read: the selection stays as it was.
    if (!listViewHasRow(list, row)) {
        return;
    }
    freeText(selectedUser);
    selectedUser = dupListViewCell(list, row, 0, longestOnlineText);
    char* pid = dupListViewCell(list, row, 1, longestOnlineText);
    selectedPid = decimalToInt32(pid);
    freeText(pid);
    setOnlineControls(page, true);
}

void refetchOnlineList(HWND page) {
    clearOnlineList();
    setOnlineControls(page, false);
    fillOnlineList(page, false);
}

// Sends "SITE <keyword><argument>"; true when the host reports it as sent.
bool sendOnlineCommand(const char* keyword, const char* argument) {
    CommandText command("SITE ");
    command.append(keyword);
    command.append(argument);
    HostRequest request{};
    return sendCommand(request, command, false) != 0;
}

bool hasSelectedUser() {
    return selectedUser != nullptr && selectedUser[0] != '\0';
}

void onOnlineCommand(HWND page, int id) {
    switch (id) {
    case IDC_ONLINE_KICK:
        if (hasSelectedUser() && sendOnlineCommand("KICK ", selectedUser)) {
            refetchOnlineList(page);
        }
        break;
    case IDC_ONLINE_KILL:
        if (selectedPid != 0) {
            CommandText command("SITE ");
            command.append("KILL ");
            command.appendNumber(selectedPid);
            HostRequest request{};
            if (sendCommand(request, command, false) != 0) {
                refetchOnlineList(page);
            }
        }
        break;
    case IDC_ONLINE_SHOW_USER:
        if (hasSelectedUser()) {
            sendOnlineCommand("USER ", selectedUser);
        }
        break;
    case IDC_ONLINE_USER_STATS:
        if (hasSelectedUser()) {
            sendOnlineCommand("STATS ", selectedUser);
        }
        break;
    case IDC_ONLINE_UPDATE:
        refetchOnlineList(page);
        break;
    default:
        break;
    }
}

}  // namespace

void clearOnlineList() {
    clearText(selectedUser);
    freeNamePairList(onlineList);
    onlineList = nullptr;
    selectedPid = 0;
}

INT_PTR CALLBACK onlineUsersPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        setOnlineControls(page, false);
        fillOnlineList(page, true);
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        HWND list = GetDlgItem(page, IDC_ONLINE_LIST);
        if (header != nullptr && list != nullptr && header->hwndFrom == list &&
            header->code == LVN_ITEMCHANGED) {
            selectOnlineRow(page, list, reinterpret_cast<const NMLISTVIEW*>(lParam)->iItem);
        }
        return FALSE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == 0) {
            onOnlineCommand(page, LOWORD(wParam));
        }
        return FALSE;
    case WM_PAGE_FOCUS:
        SetFocus(GetDlgItem(page, IDC_ONLINE_LIST));
        return FALSE;
    default:
        return FALSE;
    }
}
