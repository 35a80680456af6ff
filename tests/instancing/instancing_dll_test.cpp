// Geometry instancing through the built Ryxo.dll in the reference host: the declaration, index
// buffer and instance buffer the device was really given, read back from it, and the messages
// the real message box showed.
#include <cstring>
#include <memory>

#include "effect_creation.h"
#include "effect_library.h"
#include "instancing/geo_inst_record.h"
#include "misaligned_call.h"
#include "parameter_list_effect.h"
#include "plugin_fixture.h"
#include "ref_host.h"
#include "scoped_recording_device.h"

namespace {

constexpr D3DVERTEXELEMENT9 kEnd = D3DDECL_END();

D3DVERTEXELEMENT9 Element(WORD offset, BYTE type, BYTE usage, BYTE usageIndex, BYTE stream = 0)
{
    return {stream, offset, type, D3DDECLMETHOD_DEFAULT, usage, usageIndex};
}
D3DVERTEXELEMENT9 Row(int r, int usageIndex)
{
    return Element(static_cast<WORD>(16 * r), D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(usageIndex), 1);
}

} // namespace

bool operator==(const D3DVERTEXELEMENT9& a, const D3DVERTEXELEMENT9& b)
{
    return std::memcmp(&a, &b, sizeof(a)) == 0;
}
std::ostream& operator<<(std::ostream& out, const D3DVERTEXELEMENT9& e)
{
    return out << "{stream " << int(e.Stream) << ", offset " << e.Offset << ", type " << int(e.Type) << ", usage "
               << int(e.Usage) << ", index " << int(e.UsageIndex) << "}";
}

namespace {

class InstancingDllTest : public RyxoDllTest {
protected:
    void SetUp() override
    {
        RyxoDllTest::SetUp();
        refhost::ResetScene();
        device_ = std::make_unique<ScopedRecordingDevice>();
        ASSERT_NE(device_->Get(), nullptr);
        (*device_)->MakeBuffersReadable(true);
    }
    void TearDown() override
    {
        for (int set : sets_)
            CALL(GeoInst_Delete, set);
        device_.reset();
        RyxoDllTest::TearDown();
        refhost::ResetScene();
    }

    RecordingDevice& Device() { return **device_; }

    int MakeSet()
    {
        int set = CALL(GeoInst_MakeNew);
        sets_.push_back(set);
        return set;
    }

    // A host object whose limbs carry an effect with these parameters.
    void MakeEffectObject(int object, const refhost::MeshDescription& shape,
                          std::vector<EffectParameter> parameters = {{"Diffuse", D3DXPT_TEXTURE, D3DXPC_OBJECT}})
    {
        ASSERT_TRUE(refhost::MakeObject(object, shape));
        ID3DXEffect* effect = MakeParameterListEffect(std::move(parameters));
        ASSERT_NE(refhost::AddEffect(object, effect), nullptr);
        effect->Release();
        refhost::SetObjectEffect(object, object);
    }

    // The object the last logged Create* call of `method` made.
    template <typename T>
    T* LastCreated(DeviceMethod method, DeviceCall* call = nullptr)
    {
        auto calls = Device().Filter(method);
        if (calls.empty()) {
            ADD_FAILURE() << "no " << method << " was made";
            return nullptr;
        }
        if (call)
            *call = calls.back();
        return static_cast<T*>(calls.back().object);
    }

