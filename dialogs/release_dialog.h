#pragma once
// The modal nuke and unnuke dialog and the answers it remembers.
#include <windows.h>

#include <cstddef>
#include <cstdint>

// The host's reason buffer.
constexpr std::size_t releaseReasonBufferSize = 256;

INT_PTR CALLBACK nukeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK unnukeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The host's directory text for the next dialog of each kind; null once the
// dialog is over, so no pointer into the host's memory is kept beyond the call.
// The unnuke dialog rewrites its directory in place.
void setNukeDirectory(char* directory);
void setUnnukeDirectory(char* directory);

// What the last dialog of each kind kept; null when no reason is kept.
const char* keptNukeReason();
const char* keptUnnukeReason();
std::int32_t keptNukeMultiplier();

// Free the kept reason; the nuke one also puts the multiplier back to 1.
void releaseNukeState();
void releaseUnnukeState();
