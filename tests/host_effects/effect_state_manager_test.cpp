// With a state manager the effect sends every state through it: this shows register by register
// what BeginPass uploads to the shaders' constants (every register of a longer value, ints and bools
// in float registers as the shaders declare them), textures and sampler states, and that
// CommitChanges sends changed values.
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
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantI(UINT, const INT*, UINT) override { return Count(); }
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantB(UINT, const WINBOOL*, UINT) override { return Count(); }


private:
    HRESULT Count()
    {
        ++calls;
        return D3D_OK;
    }
};

// The zoo's parameters, read by HLSL shaders at registers chosen here.
refhost::EffectDescription RegisterDescription()
{
    refhost::EffectDescription d = refhost::ParameterZooDescription();
    refhost::EffectPass pass;
    pass.name = "Registers";
    pass.vertexShader = "float4x4 MatrixValue : register(c2);\n"
                        "float4 main(float4 p : POSITION) : POSITION { return mul(p, MatrixValue); }\n";
    pass.pixelShader = "float4 VectorValue : register(c0);\n"
                       "float FloatValue : register(c1);\n"
                       "float4 VectorArray[16] : register(c8);\n"
                       "int IntValue : register(c4);\n"
                       "bool BoolValue : register(c5);\n"
                       "sampler SamplerA : register(s1);\n"
                       "float4 main(float2 uv : TEXCOORD0) : COLOR\n"
                       "{\n"
                       "    float4 c = VectorValue * FloatValue + VectorArray[0] + VectorArray[15];\n"
                       "    c += IntValue * tex2D(SamplerA, uv);\n"
                       "    return BoolValue ? c : -c;\n"
                       "}\n";
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

TEST_F(StateManagerTest, BeginPassUploadsEveryRegisterThroughTheManager)
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
    // The shader packs the matrix by columns: c2 to c5 hold its columns.
    using Floats = std::vector<float>;
    const std::map<UINT, Floats> matrixColumns = {
        {2, {1, 5, 9, 13}}, {3, {2, 6, 10, 14}}, {4, {3, 7, 11, 15}}, {5, {4, 8, 12, 16}}};
    EXPECT_EQ(manager_.vertexFloats, matrixColumns);
    EXPECT_EQ(manager_.pixelFloats[0], (Floats{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(manager_.pixelFloats[1], (Floats{7, 0, 0, 0}));
    EXPECT_EQ(manager_.pixelFloats[4], (Floats{-9, 0, 0, 0})) << "IntValue";
    EXPECT_EQ(manager_.pixelFloats[5], (Floats{0, 0, 0, 0})) << "BoolValue";
    EXPECT_EQ(manager_.pixelFloats[8], (Floats{0, 0, 0, 0})) << "VectorArray[0]";
    EXPECT_EQ(manager_.pixelFloats[23], (Floats{15, 0, 0, -15})) << "VectorArray[15]";
    EXPECT_EQ(manager_.pixelFloats.count(24), 0u) << "nothing past the array's 16 registers";
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
