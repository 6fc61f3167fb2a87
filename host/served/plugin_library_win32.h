#pragma once
// The plug-in DLL as a host loads it: from the program's own folder, with
// its two exports. The reference host, the UI tests' harness and the
// benchmarks load it the same way.
#include <windows.h>

#include <cstdint>
#include <string>

#include "plugin/host_channel.h"

typedef HWND(HOST_CDECL* InitDialogFunction)(std::int32_t pageId, HWND parent, HostCallback callback);
typedef std::int32_t(HOST_CDECL* DialogNukeFunction)(HWND parent, std::int32_t isNuke, char* directory,
                                                    char* reasonOut);

// The folder of the running program, with its trailing backslash.
std::string programFolder();

class PluginLibrary {
public:
    PluginLibrary() = default;
    ~PluginLibrary() { unload(); }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Loads `fileName` from the program's folder; false with the reason.
    bool load(const std::string& fileName, std::string& error);
    void unload();
    bool loaded() const { return module != nullptr; }
    // Another export (the test build's probes); null when there is none.
    void* find(const char* name) const;

    HMODULE module = nullptr;
    InitDialogFunction initDialog = nullptr;
    DialogNukeFunction dialogNuke = nullptr;
};
