#pragma once
// Putting name lists into list boxes and combo boxes.
#include <windows.h>

#include "common/text_utils.h"

void fillNameControl(HWND control, const NameList* names, bool asCombo);
void fillNameControl(HWND control, const NamePairList* pairs, bool asCombo);

// Fill from the site directory, loading it first when needed.
void fillGroupControl(HWND control, bool wantPrivate, bool asCombo);
void fillUserControl(HWND combo);
