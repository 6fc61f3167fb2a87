#include "host/window/transcript_pane_win32.h"

#include <cstdio>
#include <ctime>
#include <deque>
#include <vector>

namespace transcript_pane {

namespace {

HWND pane = nullptr;
std::string filePath;
std::FILE* file = nullptr;
// Lines not in the pane yet, the newest burstLines of them; how many older
// ones went meanwhile.
std::deque<std::string> pending;
std::size_t pendingBytes = 0;
std::size_t pendingLeftOut = 0;
bool holding = false;

// Drops the oldest half of the pane, up to a line end.
void dropOldestHalf(int shown) {
    std::vector<wchar_t> text(static_cast<std::size_t>(shown) + 1, L'\0');
    GetWindowTextW(pane, text.data(), shown + 1);
    int drop = shown;
    for (int at = shown / 2; at < shown; ++at) {
        if (text[static_cast<std::size_t>(at)] == L'\n') {
            drop = at + 1;
            break;
        }
    }
    SendMessageW(pane, EM_SETSEL, 0, static_cast<LPARAM>(drop));
    SendMessageW(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
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

// Appends UTF-8 `line` as UTF-16 (a byte that is not UTF-8 shows as U+FFFD;
// the session writes such bytes out before they get here).
void appendWide(std::wstring& text, const std::string& line) {
    if (line.empty() || line.size() > 0x7fffffff) {
        return;
    }
    const int size = static_cast<int>(line.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, line.data(), size, nullptr, 0);
    if (length <= 0) {
        return;
    }
    const std::size_t had = text.size();
    text.resize(had + static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_UTF8, 0, line.data(), size, &text[had], length);
}

std::string countText(std::size_t count) {
    std::string digits = std::to_string(count);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, ",");
    }
    return digits;
}

}  // namespace

void attach(HWND edit) {
    pane = edit;
    SendMessageW(pane, EM_SETLIMITTEXT, 2 * paneLimitChars, 0);
}

void setFile(const std::string& path) {
    closeFile();
    filePath = path;
}

void append(const std::string& line) {
    appendFile(line);
    pending.push_back(line);
    pendingBytes += line.size();
    while (pending.size() > 1 && (pending.size() > burstLines || pendingBytes > static_cast<std::size_t>(paneLimitChars / 2))) {
        pendingBytes -= pending.front().size();
        pending.pop_front();
        ++pendingLeftOut;
    }
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
    // Every line through UTF-16: the server's text in its own script.
    std::wstring text;
    if (pendingLeftOut > 0) {
        appendWide(text, "   (" + countText(pendingLeftOut) + " lines before these are not shown here: the pane "
                         "takes the newest " + countText(burstLines) + " of a burst; --transcript FILE keeps every line)\r\n");
    }
    for (const std::string& line : pending) {
        appendWide(text, line);
        text += L"\r\n";
    }
    pending.clear();
    pendingBytes = 0;
    pendingLeftOut = 0;
    const int shown = GetWindowTextLengthW(pane);
    if (shown + static_cast<int>(text.size()) > paneLimitChars) {
        dropOldestHalf(shown);
    }
    const int end = GetWindowTextLengthW(pane);
    SendMessageW(pane, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
    SendMessageW(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void scrollToEnd() {
    const int end = GetWindowTextLengthW(pane);
    SendMessageW(pane, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
    SendMessageW(pane, EM_SCROLLCARET, 0, 0);
}

void closeFile() {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
}

}  // namespace transcript_pane
