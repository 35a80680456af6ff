// The mesh render states, call by call on a recording device over the real one: each branch of the
// mesh's flags, in the order the device receives them.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "export_values.h"
#include "drawing/mesh_render_states.h"
#include "plugin_lifetime.h"
#include "plugin_state.h"
#include "recording_device.h"
#include "ref_host.h"

namespace {


// One expected device call: the method and its scalar arguments.
struct Expected {
    DeviceMethod method;
    std::vector<uint32_t> args;
};

std::string Describe(const Expected& e)
{
    std::string text = DeviceMethodName(e.method);
    text += "(";
    for (size_t i = 0; i < e.args.size(); ++i)
        text += (i ? ", " : "") + std::to_string(e.args[i]);
    return text + ")";
}

Expected RS(D3DRENDERSTATETYPE state, DWORD value) { return {DeviceMethod::SetRenderState, {uint32_t(state), value}}; }
Expected TSS(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    return {DeviceMethod::SetTextureStageState, {stage, uint32_t(type), value}};
}
Expected Samp(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    return {DeviceMethod::SetSamplerState, {sampler, uint32_t(type), value}};
}
Expected NoTexture(DWORD stage) { return {DeviceMethod::SetTexture, {stage, 0}}; }
Expected Material() { return {DeviceMethod::SetMaterial, {}}; }

class MeshRenderStatesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(refhost::Start()); }

    void SetUp() override
    {
        StartUp(nullptr);
        Plugin().coreData = &core_;
        device_ = new RecordingDevice(refhost::RealDevice());
        // A mesh as the host makes it: depth test and writes on, nothing else, no stage entries.
        mesh_.depthRead = 1;
        mesh_.depthWrite = 1;
        mesh_.textureStages = stages_;
    }

    void TearDown() override
    {
        device_->Release();
        ::TearDown(false);
    }

    // Applies the mesh's states and returns the calls the device saw.
    const std::vector<DeviceCall>& Apply()
    {
        device_->ClearLog();
        EXPECT_EQ(ApplyMeshRenderStates(device_, &mesh_), 1);
        return device_->Calls();
    }

    // The render states set by one application, in order.
    std::vector<RenderStateSet> AppliedRenderStates()
    {
        Apply();
        return device_->RenderStates();
    }

    static void ExpectCalls(const std::vector<Expected>& expected, const std::vector<DeviceCall>& seen)
    {
        std::string want, got;
        for (const Expected& e : expected) want += Describe(e) + "\n";
        for (const DeviceCall& c : seen) {
            got += DeviceMethodName(c.method);
            got += "(";
            for (size_t i = 0; i < c.args.size(); ++i)
                got += (i ? ", " : "") + std::to_string(c.args[i]);
            got += ")\n";
        }
        EXPECT_EQ(want, got);
    }

    HostCoreData core_{};
    HostMesh mesh_{};
    HostTextureStage stages_[10]{};
    RecordingDevice* device_ = nullptr;
};

