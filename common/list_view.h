#pragma once
// The two-column list views of the Groups and Online users pages.
#include <windows.h>

#include <cstdint>

#include "common/text_utils.h"

// Columns, full-row selection and grid lines, once per page creation.
void setUpTwoColumnList(HWND list, const char* firstTitle, int firstWidth, const char* secondTitle,
                        int secondWidth);
// Adds a row; the list view's own sorting places it.
void addTwoColumnRow(HWND list, char* first, char* second);
// Adds a row for every pair (name, info), drawing the list once at the end.
void addTwoColumnRows(HWND list, const NamePairList* rows);
bool listViewHasRow(HWND list, int row);
// Owned copy of one cell, read through a buffer of longestText + 1 bytes: the
// longest text the page ever put into the list, so nothing is cut or overrun.
char* dupListViewCell(HWND list, int row, int column, std::int32_t longestText);
