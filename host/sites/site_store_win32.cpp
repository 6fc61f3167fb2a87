#include "host/sites/site_store_win32.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <cstdio>

namespace sites {

namespace {

const wchar_t passwordDescription[] = L"Quorin reference host site password";
// Thousands of sites; anything larger is not a file the host wrote.
const LONGLONG largestFile = 1024 * 1024;

std::string errorText(const std::string& what, unsigned long code) {
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        code, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.' ||
                                message.back() == ' ')) {
        message.pop_back();
    }
    char number[32];
    std::snprintf(number, sizeof number, "0x%08lX", code);
    return what + ": " + (message.empty() ? std::string("error") : message) + " (" + number + ")";
}

bool writeFile(HANDLE handle, const std::string& text) {
    DWORD written = 0;
    if (!WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        return false;
    }
    if (written != text.size()) {
        SetLastError(ERROR_HANDLE_DISK_FULL);
        return false;
    }
    return FlushFileBuffers(handle) != 0;
}

}  // namespace

std::string defaultSitesPath(std::string& why) {
    PWSTR folder = nullptr;
    const HRESULT result = SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder);
    const std::wstring wide = SUCCEEDED(result) ? std::wstring(folder) + L"\\Quorin reference host\\sites.ini" : L"";
    CoTaskMemFree(folder);
    if (FAILED(result)) {
        why = errorText("Cannot find the Roaming AppData folder", static_cast<unsigned long>(result));
        return "";
    }
    char path[MAX_PATH * 2] = {};
    BOOL lossy = FALSE;
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, path, sizeof path, nullptr, &lossy) <= 0 ||
        lossy) {
        why = "The Roaming AppData folder's name cannot be written in this system's code page";
        return "";
    }
    return path;
}

bool SiteStore::load(std::string& failure) {
    loaded = true;
    isDamaged = false;
    saved = SavedSites();
    const HANDLE handle =
        CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return true;
        }
        isDamaged = true;
        failure = errorText("Cannot read " + file, code);
        return false;
    }
    LARGE_INTEGER size{};
    std::string text;
    DWORD read = 0;
    DWORD code = ERROR_SUCCESS;
    if (!GetFileSizeEx(handle, &size)) {
        code = GetLastError();
    } else if (size.QuadPart > largestFile) {
        code = ERROR_FILE_TOO_LARGE;
    } else {
        text.resize(static_cast<std::size_t>(size.QuadPart));
        if (!ReadFile(handle, &text[0], static_cast<DWORD>(text.size()), &read, nullptr)) {
            code = GetLastError();
        }
    }
    CloseHandle(handle);
    if (code != ERROR_SUCCESS) {
        isDamaged = true;
        failure = errorText("Cannot read " + file, code);
        return false;
    }
    text.resize(read);
    const std::vector<SitesDamage> damage = parseSites(text, saved);
    if (!damage.empty()) {
        isDamaged = true;
        failure = file + " is damaged:\n" + damageText(damage);
        return false;
    }
    return true;
}

bool SiteStore::save(bool overwriteDamaged, std::string& failure) {
    if (!loaded) {
        failure = "The sites in " + file + " were not read yet; saving now would lose them";
        return false;
    }
    if (isDamaged && !overwriteDamaged) {
        failure = file + " is damaged or unreadable; it is left as it is";
        return false;
    }
    const std::size_t slash = file.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0) {
        CreateDirectoryA(file.substr(0, slash).c_str(), nullptr);  // fails harmlessly when it exists
    }

    const std::string fresh = file + ".new";
    const HANDLE handle =
        CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        failure = errorText("Cannot write " + fresh, GetLastError());
        return false;
    }
    const bool written = writeFile(handle, formatSites(saved));
    const DWORD code = GetLastError();
    CloseHandle(handle);
    if (!written) {
        DeleteFileA(fresh.c_str());
        failure = errorText("Cannot write " + fresh, code);
        return false;
    }
    if (beforeReplace && !beforeReplace()) {
        DeleteFileA(fresh.c_str());
        failure = "Saving " + file + " stopped before the file was replaced";
        return false;
    }
    if (!MoveFileExA(fresh.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD moveCode = GetLastError();
        DeleteFileA(fresh.c_str());
        failure = errorText("Cannot replace " + file, moveCode);
        return false;
    }
    isDamaged = false;
    return true;
}

std::string protectPassword(const std::string& password) {
    DATA_BLOB plain{static_cast<DWORD>(password.size()),
                    reinterpret_cast<BYTE*>(const_cast<char*>(password.data()))};
    DATA_BLOB blob{};
    if (!CryptProtectData(&plain, passwordDescription, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &blob)) {
        return "";
    }
    const std::string hex = bytesToHex(std::string(reinterpret_cast<const char*>(blob.pbData), blob.cbData));
    LocalFree(blob.pbData);
    return hex;
}

bool unprotectPassword(const std::string& protectedHex, std::string& password) {
    std::string bytes;
    if (protectedHex.empty() || !hexToBytes(protectedHex, bytes)) {
        return false;
    }
    DATA_BLOB blob{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(&bytes[0])};
    DATA_BLOB plain{};
    if (!CryptUnprotectData(&blob, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &plain)) {
        return false;
    }
    SecureZeroMemory(password.data(), password.size());
    password.assign(reinterpret_cast<const char*>(plain.pbData), plain.cbData);
    SecureZeroMemory(plain.pbData, plain.cbData);
    LocalFree(plain.pbData);
    return true;
}

}  // namespace sites