TEST_F(MeshRenderStatesTest, PlainMeshGetsEveryStateInOrder)
{
    // Entry 1 applies to device stage 3: the entry's own stage number is used, not its index.
    stages_[0] = {};
    stages_[0].deviceStage = 0;
    stages_[0].colorOp = D3DTOP_MODULATE;
    stages_[0].colorArg1 = D3DTA_TEXTURE;
    stages_[0].colorArg2 = D3DTA_DIFFUSE;
    stages_[0].magFilter = D3DTEXF_LINEAR;
    stages_[0].minFilter = D3DTEXF_POINT;
    stages_[0].mipFilter = D3DTEXF_NONE;
    stages_[1].deviceStage = 3;
    stages_[1].colorOp = D3DTOP_ADD;
    stages_[1].colorArg1 = D3DTA_CURRENT;
    stages_[1].colorArg2 = D3DTA_TEXTURE;
    stages_[1].magFilter = D3DTEXF_ANISOTROPIC;
    stages_[1].minFilter = D3DTEXF_LINEAR;
    stages_[1].mipFilter = D3DTEXF_LINEAR;
    mesh_.textureStageCount = 2;
    mesh_.mipLodBias = -0.5f;

    ExpectCalls(
        {
            TSS(0, D3DTSS_COLOROP, D3DTOP_MODULATE), TSS(0, D3DTSS_COLORARG1, D3DTA_TEXTURE),
            TSS(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE), Samp(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR),
            Samp(0, D3DSAMP_MINFILTER, D3DTEXF_POINT), Samp(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE),
            Samp(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP), Samp(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP),
            TSS(3, D3DTSS_COLOROP, D3DTOP_ADD), TSS(3, D3DTSS_COLORARG1, D3DTA_CURRENT),
            TSS(3, D3DTSS_COLORARG2, D3DTA_TEXTURE), Samp(3, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC),
            Samp(3, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), Samp(3, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR),
            NoTexture(2), NoTexture(3), NoTexture(4), NoTexture(5), NoTexture(6), NoTexture(7),
            RS(D3DRS_FILLMODE, D3DFILL_SOLID), RS(D3DRS_CULLMODE, D3DCULL_NONE),
            RS(D3DRS_ALPHABLENDENABLE, FALSE), RS(D3DRS_ZWRITEENABLE, TRUE),
            RS(D3DRS_DEPTHBIAS, 0), RS(D3DRS_SLOPESCALEDEPTHBIAS, 0), RS(D3DRS_ZENABLE, D3DZB_TRUE),
            Samp(0, D3DSAMP_MIPMAPLODBIAS, FloatBits(-0.5f)),
        },
        Apply());
}

TEST_F(MeshRenderStatesTest, OnlyEightStageEntriesCountAndUnusedStagesLoseTheirTextures)
{
    mesh_.textureStageCount = 0;
    Apply();
    auto cleared = device_->Filter(DeviceMethod::SetTexture);
    ASSERT_EQ(cleared.size(), 8u) << "a mesh without entries clears all eight stages";
    for (DWORD i = 0; i < 8; ++i) {
        EXPECT_EQ(cleared[i].Arg(0), i);
        EXPECT_EQ(cleared[i].Arg(1), 0u);
    }
    EXPECT_EQ(device_->Count(DeviceMethod::SetTextureStageState), 0u);

    mesh_.textureStageCount = 2;
    mesh_.textureStages = nullptr;
    Apply();
    EXPECT_EQ(device_->Count(DeviceMethod::SetTexture), 8u) << "a count without entries counts as none";
    EXPECT_EQ(device_->Count(DeviceMethod::SetTextureStageState), 0u);

    mesh_.textureStages = stages_;
    for (int i = 0; i < 10; ++i) stages_[i].deviceStage = i;
    mesh_.textureStageCount = 10;
    Apply();
    EXPECT_EQ(device_->Count(DeviceMethod::SetTexture), 0u) << "every stage is in use: none is cleared";
    EXPECT_EQ(device_->Count(DeviceMethod::SetTextureStageState), 8u * 3u) << "entries past the eighth are ignored";
    for (const TextureStageStateSet& s : device_->TextureStageStates())
        EXPECT_LT(s.stage, 8u);
}

TEST_F(MeshRenderStatesTest, FillAndCullFollowTheMeshFlags)
{
    mesh_.wireframe = 1;
    Apply();
    EXPECT_EQ(device_->LastRenderState(D3DRS_FILLMODE), DWORD(D3DFILL_WIREFRAME));

    struct Case {
        int8_t flag;
        int32_t mode;
        DWORD expected;
    } cases[] = {
        {0, 0, D3DCULL_NONE}, {1, 0, D3DCULL_CCW}, {0, 3, D3DCULL_CW}, {1, 3, D3DCULL_CW}, {1, 2, D3DCULL_CCW},
    };
    for (const Case& c : cases) {
        mesh_.cullCounterClockwise = c.flag;
        mesh_.cullMode = c.mode;
        Apply();
        EXPECT_EQ(device_->LastRenderState(D3DRS_CULLMODE), c.expected) << "flag " << int(c.flag) << ", mode " << c.mode;
    }
}

