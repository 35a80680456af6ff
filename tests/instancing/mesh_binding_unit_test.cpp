// Binding a set to a host mesh and sizing its storage.
#include "instancing/instance_storage.h"
#include "instancing_commands.h"
#include "plugin_state.h"
#include "recording_device.h"
#include "unit_fixture.h"

#include <array>
#include <cstring>
#include <type_traits>

namespace {

// A record owns its storage blocks, so a copy would be a second owner freeing them again: the
// record can be moved but never copied.
static_assert(!std::is_copy_constructible_v<GeoInstRecord> && !std::is_copy_assignable_v<GeoInstRecord>);
static_assert(std::is_nothrow_move_constructible_v<GeoInstRecord>);

// What a refused command must leave exactly as it was: the record's bytes, pointers included.
using RecordBytes = std::array<unsigned char, sizeof(GeoInstRecord)>;
RecordBytes BytesOf(const GeoInstRecord& record)
{
    RecordBytes bytes;
    std::memcpy(bytes.data(), &record, sizeof(record));
    return bytes;
}

using MeshBindingTest = InstancingUnitTest;

const ShownMessage kNoEffect{"ERROR", "Object Must Have An Effect Applied Before Setting up Hardware Instancing"};
const ShownMessage kNoVertexBuffer{"ERROR", "It appears that dbpro has not yet generated this object's vertex buffer"};

TEST(StorageSizes, FollowTheMaxAndTheStride)
{
    auto sizes = StorageSizesFor(100, 64);
    ASSERT_TRUE(sizes);
    EXPECT_EQ(sizes->transformBytes, 101u * 40);
    EXPECT_EQ(sizes->instanceDataBytes, 101u * 64);
    EXPECT_EQ(sizes->instanceBufferBytes, 100u * 64);
    // The bound: 2,097,152 instances, and 128 MB of instance buffer for layouts wider than 64 bytes.
    EXPECT_TRUE(StorageSizesFor(2097152, 64) && !StorageSizesFor(2097153, 64) && StorageSizesFor(1198372, 112) &&
                !StorageSizesFor(1198373, 112) && StorageSizesFor(2097152, 4) && !StorageSizesFor(2097153, 4));
    EXPECT_FALSE(StorageSizesFor(67108864, 64));
    EXPECT_FALSE(StorageSizesFor(0x7FFFFFFF, 16));
    EXPECT_FALSE(StorageSizesFor(0x7FFFFFFF, 4)) << "the transform array alone overflows";
}

TEST(SequentialIndexSizes, SixteenBitsUpTo65535Vertices)
{
    EXPECT_EQ(SequentialIndexBytes(24), 48u);
    EXPECT_EQ(SequentialIndexBytes(65535), 131070u);
    EXPECT_EQ(SequentialIndexBytes(65536), 262144u);
}

TEST_F(MeshBindingTest, BindingRecordsTheLimbAndTheEffectsTextureParameters)
{
    LimbLayout limb1;
    limb1.effectParameters = {{"Diffuse", D3DXPT_TEXTURE, D3DXPC_OBJECT},
                              {"World", D3DXPT_FLOAT, D3DXPC_MATRIX_ROWS},
                              {"Cube", D3DXPT_TEXTURECUBE, D3DXPC_OBJECT},
                              {"Normal", D3DXPT_TEXTURE, D3DXPC_OBJECT}};
    MakeObject(5, std::vector<LimbLayout>{LimbLayout{}, limb1});
    int set = GeoInst_MakeNew();
    EXPECT_EQ(GeoInst_SetMesh(set, 5, 1), 0);
    EXPECT_EQ(GeoInst_GetMeshObject(set), 5);
    EXPECT_EQ(GeoInst_GetMeshLimb(set), 1);
    const GeoInstRecord& record = Set(set);
    ID3DXEffect* effect = record.mesh->effect->effect;
    EXPECT_EQ(record.textureParameterCount, 2) << "plain textures only";
    EXPECT_EQ(record.textureParameters[0], ParameterHandle(effect, 0));
    EXPECT_EQ(record.textureParameters[1], ParameterHandle(effect, 3));
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(MeshBindingTest, AtMostEightTextureParametersAreKept)
{
    LimbLayout mesh;
    mesh.effectParameters.clear();
    for (int i = 0; i < 10; ++i)
        mesh.effectParameters.push_back({"T" + std::to_string(i), D3DXPT_TEXTURE, D3DXPC_OBJECT});
    int set = MakeBoundSet(1, mesh);
    const GeoInstRecord& record = Set(set);
    EXPECT_EQ(record.textureParameterCount, 8);
    EXPECT_EQ(record.textureParameters[7], ParameterHandle(record.mesh->effect->effect, 7));
}

TEST_F(MeshBindingTest, RefusedBindingsLeaveTheSetAsItWas)
{
    int set = MakeBoundSet(4);
    GeoInstRecord& record = Set(set);
    const RecordBytes before = BytesOf(record);
    MakeObject(20, LimbLayout{.effect = false});
    MakeObject(21, LimbLayout{.vertexBuffer = false});
    MakeObject(22, std::vector<LimbLayout>{});
    MakeObject(23, LimbLayout{.fvf = D3DFVF_XYZ | D3DFVF_RESERVED0, .indexCount = 0}); // no declaration

    EXPECT_EQ(GeoInst_SetMesh(set, 20, 0), 1);
    EXPECT_EQ(GeoInst_SetMesh(set, 21, 0), 1);
    EXPECT_EQ(GeoInst_SetMesh(set, 99, 0), 1);
    EXPECT_EQ(GeoInst_SetMesh(set, 21, 1), 1);
    EXPECT_EQ(GeoInst_SetMesh(set, 21, -1), 1);
    EXPECT_EQ(GeoInst_SetMesh(set, 22, 0), 1);
    EXPECT_EQ(GeoInst_SetMesh(set, 23, 0), 1);
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{kNoEffect, kNoVertexBuffer,
                                                           {"ERROR", "Object 99 does not exist"},
                                                           {"ERROR", "Object 21 has no limb 1"},
                                                           {"ERROR", "Object 21 has no limb -1"},
                                                           {"ERROR", "Object 22 has no limb 0"},
                                                           {"ERROR", "Failed To Create Vertex Declarator"}}));
    EXPECT_EQ(BytesOf(record), before);
}

