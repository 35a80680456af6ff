// The checks every per-instance command makes before it touches an instance. They are the whole
// cost of those commands beyond the handle lookup, so they stay inline and branch-light.
#pragma once

#include "geo_inst_record.h"

// 1 <= n <= max instance count.
inline bool InstanceNumberValid(const GeoInstRecord& set, int n)
{
    return static_cast<uint32_t>(n - 1) < static_cast<uint32_t>(set.maxInstanceCount);
}

// Transform values can be kept: a valid instance of a set whose vertex holds the matrix rows.
inline bool TransformCheck(const GeoInstRecord& set, int n)
{
    return InstanceNumberValid(set, n) && set.worldMatrixEnabled != 0;
}

// The world matrix of instance n can be read or written: the transform check, and the matrix lies
// inside the instance data as it is now laid out.
inline bool WorldMatrixCheck(const GeoInstRecord& set, int n)
{
    return TransformCheck(set, n) && set.stride >= kWorldMatrixBytes &&
           InstanceBytesExist(set, n, 0, static_cast<uint32_t>(set.stride));
}

// The component count of custom element k, or 0 when the set has no element k.
inline int CustomElementComponents(const GeoInstRecord& set, int k)
{
    return static_cast<uint32_t>(k - 1) < static_cast<uint32_t>(set.customElementCount)
               ? set.customElements[k - 1].components
               : 0;
}

// Custom element k of instance n, or null when the custom check fails: a valid instance of a set
// with a finished custom layout, 1 <= k <= element count, and `bytes` bytes of the element inside
// instance n's vertex.
inline std::byte* CustomElementAddress(const GeoInstRecord& set, int n, int k, uint32_t bytes)
{
    if (!InstanceNumberValid(set, n) || set.customElementsEnabled == 0)
        return nullptr;
    if (static_cast<uint32_t>(k - 1) >= static_cast<uint32_t>(set.customElementCount))
        return nullptr;
    const uint32_t offset = static_cast<uint32_t>(set.customDataOffset + set.customElements[k - 1].offset);
    if (static_cast<uint64_t>(offset) + bytes > static_cast<uint32_t>(set.stride) ||
        !InstanceBytesExist(set, n, 0, static_cast<uint32_t>(set.stride)))
        return nullptr;
    return InstanceVertex(set, n) + offset;
}
