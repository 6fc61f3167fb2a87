#include "host/history/record_files_win32.h"

#include <windows.h>

#include <cstdio>

#include "host/sites/wide_text_win32.h"

namespace history {

namespace {

std::wstring wide(const std::string& path) { return wide_text::toWide(path); }

std::string errorText(const std::string& what, DWORD code) {
    char number[32];
    std::snprintf(number, sizeof number, " (error 0x%08lX)", static_cast<unsigned long>(code));
    return what + number;
}

// The records' lock: held open without sharing; another process's open
// fails until it is closed.
class RecordsLock {
public:
    RecordsLock(const std::string& path, int waitMs) {
        const std::wstring name = wide(path);
        for (int waited = 0;; waited += 10) {
            handle_ = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
            code_ = GetLastError();
            const bool busy = code_ == ERROR_SHARING_VIOLATION || code_ == ERROR_ACCESS_DENIED ||
                              code_ == ERROR_LOCK_VIOLATION;
            if (handle_ != INVALID_HANDLE_VALUE || !busy || waited >= waitMs) {
                return;
            }
            Sleep(10);
        }
    }
    ~RecordsLock() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    RecordsLock(const RecordsLock&) = delete;
    RecordsLock& operator=(const RecordsLock&) = delete;
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
    std::string why(const std::string& folder) const {
        return code_ == ERROR_SHARING_VIOLATION
                   ? "Another host keeps the change records in " + folder + " locked"
                   : errorText("Cannot lock the change records in " + folder, code_);
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DWORD code_ = ERROR_SUCCESS;
};

HANDLE openRecord(const std::string& path, DWORD disposition) {
    return CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Appends the whole file to `text`; a missing file adds nothing.
bool readWhole(const std::string& path, std::string& text, std::string& failure) {
    const HANDLE handle = CreateFileW(wide(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return true;
        }
        failure = errorText("Cannot read " + path, code);
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(handle, &size) != 0 && size.QuadPart < 0x40000000;
    const std::size_t start = text.size();
    DWORD read = 0;
    if (ok) {
        text.resize(start + static_cast<std::size_t>(size.QuadPart));
        ok = size.QuadPart == 0 ||
             ReadFile(handle, &text[start], static_cast<DWORD>(size.QuadPart), &read, nullptr) != 0;
    }
    const DWORD code = GetLastError();
    CloseHandle(handle);
    if (!ok) {
        text.resize(start);
        failure = errorText("Cannot read " + path, code);
        return false;
    }
    text.resize(start + read);
    return true;
}

int hexValue(char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

std::string RecordFiles::pathOf(const RecordKey& key) const { return folder_ + "\\" + recordFileName(key); }

bool RecordFiles::append(const RecordKey& key, const std::string& siteLabel, const std::string& line,
                         std::string& failure) {
    CreateDirectoryW(wide(folder_).c_str(), nullptr);  // fails harmlessly when it exists
    const RecordsLock lock(folder_ + "\\changes.lock", lockWaitMs);
    if (!lock.held()) {
        failure = lock.why(folder_) + ": the change was not recorded.";
        return false;
    }
    const std::string path = pathOf(key);
    HANDLE handle = openRecord(path, OPEN_ALWAYS);
    if (handle == INVALID_HANDLE_VALUE) {
        failure = errorText("Cannot open " + path, GetLastError());
        return false;
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(handle, &size);
    std::string text;
    if (size.QuadPart > 0) {
        char last = '\n';
        DWORD read = 0;
        LARGE_INTEGER at{};
        at.QuadPart = size.QuadPart - 1;
        if (SetFilePointerEx(handle, at, nullptr, FILE_BEGIN) && ReadFile(handle, &last, 1, &read, nullptr) &&
            read == 1 && last != '\n') {
            text = "\n";  // the cut line ends here, a line of its own
        }
    }
    if (size.QuadPart > 0 &&
        static_cast<std::uint64_t>(size.QuadPart) + text.size() + line.size() > limitBytes) {
        CloseHandle(handle);
        const std::string older = folder_ + "\\" + olderFileName(key);
        if (!MoveFileExW(wide(path).c_str(), wide(older).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            failure = errorText("Cannot move " + path + " to " + older, GetLastError());
            return false;
        }
        handle = openRecord(path, OPEN_ALWAYS);
        if (handle == INVALID_HANDLE_VALUE) {
            failure = errorText("Cannot open " + path, GetLastError());
            return false;
        }
        size.QuadPart = 0;
        text.clear();
    }
    if (size.QuadPart == 0) {
        text = recordHeading(siteLabel);
    }
    text += line;
    LARGE_INTEGER end{};
    DWORD written = 0;
    const bool ok = SetFilePointerEx(handle, end, nullptr, FILE_END) &&
                    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size() && FlushFileBuffers(handle);
    const DWORD code = GetLastError();
    CloseHandle(handle);
    if (!ok) {
        failure = errorText("Cannot write " + path, code);
        return false;
    }
    return true;
}

bool RecordFiles::read(const RecordKey& key, std::string& text, std::string& failure) {
    text.clear();
    const RecordsLock lock(folder_ + "\\changes.lock", lockWaitMs);
    if (!lock.held()) {
        // Reading without it may meet a line being written: passed over.
        failure = lock.why(folder_);
    }
    return readWhole(folder_ + "\\" + olderFileName(key), text, failure) && readWhole(pathOf(key), text, failure);
}

bool RecordFiles::clear(const RecordKey& key, std::string& failure) {
    const RecordsLock lock(folder_ + "\\changes.lock", lockWaitMs);
    if (!lock.held()) {
        failure = lock.why(folder_) + ": nothing was cleared.";
        return false;
    }
    for (const std::string& path : {pathOf(key), folder_ + "\\" + olderFileName(key)}) {
        if (!DeleteFileW(wide(path).c_str())) {
            const DWORD code = GetLastError();
            if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) {
                failure = errorText("Cannot delete " + path, code);
                return false;
            }
        }
    }
    return true;
}

std::vector<std::string> RecordFiles::addresses() const {
    std::vector<std::string> found;
    WIN32_FIND_DATAW entry{};
    const HANDLE search = FindFirstFileW(wide(folder_ + "\\changes-address-*.txt").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return found;
    }
    do {
        std::string name;
        if (!wide_text::toUtf8(entry.cFileName, name)) {
            continue;
        }
        const std::string prefix = "changes-address-";
        if (name.size() < prefix.size() + 4 || name.compare(name.size() - 10, 10, ".older.txt") == 0 ||
            name.find('~') != std::string::npos) {
            continue;  // an older file, or a name cut to fit
        }
        const std::string encoded = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        std::string address;
        for (std::size_t i = 0; i < encoded.size(); ++i) {
            if (encoded[i] == '%' && i + 2 < encoded.size() && hexValue(encoded[i + 1]) >= 0 &&
                hexValue(encoded[i + 2]) >= 0) {
                address += static_cast<char>(hexValue(encoded[i + 1]) * 16 + hexValue(encoded[i + 2]));
                i += 2;
            } else {
                address += encoded[i];
            }
        }
        found.push_back(address);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return found;
}

std::vector<RecordChoice> FilesShelf::choices() {
    std::vector<RecordChoice> all;
    const std::string now = servedNow();
    bool nowListed = now.empty();
    const auto add = [&](const std::string& id, const std::string& label) {
        nowListed = nowListed || id == now;
        all.push_back({id, label});
    };
    if (savedNames) {
        for (const std::string& name : savedNames()) {
            add(recordId({true, name}), name);
        }
    }
    for (const std::string& address : files_.addresses()) {
        add(recordId({false, address}), address + " (not a saved site)");
    }
    add(simulatedId, "Simulated site (this run only, not kept)");
    RecordKey key;
    if (!nowListed && keyOfId(now, key)) {
        all.push_back({now, key.savedSite ? key.name : key.name + " (not a saved site)"});
    }
    return all;
}

bool FilesShelf::read(const std::string& id, std::string& text, std::string& failure) {
    if (id == simulatedId) {
        text = simulatedLines;
        return true;
    }
    RecordKey key;
    if (!keyOfId(id, key)) {
        text.clear();
        return true;
    }
    return files_.read(key, text, failure);
}

bool FilesShelf::clear(const std::string& id, std::string& failure) {
    if (id == simulatedId) {
        simulatedLines.clear();
        return true;
    }
    RecordKey key;
    return !keyOfId(id, key) || files_.clear(key, failure);
}

}  // namespace history
