// With a state manager the effect sends every state through it: this shows register by register
// what BeginPass uploads, for every register set, and that CommitChanges sends changed values.
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "com_object.h"
#include "effect_creation.h"
#include "effect_library.h"

namespace {

// Keeps the last value written to every register, sampler and render state.
class RecordingStateManager final : public ComObject<ID3DXEffectStateManager> {
public:
    std::map<UINT, std::vector<float>> vertexFloats, pixelFloats;
    std::map<UINT, std::vector<INT>> pixelInts;
    std::map<UINT, BOOL> pixelBools;
    std::map<DWORD, IDirect3DBaseTexture9*> textures;
    std::map<std::pair<DWORD, DWORD>, DWORD> samplerStates;
    std::map<DWORD, DWORD> renderStates;
    IDirect3DVertexShader9* vertexShader = nullptr;
    IDirect3DPixelShader9* pixelShader = nullptr;
    int calls = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return Count(); }
    HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL9*) override { return Count(); }
    HRESULT STDMETHODCALLTYPE SetLight(DWORD, const D3DLIGHT9*) override { return Count(); }
    HRESULT STDMETHODCALLTYPE LightEnable(DWORD, WINBOOL) override { return Count(); }
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override
    {
        renderStates[state] = value;
        return Count();
    }
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override
    {
        textures[stage] = texture;
        return Count();
    }
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return Count(); }
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override
    {
        samplerStates[{sampler, type}] = value;
        return Count();
    }
    HRESULT STDMETHODCALLTYPE SetNPatchMode(FLOAT) override { return Count(); }
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD) override { return Count(); }
    HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* shader) override
    {
        vertexShader = shader;
        return Count();
    }
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantF(UINT start, const FLOAT* data, UINT count) override
    {
        for (UINT i = 0; i < count; ++i) vertexFloats[start + i].assign(data + 4 * i, data + 4 * i + 4);
        return Count();
    }
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantI(UINT, const INT*, UINT) override { return Count(); }
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantB(UINT, const WINBOOL*, UINT) override { return Count(); }
    HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9* shader) override
    {
        pixelShader = shader;
        return Count();
    }
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantF(UINT start, const FLOAT* data, UINT count) override
    {
        for (UINT i = 0; i < count; ++i) pixelFloats[start + i].assign(data + 4 * i, data + 4 * i + 4);
        return Count();
    }
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantI(UINT start, const INT* data, UINT count) override
    {
        for (UINT i = 0; i < count; ++i) pixelInts[start + i].assign(data + 4 * i, data + 4 * i + 4);
        return Count();
    }
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantB(UINT start, const WINBOOL* data, UINT count) override
    {
        for (UINT i = 0; i < count; ++i) pixelBools[start + i] = data[i];
        return Count();
    }


private:
    HRESULT Count()
    {
        ++calls;
        return D3D_OK;
    }
};

// The zoo's parameters, read by assembly shaders at registers chosen here.
refhost::EffectDescription RegisterDescription()
{
    refhost::EffectDescription d = refhost::ParameterZooDescription();
    refhost::EffectPass pass;
    pass.name = "Registers";
    pass.vertexShader = "vs_3_0\ndcl_position v0\ndcl_position o0\nmov o0, v0\n";
    pass.vertexRegisters = {{"MatrixValue", D3DXRS_FLOAT4, 2}};
    pass.pixelShader = "ps_3_0\nmov oC0, c0\n";
    pass.pixelRegisters = {{"VectorValue", D3DXRS_FLOAT4, 0},   {"FloatValue", D3DXRS_FLOAT4, 1},
                           {"VectorArray", D3DXRS_FLOAT4, 8},   {"IntValue", D3DXRS_INT4, 0},
                           {"BoolArray", D3DXRS_BOOL, 0},       {"BoolValue", D3DXRS_BOOL, 6},
                           {"TextureA", D3DXRS_SAMPLER, 1}};
    pass.renderStates = {{D3DRS_ZWRITEENABLE, FALSE}};
    d.samplers.push_back({"SamplerA", "TextureA", {{D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP}}});
    d.techniques.push_back({"Registers", {pass}});
    return d;
}

class StateManagerTest : public ::testing::Test {
protected:
    void Make()
    {
        std::string error;
        effect_ = refhost::CreateDescribedEffect(refhost::Device(), RegisterDescription(), &error);
        ASSERT_NE(effect_, nullptr) << error;
        ASSERT_EQ(effect_->SetTechnique("Registers"), D3D_OK);
        ASSERT_EQ(effect_->SetStateManager(&manager_), D3D_OK);
        EXPECT_EQ(manager_.References(), 2u) << "the effect holds the manager";
    }
    void TearDown() override
    {
        if (effect_) {
            EXPECT_EQ(effect_->Release(), 0u);
        }
        EXPECT_EQ(manager_.References(), 1u) << "the effect let its manager go";
    }