    template <typename T>
    static std::vector<T> ReadBuffer(IDirect3DIndexBuffer9* buffer, UINT count)
    {
        std::vector<T> out(count);
        void* data = nullptr;
        if (!buffer || FAILED(buffer->Lock(0, count * sizeof(T), &data, D3DLOCK_READONLY))) {
            ADD_FAILURE() << "index buffer not readable";
            return out;
        }
        std::memcpy(out.data(), data, count * sizeof(T));
        buffer->Unlock();
        return out;
    }
    static std::vector<float> ReadFloats(IDirect3DVertexBuffer9* buffer, UINT count)
    {
        std::vector<float> out(count);
        void* data = nullptr;
        if (!buffer || FAILED(buffer->Lock(0, count * 4, &data, D3DLOCK_READONLY))) {
            ADD_FAILURE() << "vertex buffer not readable";
            return out;
        }
        std::memcpy(out.data(), data, count * 4);
        buffer->Unlock();
        return out;
    }
    static std::vector<D3DVERTEXELEMENT9> ElementsOf(IDirect3DVertexDeclaration9* declaration)
    {
        UINT count = 0;
        if (!declaration || FAILED(declaration->GetDeclaration(nullptr, &count)))
            return {};
        std::vector<D3DVERTEXELEMENT9> out(count);
        declaration->GetDeclaration(out.data(), &count);
        return out;
    }

