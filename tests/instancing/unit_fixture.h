// Fixture for white-box tests of the instancing code: the plugin's state starts anew for every
// test, the real device of the reference host is handed out through GetDirect3DDevice, and host
// objects are records built here by hand, so no scene engine is needed.
#pragma once

#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "geo_inst_record.h"
#include "parameter_list_effect.h"
#include "recorded_messages.h"

// How a hand-built limb mesh looks.
struct LimbLayout {
    // Stream-0 elements of a mesh with its own declaration (without the end marker); empty = the
    // mesh is described by `fvf`.
    std::vector<D3DVERTEXELEMENT9> elements;
    DWORD fvf = D3DFVF_XYZ | D3DFVF_NORMAL;
    int vertexSize = 24;
    int vertexCount = 24;
    int primitiveCount = 12;
    int indexCount = 36;           // 0 = drawn without indices
    bool effect = true;
    std::vector<EffectParameter> effectParameters = {
        {"DiffuseTexture", D3DXPT_TEXTURE, D3DXPC_OBJECT},
        {"World", D3DXPT_FLOAT, D3DXPC_MATRIX_ROWS},
    };
    bool vertexBuffer = true;      // false: the host has not generated it yet
};

class InstancingUnitTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Makes (or replaces) host object `object` whose limbs are meshes of these layouts.
    HostMesh* MakeObject(int object, const std::vector<LimbLayout>& limbs);
    HostMesh* MakeObject(int object, const LimbLayout& limb = {}) { return MakeObject(object, std::vector{limb}); }
    void ForgetObject(int object);

    // The record behind a handle.
    static GeoInstRecord& Set(int handle) { return *reinterpret_cast<GeoInstRecord*>(static_cast<uintptr_t>(static_cast<uint32_t>(handle))); }

    // A new set bound to limb 0 of a fresh object with room for `maxInstances`.
    int MakeBoundSet(int maxInstances, const LimbLayout& mesh = {});

    // Replaces the set's write-only instance buffer by a readable one of the same size, so the
    // bytes an upload writes can be read back.
    void UseReadableInstanceBuffer(GeoInstRecord& set);
    std::vector<std::byte> InstanceBufferBytes(GeoInstRecord& set, UINT bytes);

    static IDirect3DDevice9* Device();

    // AddToRenderList calls seen: (callback, order).
    static std::vector<std::pair<void*, int>> registrations_;
    RecordedMessages messages_;

private:
    struct TestObject {
        sObject record{};
        std::vector<HostMesh*> meshList;
    };
    struct TestMesh {
        HostMesh mesh{};
        HostDrawBuffer drawBuffer{};
        HostEffect effectRecord{};
        ID3DXEffect* effect = nullptr;
        IDirect3DVertexBuffer9* vertexBuffer = nullptr;
        IDirect3DVertexDeclaration9* declaration = nullptr;
    };
    static sObject* __cdecl GetObjectA(int object);
    static void __cdecl AddToRenderList(void* callback, int order);
    void Release(TestMesh& mesh);

    static std::map<int, std::unique_ptr<TestObject>>* objects_;
    std::map<int, std::unique_ptr<TestObject>> ownObjects_;
    std::deque<TestMesh> meshes_;
    int nextObject_ = 1000;
};

// Element helpers for limb layouts.
inline D3DVERTEXELEMENT9 Element(WORD offset, BYTE type, BYTE usage, BYTE usageIndex, BYTE stream = 0)
{
    return {stream, offset, type, D3DDECLMETHOD_DEFAULT, usage, usageIndex};
}
inline bool operator==(const D3DVERTEXELEMENT9& a, const D3DVERTEXELEMENT9& b)
{
    return a.Stream == b.Stream && a.Offset == b.Offset && a.Type == b.Type && a.Method == b.Method &&
           a.Usage == b.Usage && a.UsageIndex == b.UsageIndex;
}
std::ostream& operator<<(std::ostream& out, const D3DVERTEXELEMENT9& e);

// The elements of a declaration as the device reports them, end marker included.
std::vector<D3DVERTEXELEMENT9> DeclarationElements(IDirect3DVertexDeclaration9* declaration);
// The elements of a D3DDECL_END-terminated array, end marker included.
std::vector<D3DVERTEXELEMENT9> ElementsUpToEnd(const D3DVERTEXELEMENT9* elements);

// Position (float3), normal (float3), TEXCOORD0 (float2).
std::vector<D3DVERTEXELEMENT9> PositionNormalTexcoord();
