#include <windows.h>

#include "host/sites/password_file.h"
#include "host/sites/wide_text_win32.h"

namespace sites {

bool readPasswordFile(const std::string& path, std::string& password, std::string& why) {
    const HANDLE file = CreateFileW(wide_text::toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        why = "cannot read the password file " + path;
        return false;
    }
    // One byte past the bound tells a file that is too long.
    char buffer[maxPasswordFileBytes + 1] = {};
    DWORD read = 0;
    const bool readAll = ReadFile(file, buffer, sizeof buffer, &read, nullptr) != 0;
    CloseHandle(file);
    std::string bytes(buffer, readAll ? read : 0);
    SecureZeroMemory(buffer, sizeof buffer);
    std::string problem;
    const bool taken = readAll && passwordFromFile(bytes, password, problem);
    SecureZeroMemory(&bytes[0], bytes.size());
    if (!taken) {
        why = readAll ? "the password file " + path + " " + problem : "cannot read the password file " + path;
    }
    return taken;
}

}  // namespace sites
