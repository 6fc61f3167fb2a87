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

bool PluginLibrary::load(const std::string& fileName, std::string& error) {
    unload();
    const std::string path = programFolder() + fileName;
    module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        error = "Cannot load " + path;
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
