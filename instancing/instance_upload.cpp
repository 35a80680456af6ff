#include "instance_upload.h"

#include <algorithm>
#include <cstring>


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
