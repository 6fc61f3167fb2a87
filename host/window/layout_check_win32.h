#pragma once
// Checks a window's layout as it is on the screen, at whatever DPI: what
// an operator would find clipped, cut or covered.
#include <windows.h>

#include <string>
#include <vector>

namespace layout_check {

// What is wrong with the visible child windows of `parent`: one that leaves
// the parent's client area, two that overlap (a group box holds the controls
// inside its frame, below its caption), text wider or taller than its control
// in the control's font (the rows of a list box, a static's wrapped lines, a
// button's caption beside its box or inside its edges, an edit's text), each
// named by its class and text. Empty when nothing is.
std::vector<std::string> problemsOf(HWND parent);

}  // namespace layout_check
