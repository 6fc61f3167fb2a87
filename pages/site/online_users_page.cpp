#include <windows.h>

#include "plugin/page_host.h"
#include "plugin/page_registry.h"
#include "resources/resource_ids.h"
#include "pages/site/online_users_state.h"

void clearOnlineList() {}

INT_PTR CALLBACK onlineUsersPageProc(HWND page, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_PAGE_FOCUS:
        SetFocus(GetDlgItem(page, IDC_ONLINE_LIST));
        return FALSE;
    default:
        return FALSE;
    }
}
