// Effect records: AddEffect finds the handles of an effect's parameters by semantic or name, and
// the renderer drives an object's effect with the camera's and object's matrices.
#include "com.h"
#include "effect_creation.h"
#include "matrices.h"
#include "reference_count.h"
#include "scene_fixture.h"

namespace {

using Kind = refhost::EffectParameterKind;

refhost::EffectParameter Parameter(const char* name, const char* semantic, Kind kind, std::vector<float> initial = {})
{
    refhost::EffectParameter p;
    p.name = name;
    p.semantic = semantic;
    p.kind = kind;
    p.initial = std::move(initial);
    return p;
}

// A framework effect with parameters the host looks for and `passes` passes that use none of them
// and change a render state.
Com<ID3DXEffect> TypicalEffect(UINT passes = 1)
{
    refhost::EffectDescription d;
    d.parameters = {
        Parameter("mW", "WORLD", Kind::Matrix),
        Parameter("mV", "view", Kind::Matrix),                 // semantics ignore case
        Parameter("View", "", Kind::Float),                    // a name that fits but a class that does not
        Parameter("mP", "PROJECTION", Kind::Matrix),
        Parameter("mWVP", "WORLDVIEWPROJECTION", Kind::Matrix),
        Parameter("mVI", "VIEWINVERSE", Kind::Matrix),
        Parameter("mVT", "VIEWTRANSPOSE", Kind::Matrix),
        Parameter("WorldInverseTranspose", "", Kind::Matrix),  // found by name
        Parameter("ViewProj", "", Kind::Matrix),
        Parameter("eye", "CAMERAPOSITION", Kind::Vector),
        Parameter("AlphaFactor", "", Kind::Float),
        Parameter("Time", "", Kind::Float, {9}),               // not zero, to see the renderer set it
        Parameter("ClipPlane", "", Kind::Vector, {1, 2, 3, 4}),
        Parameter("diffuseMap", "", Kind::Texture),
    };
    refhost::EffectPass pass;
    pass.vertexShader = "float4 main(float4 p : POSITION) : POSITION { return p; }";
    pass.pixelShader = "float4 main() : COLOR { return 1; }";
    pass.renderStates = {{D3DRS_STENCILREF, 0x5A}}; // which End gives back
    d.techniques = {{"T", std::vector<refhost::EffectPass>(passes, pass)}};
    std::string error;
    auto effect = Com<ID3DXEffect>::Adopt(refhost::CreateDescribedEffect(refhost::RealDevice(), d, &error));
    EXPECT_TRUE(effect) << error;
    return effect;
}

// The effects live in each test; their records must go before they do.
struct ScopedEffect {
    ScopedEffect(int number, ID3DXEffect* effect) : number(number), record(refhost::AddEffect(number, effect)) {}
    ~ScopedEffect() { refhost::DeleteEffect(number); }
    int number;
    HostEffect* record;
};

using EffectRecordTest = SceneTest;

TEST_F(EffectRecordTest, AddEffectFillsTheRecordFromTheEffectsParameters)
{
    Com<ID3DXEffect> effect = TypicalEffect();
    ScopedEffect scoped(4, effect.ptr());
    HostEffect* record = scoped.record;
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record, refhost::GetEffectRecord(4));
    const BYTE* bytes = reinterpret_cast<const BYTE*>(record);
    EXPECT_EQ(*reinterpret_cast<ID3DXEffect* const*>(bytes + 4), effect.ptr());
    EXPECT_EQ(*reinterpret_cast<const UINT*>(bytes + 268), 14u) << "the parameter count of GetDesc";
    EXPECT_EQ(*reinterpret_cast<const int32_t*>(bytes + 280), 0);
    EXPECT_EQ(ReferenceCount(effect.ptr()), 2u) << "the record holds one reference";

    auto handle = [&](int offset) { return *reinterpret_cast<const D3DXHANDLE*>(bytes + offset); };
    auto matrix = [&](int index) { return handle(284 + 4 * index); };
    EXPECT_EQ(matrix(kWorld), effect->GetParameterByName(nullptr, "mW"));
    EXPECT_EQ(matrix(kView), effect->GetParameterByName(nullptr, "mV"));
    EXPECT_EQ(matrix(kProjection), effect->GetParameterByName(nullptr, "mP"));
    EXPECT_EQ(matrix(kWorldView), nullptr);
    EXPECT_EQ(matrix(kViewProjection), effect->GetParameterByName(nullptr, "ViewProj"));
    EXPECT_EQ(matrix(kWorldViewProjection), effect->GetParameterByName(nullptr, "mWVP"));
    EXPECT_EQ(matrix(kViewInverse), effect->GetParameterByName(nullptr, "mVI"));
    EXPECT_EQ(matrix(kViewTranspose), effect->GetParameterByName(nullptr, "mVT"));
    EXPECT_EQ(matrix(kWorldInverseTranspose), effect->GetParameterByName(nullptr, "WorldInverseTranspose"));
    EXPECT_EQ(matrix(kWorldViewInverseTranspose), nullptr);
    EXPECT_EQ(handle(368), effect->GetParameterByName(nullptr, "eye"));
    EXPECT_EQ(handle(372), nullptr);
    EXPECT_EQ(handle(376), effect->GetParameterByName(nullptr, "AlphaFactor"));
    EXPECT_EQ(handle(380), effect->GetParameterByName(nullptr, "Time"));
    EXPECT_EQ(handle(384), nullptr);
    EXPECT_EQ(handle(388), effect->GetParameterByName(nullptr, "ClipPlane"));

