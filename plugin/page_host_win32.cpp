#include "plugin/page_host.h"

#include <commctrl.h>

#include <cstring>

#include "common/heap.h"
#include "common/site_directory.h"
#include "dialogs/release_dialog.h"
#include "pages/site/online_users_state.h"
#include "pages/users/pending_edit_user.h"
#include "pages/users/user_record.h"
#include "plugin/page_registry.h"
#include "resources/resource_ids.h"

namespace {

struct PageEntry {
    std::int32_t pageId;
    int templateId;
    DLGPROC procedure;
};

const PageEntry pageTable[] = {
    {PAGE_ADD_USER, IDD_ADD_USER_PAGE, addUserPageProc},
    {PAGE_EDIT_USER, IDD_EDIT_USER_PAGE, editUserPageProc},
    {PAGE_STATISTICS, IDD_STATISTICS_PAGE, statisticsPageProc},
    {PAGE_USER_COMMANDS, IDD_USER_COMMANDS_PAGE, userCommandsPageProc},
    {PAGE_SITE_COMMANDS, IDD_SITE_COMMANDS_PAGE, siteCommandsPageProc},
    {PAGE_GROUPS, IDD_GROUPS_PAGE, groupsPageProc},
    {PAGE_ONLINE_USERS, IDD_ONLINE_USERS_PAGE, onlineUsersPageProc},
};

std::int32_t loadCount = 0;
HINSTANCE moduleInstance = nullptr;
HWND currentPage = nullptr;
std::int32_t currentPageId = 0;
UnloadReport unloadReport = nullptr;

const PageEntry* findPage(std::int32_t pageId) {
    for (const PageEntry& entry : pageTable) {
        if (entry.pageId == pageId) {
            return &entry;
        }
    }
    return nullptr;
}

void releasePageStates() {
    releaseAddUserPage();
    clearUserRecord();
    releasePendingEditUser();
    releaseUserCommandsPage();
    resetSiteCommandsState();
    releaseGroupsPage();
    clearOnlineList();
    releaseNukeState();
    releaseUnnukeState();
}

}  // namespace

HINSTANCE pluginModule() {
    return moduleInstance;
}

void ensureCommonControls() {
    INITCOMMONCONTROLSEX classes;
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS;
    InitCommonControlsEx(&classes);
}

void onProcessAttach(HINSTANCE module) {
    ++loadCount;
    moduleInstance = module;
}

void onProcessDetach() {
    --loadCount;
    if (loadCount != 0) {
        return;
    }
    if (currentPage != nullptr && IsWindow(currentPage)) {
        DestroyWindow(currentPage);  // the page captures its state first
    }
    currentPage = nullptr;
    // Page states outlive their pages (a hidden page, the nuke dialog's
    // answers), so they are released whether or not a page is shown.
    releasePageStates();
    releaseSiteDirectory();
    if (unloadReport != nullptr) {
        unloadReport(liveHeapBlocks());
    }
}

void setUnloadReport(UnloadReport report) {
    unloadReport = report;
}

extern "C" HWND HOST_CDECL InitDialog(std::int32_t pageId, HWND parent, HostCallback callback) {
    storeHostCallback(callback);
    if (pageId == currentPageId) {
        return currentPage;
    }
    if (currentPage != nullptr && IsWindow(currentPage)) {
        DestroyWindow(currentPage);
    }
    currentPage = nullptr;
    const PageEntry* entry = findPage(pageId);
    if (entry == nullptr) {
        currentPageId = pageId;
        return nullptr;
    }
    ensureCommonControls();
    currentPage = CreateDialogParamA(moduleInstance, MAKEINTRESOURCEA(entry->templateId), parent,
                                     entry->procedure, 0);
    currentPageId = currentPage != nullptr ? pageId : -1;
    return currentPage;
}

extern "C" std::int32_t HOST_CDECL DialogNuke(HWND parent, std::int32_t isNuke, char* directory,
                                              char* reasonOut) {
    const bool nuke = isNuke != 0;
    if (nuke) {
        setNukeDirectory(directory);
    } else {
        setUnnukeDirectory(directory);
    }
    ensureCommonControls();
    const INT_PTR ended =
        DialogBoxParamA(moduleInstance, MAKEINTRESOURCEA(IDD_RELEASE_DIALOG), parent,
                        nuke ? nukeDialogProc : unnukeDialogProc, 0);
    // The host's buffer is only lent for the length of the call.
    if (nuke) {
        setNukeDirectory(nullptr);
    } else {
        setUnnukeDirectory(nullptr);
    }
    if (ended < 1) {
        return -1;
    }
    const char* reason = nuke ? keptNukeReason() : keptUnnukeReason();
    if (reasonOut != nullptr) {
        std::memset(reasonOut, 0, releaseReasonBufferSize);
        if (reason != nullptr) {
            std::strncpy(reasonOut, reason, releaseReasonBufferSize - 1);
        }
    }
    return nuke ? keptNukeMultiplier() : 0;
}
