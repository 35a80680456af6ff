#include "instance_storage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "address_space.h"
#include "host_access.h"
#include "message_box.h"

namespace {

constexpr const char* kStorageTitle = "GeoInst_SetMaxInstanceCount Error";

// A block of `newBytes` holding the first bytes of `old` (up to `oldBytes`) and zeros after them,
// or null when it cannot be allocated. `old` is left alone.
void* ResizedCopy(const void* old, uint32_t oldBytes, uint32_t newBytes)
{
    void* block = std::malloc(newBytes ? newBytes : 1);
    if (!block)
        return nullptr;
    uint32_t kept = old ? std::min(oldBytes, newBytes) : 0;
    if (kept)
        std::memcpy(block, old, kept);
    std::memset(static_cast<std::byte*>(block) + kept, 0, newBytes - kept);
    return block;
}

// The storage a resize is to make: its room, the layout it is made for and the bytes of each block.
struct StoragePlan {
    int maxInstanceCount;
    int worldMatrixEnabled;
    int customDataOffset;
    int stride;
    StorageSizes sizes;
};

// The new blocks, made while the set still holds its old ones: a refused resize gives them back on
// the way out and the set never sees them.
struct NewStorage {
    HeapBlock<GeoInstTransform> transforms;
    HeapBlock<std::byte> instanceData;
    HeapBlock<uint32_t> excludedBits;
    Com<IDirect3DVertexBuffer9> instanceBuffer;
};

void ShowNotEnoughMemory(const StoragePlan& plan)
{
    char text[160];
    std::snprintf(text, sizeof(text), "Not enough memory for %d instances of %d bytes", plan.maxInstanceCount,
                  plan.stride);
    ShowMessage(kStorageTitle, text);
}

// Check: the plan for room for `maxInstanceCount` instances with the set's layout, or nothing after
// a message when the sizes pass the bound or the device's free video memory.
std::optional<StoragePlan> PlanStorage(const GeoInstRecord& set, int maxInstanceCount)
{
    const int m = maxInstanceCount < 1 ? 1 : maxInstanceCount;
    const int worldMatrixEnabled = set.customElementsEnabled ? set.worldMatrixEnabled : 1;
    const int customDataOffset = set.customElementsEnabled ? kWorldMatrixBytes * set.worldMatrixEnabled : 0;
    const int stride = LayoutStride(set);

    std::optional<StorageSizes> sizes = StorageSizesFor(m, stride);
    if (!sizes) {
        char text[200];
        std::snprintf(text, sizeof(text),
                      "A max instance count of %d with %d bytes per instance is more than a set can hold (at most %d "
                      "instances and %d MB of instance buffer)",
                      m, stride, static_cast<int>(kMaxInstanceCountBound), static_cast<int>(kMaxInstanceBufferBytes >> 20));
        ShowMessage(kStorageTitle, text);
        return std::nullopt;
    }
    // The device's own estimate of its free memory, plus the old buffer's bytes, which it gets back
    // as soon as the new buffer takes its place: a buffer beyond it may be accepted now and fail
    // when the set is first drawn, where nothing can report it.
    IDirect3DDevice9* device = HostDevice();
    if (device && sizes->instanceBufferBytes > set.instanceBufferBytes &&
        sizes->instanceBufferBytes - set.instanceBufferBytes > device->GetAvailableTextureMem()) {
        char text[160];
        std::snprintf(text, sizeof(text), "Not enough video memory for %d instances of %d bytes", m, stride);
        ShowMessage(kStorageTitle, text);
        return std::nullopt;
    }
    return StoragePlan{m, worldMatrixEnabled, customDataOffset, stride, *sizes};
}

// Make: every block of the plan, the heap blocks holding the set's kept bytes, or nothing after a
// message. The set is only read.
std::optional<NewStorage> MakeStorage(const GeoInstRecord& set, const StoragePlan& plan)
{
    NewStorage made;
    const uint32_t oldTransformBytes =
        set.transforms ? static_cast<uint32_t>(set.maxInstanceCount + 1) * sizeof(GeoInstTransform) : 0;
    made.transforms.reset(static_cast<GeoInstTransform*>(
        ResizedCopy(set.transforms.get(), oldTransformBytes, plan.sizes.transformBytes)));
    if (made.transforms)
        made.instanceData.reset(static_cast<std::byte*>(
            ResizedCopy(set.instanceData.get(), set.instanceDataBytes, plan.sizes.instanceDataBytes)));
    if (made.instanceData)
        made.excludedBits.reset(static_cast<uint32_t*>(std::calloc(ExclusionWords(plan.maxInstanceCount), 4)));
    // A driver may keep a copy of the buffer in the game's own address space, in one piece (Wine
    // makes it when the set is first drawn): room for it must be left once the heap blocks are made.
    const bool roomForBuffer = plan.sizes.instanceBufferBytes <= set.instanceBufferBytes ||
                               plan.sizes.instanceBufferBytes <= LargestFreeAddressRange();
    if (!made.excludedBits || !roomForBuffer) {
        ShowNotEnoughMemory(plan);
        return std::nullopt;
    }
    // The old buffer stays until the commit, so for a moment the device holds both.
    IDirect3DDevice9* device = HostDevice();
    if (!device || FAILED(device->CreateVertexBuffer(plan.sizes.instanceBufferBytes, D3DUSAGE_WRITEONLY, 0,
                                                     D3DPOOL_DEFAULT, made.instanceBuffer.put(), nullptr)) ||
        !made.instanceBuffer) {
        ShowMessage("Failed To Create Instance Vertex Buffer!", "Failed To create Instance Vertex buffer!");
        return std::nullopt;
    }
    return made;
}

// Commit: the set takes the new blocks (its old ones are given back) and the plan's layout; nothing
// here can fail.
void CommitStorage(GeoInstRecord& set, const StoragePlan& plan, NewStorage made)
{
    const int m = plan.maxInstanceCount;
    set.transforms = std::move(made.transforms);
    set.instanceData = std::move(made.instanceData);
    set.excludedBits = std::move(made.excludedBits);
    set.instanceBuffer = std::move(made.instanceBuffer);
    set.instanceDataBytes = plan.sizes.instanceDataBytes;
    set.instanceBufferBytes = plan.sizes.instanceBufferBytes;
    set.maxInstanceCount = m;
    set.worldMatrixEnabled = plan.worldMatrixEnabled;
    set.customDataOffset = plan.customDataOffset;
    set.stride = plan.stride;
    // The kept flags, counted and copied into the new bitmap.
    set.excludedInstances = 0;
    for (int n = 1; n <= m; ++n) {
        const bool excluded = set.transforms[n].excluded != 0;
        set.excludedInstances += excluded;
        MarkExcluded(set, n, excluded);
    }
    // Uploads and draws never reach beyond the max: a lowered max takes the counts with it. The
    // draw count no longer matches the instance count, so exclusions stop adjusting it.
    if (set.instanceCount > m) {
        set.instanceCount = m;
        set.drawCountValid = 0;
    }
    if (set.drawCount > m)
        set.drawCount = m;
}

} // namespace

