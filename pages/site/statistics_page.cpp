#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "common/command_text.h"
#include "common/dialog_controls.h"
#include "common/number_text.h"
#include "common/text_utils.h"
#include "pages/site/site_command_text.h"
#include "plugin/host_channel.h"
#include "plugin/page_host.h"
#include "plugin/page_registry.h"
#include "resources/resource_ids.h"

namespace {

std::int32_t savedEntries = 10;

void saveEntries(HWND page) {
    char* entries = dupControlText(page, IDC_STATS_ENTRIES);
    savedEntries = decimalToInt32(entries);
    freeText(entries);
}

void showEntries(HWND page) {
    char entries[16];
    std::snprintf(entries, sizeof entries, "%d", static_cast<int>(savedEntries));
    setControlText(page, IDC_STATS_ENTRIES, entries);
}

void sendStatistics(HWND page, const char* keyword) {
    saveEntries(page);
    CommandText command;
    buildStatisticsCommand(command, keyword, savedEntries);
    sendCommandOnly(command);
}

}  // namespace

INT_PTR CALLBACK statisticsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        showEntries(page);
        return TRUE;
    case WM_DESTROY:
        saveEntries(page);
        return FALSE;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0) {
            const char* keyword = statisticsKeyword(LOWORD(wParam));
            if (keyword != nullptr) {
                sendStatistics(page, keyword);
            }
        }
        return FALSE;
    case WM_PAGE_FOCUS:
        SetFocus(GetDlgItem(page, IDC_STATS_WEEK_UL));
        return FALSE;
    default:
        return FALSE;
    }
}
