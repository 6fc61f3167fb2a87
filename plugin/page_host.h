#pragma once
// The page host: the exported entry points and the conventions every page
// follows (the focus message, the module handle, the page-state release).
#include <windows.h>

#include <cstdint>

#include "plugin/host_channel.h"

// Sent by the host to a page so that it focuses its main control.
constexpr UINT WM_PAGE_FOCUS = WM_USER + 200;

enum PageId : std::int32_t {
    PAGE_ADD_USER = 1,
    PAGE_EDIT_USER = 2,
    PAGE_STATISTICS = 3,
    PAGE_USER_COMMANDS = 4,
    PAGE_SITE_COMMANDS = 5,
    PAGE_GROUPS = 6,
    PAGE_ONLINE_USERS = 7,
};

extern "C" {
HWND HOST_CDECL InitDialog(std::int32_t pageId, HWND parent, HostCallback callback);
std::int32_t HOST_CDECL DialogNuke(HWND parent, std::int32_t isNuke, char* directory,
                                   char* reasonOut);
}

HINSTANCE pluginModule();

// Registers the list-view and up-down classes the templates name, in case the
// host did not.
void ensureCommonControls();

// Called with the number of blocks still held right after the last detach has
// cleaned up; only the test twin of the library sets one.
typedef void(HOST_CDECL* UnloadReport)(std::int32_t liveBlocks);
void setUnloadReport(UnloadReport report);

// Process attach and the last process detach.
void onProcessAttach(HINSTANCE module);
void onProcessDetach();
