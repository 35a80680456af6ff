// Per-instance storage of a set: the transform array and instance data on the heap, the instance
// buffer on the device; and the sequential index buffer that lets meshes without indices be drawn
// with an indexed draw call.
#pragma once

#include "com.h"

#include <cstdint>
#include <optional>

#include "geo_inst_record.h"

inline constexpr uint32_t kSixteenBitIndexLimit = 65535;

struct StorageSizes {
    uint32_t transformBytes;      // (m + 1) x 40
    uint32_t instanceDataBytes;   // (m + 1) x stride
    uint32_t instanceBufferBytes; // m x stride
};

// The most one set may hold. A 32-bit game has 2 GB of address space at most, shared with its own
// modules, meshes and textures and cut into pieces by them. At the bound a set with the default
// layout holds 80 MB of transforms, 128 MB of instance data and a 128 MB instance buffer, whose
// copy in system memory the driver also maps: about 460 MB in four blocks, near a quarter of it.
inline constexpr uint32_t kMaxInstanceCountBound = 1u << 21;        // 2,097,152
inline constexpr uint32_t kMaxInstanceBufferBytes = 128u << 20;     // 128 MB

// The sizes for max instance count m (at least 1) and the stride, or nothing when m or the
// instance buffer passes the bound above.
std::optional<StorageSizes> StorageSizesFor(int maxInstanceCount, int stride);

// Gives the set room for m instances (m below 1 counts as 1), with the stride of its layout; the
// body of GeoInst_SetMaxInstanceCount. Heap blocks keep their bytes and zero-fill what they gain.
// Sizes beyond the bound, an instance buffer larger than the device's free texture memory or the
// largest free range of the address space, a failed allocation and a buffer the device refuses are
// refused with a message and leave the set as it was: every block is made before the set changes.
void ResizeInstanceStorage(GeoInstRecord& set, int maxInstanceCount);

// Bytes of the sequential index buffer for n vertices: 2 per index up to 65535 vertices, else 4.
uint64_t SequentialIndexBytes(uint32_t vertexCount);

// Makes a write-only index buffer holding 0, 1, ..., n - 1, or an empty holder (after a message)
// when it cannot be made or filled.
Com<IDirect3DIndexBuffer9> CreateSequentialIndexBuffer(IDirect3DDevice9* device, int vertexCount);
