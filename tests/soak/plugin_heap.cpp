#include "plugin_heap.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <random>
#include <unordered_map>

#include "import_redirect.h"

namespace {

using MallocFunction = void*(__cdecl*)(size_t);
using CallocFunction = void*(__cdecl*)(size_t, size_t);
using ReallocFunction = void*(__cdecl*)(void*, size_t);
using FreeFunction = void(__cdecl*)(void*);

enum class FailureMode { None, Rate, Number, From };

struct Seam {
    std::recursive_mutex lock;
    MallocFunction realMalloc = nullptr;
    CallocFunction realCalloc = nullptr;
    ReallocFunction realRealloc = nullptr;
    FreeFunction realFree = nullptr;

    std::unordered_map<void*, PluginHeapBlock> blocks;
    size_t liveBytes = 0;
    uint64_t allocations = 0;
    uint64_t failed = 0;
    std::deque<PluginHeapBlock> lastRefused;

    FailureMode mode = FailureMode::None;
    double failureProbability = 0.0;
    std::mt19937 random;
    uint64_t armedAt = 0;   // `allocations` when the failure mode was chosen
    uint64_t failNumber = 0;
};

Seam& TheSeam()
{
    static Seam seam;
    return seam;
}

// Counts one allocation the plugin asks for and says whether it is refused.
bool RefuseNext(Seam& seam, size_t bytes, void* caller)
{
    ++seam.allocations;
    bool refuse = false;
    switch (seam.mode) {
    case FailureMode::None:
        break;
    case FailureMode::Rate:
        refuse = std::uniform_real_distribution<double>(0.0, 1.0)(seam.random) < seam.failureProbability;
        break;
    case FailureMode::Number:
        refuse = seam.allocations - seam.armedAt == seam.failNumber;
        break;
    case FailureMode::From:
        refuse = seam.allocations - seam.armedAt >= seam.failNumber;
        break;
    }
    if (refuse) {
        ++seam.failed;
        seam.lastRefused.push_back({bytes, seam.allocations, reinterpret_cast<uintptr_t>(caller)});
        if (seam.lastRefused.size() > 8)
            seam.lastRefused.pop_front();
    }
    return refuse;
}

void Remember(Seam& seam, void* block, size_t bytes, void* caller)
{
    if (!block)
        return;
    seam.blocks[block] = {bytes, seam.allocations, reinterpret_cast<uintptr_t>(caller)};
    seam.liveBytes += bytes;
}

void Forget(Seam& seam, void* block)
{
    auto found = seam.blocks.find(block);
    if (found == seam.blocks.end())
        return; // made before the seam was installed
    seam.liveBytes -= found->second.bytes;
    seam.blocks.erase(found);
}

void* __cdecl CountedMalloc(size_t bytes)
{
    Seam& seam = TheSeam();
    std::lock_guard<std::recursive_mutex> hold(seam.lock);
    if (RefuseNext(seam, bytes, __builtin_return_address(0)))
        return nullptr;
    void* block = seam.realMalloc(bytes);
    Remember(seam, block, bytes, __builtin_return_address(0));
    return block;
}

void* __cdecl CountedCalloc(size_t count, size_t size)
{
    Seam& seam = TheSeam();
    std::lock_guard<std::recursive_mutex> hold(seam.lock);
    if (RefuseNext(seam, count * size, __builtin_return_address(0)))
        return nullptr;
    void* block = seam.realCalloc(count, size);
    Remember(seam, block, count * size, __builtin_return_address(0));
    return block;
}

void* __cdecl CountedRealloc(void* old, size_t bytes)
{
    Seam& seam = TheSeam();
    std::lock_guard<std::recursive_mutex> hold(seam.lock);
    if (bytes == 0) {
        Forget(seam, old);
        return seam.realRealloc(old, 0);
    }
    // A refused realloc leaves the old block as it was, as the C runtime's does.
    if (RefuseNext(seam, bytes, __builtin_return_address(0)))
        return nullptr;
    void* block = seam.realRealloc(old, bytes);
    if (block) {
        Forget(seam, old);
        Remember(seam, block, bytes, __builtin_return_address(0));
    }
    return block;
}

void __cdecl CountedFree(void* block)
{
    Seam& seam = TheSeam();
    std::lock_guard<std::recursive_mutex> hold(seam.lock);
    Forget(seam, block);
    seam.realFree(block);
}

char* __cdecl CountedStrdup(const char* text)
{
    if (!text)
        return nullptr;
    const size_t bytes = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(CountedMalloc(bytes));
    if (copy)
        std::memcpy(copy, text, bytes);
    return copy;
}

template <typename Function>
void Redirect(HMODULE module, const char* name, void* replacement, Function& real)
{
    void* previous = RedirectImport(module, "msvcrt.dll", name, replacement);
    if (previous && !real)
        real = reinterpret_cast<Function>(previous);
}

void Arm(Seam& seam, FailureMode mode)
{
    seam.mode = mode;
    seam.armedAt = seam.allocations;
}

} // namespace

