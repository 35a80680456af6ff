// The records the host hands out: every field a plugin reads sits at its byte offset and holds
// what the engine built.
#include <cstring>

#include "plugin_loader.h"
#include "scene_fixture.h"

namespace {

template <typename T>
T At(const void* record, size_t offset)
{
    T value;
    std::memcpy(&value, static_cast<const BYTE*>(record) + offset, sizeof value);
    return value;
}

UINT VertexBufferBytes(IDirect3DVertexBuffer9* vb)
{
    D3DVERTEXBUFFER_DESC desc{};
    vb->GetDesc(&desc);
    return desc.Size;
}

UINT IndexBufferBytes(IDirect3DIndexBuffer9* ib)
{
    D3DINDEXBUFFER_DESC desc{};
    ib->GetDesc(&desc);
    return desc.Size;
}

using RecordsTest = SceneTest;

TEST_F(RecordsTest, IndexedFvfCubeMeshHasItsCountsAndBuffersAtTheirOffsets)
{
    refhost::MeshDescription meshDescription;
    meshDescription.size = 2.0f;
    meshDescription.texCoordSets = 1;
    meshDescription.colour = 0x80FF4020;
    ASSERT_TRUE(refhost::MakeObject(3, meshDescription));
    sObject* object = refhost::GetObjectRecord(3);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(At<int32_t>(object, 0), 1);
    auto** meshList = At<HostMesh**>(object, 8);
    ASSERT_NE(meshList, nullptr);
    const HostMesh* mesh = meshList[0];
    EXPECT_EQ(mesh, refhost::GetLimbMesh(3, 0));

    const DWORD fvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
    EXPECT_EQ(At<DWORD>(mesh, 4), fvf);
    EXPECT_EQ(At<int32_t>(mesh, 8), 32);                   // 3 + 3 + 2 floats
    EXPECT_EQ(At<int32_t>(mesh, 24), 36);                  // 6 faces x 2 triangles
    EXPECT_EQ(At<D3DPRIMITIVETYPE>(mesh, 36), D3DPT_TRIANGLELIST);
    EXPECT_EQ(At<int32_t>(mesh, 40), 24);                  // 4 corners per face
    EXPECT_EQ(At<int32_t>(mesh, 44), 12);
    EXPECT_EQ(At<IDirect3DVertexDeclaration9*>(mesh, 592), nullptr);
    EXPECT_EQ(At<HostEffect*>(mesh, 600), nullptr);
    EXPECT_EQ(At<int8_t>(mesh, 889), 1);
    EXPECT_EQ(At<D3DCOLOR>(mesh, 900), 0x80FF4020u);
    EXPECT_EQ(At<int8_t>(mesh, 1038), 1);
    EXPECT_EQ(At<int8_t>(mesh, 1050), 1);
    EXPECT_EQ(At<int8_t>(mesh, 1051), 1);
    EXPECT_FLOAT_EQ(At<D3DMATERIAL9>(mesh, 916).Diffuse.r, 1.0f);
    EXPECT_NEAR(At<D3DMATERIAL9>(mesh, 916).Diffuse.g, 0x40 / 255.0f, 1e-6);

    // The engine makes the buffers when it first draws the object: not before, and not while hidden.
    auto* draw = At<HostDrawBuffer*>(mesh, 48);
    ASSERT_NE(draw, nullptr);
    refhost::HideObject(3);
    refhost::FastSync();
    EXPECT_EQ(At<IDirect3DVertexBuffer9*>(draw, 0), nullptr) << "a hidden object is never drawn";
    EXPECT_EQ(At<IDirect3DIndexBuffer9*>(draw, 4), nullptr);
    refhost::ShowObject(3);
    refhost::FastSync();
    auto* vb = At<IDirect3DVertexBuffer9*>(draw, 0);
    auto* ib = At<IDirect3DIndexBuffer9*>(draw, 4);
    ASSERT_NE(vb, nullptr);
    ASSERT_NE(ib, nullptr);
    EXPECT_EQ(At<int32_t>(draw, 16), 24);
    EXPECT_EQ(VertexBufferBytes(vb), 24u * 32u);
    EXPECT_EQ(IndexBufferBytes(ib), 36u * 2u);
}

TEST_F(RecordsTest, NonIndexedDeclarationSphereHasNoIndicesAndItsElements)
{
    refhost::MeshDescription meshDescription;
    meshDescription.shape = refhost::Shape::Sphere;
    meshDescription.useDeclaration = true;
    meshDescription.indexed = false;
    meshDescription.vertexColour = true;
    meshDescription.texCoordSets = 2;
    meshDescription.sphereRings = 4;
    meshDescription.sphereSegments = 6;
    ASSERT_TRUE(refhost::MakeObject(1, meshDescription));
    const HostMesh* mesh = refhost::GetLimbMesh(1, 0);
    ASSERT_NE(mesh, nullptr);
    // 4 rings of 6 segments: the two polar rings give one triangle per segment, the others two.
    const int triangles = 6 + 6 + 2 * 6 * 2;
    EXPECT_EQ(At<int32_t>(mesh, 24), 0);
    EXPECT_EQ(At<int32_t>(mesh, 40), triangles * 3);
    EXPECT_EQ(At<int32_t>(mesh, 44), triangles);
    EXPECT_EQ(At<int32_t>(mesh, 8), 12 + 12 + 4 + 8 + 8);
    EXPECT_EQ(At<DWORD>(mesh, 4), 0u) << "a declaration mesh is not described by an FVF";
    auto* draw = At<HostDrawBuffer*>(mesh, 48);
    EXPECT_EQ(At<IDirect3DIndexBuffer9*>(draw, 4), nullptr);
    EXPECT_EQ(At<int32_t>(draw, 16), triangles * 3);

    auto* declaration = At<IDirect3DVertexDeclaration9*>(mesh, 592);
    ASSERT_NE(declaration, nullptr);
    const auto* elements = reinterpret_cast<const D3DVERTEXELEMENT9*>(reinterpret_cast<const BYTE*>(mesh) + 68);
    struct Expected { WORD offset; BYTE type; BYTE usage; BYTE index; };
    const Expected expected[] = {{0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0},
                                 {12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0},
                                 {24, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0},
                                 {28, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 0},
                                 {36, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 1}};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(elements[i].Stream, 0);
        EXPECT_EQ(elements[i].Offset, expected[i].offset);
        EXPECT_EQ(elements[i].Type, expected[i].type);
        EXPECT_EQ(elements[i].Usage, expected[i].usage);
        EXPECT_EQ(elements[i].UsageIndex, expected[i].index);
    }
    EXPECT_EQ(elements[5].Stream, 0xFF) << "the element list ends with D3DDECL_END";
    // The device's own view of the declaration agrees with the record's elements.
    D3DVERTEXELEMENT9 fromDevice[MAXD3DDECLLENGTH + 1];
    UINT count = 0;
    ASSERT_EQ(declaration->GetDeclaration(fromDevice, &count), D3D_OK);
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(std::memcmp(fromDevice, elements, count * sizeof(D3DVERTEXELEMENT9)), 0);
}