TEST_F(MeshRenderStatesTest, FogIsTouchedOnlyWhileTheHostHasFogOn)
{
    mesh_.fog = 1;
    mesh_.ghost = 1;
    for (int hostFog : {0, 2}) {
        core_.fogEnabled = hostFog;
        Apply();
        EXPECT_FALSE(device_->LastRenderState(D3DRS_FOGENABLE)) << "host fog switch " << hostFog;
        EXPECT_FALSE(device_->LastRenderState(D3DRS_FOGCOLOR)) << "host fog switch " << hostFog;
    }
    Plugin().coreData = nullptr;
    Apply();
    EXPECT_FALSE(device_->LastRenderState(D3DRS_FOGENABLE)) << "no core data yet";

    Plugin().coreData = &core_;
    core_.fogEnabled = 1;
    auto states = AppliedRenderStates();
    ASSERT_GE(states.size(), 4u);
    EXPECT_EQ(states[2], (RenderStateSet{D3DRS_FOGENABLE, TRUE})) << "fog comes right after fill and cull";
    EXPECT_EQ(states[3], (RenderStateSet{D3DRS_FOGCOLOR, 0})) << "a ghosted fogged mesh fogs to black";

    mesh_.ghost = 0;
    Apply();
    EXPECT_EQ(device_->LastRenderState(D3DRS_FOGENABLE), DWORD(TRUE));
    EXPECT_FALSE(device_->LastRenderState(D3DRS_FOGCOLOR)) << "the fog colour is left alone without ghosting";

    mesh_.fog = 0;
    mesh_.ghost = 1;
    Apply();
    EXPECT_EQ(device_->LastRenderState(D3DRS_FOGENABLE), DWORD(FALSE));
    EXPECT_FALSE(device_->LastRenderState(D3DRS_FOGCOLOR));
}