TEST_F(MeshBindingTest, MeshesWithoutIndicesGetASequentialIndexBuffer)
{
    int set = MakeBoundSet(1, LimbLayout{.vertexCount = 24, .indexCount = 0});
    GeoInstRecord& record = Set(set);
    ASSERT_NE(record.sequentialIndexBuffer, nullptr);
    D3DINDEXBUFFER_DESC desc{};
    record.sequentialIndexBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Format, D3DFMT_INDEX16);
    EXPECT_EQ(desc.Size, 48u);
    EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_WRITEONLY));
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);

    MakeObject(31, LimbLayout{.vertexSize = 12, .vertexCount = 70000, .indexCount = 0});
    IDirect3DIndexBuffer9* old = record.sequentialIndexBuffer.ptr();
    old->AddRef();
    GeoInst_SetMesh(set, 31, 0);
    EXPECT_EQ(old->Release(), 0u) << "the old sequential buffer was released";
    record.sequentialIndexBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Format, D3DFMT_INDEX32);
    EXPECT_EQ(desc.Size, 280000u);

    MakeObject(32, LimbLayout{.indexCount = 36});
    old = record.sequentialIndexBuffer.ptr();
    old->AddRef();
    GeoInst_SetMesh(set, 32, 0);
    EXPECT_EQ(old->Release(), 0u);
    EXPECT_EQ(record.sequentialIndexBuffer, nullptr) << "a mesh with indices needs none";
}

TEST_F(MeshBindingTest, AMeshWithoutVerticesKeepsTheOldBinding)
{
    int set = MakeBoundSet(1, LimbLayout{.indexCount = 0});
    GeoInstRecord& record = Set(set);
    HostMesh* before = record.mesh;
    IDirect3DIndexBuffer9* sequential = record.sequentialIndexBuffer.ptr();
    MakeObject(40, LimbLayout{.vertexCount = 0, .indexCount = 0});
    EXPECT_EQ(GeoInst_SetMesh(set, 40, 0), 1);
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{{"ERROR", "Failed To Create Sequential Index Buffer"}}));
    EXPECT_EQ(record.mesh, before);
    EXPECT_EQ(record.sequentialIndexBuffer, sequential);
}