TEST_F(RecordsTest, LimbsAndTextureStageEntriesAreLaidOutAsPluginsIndexThem)
{
    ASSERT_NE(refhost::MakeImage(9, 4, 4, 0xFF00FF00), nullptr);
    refhost::MeshDescription meshDescription;
    meshDescription.shape = refhost::Shape::Plane;
    meshDescription.limbs = 3;
    meshDescription.texCoordSets = 1;
    meshDescription.textureStages = 2;
    meshDescription.image = 9;
    ASSERT_TRUE(refhost::MakeObject(4, meshDescription));
    sObject* object = refhost::GetObjectRecord(4);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(At<int32_t>(object, 0), 3);
    auto** meshList = At<HostMesh**>(object, 8);
    for (int limb = 0; limb < 3; ++limb) {
        SCOPED_TRACE(limb);
        const HostMesh* mesh = meshList[limb];
        EXPECT_EQ(mesh, refhost::GetLimbMesh(4, limb));
        EXPECT_EQ(At<int32_t>(mesh, 892), 2);
        const BYTE* stages = At<const BYTE*>(mesh, 904);
        ASSERT_NE(stages, nullptr);
        for (int stage = 0; stage < 2; ++stage) {
            SCOPED_TRACE(stage);
            const BYTE* entry = stages + 328 * stage;
            EXPECT_EQ(At<int32_t>(entry, 256), 9);
            EXPECT_EQ(At<IDirect3DBaseTexture9*>(entry, 260), refhost::GetImagePointer(9));
            EXPECT_EQ(At<IUnknown*>(entry, 264), nullptr);
            EXPECT_EQ(At<int32_t>(entry, 268), stage);
            EXPECT_EQ(At<D3DTEXTUREOP>(entry, 272), D3DTOP_MODULATE);
            EXPECT_EQ(At<DWORD>(entry, 276), static_cast<DWORD>(D3DTA_TEXTURE));
            EXPECT_EQ(At<DWORD>(entry, 280), static_cast<DWORD>(stage == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT));
            EXPECT_EQ(At<D3DTEXTUREFILTERTYPE>(entry, 292), D3DTEXF_LINEAR);
            EXPECT_EQ(At<D3DTEXTUREFILTERTYPE>(entry, 296), D3DTEXF_LINEAR);
            EXPECT_EQ(At<int32_t>(entry, 304), 0);
        }
    }
    EXPECT_NE(meshList[0], meshList[1]);
    EXPECT_EQ(refhost::GetLimbMesh(4, 3), nullptr);
}

