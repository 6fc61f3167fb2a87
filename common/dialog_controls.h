#pragma once
// Small helpers the pages share for reading and writing their controls.
#include <windows.h>

#include <cstdint>

#include "common/word_field.h"

// Owned heap copy of a control's whole text (empty, never null).
char* dupControlText(HWND page, int controlId);
// Sets a control's text; a null text empties it.
void setControlText(HWND page, int controlId, const char* text);
bool controlTextIsEmpty(HWND page, int controlId);

// Owned heap copy of a combo box item's text, or null when there is no such item.
char* dupComboItemText(HWND page, int comboId, int index);
int comboSelection(HWND page, int comboId);
// Owned heap copy of the selected item's text, or null when nothing is selected.
char* dupComboSelectionText(HWND page, int comboId);

// The operator-error box: the page's text, "Parameter error", error icon, OK.
void showParameterError(HWND page, const char* text);

// Refuses a text that cannot go out as one word (wordFieldError): the
// operator-error box naming the field, then the focus on its control. True
// when refused; the caller then sends nothing.
bool refuseBlankField(HWND page, int controlId, WordField field, const char* text);