TEST_F(MeshBindingTest, MaxInstanceCountSizesTheStorage)
{
    int set = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(set, 0);
    EXPECT_EQ(GeoInst_GetMaxInstanceCount(set), 1);
    GeoInst_SetMaxInstanceCount(set, -3);
    EXPECT_EQ(GeoInst_GetMaxInstanceCount(set), 1);

    GeoInst_SetMaxInstanceCount(set, 100);
    const GeoInstRecord& record = Set(set);
    EXPECT_EQ(record.instanceDataBytes, 101u * 64);
    D3DVERTEXBUFFER_DESC desc{};
    ASSERT_NE(record.instanceBuffer, nullptr);
    record.instanceBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 6400u);
    EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_WRITEONLY));
    EXPECT_EQ(desc.FVF, 0u);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    for (int n = 1; n <= 100; ++n) {
        ASSERT_EQ(GeoInst_GetExcluded(set, n), 0);
        ASSERT_EQ(AsFloat(GeoInst_GetScaleX(set, n)), 0.0f) << "zero-filled";
    }
}

TEST_F(MeshBindingTest, ResizingKeepsTheFirstInstancesAndZeroFillsNewOnes)
{
    int set = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(set, 100);
    for (int n = 1; n <= 100; ++n) {
        GeoInst_SetPosition(set, n, float(n), 0, 0);
        float m[16] = {};
        m[0] = float(n);
        GeoInst_SetWorldMatrixPtr(set, n, ScriptAddress(m));
    }
    GeoInst_SetMaxInstanceCount(set, 10);
    GeoInst_SetMaxInstanceCount(set, 20);
    for (int n = 1; n <= 20; ++n) {
        float expected = n <= 10 ? float(n) : 0.0f;
        EXPECT_EQ(AsFloat(GeoInst_GetPositionX(set, n)), expected) << n;
        auto* matrix = reinterpret_cast<const float*>(static_cast<uintptr_t>(GeoInst_GetWorldMatrixPtr(set, n)));
        EXPECT_EQ(matrix[0], expected) << n;
    }
}

TEST_F(MeshBindingTest, NewInstancesHoldZerosInEveryValue)
{
    int set = GeoInst_MakeNew();
    GeoInst_DeclareCustomElements(set, 1);
    GeoInst_AddCustomElement(set, 4);
    GeoInst_FinishCustomElements(set);
    GeoInst_SetMaxInstanceCount(set, 2);
    GeoInst_SetMaxInstanceCount(set, 3); // instance 3 comes from the larger count
    struct Case {
        const char* what;
        int(__cdecl* get)(int, int);
    } perInstance[] = {
        {"position x", GeoInst_GetPositionX}, {"position y", GeoInst_GetPositionY},
        {"position z", GeoInst_GetPositionZ}, {"angle x", GeoInst_GetAngleX},
        {"angle y", GeoInst_GetAngleY},       {"angle z", GeoInst_GetAngleZ},
        {"scale x", GeoInst_GetScaleX},       {"scale y", GeoInst_GetScaleY},
        {"scale z", GeoInst_GetScaleZ},
    };
    struct ElementCase {
        const char* what;
        int(__cdecl* get)(int, int, int);
    } perElement[] = {
        {"custom x", GeoInst_GetCustomDataX}, {"custom y", GeoInst_GetCustomDataY},
        {"custom z", GeoInst_GetCustomDataZ}, {"custom w", GeoInst_GetCustomDataW},
    };
    for (int n : {1, 3}) {
        for (const Case& c : perInstance)
            EXPECT_EQ(AsFloat(c.get(set, n)), 0.0f) << c.what << " of instance " << n;
        for (const ElementCase& c : perElement)
            EXPECT_EQ(AsFloat(c.get(set, n, 1)), 0.0f) << c.what << " of instance " << n;
        EXPECT_EQ(GeoInst_GetExcluded(set, n), 0) << n;
        auto* matrix = reinterpret_cast<const float*>(static_cast<uintptr_t>(GeoInst_GetWorldMatrixPtr(set, n)));
        ASSERT_NE(matrix, nullptr);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(matrix[i], 0.0f) << "matrix float " << i << " of instance " << n;
    }
}