    std::unique_ptr<ScopedRecordingDevice> device_;
    std::vector<int> sets_;
};

TEST_F(InstancingDllTest, TheFirstSetRegistersTheSyncCallbackOnceWithOrder7500)
{
    void* sync = reinterpret_cast<void*>(Export("GeoInst_Sync"));
    ASSERT_NE(sync, nullptr);
    EXPECT_EQ(refhost::RenderListRegistrations(sync), 0);
    int a = MakeSet();
    int b = MakeSet();
    EXPECT_NE(a, 0);
    EXPECT_NE(a, b);
    int order = 0;
    EXPECT_EQ(refhost::RenderListRegistrations(sync, &order), 1);
    EXPECT_EQ(order, 7500);
}

TEST_F(InstancingDllTest, DeclarationHoldsTheMeshElementsThenTheMatrixRows)
{
    MakeEffectObject(1, {.useDeclaration = true, .texCoordSets = 1});
    MakeEffectObject(2, {.useDeclaration = false, .normals = true, .texCoordSets = 0});
    int set = MakeSet();
    ASSERT_EQ(CALL(GeoInst_SetMesh, set, 1, 0), 0);
    const HostMesh* mesh = refhost::GetLimbMesh(1, 0);
    std::vector<D3DVERTEXELEMENT9> expected;
    for (int i = 0; mesh->vertexElements[i].Stream != 0xFF; ++i)
        expected.push_back(mesh->vertexElements[i]);
    ASSERT_FALSE(expected.empty());
    for (int r = 0; r < 4; ++r)
        expected.push_back(Row(r, 1 + r));
    expected.push_back(kEnd);
    EXPECT_EQ(ElementsOf(LastCreated<IDirect3DVertexDeclaration9>(DeviceMethod::CreateVertexDeclaration)), expected);

    ASSERT_EQ(CALL(GeoInst_SetMesh, set, 2, 0), 0);
    EXPECT_EQ(ElementsOf(LastCreated<IDirect3DVertexDeclaration9>(DeviceMethod::CreateVertexDeclaration)),
              (std::vector<D3DVERTEXELEMENT9>{Element(0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0),
                                              Element(12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0), Row(0, 1),
                                              Row(1, 2), Row(2, 3), Row(3, 4), kEnd}))
        << "an FVF mesh is described by the declarator";
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(InstancingDllTest, CustomElementsAreDeclaredAfterTheRowsAndSizeTheBuffer)
{
    MakeEffectObject(1, {.useDeclaration = true, .texCoordSets = 1});
    int set = MakeSet();
    CALL(GeoInst_SetMesh, set, 1, 0);
    CALL(GeoInst_SetMaxInstanceCount, set, 10);
    CALL(GeoInst_DeclareCustomElements, set, 1);
    CALL(GeoInst_AddCustomElement, set, 3);
    CALL(GeoInst_AddCustomElement, set, 2);
    Device().ClearLog();
    CALL(GeoInst_FinishCustomElements, set);

    auto elements = ElementsOf(LastCreated<IDirect3DVertexDeclaration9>(DeviceMethod::CreateVertexDeclaration));
    ASSERT_GE(elements.size(), 3u);
    std::vector<D3DVERTEXELEMENT9> tail(elements.end() - 3, elements.end());
    EXPECT_EQ(tail, (std::vector<D3DVERTEXELEMENT9>{Element(64, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_TEXCOORD, 5, 1),
                                                    Element(76, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 6, 1), kEnd}));
    DeviceCall created;
    LastCreated<IDirect3DVertexBuffer9>(DeviceMethod::CreateVertexBuffer, &created);
    EXPECT_EQ(created.Arg(0), 10u * 84) << "max x stride";
    EXPECT_EQ(created.Arg(1), static_cast<uint32_t>(D3DUSAGE_WRITEONLY));
    EXPECT_EQ(created.Arg(2), 0u) << "no FVF";
    EXPECT_EQ(created.Arg(3), static_cast<uint32_t>(D3DPOOL_DEFAULT));
}

TEST_F(InstancingDllTest, MeshesWithoutIndicesGetSequentialIndices)
{
    MakeEffectObject(1, {.shape = refhost::Shape::Cube, .indexed = false});
    int set = MakeSet();
    ASSERT_EQ(CALL(GeoInst_SetMesh, set, 1, 0), 0);
    const int vertices = refhost::GetLimbMesh(1, 0)->drawBuffer->vertexCount;
    ASSERT_EQ(vertices, 36);
    DeviceCall created;
    auto* indices = LastCreated<IDirect3DIndexBuffer9>(DeviceMethod::CreateIndexBuffer, &created);
    EXPECT_EQ(created.Arg(0), 72u);
    EXPECT_EQ(created.Arg(1), static_cast<uint32_t>(D3DUSAGE_WRITEONLY));
    EXPECT_EQ(created.Arg(2), static_cast<uint32_t>(D3DFMT_INDEX16));
    EXPECT_EQ(created.Arg(3), static_cast<uint32_t>(D3DPOOL_DEFAULT));
    auto values = ReadBuffer<uint16_t>(indices, 36);
    for (int i = 0; i < 36; ++i)
        ASSERT_EQ(values[i], i);

    MakeEffectObject(2, {.shape = refhost::Shape::Sphere, .indexed = false, .sphereRings = 128, .sphereSegments = 128});
    const int many = refhost::GetLimbMesh(2, 0)->drawBuffer->vertexCount;
    ASSERT_GT(many, 65535);
    ASSERT_EQ(CALL(GeoInst_SetMesh, set, 2, 0), 0);
    indices = LastCreated<IDirect3DIndexBuffer9>(DeviceMethod::CreateIndexBuffer, &created);
    EXPECT_EQ(created.Arg(0), static_cast<uint32_t>(many) * 4);
    EXPECT_EQ(created.Arg(2), static_cast<uint32_t>(D3DFMT_INDEX32));
    auto wide = ReadBuffer<uint32_t>(indices, many);
    for (int i = 0; i < many; ++i)
        ASSERT_EQ(wide[i], static_cast<uint32_t>(i));

    MakeEffectObject(3, {.indexed = true});
    size_t before = Device().Count(DeviceMethod::CreateIndexBuffer);
    ASSERT_EQ(CALL(GeoInst_SetMesh, set, 3, 0), 0);
    EXPECT_EQ(Device().Count(DeviceMethod::CreateIndexBuffer), before) << "an indexed mesh needs no sequential buffer";
}

TEST_F(InstancingDllTest, UpdatePacksTheDrawnInstancesIntoTheInstanceBuffer)
{
    MakeEffectObject(1, {});
    int set = MakeSet();
    CALL(GeoInst_SetMesh, set, 1, 0);
    CALL(GeoInst_SetMaxInstanceCount, set, 8);
    auto* buffer = LastCreated<IDirect3DVertexBuffer9>(DeviceMethod::CreateVertexBuffer);
    for (int n = 1; n <= 8; ++n) {
        CALL(GeoInst_SetPosition, set, n, float(n), float(10 * n), 0.5f);
        CALL(GeoInst_SetScale, set, n, 100.0f, 100.0f, 100.0f);
        CALL(GeoInst_UpdateInstance, set, n);
    }
    CALL(GeoInst_SetInstanceCount, set, 6);
    CALL(GeoInst_SetExcluded, set, 2, 1);
    CALL(GeoInst_SetExcluded, set, 5, 1);
    CALL(GeoInst_Update, set);
    EXPECT_EQ(CALL(GeoInst_GetDrawCount, set), 4);

    auto floats = ReadFloats(buffer, 4 * 16);
    const int drawn[] = {1, 3, 4, 6};
    for (int i = 0; i < 4; ++i) {
        const float* m = &floats[16 * i];
        const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, float(drawn[i]), float(10 * drawn[i]), 0.5f, 1};
        for (int k = 0; k < 16; ++k)
            EXPECT_EQ(m[k], expected[k]) << "packed vertex " << i << " (instance " << drawn[i] << "), float " << k;
    }
    EXPECT_EQ(CALL(GeoInst_GetDrawPrimitives, set), 4 * refhost::GetLimbMesh(1, 0)->primitiveCount);
}

TEST_F(InstancingDllTest, BindingCollectsTheHostEffectsPlainTextureParameters)
{
    ASSERT_TRUE(refhost::MakeObject(1, {}));
    HostEffect* host = refhost::AddDescribedEffect(1, refhost::ParameterZooDescription());
    ASSERT_NE(host, nullptr);
    ID3DXEffect* effect = host->effect;
    refhost::SetObjectEffect(1, 1);
    int set = MakeSet();
    ASSERT_EQ(CALL(GeoInst_SetMesh, set, 1, 0), 0);
    // The handle is the record's address in this process.
    const auto& record = *reinterpret_cast<const GeoInstRecord*>(static_cast<uintptr_t>(set));
    EXPECT_EQ(record.textureParameterCount, 2);
    EXPECT_EQ(record.textureParameters[0], effect->GetParameterByName(nullptr, "TextureA"));
    EXPECT_EQ(record.textureParameters[1], effect->GetParameterByName(nullptr, "TextureB"));
    EXPECT_EQ(record.mesh, refhost::GetLimbMesh(1, 0));
}

TEST_F(InstancingDllTest, DeviceFailuresAreReportedAndLeaveNoHalfMadeObject)
{
    MakeEffectObject(1, {.indexed = false});
    MakeEffectObject(2, {.indexed = false});
    int set = MakeSet();

    Device().FailCall(DeviceMethod::CreateVertexBuffer, 1);
    CALL(GeoInst_SetMaxInstanceCount, set, 5);
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{{"Failed To Create Instance Vertex Buffer!",
                                                            "Failed To create Instance Vertex buffer!"}}));
    EXPECT_EQ(CALL(GeoInst_GetMaxInstanceCount, set), 0) << "a refused buffer leaves the set as it was";
    CALL(GeoInst_Update, set);
    EXPECT_THAT(messages_.Take(), testing::SizeIs(1)) << "no buffer to upload into";

    Device().FailCall(DeviceMethod::CreateVertexDeclaration, 1);
    CALL(GeoInst_SetMesh, set, 1, 0);
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{{"ERROR", "Failed To Create Vertex Declarator"}}));
    EXPECT_EQ(CALL(GeoInst_GetMeshObject, set), 0) << "no half-made binding";
    EXPECT_EQ(CALL(GeoInst_SetMesh, set, 1, 0), 0);

    Device().FailCall(DeviceMethod::CreateIndexBuffer, 1);
    CALL(GeoInst_SetMesh, set, 2, 0);
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{{"ERROR", "Failed To Create Sequential Index Buffer"}}));
    EXPECT_EQ(CALL(GeoInst_GetMeshObject, set), 1) << "the set keeps its binding";
}

