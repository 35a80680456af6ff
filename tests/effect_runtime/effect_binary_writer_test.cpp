// The compiled-effect writer, proven by the effect framework: every construct the effect-file
// reader takes (and the effects described in C++) is read, written, loaded with D3DXCreateEffect
// and described back by the framework as it was read.
#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include "com.h"
#include "effect_file.h"
#include "effect_library.h"
#include "framework_effect.h"
#include "ref_host.h"

namespace {

using refhost::EffectDescription;
using refhost::EffectParameterKind;

const char* const kShaders = "float4 VS(float4 p : POSITION) : POSITION { return p; }\n"
                             "float4 PS() : COLOR0 { return float4(1, 1, 1, 1); }\n";
#define PASS_WITH(states) "technique T { pass P { VertexShader = compile vs_3_0 VS(); " states " } }\n"
#define PLAIN_PASS PASS_WITH("PixelShader = compile ps_3_0 PS();")

struct Row {
    const char* construct;
    const char* text; // after kShaders; null for `described`
    std::function<EffectDescription()> described = {};
};

const Row kRows[] = {
    {"float scalar with an initial value", "float F = 0.5;" PLAIN_PASS},
    {"float4 with semantic and annotations",
     "float4 V : COLOR < string UIName = \"v\"; float2 Range = {-1, 1}; int Steps = 3; bool B = true; > = float4(1, -2, 30, .5);"
     "technique T < string Mode = \"fast\"; > { pass P < float Weight = 0.25; > { VertexShader = compile vs_3_0 VS();"
     " PixelShader = compile ps_3_0 PS(); } }"},
    {"float3 and float2", "float3 N = {1, 0, -1}; float2 U = float2(0.25, 0.75);" PLAIN_PASS},
    {"bool and int arrays", "bool B = true; int I[3] = {1, -2, 0x10}; bool Bs[2] = {false, true};" PLAIN_PASS},
    {"float4x4 (rows differ)", "float4x4 M : WORLD = {{1,2,3,4},{5,6,7,8},{9,10,11,12},{13,14,15,16}};" PLAIN_PASS},
    {"float4 and float4x4 arrays", "float4 A[2] = {float4(1, 2, 3, 4), float4(5, 6, 7, 8)}; float4x4 Ms[2];" PLAIN_PASS},
    {"string and texture", "string Label = \"text\"; texture T : DIFFUSEMAP;" PLAIN_PASS},
    {"samplers with states, registers of assembly shaders",
     "float4 C = {0, 1, 0, 1}; texture T0; texture T1;\n"
     "sampler2D S = sampler_state { Texture = <T0>; MinFilter = LINEAR; AddressU = CLAMP; MaxAnisotropy = 3; };\n"
     "samplerCUBE SC = sampler_state { Texture = (T1); MagFilter = POINT; };\n" PASS_WITH(
         "PixelShader = asm { ps_3_0\n dcl_2d s0\n mov oC0, c2 }; PixelShaderConstantF[2] = <C>; Sampler[0] = <S>;"
         "Sampler[1] = <SC>; ZEnable = TRUE; CullMode = NONE; SrcBlend = SRCALPHA;")},
    {"an assembly vertex shader taking a vector",
     "float4 Offset = {1, 2, 3, 4};\ntechnique T { pass P { VertexShader = asm { vs_3_0\n dcl_position v0\n"
     "dcl_position o0\n add o0, v0, c5 }; VertexShaderConstantF[5] = <Offset>; PixelShader = compile ps_3_0 PS(); } }"},
    {"techniques and passes with render states",
     "technique First { pass A { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); ZFunc = LESSEQUAL;"
     " AlphaRef = 128; } pass B { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS();"
     " AlphaBlendEnable = TRUE; DestBlend = ONE; ColorWriteEnable1 = 5; } }\n" PASS_WITH("PixelShader = compile ps_3_0 PS();")},
    {"int, bool and float registers; a sampler found by its texture", nullptr, [] {
         EffectDescription d;
         refhost::ReadEffectFile("row.fx", std::string(kShaders) + "int I = -7; bool B = true; float4 F = {1, 2, 3, 4}; texture T;"
             "sampler S = sampler_state { Texture = <T>; AddressV = MIRROR; };" PASS_WITH("PixelShader = asm { ps_3_0\n mov oC0, c0 };"),
             &d, nullptr);
         d.techniques.at(0).passes.at(0).pixelRegisters = {{"F", D3DXRS_FLOAT4, 3}, {"I", D3DXRS_INT4, 2},
                                                           {"B", D3DXRS_BOOL, 5}, {"T", D3DXRS_SAMPLER, 4}};
         return d;
     }},
    {"the plain effect (textured)", nullptr, [] { return refhost::PlainEffectDescription({true}); }},
    {"the instancing effect (two passes)", nullptr, [] { return refhost::InstancingEffectDescription({1, true, 2}); }},
    {"the three-output effect", nullptr, refhost::ThreeOutputEffectDescription},
    {"the parameter zoo", nullptr, refhost::ParameterZooDescription},
};

// The class, type, rows and columns a compiler gives each kind (effect parameters are stored by rows).
D3DXPARAMETER_DESC ExpectedShape(const refhost::EffectParameter& p)
{
    D3DXPARAMETER_DESC d{};
    d.Elements = p.elements;
    d.Annotations = UINT(p.annotations.size());
    switch (p.kind) {
    case EffectParameterKind::Bool: d.Class = D3DXPC_SCALAR, d.Type = D3DXPT_BOOL, d.Rows = d.Columns = 1; break;
    case EffectParameterKind::Int: d.Class = D3DXPC_SCALAR, d.Type = D3DXPT_INT, d.Rows = d.Columns = 1; break;
    case EffectParameterKind::Float: d.Class = D3DXPC_SCALAR, d.Type = D3DXPT_FLOAT, d.Rows = d.Columns = 1; break;
    case EffectParameterKind::Vector: d.Class = D3DXPC_VECTOR, d.Type = D3DXPT_FLOAT, d.Rows = 1, d.Columns = p.columns; break;
    case EffectParameterKind::Matrix: d.Class = D3DXPC_MATRIX_ROWS, d.Type = D3DXPT_FLOAT, d.Rows = d.Columns = 4; break;
    case EffectParameterKind::Texture: d.Class = D3DXPC_OBJECT, d.Type = D3DXPT_TEXTURE; break;
    case EffectParameterKind::String: d.Class = D3DXPC_OBJECT, d.Type = D3DXPT_STRING; break;
    }
    return d;
}

std::string Text(const char* s) { return s ? s : ""; }

// What the framework holds as the parameter's value, as floats (matrices by rows, as read).
std::vector<float> InitialValue(ID3DXEffect* effect, D3DXHANDLE h, const refhost::EffectParameter& p)
{
    const UINT elements = p.elements ? p.elements : 1;
    std::vector<float> values;
    if (p.kind == EffectParameterKind::Matrix) {
        std::vector<D3DXMATRIX> m(elements);
        EXPECT_EQ(p.elements ? effect->GetMatrixArray(h, m.data(), elements) : effect->GetMatrix(h, m.data()), D3D_OK);
        for (const D3DXMATRIX& x : m) values.insert(values.end(), &x._11, &x._11 + 16);
        return values;
    }
    const UINT count = elements * (p.kind == EffectParameterKind::Vector ? p.columns : 1);
    std::vector<DWORD> words(count);
    EXPECT_EQ(effect->GetValue(h, words.data(), count * sizeof(DWORD)), D3D_OK);
    for (DWORD w : words)
        values.push_back(p.kind == EffectParameterKind::Float || p.kind == EffectParameterKind::Vector ? std::bit_cast<float>(w)
                         : p.kind == EffectParameterKind::Int ? float(INT(w)) : float(w));
    return values;
}

// The framework's description and value of a parameter or annotation, and its annotations.
void ExpectParameter(ID3DXEffect* effect, D3DXHANDLE h, const refhost::EffectParameter& p)
{
    D3DXPARAMETER_DESC got{}, want = ExpectedShape(p);
    ASSERT_EQ(effect->GetParameterDesc(h, &got), D3D_OK) << p.name;
    EXPECT_EQ(Text(got.Name), p.name);
    EXPECT_EQ(Text(got.Semantic), p.semantic) << p.name;
    EXPECT_EQ(std::tie(got.Class, got.Type, got.Rows, got.Columns, got.Elements, got.Annotations),
              std::tie(want.Class, want.Type, want.Rows, want.Columns, want.Elements, want.Annotations)) << p.name;
    if (p.kind == EffectParameterKind::String) {
        LPCSTR s = nullptr;
        EXPECT_EQ(effect->GetString(h, &s), D3D_OK);
        EXPECT_EQ(Text(s), p.initialString);
    } else if (p.kind != EffectParameterKind::Texture) {
        std::vector<float> values(InitialValue(effect, h, p).size(), 0.0f);
        std::copy(p.initial.begin(), p.initial.end(), values.begin());
        EXPECT_EQ(InitialValue(effect, h, p), values) << p.name;
    }
    for (size_t i = 0; i < p.annotations.size(); ++i) ExpectParameter(effect, effect->GetAnnotation(h, UINT(i)), p.annotations[i]);
}

void ExpectAnnotations(ID3DXEffect* effect, D3DXHANDLE h, UINT count, const std::vector<refhost::EffectParameter>& want)
{
    EXPECT_EQ(count, want.size());
    for (size_t i = 0; i < want.size(); ++i) ExpectParameter(effect, effect->GetAnnotation(h, UINT(i)), want[i]);
}

// What BeginPass put in the registers of the pass's assembly shaders: the parameters' initial
// values (a bool register takes one value), `texture` and the sampler states.
void ExpectRegisters(IDirect3DDevice9* device, const EffectDescription& d, const refhost::EffectPass& pass,
                     IDirect3DBaseTexture9* texture)
{
    for (const auto* registers : {&pass.vertexRegisters, &pass.pixelRegisters})
        for (const refhost::EffectRegister& r : *registers) {
            const bool vs = registers == &pass.vertexRegisters;
            if (r.set == D3DXRS_SAMPLER) {
                Com<IDirect3DBaseTexture9> bound;
                device->GetTexture(r.index, bound.put());
                EXPECT_EQ(bound.ptr(), texture) << "sampler " << r.index;
                auto s = std::find_if(d.samplers.begin(), d.samplers.end(), [&](const auto& s) {
                    return r.sampler.empty() ? s.texture == r.parameter : s.sampler == r.sampler;
                });
                for (const auto& [state, want] : s == d.samplers.end() ? decltype(s->states){} : s->states) {
                    DWORD value = 0;
                    device->GetSamplerState(r.index, state, &value);
                    EXPECT_EQ(value, want) << "sampler " << r.index << " state " << state;
                }
                continue;
            }
            auto p = std::find_if(d.parameters.begin(), d.parameters.end(), [&](const auto& p) { return p.name == r.parameter; });
            ASSERT_NE(p, d.parameters.end());
            std::vector<float> got(4), want(4);
            std::copy_n(p->initial.begin(), std::min<size_t>(4, p->initial.size()), want.begin());
            INT ints[4] = {};
            BOOL b = FALSE;
            switch (r.set) {
            case D3DXRS_FLOAT4: vs ? device->GetVertexShaderConstantF(r.index, got.data(), 1) : device->GetPixelShaderConstantF(r.index, got.data(), 1); break;
            case D3DXRS_INT4: vs ? device->GetVertexShaderConstantI(r.index, ints, 1) : device->GetPixelShaderConstantI(r.index, ints, 1); break;
            default: vs ? device->GetVertexShaderConstantB(r.index, &b, 1) : device->GetPixelShaderConstantB(r.index, &b, 1); break;
            }
            if (r.set == D3DXRS_INT4) std::copy(ints, ints + 4, got.begin());
            if (r.set == D3DXRS_BOOL) got = {float(b)}, want.resize(1);
            EXPECT_EQ(got, want) << r.parameter << " in register " << r.index << " of set " << r.set;
        }
}

TEST(EffectBinaryWriter, TheFrameworkDescribesEveryConstructAsItWasRead)
{
    IDirect3DDevice9* device = refhost::RealDevice();
    Com<IDirect3DTexture9> texture;
    ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.put(), nullptr), D3D_OK);
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.construct);
        EffectDescription d;
        std::string error;
        if (row.text) ASSERT_TRUE(refhost::ReadEffectFile("row.fx", std::string(kShaders) + row.text, &d, &error)) << error;
        else d = row.described();
        auto effect = Com<ID3DXEffect>::Adopt(refhost::CreateFrameworkEffect(device, d, &error));
        ASSERT_TRUE(effect) << error;

        D3DXEFFECT_DESC desc{};
        ASSERT_EQ(effect->GetDesc(&desc), D3D_OK);
        EXPECT_EQ(desc.Parameters, d.parameters.size() + d.samplers.size());
        EXPECT_EQ(desc.Techniques, d.techniques.size());
        for (size_t i = 0; i < d.parameters.size(); ++i)
            ExpectParameter(effect.ptr(), effect->GetParameter(nullptr, UINT(i)), d.parameters[i]);
        for (const refhost::EffectSamplerBinding& s : d.samplers) {
            D3DXPARAMETER_DESC got{};
            ASSERT_EQ(effect->GetParameterDesc(effect->GetParameterByName(nullptr, s.sampler.c_str()), &got), D3D_OK);
            EXPECT_EQ(got.Class, D3DXPC_OBJECT) << s.sampler;
            EXPECT_EQ(got.Type, s.type) << s.sampler;
        }
        for (UINT t = 0; t < d.techniques.size(); ++t) {
            D3DXHANDLE technique = effect->GetTechnique(t);
            D3DXTECHNIQUE_DESC td{};
            ASSERT_EQ(effect->GetTechniqueDesc(technique, &td), D3D_OK);
            EXPECT_EQ(Text(td.Name), d.techniques[t].name);
            ExpectAnnotations(effect.ptr(), technique, td.Annotations, d.techniques[t].annotations);
            ASSERT_EQ(td.Passes, d.techniques[t].passes.size());
            ASSERT_EQ(effect->SetTechnique(technique), D3D_OK);
            UINT passes = 0;
            ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
            for (UINT p = 0; p < td.Passes; ++p) {
                const refhost::EffectPass& pass = d.techniques[t].passes[p];
                SCOPED_TRACE("pass " + pass.name);
                D3DXPASS_DESC pd{};
                ASSERT_EQ(effect->GetPassDesc(effect->GetPass(technique, p), &pd), D3D_OK);
                EXPECT_EQ(Text(pd.Name), pass.name);
                ExpectAnnotations(effect.ptr(), effect->GetPass(technique, p), pd.Annotations, pass.annotations);
                ASSERT_TRUE(pd.pVertexShaderFunction && pd.pPixelShaderFunction);
                EXPECT_EQ(pd.pVertexShaderFunction[0] >> 16, 0xFFFEu); // the version tokens
                EXPECT_EQ(pd.pPixelShaderFunction[0] >> 16, 0xFFFFu);
                for (const refhost::EffectRegister& r : pass.pixelRegisters)
                    if (r.set == D3DXRS_SAMPLER) {
                        EXPECT_EQ(effect->SetTexture(r.parameter.c_str(), texture.ptr()), D3D_OK);
                    }
                ASSERT_EQ(effect->BeginPass(p), D3D_OK);
                for (const refhost::EffectRenderState& rs : pass.renderStates) {
                    DWORD value = 0;
                    device->GetRenderState(rs.state, &value);
                    EXPECT_EQ(value, rs.value) << "render state " << rs.state;
                }
                ExpectRegisters(device, d, pass, texture.ptr());
                EXPECT_EQ(effect->EndPass(), D3D_OK);
            }
            EXPECT_EQ(effect->End(), D3D_OK);
        }
    }
}

