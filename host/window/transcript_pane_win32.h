#pragma once
// The transcript pane: every line of the session as an FTP client's log
// window shows it, and the operator's --transcript file with a time stamp on
// every line.
#include <windows.h>

#include <string>

namespace transcript_pane {

// The pane shows the newest text, at most this many characters: past it the
// oldest lines go, so a site that talks without end neither freezes the pane
// at the edit control's limit nor grows the host's memory.
constexpr int paneLimitChars = 4 * 1024 * 1024;

void attach(HWND edit);
// Appends to FILE from now on (empty: no file).
void setFile(const std::string& path);
void append(const std::string& line);
// While held, lines gather and go into the pane at once when released (a
// listing of thousands of lines, line by line, would take minutes in an edit
// control); flush() puts them in before that.
void hold();
void release();
void flush();
void scrollToEnd();
void closeFile();

}  // namespace transcript_pane
