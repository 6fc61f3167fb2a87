#include <windows.h>

#include "plugin/page_host.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        onProcessAttach(module);
        break;
    case DLL_PROCESS_DETACH:
        onProcessDetach();
        break;
    default:
        break;
    }
    return TRUE;
}