void InstallPluginHeapSeam(HMODULE module)
{
    Seam& seam = TheSeam();
    std::lock_guard<std::recursive_mutex> hold(seam.lock);
    HMODULE runtime = GetModuleHandleA("msvcrt.dll");
    seam.realMalloc = reinterpret_cast<MallocFunction>(reinterpret_cast<void*>(GetProcAddress(runtime, "malloc")));
    seam.realCalloc = reinterpret_cast<CallocFunction>(reinterpret_cast<void*>(GetProcAddress(runtime, "calloc")));
    seam.realRealloc = reinterpret_cast<ReallocFunction>(reinterpret_cast<void*>(GetProcAddress(runtime, "realloc")));
    seam.realFree = reinterpret_cast<FreeFunction>(reinterpret_cast<void*>(GetProcAddress(runtime, "free")));
    Redirect(module, "malloc", reinterpret_cast<void*>(&CountedMalloc), seam.realMalloc);
    Redirect(module, "calloc", reinterpret_cast<void*>(&CountedCalloc), seam.realCalloc);
    Redirect(module, "realloc", reinterpret_cast<void*>(&CountedRealloc), seam.realRealloc);
    Redirect(module, "free", reinterpret_cast<void*>(&CountedFree), seam.realFree);
    RedirectImport(module, "msvcrt.dll", "_strdup", reinterpret_cast<void*>(&CountedStrdup));
}

PluginHeapFigures PluginHeap()
{
    Seam& seam = TheSeam();
    std::lock_guard<std::recursive_mutex> hold(seam.lock);
    return {seam.liveBytes, seam.blocks.size(), seam.allocations, seam.failed};
}

std::vector<PluginHeapBlock> LastRefusedPluginAllocations()
{
    Seam& seam = TheSeam();
    std::lock_guard<std::recursive_mutex> hold(seam.lock);
    return {seam.lastRefused.begin(), seam.lastRefused.end()};
}

std::vector<PluginHeapBlock> LivePluginHeapBlocks()
{
    Seam& seam = TheSeam();
    std::lock_guard<std::recursive_mutex> hold(seam.lock);
    std::vector<PluginHeapBlock> blocks;
    for (const auto& [address, block] : seam.blocks)
        blocks.push_back(block);
    std::sort(blocks.begin(), blocks.end(),
              [](const PluginHeapBlock& a, const PluginHeapBlock& b) { return a.serial < b.serial; });
    return blocks;
}

std::string DescribePluginHeapBlocks(const std::vector<PluginHeapBlock>& blocks)
{
    std::string text;
    for (const PluginHeapBlock& block : blocks) {
        HMODULE module = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(block.caller), &module);
        char name[MAX_PATH] = "?";
        if (module)
            GetModuleFileNameA(module, name, sizeof name);
        const char* base = std::strrchr(name, '\\');
        char caller[MAX_PATH + 16];
        std::snprintf(caller, sizeof caller, "%s+0x%x", base ? base + 1 : name,
                      static_cast<unsigned>(block.caller - reinterpret_cast<uintptr_t>(module)));
        text += " " + std::to_string(block.bytes) + " B (allocation " + std::to_string(block.serial) + " from " +
                caller + ")";
    }
    return text;
}

void FailNoPluginAllocation()
{
    Seam& seam = TheSeam();
    std::lock_guard<std::recursive_mutex> hold(seam.lock);
    Arm(seam, FailureMode::None);
}

void FailPluginAllocationsAtRate(double percent, uint32_t seed)
{
    Seam& seam = TheSeam();
    std::lock_guard<std::recursive_mutex> hold(seam.lock);
    seam.failureProbability = percent / 100.0;
    seam.random.seed(seed);
    Arm(seam, FailureMode::Rate);
}

void FailPluginAllocationNumber(uint64_t k)
{
    Seam& seam = TheSeam();
    std::lock_guard<std::recursive_mutex> hold(seam.lock);
    seam.failNumber = k;
    Arm(seam, FailureMode::Number);
}

void FailPluginAllocationsFrom(uint64_t k)
{
    Seam& seam = TheSeam();
    std::lock_guard<std::recursive_mutex> hold(seam.lock);
    seam.failNumber = k;
    Arm(seam, FailureMode::From);
}

uint64_t PluginAllocationsSinceArmed()
{
    Seam& seam = TheSeam();
    std::lock_guard<std::recursive_mutex> hold(seam.lock);
    return seam.allocations - seam.armedAt;
}
