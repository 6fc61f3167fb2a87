#pragma once
// The dialog procedures of the four administration pages, one file each;
// createAdminPage gives each its template and the context.
#include <windows.h>

DLGPROC groupsAdminPageProcedure();
DLGPROC accountsAdminPageProcedure();
DLGPROC bulkChangeAdminPageProcedure();
DLGPROC ownCommandsAdminPageProcedure();