TEST_F(InstancingDllTest, DeviceSupportNeedsTwoStreamsAndVertexShaderThree)
{
    const struct {
        CapsOverride caps;
        int supported;
    } cases[] = {
        {{}, 1},
        {{.maxStreams = 1}, 0},
        {{.maxStreams = 2, .vertexShaderVersion = D3DVS_VERSION(3, 0)}, 1},
        {{.maxStreams = 16, .vertexShaderVersion = D3DVS_VERSION(2, 0)}, 0},
    };
    for (const auto& c : cases) {
        Device().OverrideCaps(c.caps);
        EXPECT_EQ(CALL(GeoInst_CheckDeviceSupport), c.supported)
            << "streams " << c.caps.maxStreams.value_or(0) << ", vertex shader " << std::hex
            << c.caps.vertexShaderVersion.value_or(0);
    }
}

TEST_F(InstancingDllTest, BindingNeedsAKnownLimbWithAnEffectAndAVertexBuffer)
{
    ASSERT_TRUE(refhost::MakeObject(1, {}));
    MakeEffectObject(2, {});
    int set = MakeSet();
    EXPECT_EQ(CALL(GeoInst_SetMesh, set, 1, 0), 1);
    EXPECT_EQ(CALL(GeoInst_SetMesh, set, 9, 0), 1);
    EXPECT_EQ(CALL(GeoInst_SetMesh, set, 2, 3), 1);
    EXPECT_EQ(messages_.Take(),
              (std::vector<ShownMessage>{
                  {"ERROR", "Object Must Have An Effect Applied Before Setting up Hardware Instancing"},
                  {"ERROR", "Object 9 does not exist"},
                  {"ERROR", "Object 2 has no limb 3"}}));
    EXPECT_EQ(CALL(GeoInst_GetMeshObject, set), 0);
    EXPECT_EQ(Device().Count(DeviceMethod::CreateVertexDeclaration), 0u);
}

