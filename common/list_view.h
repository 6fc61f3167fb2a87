#pragma once
// The two-column list views of the Groups and Online users pages.
#include <windows.h>

#include <cstdint>

// Columns, full-row selection and grid lines, once per page creation.
void setUpTwoColumnList(HWND list, const char* firstTitle, int firstWidth, const char* secondTitle,
                        int secondWidth);
// Adds a row; the list view's own sorting places it.
void addTwoColumnRow(HWND list, char* first, char* second);
bool listViewHasRow(HWND list, int row);
// Owned copy of one cell, read through a buffer of longestText + 1 bytes: the
// longest text the page ever put into the list, so nothing is cut or overrun.
char* dupListViewCell(HWND list, int row, int column, std::int32_t longestText);