std::optional<StorageSizes> StorageSizesFor(int maxInstanceCount, int stride)
{
    const uint64_t m = static_cast<uint32_t>(maxInstanceCount);
    const uint64_t s = static_cast<uint32_t>(stride);
    if (m > kMaxInstanceCountBound || m * s > kMaxInstanceBufferBytes)
        return std::nullopt;
    return StorageSizes{static_cast<uint32_t>((m + 1) * sizeof(GeoInstTransform)), static_cast<uint32_t>((m + 1) * s),
                        static_cast<uint32_t>(m * s)};
}

void ResizeInstanceStorage(GeoInstRecord& set, int maxInstanceCount)
{
    std::optional<StoragePlan> plan = PlanStorage(set, maxInstanceCount);
    if (!plan)
        return;
    std::optional<NewStorage> storage = MakeStorage(set, *plan);
    if (!storage)
        return;
    CommitStorage(set, *plan, std::move(*storage));
}

uint64_t SequentialIndexBytes(uint32_t vertexCount)
{
    return static_cast<uint64_t>(vertexCount) * (vertexCount <= kSixteenBitIndexLimit ? 2 : 4);
}

Com<IDirect3DIndexBuffer9> CreateSequentialIndexBuffer(IDirect3DDevice9* device, int vertexCount)
{
    const uint64_t bytes = vertexCount > 0 ? SequentialIndexBytes(static_cast<uint32_t>(vertexCount)) : 0;
    const bool sixteenBit = vertexCount <= static_cast<int>(kSixteenBitIndexLimit);
    Com<IDirect3DIndexBuffer9> buffer;
    if (!device || bytes == 0 || bytes > std::numeric_limits<UINT>::max() ||
        FAILED(device->CreateIndexBuffer(static_cast<UINT>(bytes), D3DUSAGE_WRITEONLY,
                                         sixteenBit ? D3DFMT_INDEX16 : D3DFMT_INDEX32, D3DPOOL_DEFAULT, buffer.put(),
                                         nullptr)) ||
        !buffer) {
        ShowMessage("ERROR", "Failed To Create Sequential Index Buffer");
        return {};
    }
    void* indices = nullptr;
    if (FAILED(buffer->Lock(0, 0, &indices, 0)) || !indices) {
        ShowMessage("ERROR", "Failed To Fill Sequential Index Buffer");
        return {};
    }
    if (sixteenBit) {
        auto* out = static_cast<uint16_t*>(indices);
        for (int i = 0; i < vertexCount; ++i)
            out[i] = static_cast<uint16_t>(i);
    } else {
        auto* out = static_cast<uint32_t*>(indices);
        for (int i = 0; i < vertexCount; ++i)
            out[i] = static_cast<uint32_t>(i);
    }
    buffer->Unlock();
    return buffer;
}
