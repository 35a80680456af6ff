// The compiled-effect writer, proven by the effect framework: every construct the effect-file reader takes (and the
// effects described in C++) is read, written, loaded with D3DXCreateEffect and described back as it was read.
#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "com.h"
#include "effect_creation.h"
#include "effect_file.h"
#include "effect_library.h"
#include "ref_host.h"

namespace {

using refhost::EffectDescription, refhost::EffectParameterKind;

const char* const kShaders = "float4 VS(float4 p : POSITION) : POSITION { return p; }\n"
                             "float4 PS() : COLOR0 { return float4(1, 1, 1, 1); }\n";
#define PASS_WITH(states) "technique T { pass P { VertexShader = compile vs_3_0 VS(); " states " } }\n"
#define PLAIN_PASS PASS_WITH("PixelShader = compile ps_3_0 PS();")

struct Row {
    const char *construct, *text; // text: after kShaders; null for `described`
    std::function<EffectDescription()> described = {};
};

const Row kRows[] = {
    {"scalars, vectors and arrays of them with initial values",
     "float F = 0.5; float3 N = {1, 0, -1}; float2 U = float2(0.25, 0.75); bool B = true; int I[3] = {1, -2, 0x10};"
     "bool Bs[2] = {false, true}; float4 A[2] = {float4(1, 2, 3, 4), float4(5, 6, 7, 8)};" PLAIN_PASS},
    {"float4x4 (rows differ) and its array", "float4x4 M : WORLD = {{1,2,3,4},{5,6,7,8},{9,10,11,12},{13,14,15,16}}; float4x4 Ms[2];" PLAIN_PASS},
    {"string, texture, semantics and annotations",
     "string Label = \"text\"; texture T : DIFFUSEMAP; float4 V : COLOR < string UIName = \"v\"; float2 Range = {-1, 1};"
     " int Steps = 3; bool B = true; > = float4(1, -2, 30, .5); technique T < string Mode = \"fast\"; > { pass P"
     " < float Weight = 0.25; > { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); } }"},
    {"samplers with states, registers of assembly shaders",
     "float4 C = {0, 1, 0, 1}; float4 Offset = {1, 2, 3, 4}; texture T0; texture T1;\n"
     "sampler2D S = sampler_state { Texture = <T0>; MinFilter = LINEAR; AddressU = CLAMP; MaxAnisotropy = 3; };\n"
     "samplerCUBE SC = sampler_state { Texture = (T1); MagFilter = POINT; };\ntechnique T { pass P { VertexShader = asm {"
     " vs_3_0\n dcl_position v0\n dcl_position o0\n add o0, v0, c5 }; VertexShaderConstantF[5] = <Offset>; PixelShader ="
     " asm { ps_3_0\n dcl_2d s0\n mov oC0, c2 }; PixelShaderConstantF[2] = <C>; Sampler[0] = <S>; Sampler[1] = <SC>; } }"},
    {"techniques and passes with render states",
     "technique First { pass A { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); ZFunc = LESSEQUAL;"
     " AlphaRef = 128; } pass B { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS();"
     " AlphaBlendEnable = TRUE; DestBlend = ONE; ColorWriteEnable1 = 5; } }\n" PASS_WITH("PixelShader = compile ps_3_0 PS(); ZEnable = TRUE; CullMode = NONE; SrcBlend = SRCALPHA;")},
    {"int, bool and float registers; a sampler found by its texture", nullptr, [] {
         EffectDescription d;
         refhost::ReadEffectFile("row.fx", std::string(kShaders) + "int I = -7; bool B = true; float4 F = {1, 2, 3, 4}; texture T; sampler S ="
             " sampler_state { Texture = <T>; AddressV = MIRROR; };" PASS_WITH("PixelShader = asm { ps_3_0\n mov oC0, c0 };"), &d, nullptr);
         d.techniques.at(0).passes.at(0).pixelRegisters = {{"F", D3DXRS_FLOAT4, 3}, {"I", D3DXRS_INT4, 2}, {"B", D3DXRS_BOOL, 5}, {"T", D3DXRS_SAMPLER, 4}};
         return d;
     }},
    {"the plain effect (textured)", nullptr, [] { return refhost::PlainEffectDescription({true}); }},
    {"the instancing effect (two passes)", nullptr, [] { return refhost::InstancingEffectDescription({1, true, 2}); }},
    {"the three-output effect", nullptr, refhost::ThreeOutputEffectDescription},
    {"the parameter zoo", nullptr, refhost::ParameterZooDescription},
    {"no technique", nullptr, [] { auto d = refhost::ParameterZooDescription(); d.techniques.clear(); return d; }},
};

std::string Text(const char* s) { return s ? s : ""; }

// The framework's description and value of a parameter or annotation (bool and int values read as
// floats), and its annotations. Class, type, rows and columns are what a compiler gives each kind,
// in EffectParameterKind's order (effect parameters are stored by rows).
void ExpectParameter(ID3DXEffect* effect, D3DXHANDLE h, const refhost::EffectParameter& p)
{
    static const std::tuple<D3DXPARAMETER_CLASS, D3DXPARAMETER_TYPE, UINT, UINT> kShapes[] = {
        {D3DXPC_SCALAR, D3DXPT_BOOL, 1, 1}, {D3DXPC_SCALAR, D3DXPT_INT, 1, 1},      {D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1},
        {D3DXPC_VECTOR, D3DXPT_FLOAT, 1, 0}, {D3DXPC_MATRIX_ROWS, D3DXPT_FLOAT, 4, 4}, {D3DXPC_OBJECT, D3DXPT_TEXTURE, 0, 0},
        {D3DXPC_OBJECT, D3DXPT_STRING, 0, 0}};
    auto [cls, type, rows, columns] = kShapes[int(p.kind)];
    if (p.kind == EffectParameterKind::Vector) columns = p.columns;
    D3DXPARAMETER_DESC got{};
    ASSERT_EQ(effect->GetParameterDesc(h, &got), D3D_OK) << p.name;
    EXPECT_EQ(std::make_pair(Text(got.Name), Text(got.Semantic)), std::make_pair(p.name, p.semantic));
    EXPECT_EQ(std::make_tuple(got.Class, got.Type, got.Rows, got.Columns, got.Elements, got.Annotations),
              std::make_tuple(cls, type, rows, columns, UINT(p.elements), UINT(p.annotations.size()))) << p.name;
    LPCSTR text = nullptr;
    std::vector<float> values(got.Bytes / 4), want(values.size());
    std::copy(p.initial.begin(), p.initial.end(), want.begin());
    EXPECT_TRUE(p.kind != EffectParameterKind::String || (SUCCEEDED(effect->GetString(h, &text)) && Text(text) == p.initialString));
    EXPECT_TRUE(cls == D3DXPC_OBJECT || SUCCEEDED(effect->GetFloatArray(h, values.data(), UINT(values.size()))));
    EXPECT_EQ(values, want) << p.name;
    for (size_t i = 0; i < p.annotations.size(); ++i) ExpectParameter(effect, effect->GetAnnotation(h, UINT(i)), p.annotations[i]);
}

// What BeginPass put in the registers of the pass's assembly shaders: the parameters' initial
// values (a bool register takes one value), `texture` and the sampler states.
void ExpectRegisters(IDirect3DDevice9* device, const EffectDescription& d, const refhost::EffectPass& pass,
                     IDirect3DBaseTexture9* texture)
{
    for (const auto* registers : {&pass.vertexRegisters, &pass.pixelRegisters})
        for (const refhost::EffectRegister& r : *registers) {
            const bool vs = registers == &pass.vertexRegisters;
            auto s = std::find_if(d.samplers.begin(), d.samplers.end(),
                                  [&](const auto& s) { return r.sampler.empty() ? s.texture == r.parameter : s.sampler == r.sampler; });
            auto p = std::find_if(d.parameters.begin(), d.parameters.end(), [&](const auto& p) { return p.name == r.parameter; });
            ASSERT_NE(p, d.parameters.end());
            std::vector<float> got(4), want(4);
            INT ints[4] = {}, b = FALSE;
            Com<IDirect3DBaseTexture9> bound;
            if (r.set == D3DXRS_FLOAT4) vs ? device->GetVertexShaderConstantF(r.index, got.data(), 1) : device->GetPixelShaderConstantF(r.index, got.data(), 1);
            if (r.set == D3DXRS_INT4) vs ? device->GetVertexShaderConstantI(r.index, ints, 1) : device->GetPixelShaderConstantI(r.index, ints, 1);
            if (r.set == D3DXRS_BOOL) vs ? device->GetVertexShaderConstantB(r.index, &b, 1) : device->GetPixelShaderConstantB(r.index, &b, 1);
            if (r.set == D3DXRS_SAMPLER) device->GetTexture(r.index, bound.put());
            EXPECT_EQ(bound.ptr(), r.set == D3DXRS_SAMPLER ? texture : nullptr) << "texture of sampler " << r.index;
            for (DWORD set = 0; const auto& [state, value] : r.set == D3DXRS_SAMPLER && s != d.samplers.end() ? s->states : decltype(s->states){})
                EXPECT_TRUE(SUCCEEDED(device->GetSamplerState(r.index, state, &set)) && set == value) << "sampler " << r.index << " state " << state;
            if (r.set == D3DXRS_SAMPLER) continue;
            std::copy_n(p->initial.begin(), std::min<size_t>(4, p->initial.size()), want.begin());
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
        auto effect = Com<ID3DXEffect>::Adopt(refhost::CreateDescribedEffect(device, d, &error));
        ASSERT_TRUE(effect) << error;
        auto expectAnnotations = [&](D3DXHANDLE h, UINT count, const std::vector<refhost::EffectParameter>& want) {
            EXPECT_EQ(count, want.size());
            for (size_t i = 0; i < want.size(); ++i) ExpectParameter(effect.ptr(), effect->GetAnnotation(h, UINT(i)), want[i]);
        };
        D3DXEFFECT_DESC desc{};
        ASSERT_EQ(effect->GetDesc(&desc), D3D_OK);
        EXPECT_EQ(std::make_pair(desc.Parameters, desc.Techniques), std::make_pair(UINT(d.parameters.size() + d.samplers.size()), UINT(d.techniques.size())));
        for (size_t i = 0; i < d.parameters.size(); ++i)
            ExpectParameter(effect.ptr(), effect->GetParameter(nullptr, UINT(i)), d.parameters[i]);
        for (D3DXPARAMETER_DESC got{}; const refhost::EffectSamplerBinding& s : d.samplers)
            EXPECT_TRUE(SUCCEEDED(effect->GetParameterDesc(s.sampler.c_str(), &got)) && got.Class == D3DXPC_OBJECT && got.Type == s.type) << s.sampler;
        for (UINT t = 0; t < d.techniques.size(); ++t) {
            D3DXHANDLE technique = effect->GetTechnique(t);
            D3DXTECHNIQUE_DESC td{};
            ASSERT_EQ(effect->GetTechniqueDesc(technique, &td), D3D_OK);
            ASSERT_EQ(std::make_pair(Text(td.Name), td.Passes), std::make_pair(d.techniques[t].name, UINT(d.techniques[t].passes.size())));
            expectAnnotations(technique, td.Annotations, d.techniques[t].annotations);
            ASSERT_EQ(effect->SetTechnique(technique), D3D_OK);
            ASSERT_EQ(effect->Begin(nullptr, 0), D3D_OK);
            for (UINT p = 0; p < td.Passes; ++p) {
                const refhost::EffectPass& pass = d.techniques[t].passes[p];
                SCOPED_TRACE("pass " + pass.name);
                D3DXPASS_DESC pd{};
                ASSERT_EQ(effect->GetPassDesc(effect->GetPass(technique, p), &pd), D3D_OK);
                EXPECT_EQ(Text(pd.Name), pass.name);
                expectAnnotations(effect->GetPass(technique, p), pd.Annotations, pass.annotations);
                ASSERT_TRUE(pd.pVertexShaderFunction && pd.pPixelShaderFunction && *pd.pVertexShaderFunction >> 16 == 0xFFFE &&
                            *pd.pPixelShaderFunction >> 16 == 0xFFFF) << "the shaders' version tokens";
                for (const refhost::EffectRegister& r : pass.pixelRegisters)
                    EXPECT_TRUE(r.set != D3DXRS_SAMPLER || SUCCEEDED(effect->SetTexture(r.parameter.c_str(), texture.ptr())));
                ASSERT_EQ(effect->BeginPass(p), D3D_OK);
                for (DWORD value = 0; const refhost::EffectRenderState& rs : pass.renderStates)
                    EXPECT_TRUE(SUCCEEDED(device->GetRenderState(rs.state, &value)) && value == rs.value) << "render state " << rs.state;
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
        {[](EffectDescription& d) { d.techniques[0].passes[0].pixelRegisters = {{"No", D3DXRS_FLOAT4, 0}}; }, "register 0 names no parameter 'No'"},
        {[](EffectDescription& d) { d.techniques[0].passes[0].pixelRegisters = {{"TextureA", D3DXRS_SAMPLER, 0, "S"}}; }, "no sampler 'S'"},
        {[](EffectDescription& d) { d.techniques[0].passes[0].pixelShader = "ps_3_0\n bogus r0\n"; }, "technique 'First' pass 'P0': "},
        {[](EffectDescription& d) { d.techniques[0].passes[0].pixelShader = "sampler TextureA; float4 main(float2 t : TEXCOORD0) : COLOR"
                                                                           " { return tex2D(TextureA, t); }"; }, "samples 'TextureA', a parameter that is no sampler"},
    };
    for (const auto& [change, message] : kRefusals) {
        EffectDescription d = refhost::ParameterZooDescription();
        std::string error;
        change(d);
        EXPECT_TRUE(!refhost::CreateDescribedEffect(refhost::RealDevice(), d, &error) && error.find(message) != std::string::npos) << error;
    }
    std::string error;
    EXPECT_TRUE(!refhost::CreateDescribedEffect(nullptr, refhost::ParameterZooDescription(), &error) && error == "no device") << error;
}

} // namespace
