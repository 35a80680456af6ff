// An instance set: one limb of a host object drawn many times in one indexed draw call. Stream 0
// is the host mesh, stream 1 the set's instance buffer with one instance vertex per drawn instance
// (the world matrix rows and/or custom data). The record is plain data; the commands in this
// folder keep its fields consistent, and the render queue (render_queue.h) owns the records.
#pragma once

#include <cstddef>
#include <cstdint>

#include <d3d9.h>
#include <d3dx9.h>

#include "com.h"
#include "heap_block.h"
#include "host_records.h"
#include "drawing/texture_parameters.h"

inline constexpr int kMaxCustomElements = 8;
inline constexpr int kMaxVertexElements = 64;
inline constexpr int kWorldMatrixBytes = 64;    // four float4 rows
inline constexpr int kDefaultStride = kWorldMatrixBytes;

// Per-instance transform values as the script set them; only GeoInst_UpdateInstance turns them
// into the world matrix held in the instance vertex.
struct GeoInstTransform {
    int32_t excluded;   // 0 = drawn; anything else = left out of the upload
    float position[3];  // x, y, z
    float angle[3];     // degrees about x, y, z
    float scale[3];     // factors (the script's percent x 0.01)
};
static_assert(sizeof(GeoInstTransform) == 40, "a transform entry is 40 bytes");

// One custom element of the instance vertex: `components` floats at `offset` bytes into the
// custom data.
struct CustomElementDescriptor {
    int32_t components; // 0 to 4
    int32_t offset;
};

struct GeoInstRecord {
    // The bound mesh (GeoInst_SetMesh).
    int32_t meshObject;
    int32_t meshLimb;
    HostMesh* mesh;                     // borrowed from the host; null = no mesh bound
    int32_t textureParameterCount;      // 0 to 8
    D3DXHANDLE textureParameters[kMaxTextureParameters]; // the effect's texture parameters, in order

    // Layout of the instance vertex.
    int32_t customElementsEnabled;      // a custom layout was declared and finished
    int32_t customDataOffset;           // where custom data starts in an instance vertex
    int32_t worldMatrixEnabled;         // the instance vertex begins with the four matrix rows
    int32_t customElementCount;         // 0 to 8
    CustomElementDescriptor customElements[kMaxCustomElements]; // element k is entry k - 1
    int32_t customDataSize;             // sum of 4 x components
    D3DVERTEXELEMENT9 vertexElements[kMaxVertexElements]; // both streams, D3DDECL_END-terminated
    Com<IDirect3DVertexDeclaration9> vertexDeclaration;
    int32_t stride;                     // bytes of one instance vertex

    // Instances.
    int32_t maxInstanceCount;           // room for instances 1 to max; at least 1 once set
    int32_t instanceCount;              // instances in use, 0 to max
    int32_t drawCount;                  // instances in the instance buffer = instances drawn
    int32_t drawCountValid;             // the draw count belongs to the current instance count
    uint32_t cameraMask;                // bit n: draw for host camera n (mod 32)
    int32_t hidden;                     // non-zero = not drawn

    // Storage. Entry 0 of both heap blocks is unused: instance n sits at index n.
    HeapBlock<GeoInstTransform> transforms; // (max + 1) entries
    HeapBlock<std::byte> instanceData;      // (max + 1) x stride bytes
    Com<IDirect3DVertexBuffer9> instanceBuffer;        // stream 1
    Com<IDirect3DIndexBuffer9> sequentialIndexBuffer;  // 0..n-1 for meshes drawn without indices
    int32_t renderPriority;             // sort key of GeoInst_SortRenderQueue, larger first

    // Sizes of what the storage holds now. The layout fields above may change without the storage
    // being remade (while a custom layout is being declared), so every access to instance data or
    // the instance buffer is bounded by these, never by max x stride alone.
    uint32_t instanceDataBytes;
    uint32_t instanceBufferBytes;
    // Set once an excluded flag other than 0 or 1 was stored: the draw count may then drift from
    // the number of drawn instances, and the upload locks for the worst case.
    int32_t unusualExclusionFlags;
    // How many of instances 1 to max carry a non-zero excluded flag. While it is 0 the upload is
    // one block copy, with no scan of the flags.
    int32_t excludedInstances;
    // The excluded flags again, one bit each: bit n % 32 of word n / 32 is set when instance n is
    // excluded ((max + 1 + 31) / 32 words). The upload reads these 4 bytes per 32 instances
    // instead of one 40-byte transform entry per instance.
    HeapBlock<uint32_t> excludedBits;
};

// Bytes of one instance vertex for the layout the record describes: the four matrix rows, or with a
// finished custom layout the rows (when declared) followed by the custom data.
inline int LayoutStride(const GeoInstRecord& set)
{
    return set.customElementsEnabled ? kWorldMatrixBytes * set.worldMatrixEnabled + set.customDataSize
                                     : kDefaultStride;
}

// Words of the exclusion bitmap of a set with room for `maxInstanceCount` instances (bit 0, for
// the unused entry 0, included).
inline uint32_t ExclusionWords(int maxInstanceCount)
{
    return (static_cast<uint32_t>(maxInstanceCount) + 32) / 32;
}

// Records instance n's excluded flag in the bitmap (no check of n).
inline void MarkExcluded(GeoInstRecord& set, int n, bool excluded)
{
    const uint32_t bit = 1u << (static_cast<uint32_t>(n) % 32);
    uint32_t& word = set.excludedBits[static_cast<uint32_t>(n) / 32];
    word = excluded ? word | bit : word & ~bit;
}

// The instance vertex of instance n (no check).
inline std::byte* InstanceVertex(const GeoInstRecord& set, int n)
{
    return set.instanceData.get() + static_cast<size_t>(n) * static_cast<uint32_t>(set.stride);
}

// True when `bytes` bytes at `offset` inside instance n's vertex lie inside the instance data.
inline bool InstanceBytesExist(const GeoInstRecord& set, int n, uint32_t offset, uint32_t bytes)
{
    uint64_t end = static_cast<uint64_t>(static_cast<uint32_t>(n)) * static_cast<uint32_t>(set.stride) +
                   offset + bytes;
    return end <= set.instanceDataBytes;
}

// True when the instance buffer holds `count` instance vertices at the current stride, so a draw
// of `count` instances reads only bytes the buffer has.
inline bool InstanceBufferHolds(const GeoInstRecord& set, int count)
{
    return static_cast<uint64_t>(static_cast<uint32_t>(count)) * static_cast<uint32_t>(set.stride) <=
           set.instanceBufferBytes;
}
