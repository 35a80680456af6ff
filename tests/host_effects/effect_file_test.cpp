// The effect-file reader: what it takes (read, compiled and made into an effect with the values the
// file gives) and what it refuses (with the file, the line and the construct).
#include <cstring>

#include <gtest/gtest.h>

#include "com.h"
#include "effect_creation.h"
#include "effect_file.h"
#include "ref_host.h"

namespace {

// Shaders and a technique for rows that give only declarations.
const char* const kShaders = "float4 VS(float4 p : POSITION) : POSITION { return p; }\n"
                             "float4 PS() : COLOR0 { return float4(1, 1, 1, 1); }\n";
const char* const kTechnique = "technique T { pass P { VertexShader = compile vs_3_0 VS(); "
                               "PixelShader = compile ps_3_0 PS(); } }\n";
#define PASS_WITH(states) "technique T { pass P { VertexShader = compile vs_3_0 VS(); " states " } }\n"

struct Row {
    const char* text;      // after kShaders; followed by kTechnique unless it has its own
    const char* refused;   // part of the message; null when the file is taken
    const char* parameter; // a parameter whose values are checked, when taken
    std::vector<float> values;
    D3DRENDERSTATETYPE lastState = D3DRENDERSTATETYPE(0); // the pass's last render state, when not 0
    DWORD lastStateValue = 0;
};

const Row kRows[] = {
    {"float F = 0.5;", nullptr, "F", {0.5f}},
    {"float4 V : COLOR < string UIName = \"v\"; int n = 2; > = float4(1, -2, 3e1, .5f);", nullptr, "V", {1, -2, 30, 0.5f}},
    {"uniform float3 N = {1, 0, -1};", nullptr, "N", {1, 0, -1}},
    {"float2 U = float2(0.25, 0.75);", nullptr, "U", {0.25f, 0.75f}},
    {"bool B = true;", nullptr, "B", {1}},
    {"int I[3] = {1, 2, 0x10};", nullptr, "I", {1, 2, 16}},
    {"float4x4 M = {{1,0,0,0},{0,2,0,0},{0,0,3,0},{0,0,0,4}};", nullptr, "M", {1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4}},
    {"float4 A[2] = {float4(1, 2, 3, 4), float4(5, 6, 7, 8)};", nullptr, "A", {1, 2, 3, 4, 5, 6, 7, 8}},
    {"/* a comment\r\nover lines */ string Label = \"text\"; float W = 2; // a comment", nullptr, "W", {2}},
    {"float4 C = {0, 1, 0, 1}; texture T0;\nsampler2D S = sampler_state { Texture = (T0); MinFilter = LINEAR;\n"
     "AddressU = CLAMP; };\nfloat4 PS2(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(S, uv) * C; }\n"
     PASS_WITH("PixelShader = compile ps_3_0 PS2(); ZEnable = TRUE; CullMode = NONE; SrcBlend = SRCALPHA;"),
     nullptr, "C", {0, 1, 0, 1}, D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {PASS_WITH("PixelShader = compile ps_3_0 PS(); ZFunc = LESSEQUAL; AlphaRef = 128;"), nullptr, nullptr, {},
     D3DRS_ALPHAREF, 128},
    // Samplers read with tex2D and texCUBE, intrinsics and functions of one's own, shader model 2.
    {"texture T0; sampler2D S = sampler_state { Texture = <T0>; MagFilter = LINEAR; };\n"
     "float4 PS2(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(S, uv); }\n" PASS_WITH("PixelShader = compile ps_3_0 PS2();")},
    {"texture Cube; samplerCUBE S = sampler_state { Texture = <Cube>; };\n"
     "float3 Mirror(float3 d, float3 n) { return reflect(normalize(d), normalize(n)); }\n"
     "float4 PS2(float3 d : TEXCOORD0, float3 n : TEXCOORD1) : COLOR0 { return texCUBE(S, Mirror(d, n)); }\n"
     PASS_WITH("PixelShader = compile ps_3_0 PS2();")},
    {"float4 VS2(float4 p : POSITION, float4 r0 : TEXCOORD1, float4 r1 : TEXCOORD2, float4 r2 : TEXCOORD3,\n"
     "float4 r3 : TEXCOORD4) : POSITION { return mul(p, float4x4(r0, r1, r2, r3)); }\n"
     "float4 PS2(float3 n : TEXCOORD0) : COLOR0 { return saturate(dot(n, n)) * pow(length(n), 2) + sqrt(n.x); }\n"
     "technique T { pass P { VertexShader = compile vs_2_0 VS2(); PixelShader = compile ps_2_0 PS2(); } }"},

    {"static const float K = 1;", "file.fx(3): 'static' is not read"},
    {"\n#define X 1", "file.fx(4): the preprocessor line '#define X 1'"},
    {"float3x3 R;", "file.fx(3): a parameter of type 'float3x3'"},
    {"texture2D T;", "file.fx(3): 'texture2D' is not read"},
    {"float F = sin(1);", "file.fx(3): the expression 'sin'"},
    {"float4 V = {1,\n 2};", "file.fx(3): the initial value of 'V' has 2 numbers, its type holds 4"},
    {"float A, B;", "file.fx(3): more than one parameter"},
    {"float F : register(c0);", "file.fx(3): 'register'"},
    {"float F; float F;", "file.fx(3): 'F' is declared twice"},
    {"texture T0; sampler S = sampler_state { Texture = <T0>; Foo = 1; };", "file.fx(3): the sampler state 'Foo'"},
    {"sampler S = sampler_state { Texture = <Missing>; };", "file.fx(3): 'Missing' is not a texture parameter"},
    {PASS_WITH("PixelShader = compile ps_3_0 PS(); FogColor = 1;"), "file.fx(3): the pass state 'FogColor'"},
    {PASS_WITH("PixelShader = compile ps_3_0 PS();\nCullMode = SIDEWAYS;"), "file.fx(4): the value 'SIDEWAYS' of 'CullMode'"},
    {PASS_WITH("PixelShader = compile ps_3_0 PS(1);"), "file.fx(3): arguments in a compile statement"},
    {PASS_WITH("PixelShader = NULL;"), "file.fx(3): the shader 'NULL'"},
    {"technique T { pass P { PixelShader = compile ps_3_0 PS(); } }", "file.fx(3): pass 'P' sets no VertexShader"},
    // Shaders are HLSL only: no assembly, no registers bound by the pass.
    {PASS_WITH("PixelShader = asm { ps_3_0\n mov oC0, c0 };"), "file.fx(3): the shader 'asm' (compile expected)"},
    {"float4 C;" PASS_WITH("PixelShader = compile ps_3_0 PS(); PixelShaderConstantF[0] = <C>;"),
     "file.fx(3): the pass state 'PixelShaderConstantF[]'"},
    {"texture T0; sampler S = sampler_state { Texture = <T0>; };"
     PASS_WITH("PixelShader = compile ps_3_0 PS(); Sampler[0] = <S>;"), "file.fx(3): the pass state 'Sampler[]'"},
    {"float F = 1; // and no technique", "file.fx(3): the file has no technique"},
    {"technique Empty { }", "file.fx(3): technique 'Empty' has no pass"},
    {"/* not ended", "file.fx(3): a comment that does not end"},
    // The shader compiler's messages name the file and keep its line numbers (the initial value and
    // the annotations above the faulty line are blanked, not removed).
    {"float4 V <\n string a = \"b\";\n> = {1,\n 2, 3, 4};\nfloat4 PS2() : COLOR0 { return Undeclared; }\n"
     PASS_WITH("PixelShader = compile ps_3_0 PS2();"), "file.fx:7:34: E5005"},
    // What the compiler has not implemented is refused, whatever it answers.
    {"float4 PS2(float4 p : TEXCOORD0) : COLOR0 { float4 r = 0; for (int i = 0; i < p.x; ++i) r += p; return r; }\n"
     PASS_WITH("PixelShader = compile ps_3_0 PS2();"), "not yet implemented feature"},
};

TEST(EffectFile, ConstructsAreTakenOrRefusedWithFileLineAndConstruct)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.text);
        std::string text = std::string(kShaders) + row.text;
        if (!std::strstr(row.text, "technique")) text += std::string("\n") + kTechnique;
        refhost::EffectDescription description;
        std::string error;
        Com<ID3DXEffect> effect;
        if (refhost::ReadEffectFile("file.fx", text, &description, &error))
            effect = Com<ID3DXEffect>::Adopt(refhost::CreateDescribedEffect(refhost::RealDevice(), description, &error));
        if (row.refused) {
            EXPECT_FALSE(effect);
            EXPECT_NE(error.find(row.refused), std::string::npos) << error;
            continue;
        }
        ASSERT_TRUE(effect) << error;
        if (row.parameter) {
            std::vector<float> values(row.values.size());
            ASSERT_EQ(effect->GetFloatArray(row.parameter, values.data(), UINT(values.size())), D3D_OK);
            EXPECT_EQ(values, row.values);
        }
        if (row.lastState) {
            const refhost::EffectPass& pass = description.techniques.at(0).passes.at(0);
            ASSERT_FALSE(pass.renderStates.empty());
            EXPECT_EQ(pass.renderStates.back().state, row.lastState);
            EXPECT_EQ(pass.renderStates.back().value, row.lastStateValue);
        }
    }
}

} // namespace
