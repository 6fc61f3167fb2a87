#include "host/admin/admin_pages_win32.h"

#include "host/admin/admin_page_procedures_win32.h"
#include "host/history/history_page_win32.h"
#include "host/glance/glance_pages_win32.h"
#include "host/resources/host_resources.h"

namespace {

// The module that holds the templates: the one this code is linked into
// (the host, or a test program with the host's resources).
HINSTANCE templateModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&templateModule), &module);
    return module;
}

}  // namespace

HWND createAdminPage(AdminPage page, HWND parent, AdminContext& context) {
    int templateId = 0;
    DLGPROC procedure = nullptr;
    switch (page) {
    case AdminPage::Groups:
        templateId = IDD_ADMIN_GROUPS_PAGE;
        procedure = groupsAdminPageProcedure();
        break;
    case AdminPage::Accounts:
        templateId = IDD_ADMIN_ACCOUNTS_PAGE;
        procedure = accountsAdminPageProcedure();
        break;
    case AdminPage::BulkChange:
        templateId = IDD_ADMIN_BULK_PAGE;
        procedure = bulkChangeAdminPageProcedure();
        break;
    case AdminPage::OwnCommands:
        templateId = IDD_ADMIN_OWN_COMMANDS_PAGE;
        procedure = ownCommandsAdminPageProcedure();
        break;
    case AdminPage::OnlineNow:
        templateId = IDD_GLANCE_ONLINE_PAGE;
        procedure = onlineNowPageProcedure();
        break;
    case AdminPage::TopLists:
        templateId = IDD_GLANCE_TOP_PAGE;
        procedure = topListsPageProcedure();
        break;
    case AdminPage::History:
        templateId = IDD_HISTORY_PAGE;
        procedure = history::historyPageProcedure();
        break;
    }
    if (procedure == nullptr) {
        return nullptr;
    }
    // Unicode: the pages show server and operator text as it is.
    return CreateDialogParamW(templateModule(), MAKEINTRESOURCEW(templateId), parent, procedure,
                              reinterpret_cast<LPARAM>(&context));
}