    refhost::DeleteEffect(4);
    EXPECT_EQ(ReferenceCount(effect.ptr()), 1u);
    EXPECT_EQ(refhost::GetEffectRecord(4), nullptr);
    EXPECT_EQ(refhost::AddEffect(2, nullptr), nullptr);
}

TEST_F(EffectRecordTest, SetObjectEffectAttachesToEveryLimbAndZeroDetaches)
{
    Com<ID3DXEffect> effect = TypicalEffect();
    ScopedEffect scoped(3, effect.ptr());
    HostEffect* record = scoped.record;
    refhost::MeshDescription meshDescription;
    meshDescription.limbs = 3;
    ASSERT_TRUE(refhost::MakeObject(8, meshDescription));
    refhost::SetObjectEffect(8, 3);
    for (int limb = 0; limb < 3; ++limb)
        EXPECT_EQ(refhost::GetLimbMesh(8, limb)->effect, record);
    refhost::SetObjectEffect(8, 99); // no such effect: left as it was
    EXPECT_EQ(refhost::GetLimbMesh(8, 2)->effect, record);
    refhost::SetObjectEffect(8, 0);
    for (int limb = 0; limb < 3; ++limb)
        EXPECT_EQ(refhost::GetLimbMesh(8, limb)->effect, nullptr);
    refhost::SetObjectEffect(8, 3);
    refhost::DeleteEffect(3); // meshes never point at a deleted record
    EXPECT_EQ(refhost::GetLimbMesh(8, 0)->effect, nullptr);
}

TEST_F(EffectRecordTest, RendererFeedsTheEffectAndDrawsEachPass)
{
    Com<ID3DXEffect> effect = TypicalEffect(2);
    ScopedEffect scoped(1, effect.ptr());
    ASSERT_NE(refhost::MakeImage(3, 4, 4, 0xFF112233), nullptr);
    refhost::MeshDescription meshDescription;
    meshDescription.colour = 0x80FFFFFF;
    meshDescription.texCoordSets = 1;
    meshDescription.textureStages = 1;
    meshDescription.image = 3;
    ASSERT_TRUE(refhost::MakeObject(1, meshDescription));
    refhost::SetObjectPosition(1, 1, 2, 10);
    refhost::SetObjectEffect(1, 1);
    refhost::SetCameraPosition(0, 0, 1, -2);
    refhost::FastSync();
    // By default the host fills world, view and projection only: the time keeps its initial 9.
    float time = -1;
    effect->GetFloat("Time", &time);
    EXPECT_EQ(time, 9.0f);
    D3DXMATRIX projection;
    effect->GetMatrix("mP", &projection);
    EXPECT_TRUE(MatrixNear(refhost::GetCameraData(0)->projection, projection));
    refhost::SetFeedsEverySemantic(true);
    refhost::FastSync();
    refhost::SetFeedsEverySemantic(false);

    EXPECT_EQ(refhost::GetStatistic(5), 2) << "one draw per pass";
    DWORD stencilRef = 0;
    refhost::RealDevice()->GetRenderState(D3DRS_STENCILREF, &stencilRef);
    EXPECT_EQ(stencilRef, 0u) << "the effect was ended";
    EXPECT_EQ(refhost::GetStatistic(1), 24);

    const D3DXMATRIX& world = refhost::GetObjectRecord(1)->world;
    const HostCameraData* camera = refhost::GetCameraData(0);
    D3DXMATRIX wvp = world * camera->view * camera->projection, viewT, viewI, worldIT;
    D3DXMatrixTranspose(&viewT, &camera->view);
    D3DXMatrixInverse(&viewI, nullptr, &camera->view);
    D3DXMatrixInverse(&worldIT, nullptr, &world);
    D3DXMatrixTranspose(&worldIT, &worldIT);
    auto matrix = [&](const char* name) {
        D3DXMATRIX m;
        EXPECT_EQ(effect->GetMatrix(name, &m), D3D_OK) << name;
        return m;
    };
    auto vector = [&](const char* name) {
        D3DXVECTOR4 v;
        EXPECT_EQ(effect->GetVector(name, &v), D3D_OK) << name;
        return v;
    };
    auto value = [&](const char* name) {
        float f = -1;
        EXPECT_EQ(effect->GetFloat(name, &f), D3D_OK) << name;
        return f;
    };
    EXPECT_TRUE(MatrixNear(world, matrix("mW")));
    EXPECT_TRUE(MatrixNear(camera->view, matrix("mV")));
    EXPECT_TRUE(MatrixNear(camera->projection, matrix("mP")));
    EXPECT_TRUE(MatrixNear(wvp, matrix("mWVP")));
    EXPECT_TRUE(MatrixNear(viewT, matrix("mVT")));
    EXPECT_TRUE(MatrixNear(viewI, matrix("mVI")));
    EXPECT_TRUE(MatrixNear(worldIT, matrix("WorldInverseTranspose")));
    EXPECT_EQ(vector("eye"), D3DXVECTOR4(0, 1, -2, 1));
    EXPECT_NEAR(value("AlphaFactor"), 128 / 255.0f, 1e-6);
    EXPECT_EQ(value("Time"), 0.0f);
    EXPECT_EQ(vector("ClipPlane"), D3DXVECTOR4(0, 0, 0, 0));
    Com<IDirect3DBaseTexture9> texture;
    ASSERT_EQ(effect->GetTexture("diffuseMap", texture.put()), D3D_OK);
    EXPECT_EQ(texture.ptr(), refhost::GetImagePointer(3));
}

} // namespace
