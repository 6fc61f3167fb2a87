#include "host/window/console_output_win32.h"

#include <windows.h>

#include <cstdio>

#include "host/sites/wide_text_win32.h"

namespace console_output {

namespace {

bool leadsSomewhere(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// The console's own handle for what leads nowhere. The C runtime's streams
// cannot follow (a windowed program's stdout has no descriptor that freopen
// could reopen), so every answer goes through write() below.
void bindToConsole(DWORD which) {
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
        SetStdHandle(which, console);
    }
}

void write(DWORD which, std::FILE* stream, const std::string& text) {
    std::fflush(stream);
    HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (leadsSomewhere(handle) && GetConsoleMode(handle, &mode)) {
        // In one piece and as UTF-16: a console shows a name in any script
        // that way, where its code page would turn it into question marks.
        const std::wstring wide = wide_text::toWide(text);
        DWORD written = 0;
        WriteConsoleW(handle, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

}  // namespace

void attachToStartingConsole() {
    const bool outputLeads = leadsSomewhere(GetStdHandle(STD_OUTPUT_HANDLE));
    const bool errorLeads = leadsSomewhere(GetStdHandle(STD_ERROR_HANDLE));
    if ((outputLeads && errorLeads) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    if (!outputLeads) {
        bindToConsole(STD_OUTPUT_HANDLE);
    }
    if (!errorLeads) {
        bindToConsole(STD_ERROR_HANDLE);
    }
}

bool canAnswer() { return leadsSomewhere(GetStdHandle(STD_ERROR_HANDLE)); }

void say(const std::string& text) { write(STD_OUTPUT_HANDLE, stdout, text + "\n"); }

void tell(const std::string& text, bool quiet) {
    if (canAnswer()) {
        write(STD_ERROR_HANDLE, stderr, "quorin_host: " + text + "\n");
    } else if (!quiet) {
        wide_text::messageBox(nullptr, text, "Quorin reference host", MB_ICONERROR | MB_OK);
    }
}

}  // namespace console_output
