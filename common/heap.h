#pragma once
// Every block the plug-in keeps (texts, list nodes, command copies) comes from
// here, so a test build can prove that the unload leaves nothing behind.
#include <cstddef>
#include <cstdint>

void* heapAlloc(std::size_t size);
void heapFree(void* block);  // a null block is ignored

// Blocks handed out by heapAlloc and not yet freed.
std::int32_t liveHeapBlocks();
