#pragma once
// Every page's dialog procedure and every page-state release operation.
#include <windows.h>

INT_PTR CALLBACK addUserPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK editUserPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK statisticsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK userCommandsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK siteCommandsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK groupsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK onlineUsersPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

void releaseAddUserPage();
void releaseUserCommandsPage();
void resetSiteCommandsState();
void releaseGroupsPage();
