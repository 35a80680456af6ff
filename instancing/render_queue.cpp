#include "render_queue.h"

#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace {

struct RenderQueue {
    InstanceSetList sets;
    // Record address -> its place in `sets`, so a handle is checked and found in one lookup.
    std::unordered_map<uintptr_t, InstanceSetList::iterator> byAddress;
    bool renderListRegistered = false;
};

RenderQueue& Queue()
{
    static RenderQueue queue;
    return queue;
}

uintptr_t AddressOf(const GeoInstRecord& set) { return reinterpret_cast<uintptr_t>(&set); }

void FreeHeapBlocks(GeoInstRecord& set)
{
    set.transforms.reset();
    set.excludedBits.reset();
    set.instanceData.reset();
    set.instanceDataBytes = 0;
}

void ForgetLastFound() { lastFoundSet = {}; }

// An empty queue holds no memory: clear() would keep the index's bucket array.
void EmptyQueue(RenderQueue& queue)
{
    queue.sets.clear();
    queue.byAddress = decltype(queue.byAddress){};
    ForgetLastFound();
}

} // namespace

const InstanceSetList& LiveInstanceSets() { return Queue().sets; }

GeoInstRecord* LookUpInstanceSet(int handle)
{
    RenderQueue& queue = Queue();
    uintptr_t address = static_cast<uint32_t>(handle);
    auto found = queue.byAddress.find(address);
    if (found == queue.byAddress.end())
        return nullptr;
    lastFoundSet = {address, &*found->second};
    return lastFoundSet.set;
}

int HandleOf(const GeoInstRecord& set) { return static_cast<int>(AddressOf(set)); }

GeoInstRecord& AppendInstanceSet()
{
    RenderQueue& queue = Queue();
    GeoInstRecord fresh{};
    fresh.cameraMask = 0xFFFFFFFFu;
    fresh.customElementsEnabled = 0;
    fresh.worldMatrixEnabled = 1;
    // The record is linked and indexed together or not at all: a failed index entry (out of
    // memory) takes the record out again before the failure goes on to the caller.
    auto place = queue.sets.insert(queue.sets.end(), std::move(fresh));
    try {
        queue.byAddress.emplace(AddressOf(*place), place);
    } catch (...) {
        queue.sets.erase(place);
        if (queue.sets.empty())
            EmptyQueue(queue);
        throw;
    }
    return *place;
}

void RemoveInstanceSet(GeoInstRecord& set)
{
    RenderQueue& queue = Queue();
    auto found = queue.byAddress.find(AddressOf(set));
    if (found == queue.byAddress.end())
        return;
    if (lastFoundSet.set == &set)
        ForgetLastFound();
    InstanceSetList::iterator place = found->second;
    queue.byAddress.erase(found);
    queue.sets.erase(place);
    if (queue.sets.empty())
        EmptyQueue(queue);
}

int RenderIndexOf(const GeoInstRecord& set)
{
    int index = 0;
    for (const GeoInstRecord& other : Queue().sets) {
        if (&other == &set)
            return index;
        ++index;
    }
    return -1;
}

void SortRenderQueueByPriority()
{
    // std::list::sort is a stable merge sort that relinks nodes: records keep their addresses, so
    // handles and the address index stay valid.
    Queue().sets.sort([](const GeoInstRecord& a, const GeoInstRecord& b) {
        return a.renderPriority > b.renderPriority;
    });
}

void ReleaseInstanceSetResources(GeoInstRecord& set)
{
    set.sequentialIndexBuffer.reset();
    set.vertexDeclaration.reset();
    FreeHeapBlocks(set);
    set.instanceBuffer.reset();
    set.instanceBufferBytes = 0;
}

void ReleaseAllInstanceSets()
{
    RenderQueue& queue = Queue();
    for (GeoInstRecord& set : queue.sets)
        ReleaseInstanceSetResources(set);
    EmptyQueue(queue);
}

void ForgetAllInstanceSets()
{
    RenderQueue& queue = Queue();
    for (GeoInstRecord& set : queue.sets) {
        FreeHeapBlocks(set);
        set.sequentialIndexBuffer.abandon();
        set.vertexDeclaration.abandon();
        set.instanceBuffer.abandon();
    }
    EmptyQueue(queue);
    queue.renderListRegistered = false;
}

bool RenderListRegistered() { return Queue().renderListRegistered; }

void MarkRenderListRegistered() { Queue().renderListRegistered = true; }