TEST_F(InstancingDllTest, UnknownHandlesAreRefusedByName)
{
    int set = MakeSet();
    int unknown = set + 4;
    EXPECT_EQ(CALL(GeoInst_SetPosition, unknown, 1, 1.0f, 2.0f, 3.0f), 1);
    EXPECT_EQ(CALL(GeoInst_SetScaleUniform, unknown, 1, 1.0f), 1);
    EXPECT_EQ(CALL_F(GeoInst_GetCustomDataW, unknown, 1, 1), 0.0f);
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{
                                    {"GeoInst_SetPosition Error", "The Specified GeoInst Does Not Exist"},
                                    {"GeoInst_SetScale Error", "The Specified GeoInst Does Not Exist"},
                                    {"GeoInst_GetCustomDataW Error", "The Specified GeoInst Does Not Exist"}}));
}

TEST_F(InstancingDllTest, FloatResultsAndMisalignedCallsGiveTheSameMatrix)
{
    int set = MakeSet();
    CALL(GeoInst_SetMaxInstanceCount, set, 2);
    CALL(GeoInst_SetScale, set, 1, 100.0f, 50.0f, 200.0f);
    EXPECT_EQ(CALL(GeoInst_GetScaleY, set, 1), 1112014848) << "50.0 as its bit pattern";
    for (int n = 1; n <= 2; ++n) {
        CALL(GeoInst_SetRotation, set, n, 30.0f, 45.0f, 60.0f);
        CALL(GeoInst_SetScale, set, n, 100.0f, 50.0f, 200.0f);
        CALL(GeoInst_SetPosition, set, n, 1.0f, 2.0f, 3.0f);
    }
    CALL(GeoInst_UpdateInstance, set, 1);
    const uint32_t args[] = {static_cast<uint32_t>(set), 2};
    EXPECT_EQ(CallWithMisalignedStack(reinterpret_cast<const void*>(Export("GeoInst_UpdateInstance")), args, 2), 0u);
    auto* first = reinterpret_cast<const float*>(static_cast<uintptr_t>(CALL(GeoInst_GetWorldMatrixPtr, set, 1)));
    auto* second = reinterpret_cast<const float*>(static_cast<uintptr_t>(CALL(GeoInst_GetWorldMatrixPtr, set, 2)));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(std::memcmp(first, second, 64), 0);
    EXPECT_NE(first[0], 0.0f);
    EXPECT_EQ(first[12], 1.0f);
}

} // namespace