// Descriptions the framework could not take are refused with what is wrong.
TEST(EffectBinaryWriter, RefusesWhatItCannotWriteWithTheReason)
{
    const std::pair<std::function<void(EffectDescription&)>, const char*> kRefusals[] = {
        {[](EffectDescription& d) { d.samplers.push_back({"", "TextureA"}); }, "sampler name '' is empty"},
        {[](EffectDescription& d) { d.parameters.push_back(d.parameters[0]); }, "parameter name 'BoolValue' is empty or declared twice"},
        {[](EffectDescription& d) { d.techniques[0].passes[0].pixelRegisters = {{"Missing", D3DXRS_FLOAT4, 0}}; },
         "technique 'First' pass 'P0': register 0 names no parameter 'Missing'"},
        {[](EffectDescription& d) { d.techniques[0].passes[0].pixelRegisters = {{"TextureA", D3DXRS_SAMPLER, 0, "S"}}; },
         "register 0 names no sampler 'S'"},
        {[](EffectDescription& d) { d.techniques[0].passes[0].pixelShader = "ps_3_0\n bogus r0\n"; }, "technique 'First' pass 'P0': "},
        {[](EffectDescription& d) { d.techniques.clear(); }, "the effect has no technique"},
    };
    for (const auto& [change, message] : kRefusals) {
        EffectDescription d = refhost::ParameterZooDescription();
        change(d);
        std::string error;
        EXPECT_EQ(refhost::CreateFrameworkEffect(refhost::RealDevice(), d, &error), nullptr) << message;
        EXPECT_NE(error.find(message), std::string::npos) << error;
    }
}

} // namespace
