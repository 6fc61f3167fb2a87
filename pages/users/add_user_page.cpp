#include <windows.h>

#include "plugin/page_host.h"
#include "plugin/page_registry.h"
#include "resources/resource_ids.h"

void releaseAddUserPage() {}

INT_PTR CALLBACK addUserPageProc(HWND page, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_PAGE_FOCUS:
        SetFocus(GetDlgItem(page, IDC_ADDUSER_USERNAME));
        return FALSE;
    default:
        return FALSE;
    }
}
