#include "host/served/plugin_library_win32.h"

#include <cstring>

std::string programFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = std::strrchr(path, '\\');
    if (slash != nullptr) {
        slash[1] = '\0';
    }
    return path;
}

namespace {

// What the system says about `code`, on one line; the code itself when it
// says nothing.
std::string systemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message(text != nullptr ? text : "", length);
    if (text != nullptr) {
        LocalFree(text);
    }
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' ||
                                message.back() == '.')) {
        message.pop_back();
    }
    for (char& c : message) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return (message.empty() ? "error" : message) + " (error " + std::to_string(code) + ")";
}

}  // namespace

bool PluginLibrary::load(const std::string& fileName, std::string& error) {
    unload();
    const std::string path = programFolder() + fileName;
    module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        const DWORD why = GetLastError();
        error = "Cannot load " + path + ": " + systemMessage(why);
        return false;
    }
    initDialog = reinterpret_cast<InitDialogFunction>(find("InitDialog"));
    dialogNuke = reinterpret_cast<DialogNukeFunction>(find("DialogNuke"));
    if (initDialog == nullptr || dialogNuke == nullptr) {
        error = path + " does not export InitDialog and DialogNuke";
        unload();
        return false;
    }
    return true;
}

void PluginLibrary::unload() {
    if (module != nullptr) {
        FreeLibrary(module);
    }
    module = nullptr;
    initDialog = nullptr;
    dialogNuke = nullptr;
}

void* PluginLibrary::find(const char* name) const {
    return module == nullptr ? nullptr : reinterpret_cast<void*>(GetProcAddress(module, name));
}
