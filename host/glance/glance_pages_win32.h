#pragma once
// The Online now and Top lists pages (host/glance), made by createAdminPage.
#include <windows.h>

#include <string>

DLGPROC onlineNowPageProcedure();
DLGPROC topListsPageProcedure();

// The Top lists page's chart, the whole of it, as a PNG file; false with the
// reason in `error`.
bool saveTopListsChart(HWND page, const std::string& path, std::string& error);
