#include "instance_upload.h"

#include <algorithm>
#include <cstring>


namespace {

// Copies instance by instance: each instance vertex is written at the write position, which moves
// on only past drawn ones, so nothing branches on the excluded flags. With many short runs (half
// the instances excluded at random) a branch per run is mispredicted about every other instance and
// a block copy per run costs more than the bytes it moves. The write position stays inside `room`
// instances, so an excluded vertex written there is overwritten or lies beyond the draw count.
template <typename CopyOne>
int PackInstanceByInstance(const GeoInstRecord& set, int count, std::byte* destination, int room, CopyOne copyOne)
{
    const GeoInstTransform* transforms = set.transforms;
    const size_t stride = static_cast<uint32_t>(set.stride);
    const std::byte* source = InstanceVertex(set, 1);
    int copied = 0;
    for (int n = 1; n <= count && copied < room; ++n, source += stride) {
        copyOne(destination + static_cast<size_t>(copied) * stride, source);
        copied += transforms[n].excluded == 0;
    }
    return copied;
}

} // namespace

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
    // Short runs: copy instance by instance. The default layout's 64 bytes are a fixed-size copy the
    // compiler inlines, cheaper than a block copy call for runs of fewer than about 32 instances;
    // other strides need a copy call per instance, which pays only below about 8.
    const int64_t excluded = set.excludedInstances;
    if (stride == kDefaultStride && excluded * 32 >= count)
        return PackInstanceByInstance(set, count, destination, room, [](std::byte* to, const std::byte* from) {
            std::memcpy(to, from, kDefaultStride);
        });
    if (excluded * 8 >= count)
        return PackInstanceByInstance(set, count, destination, room,
                                      [stride](std::byte* to, const std::byte* from) { std::memcpy(to, from, stride); });
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
