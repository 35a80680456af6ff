// The plugin's own heap, seen through the allocation functions it imports from the C runtime
// (malloc, calloc, realloc, _strdup and free; operator new and the standard containers come through
// malloc): every block it holds is counted, and its allocations can be made to fail, at a rate or
// one chosen allocation at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

// Puts the counting, failing allocation functions into `module`'s import table. Blocks allocated
// before (in the module's start-up) are not counted; their frees pass through.
void InstallPluginHeapSeam(HMODULE module);

struct PluginHeapBlock {
    size_t bytes;
    uint64_t serial; // the block came from the serial-th allocation since the seam was installed
    uintptr_t caller; // the code that asked for it (i686-w64-mingw32-addr2line names the line)
};

struct PluginHeapFigures {
    size_t liveBytes = 0;
    size_t liveBlocks = 0;
    uint64_t allocations = 0; // asked for since the seam was installed
    uint64_t failed = 0;      // of them refused by the seam
};

PluginHeapFigures PluginHeap();

// The allocations refused last (at most 8), oldest first; `bytes` is what was asked for.
std::vector<PluginHeapBlock> LastRefusedPluginAllocations();

// The blocks the plugin holds now, oldest first.
std::vector<PluginHeapBlock> LivePluginHeapBlocks();

// " 20 B (allocation 152 from Ryxo.dll+0x25315)" per block, the caller as an offset into its
// module while that is loaded (add the image base for addr2line).
std::string DescribePluginHeapBlocks(const std::vector<PluginHeapBlock>& blocks);

// No allocation fails.
void FailNoPluginAllocation();
// Each allocation fails with probability `percent` / 100, drawn from a generator seeded with `seed`.
void FailPluginAllocationsAtRate(double percent, uint32_t seed);
// Only the k-th allocation from now on (k = 1 is the next one) fails.
void FailPluginAllocationNumber(uint64_t k);
// The k-th allocation from now on and every one after it fail, as when memory has run out.
void FailPluginAllocationsFrom(uint64_t k);
// Allocations made since the last FailNoPluginAllocation / FailPluginAllocation... call.
uint64_t PluginAllocationsSinceArmed();