TEST_F(RecordsTest, WorldMatrixFollowsPositionRotationAndScale)
{
    ASSERT_TRUE(refhost::MakeObject(2, {}));
    refhost::SetObjectScale(2, 2, 2, 2);
    refhost::SetObjectRotation(2, 0, 90, 0);
    refhost::SetObjectPosition(2, 1, 2, 3);
    const sObject* object = refhost::GetObjectRecord(2);
    D3DXMATRIX world = At<D3DXMATRIX>(object, 776);
    // (1, 0, 0) scaled to 2, turned 90 degrees about Y to (0, 0, -2), then moved.
    D3DXVECTOR3 p(1, 0, 0), out;
    D3DXVec3TransformCoord(&out, &p, &world);
    EXPECT_NEAR(out.x, 1.0f, 1e-5);
    EXPECT_NEAR(out.y, 2.0f, 1e-5);
    EXPECT_NEAR(out.z, 1.0f, 1e-5);
}

TEST_F(RecordsTest, UnknownAndDeletedObjectsHaveNoRecord)
{
    EXPECT_EQ(refhost::GetObjectRecord(77), nullptr);
    ASSERT_TRUE(refhost::MakeObject(77, {}));
    EXPECT_NE(refhost::GetObjectRecord(77), nullptr);
    refhost::DeleteObject(77);
    EXPECT_EQ(refhost::GetObjectRecord(77), nullptr);
    EXPECT_FALSE(refhost::ObjectExists(77));
}

TEST_F(RecordsTest, HostLibrariesReachTheEngineUnderTheirDecoratedNames)
{
    ASSERT_TRUE(refhost::MakeObject(5, {}));
    HostCoreData* core = refhost::CoreData();
    ASSERT_NE(core->basic3DModule, nullptr);
    ASSERT_NE(core->cameraModule, nullptr);
    auto getObject = refhost::ExportAs<sObject*(__cdecl*)(int)>(core->basic3DModule, "?GetObjectA@@YAPAUsObject@@H@Z");
    auto getData = refhost::ExportAs<void*(__cdecl*)(int)>(core->cameraModule, "?GetInternalData@@YAPAXH@Z");
    ASSERT_NE(getObject, nullptr);
    ASSERT_NE(getData, nullptr);
    EXPECT_EQ(getObject(5), refhost::GetObjectRecord(5));
    EXPECT_EQ(getObject(6), nullptr);
    EXPECT_EQ(getData(0), refhost::GetCameraData(0));
    EXPECT_EQ(getData(1), nullptr);
}

TEST_F(RecordsTest, MainCameraStartsWithItsLensAndNoSurfaceOrClipPlane)
{
    const HostCameraData* camera = refhost::GetCameraData(0);
    ASSERT_NE(camera, nullptr);
    EXPECT_FLOAT_EQ(At<float>(camera, 164), 0.0f);
    EXPECT_FLOAT_EQ(At<float>(camera, 364), 1.0f) << "a square host has aspect 1";
    EXPECT_GT(At<float>(camera, 372), 0.0f);
    EXPECT_GT(At<float>(camera, 376), 0.0f);
    EXPECT_GT(At<float>(camera, 380), At<float>(camera, 376));
    EXPECT_EQ(At<int32_t>(camera, 224), 0);
    EXPECT_EQ(At<IDirect3DSurface9*>(camera, 232), nullptr);
    EXPECT_EQ(At<int32_t>(camera, 452), 0);
    EXPECT_EQ(At<D3DXPLANE>(camera, 456), D3DXPLANE(0, 0, 0, 0));
    EXPECT_EQ(refhost::GetCameraData(1), nullptr);
}

} // namespace
