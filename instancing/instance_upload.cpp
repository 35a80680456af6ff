#include "instance_upload.h"

#include <algorithm>
#include <cstring>

namespace {

// One instance vertex of the default layout: a fixed-size copy the compiler makes four 16-byte
// moves (this family is compiled for SSE2), where a copy call would cost more than the bytes.
inline void CopyVertex(std::byte* to, const std::byte* from) { std::memcpy(to, from, kDefaultStride); }

// The instances 1 to count whose bit in the exclusion bitmap is clear, 32 at a time: word w
// covers instances 32w to 32w + 31, of which instance 0 and those past `count` never count.
uint32_t IncludedIn(const GeoInstRecord& set, uint32_t word, uint32_t count)
{
    uint32_t included = ~set.excludedBits[word];
    if (word == 0)
        included &= ~1u;
    const uint32_t last = count - 32 * word; // the highest bit that is an instance 1..count
    if (last < 31)
        included &= (2u << last) - 1;
    return included;
}

// Many short runs (every few instances excluded), default layout: 32 instances at a time, each
// included instance found from its bit in the bitmap word and copied to the next free place, with
// no copy call and no branch per run. A word with no excluded instance is copied as one block, one
// with no included instance skipped. Only where the room ends are instances copied one at a time, the room checked for each.
int PackWordByWord(const GeoInstRecord& set, uint32_t count, std::byte* destination, uint32_t room)
{
    uint32_t copied = 0;
    for (uint32_t word = 0; 32 * word <= count && copied < room; ++word) {
        const uint32_t included = IncludedIn(set, word, count);
        if (included == 0)
            continue;
        // Word 0's bit 0 is never set in `included`: the unused entry 0 is never copied.
        const std::byte* source = InstanceVertex(set, static_cast<int>(32 * word));
        std::byte* to = destination + static_cast<size_t>(copied) * kDefaultStride;
        if (copied + 32 > room) {
            for (uint32_t bit = 0; bit < 32 && copied < room; ++bit) {
                if ((included >> bit) & 1)
                    CopyVertex(destination + static_cast<size_t>(copied++) * kDefaultStride,
                               source + bit * kDefaultStride);
            }
            continue;
        }
        if (included == ~0u) {
            std::memcpy(to, source, 32 * kDefaultStride);
            copied += 32;
            continue;
        }
        // One pass over the included bits, lowest first: the loop ends once a word, not once a run.
        for (uint32_t rest = included; rest != 0; rest &= rest - 1, to += kDefaultStride, ++copied)
            CopyVertex(to, source + static_cast<uint32_t>(__builtin_ctz(rest)) * kDefaultStride);
    }
    return static_cast<int>(copied);
}

// The first instance from n on (up to count + 1) whose excluded bit is `excluded`.
uint32_t NextWithBit(const GeoInstRecord& set, uint32_t n, uint32_t count, bool excluded)
{
    while (n <= count) {
        uint32_t word = set.excludedBits[n / 32];
        if (!excluded)
            word = ~word;
        word >>= n % 32;
        if (word != 0)
            return std::min(n + static_cast<uint32_t>(__builtin_ctz(word)), count + 1);
        n = (n / 32 + 1) * 32;
    }
    return count + 1;
}

// Few exclusions: each run of included instances found from the bitmap and copied in one piece.
int PackRunByRun(const GeoInstRecord& set, uint32_t count, std::byte* destination, uint32_t room)
{
    const size_t stride = static_cast<uint32_t>(set.stride);
    uint32_t copied = 0;
    uint32_t n = NextWithBit(set, 1, count, false);
    while (n <= count && copied < room) {
        const uint32_t end = NextWithBit(set, n + 1, count, true);
        const uint32_t run = std::min(end - n, room - copied);
        std::byte* to = destination + copied * stride;
        const std::byte* from = InstanceVertex(set, static_cast<int>(n));
        // Short runs of the default layout: a copy call costs more than the bytes it moves.
        if (stride == kDefaultStride && run < 32) {
            for (uint32_t i = 0; i < run; ++i)
                CopyVertex(to + i * kDefaultStride, from + i * kDefaultStride);
        } else {
            std::memcpy(to, from, run * stride);
        }
        copied += run;
        n = NextWithBit(set, end + 1, count, false);
    }
    return static_cast<int>(copied);
}

// Any stride, many short runs: instance by instance with a copy call each, no branch on the flags.
int PackInstanceByInstance(const GeoInstRecord& set, uint32_t count, std::byte* destination, uint32_t room)
{
    const size_t stride = static_cast<uint32_t>(set.stride);
    const std::byte* source = InstanceVertex(set, 1);
    uint32_t copied = 0;
    for (uint32_t n = 1; n <= count && copied < room; ++n, source += stride) {
        std::memcpy(destination + copied * stride, source, stride);
        copied += ((set.excludedBits[n / 32] >> (n % 32)) & 1) ^ 1;
    }
    return static_cast<int>(copied);
}

int PackExcluding(const GeoInstRecord& set, uint32_t count, std::byte* destination, uint32_t room)
{
    // Runs shorter than about 16 instances on average: word by word. Longer ones are found across
    // words and copied with one copy call each.
    const uint64_t excluded = static_cast<uint32_t>(set.excludedInstances);
    if (set.stride == kDefaultStride)
        return excluded * 16 >= count ? PackWordByWord(set, count, destination, room)
                                      : PackRunByRun(set, count, destination, room);
    return excluded * 8 >= count ? PackInstanceByInstance(set, count, destination, room)
                                 : PackRunByRun(set, count, destination, room);
}

} // namespace

int PackDrawnInstances(const GeoInstRecord& set, int count, std::byte* destination, uint32_t capacityBytes)
{
    const size_t stride = static_cast<uint32_t>(set.stride);
    const uint32_t room = stride ? static_cast<uint32_t>(std::min<size_t>(capacityBytes / stride, count)) : 0;
    if (room == 0)
        return 0;
    if (set.excludedInstances == 0) {
        // Nothing excluded: instances 1 to count are one run.
        std::memcpy(destination, InstanceVertex(set, 1), room * stride);
        return static_cast<int>(room);
    }
    return PackExcluding(set, static_cast<uint32_t>(count), destination, room);
}

int UploadableInstances(const GeoInstRecord& set)
{
    if (set.stride <= 0 || !set.instanceData || !set.transforms || !set.excludedBits)
        return 0;
    const uint32_t stride = static_cast<uint32_t>(set.stride);
    // Instance n occupies bytes n x stride to (n + 1) x stride of the instance data.
    const uint32_t inData = set.instanceDataBytes / stride;
    const uint32_t inBuffer = set.instanceBufferBytes / stride;
    // The exclusion bitmap covers instances up to the max.
    uint32_t count = static_cast<uint32_t>(std::clamp(set.instanceCount, 0, set.maxInstanceCount));
    count = std::min({count, inData > 0 ? inData - 1 : 0, inBuffer});
    return static_cast<int>(count);
}
