// Exports of the plug-in's test twin only: how many blocks the plug-in holds,
// and a report of that count right after the last detach has cleaned up.
#include <windows.h>

#include <cstdint>

#include "common/heap.h"
#include "pages/users/pending_edit_user.h"
#include "plugin/page_host.h"

extern "C" std::int32_t HOST_CDECL ProbeLiveHeapBlocks() {
    return liveHeapBlocks();
}

extern "C" void HOST_CDECL ProbeSetUnloadReport(UnloadReport report) {
    setUnloadReport(report);
}

// Leaves a user name for the Edit user page as Add + Edit does, without the
// Add user page's commands around it.
extern "C" void HOST_CDECL ProbeSetPendingEditUser(const char* name) {
    setPendingEditUser(name);
}