TEST_F(MeshBindingTest, NewStorageMovesTheAddressesTheScriptWasGiven)
{
    int set = GeoInst_MakeNew();
    GeoInst_DeclareCustomElements(set, 1);
    GeoInst_AddCustomElement(set, 4);
    GeoInst_FinishCustomElements(set);
    GeoInst_SetMaxInstanceCount(set, 4);
    struct Case {
        const char* what;
        void (*remake)(int set);
    } cases[] = {
        {"a new max instance count", [](int s) { GeoInst_SetMaxInstanceCount(s, 8); }},
        {"the same max instance count again", [](int s) { GeoInst_SetMaxInstanceCount(s, 8); }},
        {"a finished layout", [](int s) {
             GeoInst_DeclareCustomElements(s, 1);
             GeoInst_AddCustomElement(s, 4);
             GeoInst_FinishCustomElements(s);
         }},
    };
    for (const Case& c : cases) {
        const int matrix = GeoInst_GetWorldMatrixPtr(set, 2);
        const int custom = GeoInst_GetCustomDataPtr(set, 2, 1, 0);
        ASSERT_NE(matrix, 0) << c.what;
        ASSERT_NE(custom, 0) << c.what;
        c.remake(set);
        EXPECT_NE(GeoInst_GetWorldMatrixPtr(set, 2), matrix) << c.what;
        EXPECT_NE(GeoInst_GetCustomDataPtr(set, 2, 1, 0), custom) << c.what;
    }
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

// The device the plugin is handed while a row of the storage-failure table runs.
RecordingDevice* g_failingDevice = nullptr;

TEST_F(MeshBindingTest, RefusedStorageLeavesTheSetAsItWas)
{
    const struct Row {
        const char* what;
        int count;
        bool refuseBuffer;
        const char* textStart;
        const char* title;
    } rows[] = {
        {"beyond 32 bits", 0x7FFFFFFF, false,
         "A max instance count of 2147483647 with 64 bytes per instance is more than a set can hold (at most 2097152 "
         "instances and 128 MB of instance buffer)",
         "GeoInst_SetMaxInstanceCount Error"},
        {"more than a 32-bit game could hold", 16777216, false,
         "A max instance count of 16777216 with 64 bytes per instance is", "GeoInst_SetMaxInstanceCount Error"},
        {"an instance buffer the device refuses", 20, true, "Failed To create Instance Vertex buffer!",
         "Failed To Create Instance Vertex Buffer!"},
    };
    const auto device = Com<RecordingDevice>::Adopt(new RecordingDevice(Device()));
    g_failingDevice = device.ptr();
    int set = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(set, 10);
    GeoInstRecord& record = Set(set);
    const RecordBytes before = BytesOf(record);
    for (const Row& row : rows) {
        HostFunctionTable& host = Plugin().host;
        const auto ownDevice = host.GetDirect3DDevice;
        if (row.refuseBuffer) {
            device->FailCall(DeviceMethod::CreateVertexBuffer, 1);
            host.GetDirect3DDevice = [] { return static_cast<IDirect3DDevice9*>(g_failingDevice); };
        }
        GeoInst_SetMaxInstanceCount(set, row.count);
        host.GetDirect3DDevice = ownDevice;
        device->ClearFailures();
        const auto shown = messages_.Take();
        ASSERT_THAT(shown, testing::SizeIs(1)) << row.what;
        EXPECT_EQ(shown[0].title, row.title) << row.what;
        EXPECT_THAT(shown[0].text, testing::StartsWith(row.textStart)) << row.what;
        EXPECT_EQ(BytesOf(record), before) << row.what;
    }
}

} // namespace
