// Techniques, passes and the COM side of the host effect.
#include <initguid.h> // the D3DX interface ids, defined in this file only

#include "zoo_fixture.h"

namespace {

TEST_F(ZooEffectTest, TechniquesAndPassesAreFoundAndDescribed)
{
    const char* names[] = {"First", "Second", "Third"};
    const UINT passes[] = {1, 1, 2};
    for (UINT i = 0; i < 3; ++i) {
        D3DXHANDLE t = effect_->GetTechnique(i);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(effect_->GetTechniqueByName(names[i]), t);
        D3DXTECHNIQUE_DESC d{};
        ASSERT_EQ(effect_->GetTechniqueDesc(t, &d), D3D_OK);
        EXPECT_STREQ(d.Name, names[i]);
        EXPECT_EQ(d.Passes, passes[i]);
        EXPECT_EQ(effect_->ValidateTechnique(t), D3D_OK);
    }
    EXPECT_EQ(effect_->GetTechnique(3), nullptr);
    EXPECT_EQ(effect_->GetTechniqueByName("first"), nullptr);
    EXPECT_EQ(effect_->GetTechniqueByName(nullptr), nullptr);

    D3DXHANDLE third = effect_->GetTechniqueByName("Third");
    D3DXHANDLE b = effect_->GetPass(third, 1);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(effect_->GetPassByName(third, "B"), b);
    EXPECT_NE(effect_->GetPass(third, 0), b);
    EXPECT_EQ(effect_->GetPass(third, 2), nullptr);
    EXPECT_EQ(effect_->GetPassByName(third, "C"), nullptr);
    D3DXPASS_DESC pass{};
    ASSERT_EQ(effect_->GetPassDesc(b, &pass), D3D_OK);
    EXPECT_STREQ(pass.Name, "B");
    ASSERT_NE(pass.pVertexShaderFunction, nullptr);
    ASSERT_NE(pass.pPixelShaderFunction, nullptr);
    EXPECT_EQ(pass.pVertexShaderFunction[0], D3DVS_VERSION(3, 0));
    EXPECT_EQ(pass.pPixelShaderFunction[0], D3DPS_VERSION(3, 0));
    EXPECT_EQ(effect_->GetPassDesc(third, &pass), D3DERR_INVALIDCALL) << "a technique is not a pass";
    D3DXTECHNIQUE_DESC notTechnique;
    EXPECT_EQ(effect_->GetTechniqueDesc(effect_->GetParameter(nullptr, 0), &notTechnique), D3DERR_INVALIDCALL);
}

TEST_F(ZooEffectTest, TheCurrentTechniqueIsChosenByHandleOrName)
{
    EXPECT_EQ(effect_->GetCurrentTechnique(), effect_->GetTechnique(0)) << "the first technique starts current";
    ASSERT_EQ(effect_->SetTechnique(effect_->GetTechnique(2)), D3D_OK);
    EXPECT_EQ(effect_->GetCurrentTechnique(), effect_->GetTechnique(2));
    UINT passes = 0;
    ASSERT_EQ(effect_->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 2u);
    ASSERT_EQ(effect_->End(), D3D_OK);

    EXPECT_EQ(effect_->SetTechnique(effect_->GetParameter(nullptr, 0)), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetTechnique(nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->GetCurrentTechnique(), effect_->GetTechnique(2)) << "a refused technique changes nothing";

    ASSERT_EQ(effect_->SetTechnique("Second"), D3D_OK);
    EXPECT_EQ(effect_->GetCurrentTechnique(), effect_->GetTechnique(1));
    EXPECT_EQ(effect_->SetTechnique("Fourth"), D3DERR_INVALIDCALL);
}

TEST_F(ZooEffectTest, FindNextValidTechniqueWalksAllTechniques)
{
    D3DXHANDLE next = nullptr;
    ASSERT_EQ(effect_->FindNextValidTechnique(nullptr, &next), D3D_OK);
    EXPECT_EQ(next, effect_->GetTechnique(0));
    ASSERT_EQ(effect_->FindNextValidTechnique(next, &next), D3D_OK);
    EXPECT_EQ(next, effect_->GetTechnique(1));
    ASSERT_EQ(effect_->FindNextValidTechnique(next, &next), D3D_OK);
    EXPECT_EQ(next, effect_->GetTechnique(2));
    EXPECT_EQ(effect_->FindNextValidTechnique(next, &next), S_FALSE);
    EXPECT_EQ(next, nullptr);
}

TEST_F(ZooEffectTest, KnowsWhichParametersATechniqueUses)
{
    D3DXHANDLE first = effect_->GetTechniqueByName("First"), second = effect_->GetTechniqueByName("Second");
    EXPECT_TRUE(effect_->IsParameterUsed(Param("VectorValue"), first));
    EXPECT_TRUE(effect_->IsParameterUsed(Param("MatrixValue"), first));
    EXPECT_FALSE(effect_->IsParameterUsed(Param("VectorArray"), first));
    EXPECT_TRUE(effect_->IsParameterUsed(Param("VectorArray"), second));
    EXPECT_TRUE(effect_->IsParameterUsed(effect_->GetParameterElement(Param("VectorArray"), 3), second));
    EXPECT_TRUE(effect_->IsParameterUsed(Param("FloatValue"), second));
    EXPECT_FALSE(effect_->IsParameterUsed(Param("MatrixValue"), second));
}

TEST_F(ZooEffectTest, PassesMustBeBegunInOrder)
{
    EXPECT_EQ(effect_->BeginPass(0), D3DERR_INVALIDCALL) << "BeginPass before Begin";
    UINT passes = 0;
    ASSERT_EQ(effect_->Begin(&passes, 0), D3D_OK);
    ASSERT_EQ(passes, 1u);
    EXPECT_EQ(effect_->BeginPass(1), D3DERR_INVALIDCALL) << "past the technique's passes";
    ASSERT_EQ(effect_->BeginPass(0), D3D_OK);
    EXPECT_EQ(effect_->BeginPass(0), D3DERR_INVALIDCALL) << "a pass is already active";
    EXPECT_EQ(effect_->CommitChanges(), D3D_OK);
    EXPECT_EQ(effect_->EndPass(), D3D_OK);
    EXPECT_EQ(effect_->End(), D3D_OK);
    EXPECT_EQ(effect_->BeginPass(0), D3DERR_INVALIDCALL) << "BeginPass after End";
}

TEST_F(ZooEffectTest, IsACountedComObject)
{
    void* out = nullptr;
    ASSERT_EQ(effect_->QueryInterface(IID_ID3DXEffect, &out), S_OK);
    EXPECT_EQ(out, effect_);
    EXPECT_EQ(effect_->Release(), 1u);
    ASSERT_EQ(effect_->QueryInterface(IID_ID3DXBaseEffect, &out), S_OK);
    EXPECT_EQ(out, effect_);
    EXPECT_EQ(effect_->Release(), 1u);
    ASSERT_EQ(effect_->QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(effect_->Release(), 1u);
    EXPECT_EQ(effect_->QueryInterface(IID_IDirect3DDevice9, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(effect_->AddRef(), 2u);
    EXPECT_EQ(effect_->Release(), 1u);

    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(effect_->GetDevice(&device), D3D_OK);
    EXPECT_EQ(device, refhost::Device());
    device->Release();
    ID3DXEffectPool* pool = reinterpret_cast<ID3DXEffectPool*>(1);
    ASSERT_EQ(effect_->GetPool(&pool), D3D_OK);
    EXPECT_EQ(pool, nullptr);
    EXPECT_EQ(effect_->OnLostDevice(), D3D_OK);
    EXPECT_EQ(effect_->OnResetDevice(), D3D_OK);
}

TEST_F(ZooEffectTest, ACloneKeepsTheValuesAndTechniqueButNotTheHandles)
{
    ASSERT_EQ(effect_->SetFloat(Param("FloatValue"), 6.5f), D3D_OK);
    ASSERT_EQ(effect_->SetString(Param("Label"), "cloned"), D3D_OK);
    ASSERT_EQ(effect_->SetTechnique("Third"), D3D_OK);
    ID3DXEffect* clone = nullptr;
    ASSERT_EQ(effect_->CloneEffect(refhost::Device(), &clone), D3D_OK);
    ASSERT_NE(clone, nullptr);

    D3DXHANDLE cloneFloat = clone->GetParameterByName(nullptr, "FloatValue");
    EXPECT_NE(cloneFloat, Param("FloatValue"));
    FLOAT f = 0;
    ASSERT_EQ(clone->GetFloat(cloneFloat, &f), D3D_OK);
    EXPECT_EQ(f, 6.5f);
    const char* label = nullptr;
    ASSERT_EQ(clone->GetString(clone->GetParameterByName(nullptr, "Label"), &label), D3D_OK);
    EXPECT_STREQ(label, "cloned");
    EXPECT_EQ(clone->GetCurrentTechnique(), clone->GetTechniqueByName("Third"));

    ASSERT_EQ(clone->SetFloat(cloneFloat, 1.0f), D3D_OK);
    ASSERT_EQ(effect_->GetFloat(Param("FloatValue"), &f), D3D_OK);
    EXPECT_EQ(f, 6.5f) << "the clone's values are its own";
    EXPECT_EQ(clone->Release(), 0u);
}

TEST(HostEffectCreation, RefusesUnusableDescriptionsWithAReason)
{
    std::string error;
    refhost::EffectDescription noTechnique = refhost::ParameterZooDescription();
    noTechnique.techniques.clear();
    EXPECT_EQ(refhost::CreateRuntimeEffect(refhost::Device(), noTechnique, &error), nullptr);
    EXPECT_NE(error.find("technique"), std::string::npos) << error;

    refhost::EffectDescription twice = refhost::ParameterZooDescription();
    twice.parameters.push_back(twice.parameters[0]);
    error.clear();
    EXPECT_EQ(refhost::CreateRuntimeEffect(refhost::Device(), twice, &error), nullptr);
    EXPECT_NE(error.find("BoolValue"), std::string::npos) << error;

    refhost::EffectDescription broken = refhost::PlainEffectDescription();
    broken.techniques[0].passes[0].pixelShader = "float4 main() : COLOR { return undeclared; }";
    error.clear();
    EXPECT_EQ(refhost::CreateRuntimeEffect(refhost::Device(), broken, &error), nullptr);
    EXPECT_NE(error.find("ps_3_0"), std::string::npos) << error;

    EXPECT_EQ(refhost::CreateRuntimeEffect(nullptr, refhost::PlainEffectDescription(), &error), nullptr);
}

} // namespace
