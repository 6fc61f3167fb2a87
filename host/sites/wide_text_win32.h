#pragma once
// Texts between the host's UTF-8 and Windows' UTF-16: names, hosts, users
// and paths are kept as UTF-8 and handed to Windows as UTF-16, so that no
// character is ever turned into '?' on the way.
#include <windows.h>

#include <string>

namespace wide_text {

// Invalid UTF-8 gives an empty text and false.
bool toWide(const std::string& utf8, std::wstring& wide);
// For showing: text that is not UTF-8 (a system message) is read in the
// ANSI code page.
std::wstring toWide(const std::string& utf8);
// A lone surrogate gives an empty text and false.
bool toUtf8(const std::wstring& wide, std::string& utf8);

// A window's text as UTF-8; false when it holds a lone surrogate.
bool windowText(HWND window, std::string& utf8);
void setWindowText(HWND window, const std::string& utf8);
int messageBox(HWND owner, const std::string& text, const std::string& title, UINT type);

}  // namespace wide_text