TEST_F(MeshRenderStatesTest, TransparentMeshBlendsAndTestsAlphaAboveZero)
{
    mesh_.transparent = 1;
    mesh_.alphaTestChoice = 0;
    EXPECT_EQ(AppliedRenderStates(), (std::vector<RenderStateSet>{
                                         {D3DRS_FILLMODE, D3DFILL_SOLID},
                                         {D3DRS_CULLMODE, D3DCULL_NONE},
                                         {D3DRS_ALPHABLENDENABLE, TRUE},
                                         {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                                         {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
                                         {D3DRS_ALPHATESTENABLE, TRUE},
                                         {D3DRS_ALPHAFUNC, D3DCMP_GREATER},
                                         {D3DRS_ALPHAREF, 0},
                                         {D3DRS_ZWRITEENABLE, TRUE},
                                         {D3DRS_DEPTHBIAS, 0},
                                         {D3DRS_SLOPESCALEDEPTHBIAS, 0},
                                         {D3DRS_ZENABLE, D3DZB_TRUE},
                                     }));
}

TEST_F(MeshRenderStatesTest, AlphaReferenceComesFromTheDiffuseAlphaCappedAt207)
{
    mesh_.transparent = 1;
    mesh_.alphaTestChoice = 1;
    struct Case {
        int8_t hasDiffuse;
        D3DCOLOR diffuse;
        DWORD reference;
    } cases[] = {
        {1, 0x80FFFFFF, 128}, {1, 0xFF000000, 207}, {1, 0xCF123456, 207}, {1, 0xCE000000, 206},
        {1, 0x01000000, 1},   {1, 0x00FFFFFF, 0},   {0, 0x80FFFFFF, 207}, {2, 0x80FFFFFF, 207},
    };
    for (const Case& c : cases) {
        mesh_.hasDiffuseColor = c.hasDiffuse;
        mesh_.diffuseColor = c.diffuse;
        Apply();
        EXPECT_EQ(device_->LastRenderState(D3DRS_ALPHAFUNC), DWORD(D3DCMP_GREATEREQUAL));
        EXPECT_EQ(device_->LastRenderState(D3DRS_ALPHAREF), c.reference)
            << "diffuse flag " << int(c.hasDiffuse) << ", colour " << std::hex << c.diffuse;
    }
    // Every byte value survives the trip through the 0..1 factor.
    mesh_.hasDiffuseColor = 1;
    for (DWORD a = 0; a <= 207; ++a) {
        mesh_.diffuseColor = a << 24;
        Apply();
        ASSERT_EQ(device_->LastRenderState(D3DRS_ALPHAREF), a);
    }
}

TEST_F(MeshRenderStatesTest, GhostModesPickTheirBlendPairs)
{
    struct Case {
        int32_t mode;
        DWORD source, destination;
    } cases[] = {
        {0, D3DBLEND_ONE, D3DBLEND_INVSRCCOLOR},   {1, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR},
        {2, D3DBLEND_SRCCOLOR, D3DBLEND_ONE},      {3, D3DBLEND_SRCALPHA, D3DBLEND_SRCALPHA},
        {4, D3DBLEND_SRCCOLOR, D3DBLEND_DESTCOLOR}, {5, D3DBLEND_DESTCOLOR, D3DBLEND_SRCCOLOR},
    };
    mesh_.ghost = 1;
    for (const Case& c : cases) {
        mesh_.ghostMode = c.mode;
        Apply();
        EXPECT_EQ(device_->LastRenderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE)) << "mode " << c.mode;
        EXPECT_EQ(device_->LastRenderState(D3DRS_SRCBLEND), c.source) << "mode " << c.mode;
        EXPECT_EQ(device_->LastRenderState(D3DRS_DESTBLEND), c.destination) << "mode " << c.mode;
        EXPECT_EQ(device_->LastRenderState(D3DRS_ZWRITEENABLE), DWORD(FALSE)) << "a ghost never writes depth";
    }
    for (int32_t mode : {6, -1}) {
        mesh_.ghostMode = mode;
        Apply();
        EXPECT_EQ(device_->LastRenderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE)) << "mode " << mode;
        EXPECT_FALSE(device_->LastRenderState(D3DRS_SRCBLEND)) << "mode " << mode << " sets no blend pair";
        EXPECT_FALSE(device_->LastRenderState(D3DRS_DESTBLEND)) << "mode " << mode;
    }
}