    RecordingStateManager manager_;
    ID3DXEffect* effect_ = nullptr;
};

TEST_F(StateManagerTest, BeginPassUploadsEveryRegisterSetThroughTheManager)
{
    Make();
    D3DXMATRIX m;
    for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = float(i + 1);
    ASSERT_EQ(effect_->SetMatrix("MatrixValue", &m), D3D_OK);
    D3DXVECTOR4 vector(0.1f, 0.2f, 0.3f, 0.4f);
    ASSERT_EQ(effect_->SetVector("VectorValue", &vector), D3D_OK);
    ASSERT_EQ(effect_->SetFloat("FloatValue", 7.0f), D3D_OK);
    std::vector<D3DXVECTOR4> vectors;
    for (int i = 0; i < 16; ++i) vectors.emplace_back(float(i), 0, 0, float(-i));
    ASSERT_EQ(effect_->SetVectorArray("VectorArray", vectors.data(), 16), D3D_OK);
    ASSERT_EQ(effect_->SetInt("IntValue", -9), D3D_OK);
    const BOOL bools[4] = {TRUE, FALSE, TRUE, TRUE};
    ASSERT_EQ(effect_->SetBoolArray("BoolArray", bools, 4), D3D_OK);
    ASSERT_EQ(effect_->SetBool("BoolValue", FALSE), D3D_OK);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(refhost::Device()->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    ASSERT_EQ(effect_->SetTexture("TextureA", texture), D3D_OK);

    UINT passes = 0;
    ASSERT_EQ(effect_->Begin(&passes, 0), D3D_OK);
    ASSERT_EQ(effect_->BeginPass(0), D3D_OK);

    EXPECT_NE(manager_.vertexShader, nullptr);
    EXPECT_NE(manager_.pixelShader, nullptr);
    EXPECT_EQ(manager_.renderStates[D3DRS_ZWRITEENABLE], DWORD(FALSE));
    // A register state takes the value in storage order: c2 holds the matrix's first row.
    EXPECT_EQ(manager_.vertexFloats[2], (std::vector<float>{1, 2, 3, 4}));
    EXPECT_EQ(manager_.vertexFloats.count(6), 0u);
    EXPECT_EQ(manager_.pixelFloats[0], (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(manager_.pixelFloats[1], (std::vector<float>{7, 0, 0, 0}));
    EXPECT_EQ(manager_.pixelFloats[8], (std::vector<float>{0, 0, 0, 0}));
    EXPECT_EQ(manager_.pixelFloats.count(24), 0u) << "nothing past the array's 16 registers";
    // Wine's limitation: of a value longer than one register only the first register is filled, the
    // others are sent as zeros (D3DX fills them all: c5 = (13, 14, 15, 16), c13 = (5, 0, 0, -5),
    // c23 = (15, 0, 0, -15), b3 = TRUE). The shipped effects give such values to HLSL shaders.
    const std::vector<float> zero{0, 0, 0, 0};
    EXPECT_TRUE(manager_.vertexFloats[5] == zero && manager_.pixelFloats[13] == zero && manager_.pixelFloats[23] == zero);
    EXPECT_EQ(manager_.pixelBools[3], FALSE);
    EXPECT_EQ(manager_.pixelInts[0], (std::vector<INT>{-9, 0, 0, 0}));
    EXPECT_EQ(manager_.pixelBools[0], TRUE);
    EXPECT_EQ(manager_.pixelBools[1], FALSE);
    EXPECT_EQ(manager_.pixelBools.count(4), 0u);
    EXPECT_EQ(manager_.pixelBools[6], FALSE);
    EXPECT_EQ(manager_.textures[1], texture);
    EXPECT_EQ(manager_.samplerStates[std::make_pair(DWORD(1), DWORD(D3DSAMP_ADDRESSU))], DWORD(D3DTADDRESS_CLAMP));

    // CommitChanges sends what changed since.
    ASSERT_EQ(effect_->SetFloat("FloatValue", -1.0f), D3D_OK);
    ASSERT_EQ(effect_->CommitChanges(), D3D_OK);
    EXPECT_EQ(manager_.pixelFloats[1], (std::vector<float>{-1, 0, 0, 0}));
    effect_->EndPass();
    effect_->End();
    texture->Release();
}

} // namespace
