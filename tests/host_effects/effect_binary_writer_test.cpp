// The compiled-effect writer: the bytes of each construct, written without a compiler or a device;
// what it refuses; and, proven by the effect framework, every construct the effect-file reader takes
// (and the effects described in C++) loaded with D3DXCreateEffect and described back as it was read.
#include <bit>
#include <cstring>
#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "com.h"
#include "effect_binary_writer.h"
#include "effect_code.h"
#include "effect_creation.h"
#include "effect_file.h"
#include "effect_library.h"
#include "ref_host.h"

namespace {

using refhost::EffectDescription, refhost::EffectParameter, refhost::EffectParameterKind;
using Words = std::vector<DWORD>;
using K = EffectParameterKind;

constexpr DWORD kNone = 0xFFFFFFFF;

Words Cat(std::initializer_list<Words> pieces)
{
    Words all;
    for (const Words& piece : pieces)
        all.insert(all.end(), piece.begin(), piece.end());
    return all;
}

DWORD F(float value) { return std::bit_cast<DWORD>(value); }

// A text as the binary stores it: its size with the terminating zero, then its bytes, padded.
Words Sized(const std::string& text)
{
    Words words = {DWORD(text.size() + 1)};
    words.resize(1 + (text.size() + 4) / 4, 0);
    std::copy(text.begin(), text.end(), reinterpret_cast<char*>(&words[1]));
    return words;
}

// Shader code as the binary stores it: its size in bytes, then its words.
Words SizedCode(const Words& code) { return Cat({{DWORD(code.size() * 4)}, code}); }

const Words kVertexCode = {0xFFFE0300, 0x0000FFFF}, kPixelCode = {0xFFFF0300, 0x0000FFFF};

// A description with `parameters` and no technique, or with one technique "T" of one pass "P".
EffectDescription Described(std::vector<EffectParameter> parameters, bool technique = false)
{
    EffectDescription d;
    d.parameters = std::move(parameters);
    if (technique)
        d.techniques.push_back({"T", {{"P"}}});
    return d;
}

struct ByteRow {
    const char* construct;
    std::function<EffectDescription()> description;
    Words data; // the data part, from offset 0
    Words body; // the structured part and the objects
};

// Types are written as {type, class, name, semantic, elements, then rows and columns}, offsets
// count from the start of the data part, whose first word is the empty text.
const ByteRow kByteRows[] = {
    {"nothing", [] { return Described({}); }, {0}, {0, 0, 0, 1, 0, 0}},
    {"a float with a semantic and its initial value",
     [] { return Described({{.name = "F", .semantic = "S", .kind = K::Float, .initial = {0.5f}}}); },
     Cat({{0}, Sized("F"), Sized("S"), {D3DXPT_FLOAT, D3DXPC_SCALAR, 4, 12, 0, 1, 1}, {F(0.5f)}}),
     {1, 0, 0, 1, 20, 48, 0, 0, 0, 0}},
    {"a float3: columns before rows",
     [] {
         return Described({{.name = "V", .kind = K::Vector, .initial = {1, 0, -1}, .columns = 3}});
     },
     Cat({{0}, Sized("V"), {D3DXPT_FLOAT, D3DXPC_VECTOR, 4, 0, 0, 3, 1}, {F(1), F(0), F(-1)}}),
     {1, 0, 0, 1, 12, 40, 0, 0, 0, 0}},
    {"bools and ints as such",
     [] {
         return Described({{.name = "B", .kind = K::Bool, .elements = 2, .initial = {1, 0}},
                           {.name = "I", .kind = K::Int, .initial = {-2}}});
     },
     Cat({{0},
          Sized("B"),
          {D3DXPT_BOOL, D3DXPC_SCALAR, 4, 0, 2, 1, 1},
          {TRUE, FALSE},
          Sized("I"),
          {D3DXPT_INT, D3DXPC_SCALAR, 48, 0, 0, 1, 1},
          {0xFFFFFFFE}}),
     {2, 0, 0, 1, 12, 40, 0, 0, 56, 84, 0, 0, 0, 0}},
    {"a float4x4 by rows",
     [] {
         return Described(
             {{.name = "M", .kind = K::Matrix, .initial = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}}});
     },
     Cat({{0},
          Sized("M"),
          {D3DXPT_FLOAT, D3DXPC_MATRIX_ROWS, 4, 0, 0, 4, 4},
          {F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), F(9), F(10), F(11), F(12), F(13), F(14), F(15), F(16)}}),
     {1, 0, 0, 1, 12, 40, 0, 0, 0, 0}},
    {"a string: an object and its text",
     [] { return Described({{.name = "Label", .kind = K::String, .initialString = "zoo"}}); },
     Cat({{0}, Sized("Label"), {D3DXPT_STRING, D3DXPC_OBJECT, 4, 0, 0}, {1}}),
     Cat({{1, 0, 0, 2, 16, 36, 0, 0}, {1, 0, 1}, Sized("zoo")})},
    {"an array of textures: an object per element",
     [] { return Described({{.name = "T", .kind = K::Texture, .elements = 2, .textureType = D3DXPT_TEXTURE2D}}); },
     Cat({{0}, Sized("T"), {D3DXPT_TEXTURE2D, D3DXPC_OBJECT, 4, 0, 2}, {1, 2}}),
     {1, 0, 0, 3, 12, 32, 0, 0, 0, 0}},
    {"an annotation of a parameter",
     [] {
         EffectParameter range{.name = "Range", .kind = K::Vector, .initial = {-1, 1}, .columns = 2};
         return Described({{.name = "F", .kind = K::Float, .annotations = {range}}});
     },
     Cat({{0},
          Sized("F"),
          {D3DXPT_FLOAT, D3DXPC_SCALAR, 4, 0, 0, 1, 1},
          {0},
          Sized("Range"),
          {D3DXPT_FLOAT, D3DXPC_VECTOR, 44, 0, 0, 2, 1},
          {F(-1), F(1)}}),
     {1, 0, 0, 1, 12, 40, 0, 1, 56, 84, 0, 0}},
    {"a sampler: the name of its texture and its states",
     [] {
         EffectDescription d = Described({{.name = "T", .kind = K::Texture}});
         d.samplers.push_back({"S", "T", {{D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP}}, D3DXPT_SAMPLER2D});
         return d;
     },
     Cat({{0},
          Sized("T"),
          {D3DXPT_TEXTURE, D3DXPC_OBJECT, 4, 0, 0},
          {1},
          Sized("S"),
          {D3DXPT_SAMPLER2D, D3DXPC_OBJECT, 36, 0, 0},
          {D3DXPT_TEXTURE, D3DXPC_OBJECT, 0, 0, 0},
          {2},
          {D3DXPT_INT, D3DXPC_SCALAR, 0, 0, 0, 1, 1},
          {D3DTADDRESS_CLAMP},
          {2, /* Texture */ 0xA4, 0, 64, 84, /* AddressU */ 0xA5, 0, 88, 116}}),
     Cat({{2, 0, 0, 3, 12, 32, 0, 0, 44, 120, 0, 0}, {0, 1}, {kNone, 1, kNone, 0, 1}, Sized("T")})},
    {"a technique: annotations, and a pass with its shaders' code and render states",
     [] {
         EffectDescription d = Described({}, true);
         d.techniques[0].annotations.push_back({.name = "N", .kind = K::Int, .initial = {3}});
         d.techniques[0].passes[0].renderStates = {{D3DRS_ZFUNC, D3DCMP_LESSEQUAL}};
         return d;
     },
     Cat({{0},
          Sized("T"),
          Sized("N"),
          {D3DXPT_INT, D3DXPC_SCALAR, 12, 0, 0, 1, 1},
          {3},
          Sized("P"),
          {D3DXPT_VERTEXSHADER, D3DXPC_OBJECT, 0, 0, 0},
          {1},
          {D3DXPT_PIXELSHADER, D3DXPC_OBJECT, 0, 0, 0},
          {2},
          {D3DXPT_INT, D3DXPC_SCALAR, 0, 0, 0, 1, 1},
          {D3DCMP_LESSEQUAL}}),
     Cat({{0, 1, 0, 3},
          {4, 1, 1, 20, 48},
          {52, 0, 3},
          {/* VertexShader */ 0x92, 0, 60, 80, /* PixelShader */ 0x93, 0, 84, 104, /* ZFunc */ 9, 0, 108, 136},
          {0, 2},
          {0, 0, kNone, 0, 0},
          SizedCode(kVertexCode),
          {0, 0, kNone, 1, 0},
          SizedCode(kPixelCode)})},
};

