#include "render_queue.h"

namespace {

struct RenderQueue {
    RecordList<GeoInstRecord> sets;
    bool renderListRegistered = false;
};

RenderQueue& Queue()
{
    static RenderQueue queue;
    return queue;
}

void FreeHeapBlocks(GeoInstRecord& set)
{
    set.transforms.reset();
    set.excludedBits.reset();
    set.instanceData.reset();
    set.instanceDataBytes = 0;
}

} // namespace

const InstanceSetList& LiveInstanceSets() { return Queue().sets.records; }

GeoInstRecord* FindInstanceSet(int handle) { return FindRecord(Queue().sets, handle); }

GeoInstRecord& AppendInstanceSet()
{
    GeoInstRecord fresh{};
    fresh.cameraMask = 0xFFFFFFFFu;
    fresh.customElementsEnabled = 0;
    fresh.worldMatrixEnabled = 1;
    return AppendRecord(Queue().sets, std::move(fresh));
}

void RemoveInstanceSet(GeoInstRecord& set) { RemoveRecord(Queue().sets, set); }

int RenderIndexOf(const GeoInstRecord& set)
{
    int index = 0;
    for (const GeoInstRecord& other : Queue().sets.records) {
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
    Queue().sets.records.sort([](const GeoInstRecord& a, const GeoInstRecord& b) {
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
    RecordList<GeoInstRecord>& sets = Queue().sets;
    for (GeoInstRecord& set : sets.records)
        ReleaseInstanceSetResources(set);
    EmptyRecordList(sets);
}

void ForgetAllInstanceSets()
{
    RenderQueue& queue = Queue();
    for (GeoInstRecord& set : queue.sets.records) {
        FreeHeapBlocks(set);
        set.sequentialIndexBuffer.abandon();
        set.vertexDeclaration.abandon();
        set.instanceBuffer.abandon();
    }
    EmptyRecordList(queue.sets);
    queue.renderListRegistered = false;
}

bool RenderListRegistered() { return Queue().renderListRegistered; }

void MarkRenderListRegistered() { Queue().renderListRegistered = true; }
