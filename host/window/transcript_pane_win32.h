#pragma once
// The transcript pane: every line of the session as an FTP client's log
// window shows it, and the operator's --transcript file with a time stamp on
// every line.
#include <windows.h>

#include <cstddef>
#include <string>

namespace transcript_pane {

// The pane shows the newest text, at most this many characters: past it the
// oldest lines go, so a site that talks without end neither freezes the pane
// at the edit control's limit nor grows the host's memory.
constexpr int paneLimitChars = 4 * 1024 * 1024;
// Of the lines that gather while the pane is held (a listing of 50,000
// accounts), the pane takes the newest this many, after a line that says how
// many went before them: an edit control lays out every line it takes (Wine's
// about 0.1 ms a line), which for a whole listing would cost seconds. The
// session's record and the --transcript file keep every line.
constexpr std::size_t burstLines = 200;

// `edit` is a Unicode edit control (CreateWindowExW): the lines, UTF-8, go
// in as UTF-16, so the server's text shows in its own script.
void attach(HWND edit);
// Appends to FILE from now on (empty: no file).
void setFile(const std::string& path);
void append(const std::string& line);
// While held, lines gather and go into the pane at once when released (a
// listing of thousands of lines, line by line, would take minutes in an edit
// control; see burstLines); flush() puts them in before that.
void hold();
void release();
void flush();
void scrollToEnd();
void closeFile();

}  // namespace transcript_pane
