// The plugin's own heap, seen through the allocation functions it imports from the C runtime
// (malloc, calloc, realloc, _strdup and free; operator new and the standard containers come through
// malloc): every block it holds is counted, and its allocations can be made to fail, at a rate or
// one chosen allocation at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <windows.h>

// Puts the counting, failing allocation functions into `module`'s import table. Blocks allocated
// before (in the module's start-up) are not counted; their frees pass through.
void InstallPluginHeapSeam(HMODULE module);

struct PluginHeapBlock {
    size_t bytes;
    uint64_t serial; // the block came from the serial-th allocation since the seam was installed
};

struct PluginHeapFigures {
    size_t liveBytes = 0;
    size_t liveBlocks = 0;
    uint64_t allocations = 0; // asked for since the seam was installed
    uint64_t failed = 0;      // of them refused by the seam
};

PluginHeapFigures PluginHeap();

// The blocks the plugin holds now, oldest first.
std::vector<PluginHeapBlock> LivePluginHeapBlocks();

// No allocation fails.
void FailNoPluginAllocation();
// Each allocation fails with probability `percent` / 100, drawn from a generator seeded with `seed`.
void FailPluginAllocationsAtRate(double percent, uint32_t seed);
// Only the k-th allocation from now on (k = 1 is the next one) fails.
void FailPluginAllocationNumber(uint64_t k);
// Allocations made since the last FailNoPluginAllocation / FailPluginAllocation... call.
uint64_t PluginAllocationsSinceArmed();
