// Exports of the plug-in's test twin only: how many blocks the plug-in holds,
// and a report of that count right after the last detach has cleaned up.
#include <windows.h>

#include <cstdint>

#include "common/heap.h"
#include "plugin/page_host.h"

extern "C" std::int32_t HOST_CDECL ProbeLiveHeapBlocks() {
    return liveHeapBlocks();
}

extern "C" void HOST_CDECL ProbeSetUnloadReport(UnloadReport report) {
    setUnloadReport(report);
}