refhost::EffectCode FakeCode(const EffectDescription& d)
{
    refhost::EffectCode code;
    for (const refhost::EffectTechnique& t : d.techniques)
        code.emplace_back(t.passes.size(), refhost::PassCode{kVertexCode, kPixelCode});
    return code;
}

Words WordsOf(const std::vector<BYTE>& bytes)
{
    Words words(bytes.size() / 4);
    std::memcpy(words.data(), bytes.data(), words.size() * 4);
    return words;
}

TEST(EffectBinaryWriter, WritesEachConstructWithoutACompilerOrADevice)
{
    for (const ByteRow& row : kByteRows) {
        SCOPED_TRACE(row.construct);
        const EffectDescription d = row.description();
        std::vector<BYTE> binary;
        std::string error;
        ASSERT_TRUE(refhost::WriteEffectBinary(d, FakeCode(d), &binary, &error)) << error;
        EXPECT_EQ(binary.size() % 4, 0u);
        const DWORD dataBytes = DWORD(row.data.size() * 4);
        EXPECT_EQ(WordsOf(binary), Cat({{0xFEFF0901, dataBytes}, row.data, row.body}));
    }
}

struct Refusal {
    const char* message;
    std::function<void(EffectDescription&)> change;
};

// Descriptions the framework could not take are refused with what is wrong, before any device.
TEST(EffectBinaryWriter, RefusesWhatItCannotWriteWithTheReason)
{
    const Refusal kRefusals[] = {
        {"sampler name '' is empty",
         [](EffectDescription& d) {
             d.samplers.push_back({"", "TextureA"});
         }},
        {"parameter name 'BoolValue' is empty or declared twice",
         [](EffectDescription& d) { d.parameters.push_back(d.parameters[0]); }},
        {"sampler 'S' takes 'IntValue', which is no texture parameter",
         [](EffectDescription& d) {
             d.samplers.push_back({"S", "IntValue"});
         }},
        {"sampler 'S': sampler state 99 has no operation",
         [](EffectDescription& d) {
             d.samplers.push_back({"S", "TextureA", {{D3DSAMPLERSTATETYPE(99), 0}}});
         }},
        {"technique 'First' pass 'P0': render state 99 has no operation",
         [](EffectDescription& d) {
             d.techniques[0].passes[0].renderStates = {{D3DRENDERSTATETYPE(99), 0}};
         }},
        {"technique 'First' pass 'P0': ps_3_0 shader does not compile",
         [](EffectDescription& d) { d.techniques[0].passes[0].pixelShader = "float4 main() : COLOR { return x; }"; }},
        {"technique 'First' pass 'P0': the shader samples 'TextureA', a parameter that is no sampler",
         [](EffectDescription& d) {
             d.techniques[0].passes[0].pixelShader =
                 "sampler TextureA; float4 main(float2 t : TEXCOORD0) : COLOR { return tex2D(TextureA, t); }";
         }},
    };
    for (const Refusal& row : kRefusals) {
        EffectDescription d = refhost::ParameterZooDescription();
        row.change(d);
        refhost::EffectCode code;
        std::vector<BYTE> binary;
        std::string error;
        const bool written =
            refhost::CompileEffectCode(d, &code, &error) && refhost::WriteEffectBinary(d, code, &binary, &error);
        EXPECT_FALSE(written) << row.message;
        EXPECT_THAT(error, testing::HasSubstr(row.message));
    }
    std::vector<BYTE> binary;
    std::string error;
    EXPECT_FALSE(refhost::WriteEffectBinary(refhost::ParameterZooDescription(), {}, &binary, &error));
    EXPECT_EQ(error, "technique 'First' has no code for each of its passes");
    EXPECT_EQ(refhost::CreateDescribedEffect(nullptr, refhost::ParameterZooDescription(), &error), nullptr);
    EXPECT_EQ(error, "no device");
}