TEST_F(MeshRenderStatesTest, GhostModeAboveZeroEntersTheTransparencyBranchFirst)
{
    mesh_.ghost = 1;
    mesh_.ghostMode = 1;
    EXPECT_EQ(AppliedRenderStates(), (std::vector<RenderStateSet>{
                                         {D3DRS_FILLMODE, D3DFILL_SOLID},
                                         {D3DRS_CULLMODE, D3DCULL_NONE},
                                         {D3DRS_ALPHABLENDENABLE, FALSE},
                                         {D3DRS_ALPHATESTENABLE, FALSE},
                                         {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
                                         {D3DRS_ALPHABLENDENABLE, TRUE},
                                         {D3DRS_SRCBLEND, D3DBLEND_ZERO},
                                         {D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR},
                                         {D3DRS_ZWRITEENABLE, FALSE},
                                         {D3DRS_DEPTHBIAS, 0},
                                         {D3DRS_SLOPESCALEDEPTHBIAS, 0},
                                         {D3DRS_ZENABLE, D3DZB_TRUE},
                                     }));

    // Ghost mode 0 does not enter it.
    mesh_.ghostMode = 0;
    auto states = AppliedRenderStates();
    ASSERT_GE(states.size(), 5u);
    EXPECT_EQ(states[2], (RenderStateSet{D3DRS_ALPHABLENDENABLE, TRUE}));
    EXPECT_EQ(states[3], (RenderStateSet{D3DRS_SRCBLEND, D3DBLEND_ONE}));
    EXPECT_EQ(states[4], (RenderStateSet{D3DRS_DESTBLEND, D3DBLEND_INVSRCCOLOR}));
    EXPECT_FALSE(device_->LastRenderState(D3DRS_ALPHATESTENABLE));

    // A ghost mode without the ghost flag only switches blending and the alpha test off.
    mesh_.ghost = 0;
    mesh_.ghostMode = 2;
    states = AppliedRenderStates();
    EXPECT_EQ(std::vector<RenderStateSet>(states.begin() + 2, states.begin() + 6),
              (std::vector<RenderStateSet>{{D3DRS_ALPHABLENDENABLE, FALSE},
                                           {D3DRS_ALPHATESTENABLE, FALSE},
                                           {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
                                           {D3DRS_ALPHABLENDENABLE, FALSE}}));
    EXPECT_EQ(device_->LastRenderState(D3DRS_ZWRITEENABLE), DWORD(TRUE));
}

TEST_F(MeshRenderStatesTest, TransparencyFlagOtherThanOneSkipsTheBranchButKeepsBlending)
{
    // The branch is entered for exactly 1; afterwards any non-zero value counts as transparent, so
    // blending is not switched off either.
    mesh_.transparent = 2;
    Apply();
    EXPECT_FALSE(device_->LastRenderState(D3DRS_ALPHABLENDENABLE));
    EXPECT_FALSE(device_->LastRenderState(D3DRS_ALPHATESTENABLE));

    // With a ghost mode the branch is entered and the inner test sees a transparent mesh.
    mesh_.ghostMode = 2;
    Apply();
    EXPECT_EQ(device_->LastRenderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
    EXPECT_EQ(device_->LastRenderState(D3DRS_ALPHATESTENABLE), DWORD(TRUE));
}

TEST_F(MeshRenderStatesTest, DepthStatesFollowTheirFlags)
{
    mesh_.depthRead = 0;
    mesh_.depthWrite = 0;
    Apply();
    EXPECT_EQ(device_->LastRenderState(D3DRS_ZENABLE), DWORD(D3DZB_FALSE));
    EXPECT_EQ(device_->LastRenderState(D3DRS_ZWRITEENABLE), DWORD(FALSE));

    mesh_.depthBiasEnabled = 1;
    mesh_.depthBias = 0.5f;
    mesh_.slopeScaleDepthBias = 2.0f;
    Apply();
    EXPECT_EQ(device_->LastRenderState(D3DRS_DEPTHBIAS), DWORD(0x3F000000));
    EXPECT_EQ(device_->LastRenderState(D3DRS_SLOPESCALEDEPTHBIAS), DWORD(0x40000000));

    mesh_.depthBiasEnabled = 0;
    Apply();
    EXPECT_EQ(device_->LastRenderState(D3DRS_DEPTHBIAS), 0u) << "the stored bias counts only with its flag";
    EXPECT_EQ(device_->LastRenderState(D3DRS_SLOPESCALEDEPTHBIAS), 0u);
}

TEST_F(MeshRenderStatesTest, MaterialIsSetOnlyWithItsFlag)
{
    mesh_.material.Diffuse = {0.25f, 0.5f, 0.75f, 1.0f};
    mesh_.material.Power = 12.0f;
    Apply();
    EXPECT_EQ(device_->Count(DeviceMethod::SetMaterial), 0u);
    EXPECT_FALSE(device_->LastRenderState(D3DRS_COLORVERTEX));
    EXPECT_FALSE(device_->LastRenderState(D3DRS_DIFFUSEMATERIALSOURCE));

    mesh_.usesMaterial = 1;
    const auto& calls = Apply();
    ASSERT_GE(calls.size(), 4u);
    // Material comes last but for the mip-map bias.
    ExpectCalls({RS(D3DRS_COLORVERTEX, FALSE), RS(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL), Material(),
                 Samp(0, D3DSAMP_MIPMAPLODBIAS, 0)},
                std::vector<DeviceCall>(calls.end() - 4, calls.end()));
    const DeviceCall& set = calls[calls.size() - 2];
    ASSERT_TRUE(set.material);
    EXPECT_EQ(set.material->Diffuse.g, 0.5f);
    EXPECT_EQ(set.material->Power, 12.0f);
}

} // namespace
