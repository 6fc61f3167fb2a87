#pragma once
// The host's own administration pages inside the host window: made on first
// use in the page area, shown in place of the plug-in's page, sending
// through the host session as the host's nuke does.
#include <windows.h>

#include <functional>
#include <string>

#include "host/admin/admin_pages_win32.h"

namespace host_admin {

// Hides the plug-in's page and shows the host page (made on first use).
void showPage(AdminPage page);
// Hides the host pages (the plug-in's page is shown again by the caller).
void hidePages();
// The host page shown now, or null.
HWND shownPage();
// Which host page is shown; 0 when none.
int shownPageNumber();
// Another site is served: the pages go (their lists were the old site's).
void destroyPages();

// Questions and refusals go to `answer` instead of a message box while it is
// set (the tour answers them itself).
void answerQuestionsWith(std::function<int(const std::string& text, const std::string& title, UINT type)> answer);

}  // namespace host_admin