// ---- The framework's reading of what is written.

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
    {"scalars, vectors and arrays of them with initial values",
     "float F = 0.5; float3 N = {1, 0, -1}; float2 U = float2(0.25, 0.75); bool B = true;"
     "int I[3] = {1, -2, 0x10}; bool Bs[2] = {false, true};"
     "float4 A[2] = {float4(1, 2, 3, 4), float4(5, 6, 7, 8)};" PLAIN_PASS},
    {"float4x4 (rows differ) and its array",
     "float4x4 M : WORLD = {{1,2,3,4},{5,6,7,8},{9,10,11,12},{13,14,15,16}}; float4x4 Ms[2];" PLAIN_PASS},
    {"string, texture, semantics and annotations",
     "string Label = \"text\"; texture T : DIFFUSEMAP;"
     "float4 V : COLOR < string UIName = \"v\"; float2 Range = {-1, 1}; int Steps = 3; bool B = true; >"
     " = float4(1, -2, 30, .5);"
     "technique T < string Mode = \"fast\"; > { pass P < float Weight = 0.25; > {"
     " VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); } }"},
    {"samplers with states, sampled by the pixel shader",
     "float4 C = {0, 1, 0, 1}; texture T0; texture T1;\n"
     "sampler2D S = sampler_state { Texture = <T0>; MinFilter = LINEAR; AddressU = CLAMP; MaxAnisotropy = 3; };\n"
     "samplerCUBE SC = sampler_state { Texture = (T1); MagFilter = POINT; };\n"
     "float4 PS2(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(S, uv) * texCUBE(SC, uv.xyx) + C; }\n" PASS_WITH(
         "PixelShader = compile ps_3_0 PS2();")},
    {"techniques and passes with render states",
     "technique First { pass A { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS();"
     " ZFunc = LESSEQUAL; AlphaRef = 128; } pass B { VertexShader = compile vs_3_0 VS();"
     " PixelShader = compile ps_3_0 PS(); AlphaBlendEnable = TRUE; DestBlend = ONE; ColorWriteEnable1 = 5; } "
     "}\n" PASS_WITH("PixelShader = compile ps_3_0 PS(); ZEnable = TRUE; CullMode = NONE; SrcBlend = SRCALPHA;")},
    {"the plain effect (textured)", nullptr, [] { return refhost::PlainEffectDescription({true}); }},
    {"the instancing effect (two passes)", nullptr,
     [] {
         return refhost::InstancingEffectDescription({1, true, 2});
     }},
    {"the three-output effect", nullptr, refhost::ThreeOutputEffectDescription},
    {"the parameter zoo", nullptr, refhost::ParameterZooDescription},
    {"no technique", nullptr,
     [] {
         auto d = refhost::ParameterZooDescription();
         d.techniques.clear();
         return d;
     }},
};

