#include "host/window/transcript_pane_win32.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace transcript_pane {

namespace {

HWND pane = nullptr;
std::string filePath;
std::FILE* file = nullptr;
std::string pending;
bool holding = false;

// Cuts `text` to at most `limit` characters from its end, at a line start.
void keepNewest(std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return;
    }
    const std::size_t cut = text.find('\n', text.size() - limit);
    text.erase(0, cut == std::string::npos ? text.size() - limit : cut + 1);
}

// Drops the oldest half of the pane, up to a line end.
void dropOldestHalf(int shown) {
    std::vector<char> text(static_cast<std::size_t>(shown) + 1, '\0');
    GetWindowTextA(pane, text.data(), shown + 1);
    const char* half = std::strchr(text.data() + shown / 2, '\n');
    const int drop = half == nullptr ? shown : static_cast<int>(half - text.data()) + 1;
    SendMessageA(pane, EM_SETSEL, 0, static_cast<LPARAM>(drop));
    SendMessageA(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
}

void appendFile(const std::string& line) {
    if (filePath.empty()) {
        return;
    }
    if (file == nullptr) {
        file = std::fopen(filePath.c_str(), "ab");
        if (file == nullptr) {
            return;
        }
    }
    const std::time_t now = std::time(nullptr);
    char stamp[32] = "";
    const std::tm* local = std::localtime(&now);
    if (local != nullptr) {
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
    }
    std::fprintf(file, "%s %s\n", stamp, line.c_str());
}

}  // namespace

void attach(HWND edit) {
    pane = edit;
    SendMessageA(pane, EM_SETLIMITTEXT, 2 * paneLimitChars, 0);
}

void setFile(const std::string& path) {
    closeFile();
    filePath = path;
}

void append(const std::string& line) {
    appendFile(line);
    pending += line;
    pending += "\r\n";
    if (!holding) {
        flush();
    }
}

void hold() { holding = true; }

void release() {
    holding = false;
    flush();
}

void flush() {
    if (file != nullptr) {
        std::fflush(file);
    }
    if (pending.empty() || pane == nullptr) {
        return;
    }
    keepNewest(pending, paneLimitChars / 2);
    const int shown = GetWindowTextLengthA(pane);
    if (shown + static_cast<int>(pending.size()) > paneLimitChars) {
        dropOldestHalf(shown);
    }
    const int end = GetWindowTextLengthA(pane);
    SendMessageA(pane, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
    SendMessageA(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(pending.c_str()));
    pending.clear();
}

void scrollToEnd() {
    const int end = GetWindowTextLengthA(pane);
    SendMessageA(pane, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
    SendMessageA(pane, EM_SCROLLCARET, 0, 0);
}

void closeFile() {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
}

}  // namespace transcript_pane
