#include "host/sites/site_store_win32.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <cstdio>

#include "host/sites/wide_text_win32.h"

namespace sites {

namespace {

const wchar_t passwordDescription[] = L"Quorin reference host site password";

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

std::wstring widePath(const std::string& path) { return wide_text::toWide(path); }

// The lock file held open with no sharing: another process's open fails
// until it is closed. Held only while one change is read, applied and
// written, never while the operator is asked anything.
class FileLock {
public:
    FileLock(const std::string& path, int waitMs) {
        const std::wstring wide = widePath(path);
        for (int waited = 0;; waited += 20) {
            handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
            code = GetLastError();
            const bool busy = code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED ||
                              code == ERROR_LOCK_VIOLATION;
            if (handle != INVALID_HANDLE_VALUE || !busy || waited >= waitMs) {
                return;
            }
            Sleep(20);
        }
    }
    ~FileLock() {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return handle != INVALID_HANDLE_VALUE; }
    DWORD error() const { return code; }

private:
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD code = ERROR_SUCCESS;
};

DATA_BLOB entropyBlob(const std::string& entropy) {
    return DATA_BLOB{static_cast<DWORD>(entropy.size()), reinterpret_cast<BYTE*>(const_cast<char*>(entropy.data()))};
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
    std::string path;
    if (FAILED(result)) {
        why = errorText("Cannot find the Roaming AppData folder", static_cast<unsigned long>(result));
        return "";
    }
    if (!wide_text::toUtf8(wide, path)) {
        why = "The Roaming AppData folder's name is not Unicode text";
        return "";
    }
    return path;
}

bool SiteStore::load(std::string& failure) {
    isDamaged = false;
    saved = SavedSites();
    found.clear();
    foundRead = false;
    const HANDLE handle = CreateFileW(widePath(file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return true;
        }
        isDamaged = true;
        failure = errorText("Cannot read " + file, code);
        found = failure;
        return false;
    }
    LARGE_INTEGER size{};
    std::string text;
    DWORD read = 0;
    DWORD code = ERROR_SUCCESS;
    if (!GetFileSizeEx(handle, &size)) {
        code = GetLastError();
    } else if (size.QuadPart > static_cast<LONGLONG>(maxFileBytes)) {
        code = ERROR_FILE_TOO_LARGE;
    } else {
        text.resize(static_cast<std::size_t>(size.QuadPart));
        if (!text.empty() && !ReadFile(handle, &text[0], static_cast<DWORD>(text.size()), &read, nullptr)) {
            code = GetLastError();
        }
    }
    CloseHandle(handle);
    if (code != ERROR_SUCCESS) {
        isDamaged = true;
        failure = code == ERROR_FILE_TOO_LARGE
                      ? "Cannot read " + file + ": it is larger than " + std::to_string(maxFileBytes / 1024 / 1024) +
                            " MB, which no saved sites' file is"
                      : errorText("Cannot read " + file, code);
        found = failure + " (" + std::to_string(size.QuadPart) + " bytes)";
        return false;
    }
    text.resize(read);
    found = text;
    foundRead = true;
    const std::vector<SitesDamage> damage = parseSites(text, saved);
    if (!damage.empty()) {
        isDamaged = true;
        failure = file + " is damaged:\n" + damageText(damage);
        return false;
    }
    return true;
}

bool SiteStore::update(const Edit& edit, bool overwriteDamaged, std::string& failure) {
    const std::wstring wide = widePath(file);
    if (wide.empty()) {
        failure = "The saved sites' path is not UTF-8 text";
        return false;
    }
    const std::size_t slash = file.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0) {
        CreateDirectoryW(widePath(file.substr(0, slash)).c_str(), nullptr);  // fails harmlessly when it exists
    }
    const FileLock lock(file + ".lock", lockWaitMs);
    if (!lock.held()) {
        failure = lock.error() == ERROR_SHARING_VIOLATION
                      ? "Another host keeps " + file + " locked; nothing was changed. Try again in a moment."
                      : errorText("Cannot lock " + file + " (nothing was changed)", lock.error());
        return false;
    }
    changedSinceAsked = false;
    const bool askedDamaged = isDamaged;
    const std::string asked = found;
    const bool askedRead = foundRead;
    std::string readFailure;
    if (!load(readFailure) && !overwriteDamaged) {
        failure = readFailure + "\nThe file is left as it is.";
        return false;
    }
    if (isDamaged && (!askedDamaged || foundRead != askedRead || found != asked)) {
        changedSinceAsked = true;
        failure = readFailure +
                  "\nThe file changed since it was read for the question about replacing it, so it is left as it "
                  "is. Look at it again before replacing it.";
        return false;
    }
    SavedSites changed = saved;
    std::string why;
    if (!edit(changed, why)) {
        failure = why;
        return false;
    }
    if (!write(changed, failure)) {
        return false;
    }
    saved = changed;
    isDamaged = false;
    return true;
}

bool SiteStore::write(const SavedSites& sites, std::string& failure) {
    const std::string text = formatSites(sites);
    if (text.size() > maxFileBytes) {
        failure = "The saved sites would take more than " + std::to_string(maxFileBytes / 1024 / 1024) +
                  " MB, more than the host reads back; nothing was changed.";
        return false;
    }
    const std::string fresh = file + ".new";
    const std::wstring wideFresh = widePath(fresh);
    const HANDLE handle =
        CreateFileW(wideFresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        failure = errorText("Cannot write " + fresh, GetLastError());
        return false;
    }
    const bool written = writeFile(handle, text);
    const DWORD code = GetLastError();
    CloseHandle(handle);
    if (!written) {
        DeleteFileW(wideFresh.c_str());
        failure = errorText("Cannot write " + fresh, code);
        return false;
    }
    if (beforeReplace && !beforeReplace()) {
        DeleteFileW(wideFresh.c_str());
        failure = "Saving " + file + " stopped before the file was replaced";
        return false;
    }
    if (!MoveFileExW(wideFresh.c_str(), widePath(file).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD moveCode = GetLastError();
        DeleteFileW(wideFresh.c_str());
        failure = errorText("Cannot replace " + file, moveCode);
        return false;
    }
    return true;
}

std::string protectPassword(const std::string& password, const SiteKey& key) {
    DATA_BLOB plain{static_cast<DWORD>(password.size()),
                    reinterpret_cast<BYTE*>(const_cast<char*>(password.data()))};
    const std::string entropy = passwordEntropy(key);
    DATA_BLOB salt = entropyBlob(entropy);
    DATA_BLOB blob{};
    if (!CryptProtectData(&plain, passwordDescription, &salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &blob)) {
        return "";
    }
    const std::string hex = bytesToHex(std::string(reinterpret_cast<const char*>(blob.pbData), blob.cbData));
    LocalFree(blob.pbData);
    return hex;
}

bool pinSite(SavedSites& sites, const std::string& name, const SiteKey& key, const std::string& fingerprint,
             std::string& why) {
    const SavedSite* bound = sites.bind(name, key);
    std::string password;
    std::string protectedHex;
    if (bound != nullptr && unprotectPassword(bound->protectedPassword, key, password)) {
        SiteKey pinned = key;
        pinned.fingerprint = fingerprint;
        protectedHex = protectPassword(password, pinned);
        SecureZeroMemory(&password[0], password.size());
    }
    return sites.pin(name, key, fingerprint, protectedHex, why);
}

bool unprotectPassword(const std::string& protectedHex, const SiteKey& key, std::string& password) {
    std::string bytes;
    if (protectedHex.empty() || !hexToBytes(protectedHex, bytes)) {
        return false;
    }
    DATA_BLOB blob{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(&bytes[0])};
    const std::string entropy = passwordEntropy(key);
    DATA_BLOB salt = entropyBlob(entropy);
    DATA_BLOB plain{};
    if (!CryptUnprotectData(&blob, nullptr, &salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &plain)) {
        return false;
    }
    SecureZeroMemory(&password[0], password.size());
    password.assign(reinterpret_cast<const char*>(plain.pbData), plain.cbData);
    SecureZeroMemory(plain.pbData, plain.cbData);
    LocalFree(plain.pbData);
    return true;
}

}  // namespace sites