std::string Text(const char* s) { return s ? s : ""; }

struct ShapeSeen {
    D3DXPARAMETER_CLASS cls;
    D3DXPARAMETER_TYPE type;
    UINT rows, columns, elements, annotations;
    bool operator==(const ShapeSeen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ShapeSeen& s)
{
    return out << "class " << s.cls << " type " << s.type << " " << s.rows << "x" << s.columns << " elements "
               << s.elements << " annotations " << s.annotations;
}

// What a compiler gives each kind, in EffectParameterKind's order (parameters are stored by rows).
ShapeSeen ExpectedShape(const EffectParameter& p)
{
    static const ShapeSeen kShapes[] = {{D3DXPC_SCALAR, D3DXPT_BOOL, 1, 1},       {D3DXPC_SCALAR, D3DXPT_INT, 1, 1},
                                        {D3DXPC_SCALAR, D3DXPT_FLOAT, 1, 1},      {D3DXPC_VECTOR, D3DXPT_FLOAT, 1, 0},
                                        {D3DXPC_MATRIX_ROWS, D3DXPT_FLOAT, 4, 4}, {D3DXPC_OBJECT, D3DXPT_TEXTURE, 0, 0},
                                        {D3DXPC_OBJECT, D3DXPT_STRING, 0, 0}};
    ShapeSeen s = kShapes[int(p.kind)];
    if (p.kind == K::Vector)
        s.columns = p.columns;
    s.elements = p.elements;
    s.annotations = UINT(p.annotations.size());
    return s;
}

// The framework's description and value of a parameter or annotation (bool and int values read as
// floats), and its annotations.
void ExpectParameter(ID3DXEffect* effect, D3DXHANDLE h, const EffectParameter& p)
{
    SCOPED_TRACE(p.name);
    D3DXPARAMETER_DESC got{};
    ASSERT_EQ(effect->GetParameterDesc(h, &got), D3D_OK);
    EXPECT_EQ(Text(got.Name), p.name);
    EXPECT_EQ(Text(got.Semantic), p.semantic);
    const ShapeSeen seen{got.Class, got.Type, got.Rows, got.Columns, got.Elements, got.Annotations};
    EXPECT_EQ(seen, ExpectedShape(p));
    if (p.kind == K::String) {
        LPCSTR text = nullptr;
        EXPECT_EQ(effect->GetString(h, &text), D3D_OK);
        EXPECT_EQ(Text(text), p.initialString);
    } else if (got.Class != D3DXPC_OBJECT) {
        std::vector<float> values(got.Bytes / 4), want(values.size());
        std::copy(p.initial.begin(), p.initial.end(), want.begin());
        EXPECT_EQ(effect->GetFloatArray(h, values.data(), UINT(values.size())), D3D_OK);
        EXPECT_EQ(values, want);
    }
    for (size_t i = 0; i < p.annotations.size(); ++i)
        ExpectParameter(effect, effect->GetAnnotation(h, UINT(i)), p.annotations[i]);
}

void ExpectAnnotations(ID3DXEffect* effect, D3DXHANDLE h, UINT count, const std::vector<EffectParameter>& want)
{
    EXPECT_EQ(count, want.size());
    for (size_t i = 0; i < want.size() && i < count; ++i)
        ExpectParameter(effect, effect->GetAnnotation(h, UINT(i)), want[i]);
}

void ExpectSamplers(ID3DXEffect* effect, const EffectDescription& d)
{
    for (const refhost::EffectSamplerBinding& s : d.samplers) {
        D3DXPARAMETER_DESC got{};
        ASSERT_EQ(effect->GetParameterDesc(s.sampler.c_str(), &got), D3D_OK) << s.sampler;
        EXPECT_EQ(got.Class, D3DXPC_OBJECT) << s.sampler;
        EXPECT_EQ(got.Type, s.type) << s.sampler;
    }
}

// The pass's name, annotations and shaders, and the render states BeginPass sets.
void ExpectPass(ID3DXEffect* effect, D3DXHANDLE technique, UINT p, const refhost::EffectPass& pass)
{
    SCOPED_TRACE("pass " + pass.name);
    const D3DXHANDLE handle = effect->GetPass(technique, p);
    D3DXPASS_DESC pd{};
    ASSERT_EQ(effect->GetPassDesc(handle, &pd), D3D_OK);
    EXPECT_EQ(Text(pd.Name), pass.name);
    ExpectAnnotations(effect, handle, pd.Annotations, pass.annotations);
    ASSERT_NE(pd.pVertexShaderFunction, nullptr);
    ASSERT_NE(pd.pPixelShaderFunction, nullptr);
    EXPECT_EQ(*pd.pVertexShaderFunction >> 16, 0xFFFEu) << "a vertex shader's version token";
    EXPECT_EQ(*pd.pPixelShaderFunction >> 16, 0xFFFFu) << "a pixel shader's version token";
    ASSERT_EQ(effect->BeginPass(p), D3D_OK);
    for (const refhost::EffectRenderState& rs : pass.renderStates) {
        DWORD value = 0;
        EXPECT_EQ(refhost::RealDevice()->GetRenderState(rs.state, &value), D3D_OK);
        EXPECT_EQ(value, rs.value) << "render state " << rs.state;
    }
    EXPECT_EQ(effect->EndPass(), D3D_OK);
}

void ExpectTechnique(ID3DXEffect* effect, UINT t, const refhost::EffectTechnique& technique)
{
    const D3DXHANDLE handle = effect->GetTechnique(t);
    D3DXTECHNIQUE_DESC td{};
    ASSERT_EQ(effect->GetTechniqueDesc(handle, &td), D3D_OK);
    EXPECT_EQ(Text(td.Name), technique.name);
    ASSERT_EQ(td.Passes, technique.passes.size());
    ExpectAnnotations(effect, handle, td.Annotations, technique.annotations);
    ASSERT_EQ(effect->SetTechnique(handle), D3D_OK);
    ASSERT_EQ(effect->Begin(nullptr, 0), D3D_OK);
    for (UINT p = 0; p < td.Passes; ++p)
        ExpectPass(effect, handle, p, technique.passes[p]);
    EXPECT_EQ(effect->End(), D3D_OK);
}

TEST(EffectBinaryWriter, TheFrameworkDescribesEveryConstructAsItWasRead)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.construct);
        EffectDescription d;
        std::string error;
        if (row.text)
            ASSERT_TRUE(refhost::ReadEffectFile("row.fx", std::string(kShaders) + row.text, &d, &error)) << error;
        else
            d = row.described();
        auto effect = Com<ID3DXEffect>::Adopt(refhost::CreateDescribedEffect(refhost::RealDevice(), d, &error));
        ASSERT_TRUE(effect) << error;
        D3DXEFFECT_DESC desc{};
        ASSERT_EQ(effect->GetDesc(&desc), D3D_OK);
        EXPECT_EQ(desc.Parameters, d.parameters.size() + d.samplers.size());
        EXPECT_EQ(desc.Techniques, d.techniques.size());
        for (size_t i = 0; i < d.parameters.size(); ++i)
            ExpectParameter(effect.ptr(), effect->GetParameter(nullptr, UINT(i)), d.parameters[i]);
        ExpectSamplers(effect.ptr(), d);
        for (UINT t = 0; t < d.techniques.size(); ++t)
            ExpectTechnique(effect.ptr(), t, d.techniques[t]);
    }
}

} // namespace
