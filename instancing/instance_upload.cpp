#include "instance_upload.h"

#include <algorithm>
#include <cstring>

#include "command_set.h"
#include "exports.h"
#include "message_box.h"

int PackDrawnInstances(const GeoInstRecord& set, int count, std::byte* destination, uint32_t capacityBytes)
{
    const GeoInstTransform* transforms = set.transforms;
    const size_t stride = static_cast<uint32_t>(set.stride);
    const int room = stride ? static_cast<int>(std::min<size_t>(capacityBytes / stride, count)) : 0;
    if (set.excludedInstances == 0) {
        // Nothing excluded: instances 1 to count are one run.
        std::memcpy(destination, InstanceVertex(set, 1), room * stride);
        return room;
    }
    std::byte* write = destination;
    int copied = 0;
    int n = 1;
    while (n <= count && copied < room) {
        if (transforms[n].excluded != 0) {
            ++n;
            continue;
        }
        const int first = n;
        while (n <= count && transforms[n].excluded == 0)
            ++n;
        const int run = std::min(n - first, room - copied);
        std::memcpy(write, InstanceVertex(set, first), run * stride);
        write += run * stride;
        copied += run;
    }
    return copied;
}

int UploadableInstances(const GeoInstRecord& set)
{
    if (set.stride <= 0 || !set.instanceData || !set.transforms)
        return 0;
    const uint32_t stride = static_cast<uint32_t>(set.stride);
    // Instance n occupies bytes n x stride to (n + 1) x stride of the instance data.
    const uint32_t inData = set.instanceDataBytes / stride;
    const uint32_t inBuffer = set.instanceBufferBytes / stride;
    uint32_t count = static_cast<uint32_t>(std::max(set.instanceCount, 0));
    count = std::min({count, inData > 0 ? inData - 1 : 0, inBuffer});
    return static_cast<int>(count);
}

RYXO_COMMAND GeoInst_Update(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_Update"));
    if (!set)
        return 1;
    if (!set->instanceBuffer) {
        ShowMessage("GeoInst_Update Error",
                    "The GeoInst has no instance buffer: give it a max instance count with GeoInst_SetMaxInstanceCount");
        return 1;
    }
    const int count = UploadableInstances(*set);
    // Locking the draw count is enough while it counts the drawn instances exactly; once a flag
    // other than 0 or 1 was stored it may fall short, and the whole count is locked.
    int locked = set->drawCountValid == 1 && !set->unusualExclusionFlags ? set->drawCount : set->instanceCount;
    locked = std::clamp(locked, 0, count);
    const uint32_t lockBytes = static_cast<uint32_t>(locked) * static_cast<uint32_t>(set->stride);
    void* area = nullptr;
    if (FAILED(set->instanceBuffer->Lock(0, lockBytes, &area, D3DLOCK_DISCARD)) || !area) {
        ShowMessage("GeoInst_Update Error", "Failed to lock the instance buffer");
        return 1;
    }
    set->drawCount = PackDrawnInstances(*set, count, static_cast<std::byte*>(area), lockBytes);
    set->instanceBuffer->Unlock();
    // An upload cut short by storage made for another stride has not counted instances 1 to the
    // instance count: its draw count must not size the next lock, or every later upload would be
    // cut to it once the storage fits again.
    set->drawCountValid = count == set->instanceCount ? 1 : 0;
    return 0;
}
