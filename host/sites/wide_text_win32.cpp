#include "host/sites/wide_text_win32.h"

#include <vector>

namespace wide_text {

bool toWide(const std::string& utf8, std::wstring& wide) {
    wide.clear();
    if (utf8.empty()) {
        return true;
    }
    if (utf8.size() > 0x7FFFFFFF) {
        return false;
    }
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (length <= 0) {
        return false;
    }
    wide.resize(static_cast<std::size_t>(length));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, &wide[0], length) == length;
}

std::wstring toWide(const std::string& utf8) {
    std::wstring wide;
    if (toWide(utf8, wide) || utf8.size() > 0x7FFFFFFF) {
        return wide;
    }
    // A system message in the code page, shown as it is.
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, utf8.data(), size, nullptr, 0);
    if (length > 0) {
        wide.resize(static_cast<std::size_t>(length));
        MultiByteToWideChar(CP_ACP, 0, utf8.data(), size, &wide[0], length);
    }
    return wide;
}

bool toUtf8(const std::wstring& wide, std::string& utf8) {
    utf8.clear();
    if (wide.empty()) {
        return true;
    }
    if (wide.size() > 0x7FFFFFFF) {
        return false;
    }
    const int size = static_cast<int>(wide.size());
    // WC_ERR_INVALID_CHARS: a lone surrogate fails instead of becoming U+FFFD.
    const int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, nullptr, 0, nullptr,
                                           nullptr);
    if (length <= 0) {
        return false;
    }
    utf8.resize(static_cast<std::size_t>(length));
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, &utf8[0], length, nullptr,
                               nullptr) == length;
}

bool windowText(HWND window, std::string& utf8) {
    const int length = GetWindowTextLengthW(window);
    std::vector<wchar_t> text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int read = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    const bool converted = toUtf8(std::wstring(text.data(), static_cast<std::size_t>(read > 0 ? read : 0)), utf8);
    SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));  // it may be a password
    return converted;
}

void setWindowText(HWND window, const std::string& utf8) { SetWindowTextW(window, toWide(utf8).c_str()); }

int messageBox(HWND owner, const std::string& text, const std::string& title, UINT type) {
    return MessageBoxW(owner, toWide(text).c_str(), toWide(title).c_str(), type);
}

}  // namespace wide_text
