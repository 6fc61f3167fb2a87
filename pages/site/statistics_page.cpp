#include <windows.h>

#include "plugin/page_host.h"
#include "plugin/page_registry.h"
#include "resources/resource_ids.h"

INT_PTR CALLBACK statisticsPageProc(HWND page, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_PAGE_FOCUS:
        SetFocus(GetDlgItem(page, IDC_STATS_WEEK_UL));
        return FALSE;
    default:
        return FALSE;
    }
}
