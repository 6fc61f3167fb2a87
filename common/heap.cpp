#include "common/heap.h"

#include <cstdlib>

namespace {
std::int32_t liveBlocks = 0;
}

void* heapAlloc(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        // Nothing sensible is left to do inside the host's process.
        std::abort();
    }
    ++liveBlocks;
    return block;
}

void heapFree(void* block) {
    if (block == nullptr) {
        return;
    }
    --liveBlocks;
    std::free(block);
}

std::int32_t liveHeapBlocks() {
    return liveBlocks;
}
