// Effect records: AddEffect finds the handles of any ID3DXEffect by semantic or name, and the
// renderer drives an object's effect with the camera's and object's matrices.
#include "fake_effect.h"
#include "matrices.h"
#include "scene_fixture.h"

namespace {

std::vector<FakeParameter> TypicalParameters()
{
    return {
        {"mW", "WORLD", D3DXPC_MATRIX_ROWS},
        {"mV", "view", D3DXPC_MATRIX_ROWS},                  // semantics ignore case
        {"View", "", D3DXPC_SCALAR},                          // a name that fits but a class that does not
        {"mP", "PROJECTION", D3DXPC_MATRIX_ROWS},
        {"mWVP", "WORLDVIEWPROJECTION", D3DXPC_MATRIX_COLUMNS},
        {"mVI", "VIEWINVERSE", D3DXPC_MATRIX_ROWS},
        {"mVT", "VIEWTRANSPOSE", D3DXPC_MATRIX_ROWS},
        {"WorldInverseTranspose", "", D3DXPC_MATRIX_ROWS},    // found by name
        {"ViewProj", "", D3DXPC_MATRIX_ROWS},
        {"eye", "CAMERAPOSITION", D3DXPC_VECTOR},
        {"AlphaFactor", "", D3DXPC_SCALAR},
        {"Time", "", D3DXPC_SCALAR},
        {"ClipPlane", "", D3DXPC_VECTOR},
        {"diffuseMap", "", D3DXPC_OBJECT, D3DXPT_TEXTURE},
    };
}

// The fake effects live on each test's stack; their records must go before they do.
struct ScopedEffect {
    ScopedEffect(int number, ID3DXEffect* effect) : number(number), record(refhost::AddEffect(number, effect)) {}
    ~ScopedEffect() { refhost::DeleteEffect(number); }
    int number;
    HostEffect* record;
};

using EffectRecordTest = SceneTest;

TEST_F(EffectRecordTest, AddEffectFillsTheRecordFromTheEffectsParameters)
{
    FakeEffect effect(TypicalParameters());
    ScopedEffect scoped(4, &effect);
    HostEffect* record = scoped.record;
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record, refhost::GetEffectRecord(4));
    const BYTE* bytes = reinterpret_cast<const BYTE*>(record);
    EXPECT_EQ(*reinterpret_cast<ID3DXEffect* const*>(bytes + 4), &effect);
    EXPECT_EQ(*reinterpret_cast<const UINT*>(bytes + 268), 14u) << "the parameter count of GetDesc";
    EXPECT_EQ(*reinterpret_cast<const int32_t*>(bytes + 280), 0);
    EXPECT_EQ(effect.References(), 2u) << "the record holds one reference";

    auto handle = [&](int offset) { return *reinterpret_cast<const D3DXHANDLE*>(bytes + offset); };
    auto matrix = [&](int index) { return handle(284 + 4 * index); };
    EXPECT_EQ(matrix(kWorld), effect.Handle("mW"));
    EXPECT_EQ(matrix(kView), effect.Handle("mV"));
    EXPECT_EQ(matrix(kProjection), effect.Handle("mP"));
    EXPECT_EQ(matrix(kWorldView), nullptr);
    EXPECT_EQ(matrix(kViewProjection), effect.Handle("ViewProj"));
    EXPECT_EQ(matrix(kWorldViewProjection), effect.Handle("mWVP"));
    EXPECT_EQ(matrix(kViewInverse), effect.Handle("mVI"));
    EXPECT_EQ(matrix(kViewTranspose), effect.Handle("mVT"));
    EXPECT_EQ(matrix(kWorldInverseTranspose), effect.Handle("WorldInverseTranspose"));
    EXPECT_EQ(matrix(kWorldViewInverseTranspose), nullptr);
    EXPECT_EQ(handle(368), effect.Handle("eye"));
    EXPECT_EQ(handle(372), nullptr);
    EXPECT_EQ(handle(376), effect.Handle("AlphaFactor"));
    EXPECT_EQ(handle(380), effect.Handle("Time"));
    EXPECT_EQ(handle(384), nullptr);
    EXPECT_EQ(handle(388), effect.Handle("ClipPlane"));

    refhost::DeleteEffect(4);
    EXPECT_EQ(effect.References(), 1u);
    EXPECT_EQ(refhost::GetEffectRecord(4), nullptr);
}

TEST_F(EffectRecordTest, EffectThatCannotDescribeItsParametersIsTakenAtItsWord)
{
    FakeEffect effect({{"View", "", D3DXPC_SCALAR}, {"EyePos", "", D3DXPC_MATRIX_ROWS}});
    effect.describeParameters = false;
    ScopedEffect scoped(1, &effect);
    HostEffect* record = scoped.record;
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->matrixHandles[kView], effect.Handle("View"));
    EXPECT_EQ(record->eyePosition, effect.Handle("EyePos"));
    EXPECT_EQ(refhost::AddEffect(2, nullptr), nullptr);
}

TEST_F(EffectRecordTest, SetObjectEffectAttachesToEveryLimbAndZeroDetaches)
{
    FakeEffect effect(TypicalParameters());
    ScopedEffect scoped(3, &effect);
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
    FakeEffect effect(TypicalParameters(), 2);
    ScopedEffect scoped(1, &effect);
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

    EXPECT_EQ(effect.calls,
              (std::vector<std::string>{"Begin", "BeginPass 0", "EndPass", "BeginPass 1", "EndPass", "End"}));
    EXPECT_EQ(refhost::GetStatistic(5), 2) << "one draw per pass";
    EXPECT_EQ(refhost::GetStatistic(1), 24);

    const D3DXMATRIX& world = refhost::GetObjectRecord(1)->world;
    const HostCameraData* camera = refhost::GetCameraData(0);
    D3DXMATRIX wvp = world * camera->view * camera->projection, viewT, viewI, worldIT;
    D3DXMatrixTranspose(&viewT, &camera->view);
    D3DXMatrixInverse(&viewI, nullptr, &camera->view);
    D3DXMatrixInverse(&worldIT, nullptr, &world);
    D3DXMatrixTranspose(&worldIT, &worldIT);
    EXPECT_TRUE(MatrixNear(world, effect.matrices[effect.Handle("mW")]));
    EXPECT_TRUE(MatrixNear(camera->view, effect.matrices[effect.Handle("mV")]));
    EXPECT_TRUE(MatrixNear(camera->projection, effect.matrices[effect.Handle("mP")]));
    EXPECT_TRUE(MatrixNear(wvp, effect.matrices[effect.Handle("mWVP")]));
    EXPECT_TRUE(MatrixNear(viewT, effect.matrices[effect.Handle("mVT")]));
    EXPECT_TRUE(MatrixNear(viewI, effect.matrices[effect.Handle("mVI")]));
    EXPECT_TRUE(MatrixNear(worldIT, effect.matrices[effect.Handle("WorldInverseTranspose")]));
    EXPECT_EQ(effect.vectors[effect.Handle("eye")], D3DXVECTOR4(0, 1, -2, 1));
    EXPECT_NEAR(effect.floats[effect.Handle("AlphaFactor")], 128 / 255.0f, 1e-6);
    EXPECT_EQ(effect.floats.count(effect.Handle("Time")), 1u);
    EXPECT_EQ(effect.floats[effect.Handle("Time")], 0.0f);
    EXPECT_EQ(effect.vectors[effect.Handle("ClipPlane")], D3DXVECTOR4(0, 0, 0, 0));
    EXPECT_EQ(effect.textures[effect.Handle("diffuseMap")], refhost::GetImagePointer(3));
}

} // namespace
