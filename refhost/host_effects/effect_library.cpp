#include "effect_library.h"

namespace refhost {

namespace {

const std::vector<float> kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

EffectParameter Param(const char* name, EffectParameterKind kind, const char* semantic = "",
                      std::vector<float> initial = {}, unsigned elements = 0)
{
    EffectParameter p;
    p.name = name;
    p.semantic = semantic;
    p.kind = kind;
    p.elements = elements;
    p.initial = std::move(initial);
    return p;
}

std::vector<EffectParameter> CameraParameters()
{
    return {Param("View", EffectParameterKind::Matrix, "VIEW", kIdentity),
            Param("Projection", EffectParameterKind::Matrix, "PROJECTION", kIdentity),
            Param("ViewProjection", EffectParameterKind::Matrix, "VIEWPROJECTION", kIdentity)};
}

// HLSL declaring the camera matrices and projecting `world` (a float4 named by the caller).
std::string CameraUniforms(CameraMatrices camera)
{
    return camera == CameraMatrices::ViewProjection ? "float4x4 ViewProjection;\n"
                                                    : "float4x4 View;\nfloat4x4 Projection;\n";
}

std::string Project(CameraMatrices camera, const char* world)
{
    return camera == CameraMatrices::ViewProjection ? std::string("mul(") + world + ", ViewProjection)"
                                                    : std::string("mul(mul(") + world + ", View), Projection)";
}

const char* kColorPixelShader =
    "float4 main(float4 color : TEXCOORD0) : COLOR\n"
    "{\n"
    "    return color;\n"
    "}\n";

} // namespace

EffectDescription PlainEffectDescription(const PlainEffectOptions& options)
{
    EffectDescription d;
    d.parameters.push_back(Param("World", EffectParameterKind::Matrix, "WORLD", kIdentity));
    for (EffectParameter& p : CameraParameters()) d.parameters.push_back(p);
    d.parameters.push_back(Param("Color", EffectParameterKind::Vector, "", {1, 1, 1, 1}));
    d.parameters.push_back(Param("DiffuseTexture", EffectParameterKind::Texture));

    EffectPass pass;
    pass.name = "P0";
    pass.vertexShader = "float4x4 World;\n" + CameraUniforms(options.camera) +
                        "struct Out { float4 position : POSITION; float2 uv : TEXCOORD0; };\n"
                        "Out main(float4 position : POSITION, float2 uv : TEXCOORD0)\n"
                        "{\n"
                        "    Out o;\n"
                        "    float4 world = mul(position, World);\n"
                        "    o.position = " + Project(options.camera, "world") + ";\n"
                        "    o.uv = uv;\n"
                        "    return o;\n"
                        "}\n";
    if (options.textured) {
        // The sampler is a parameter of its own that takes the texture, as in an effect file.
        pass.pixelShader = "float4 Color;\n"
                           "sampler DiffuseSampler;\n"
                           "float4 main(float2 uv : TEXCOORD0) : COLOR\n"
                           "{\n"
                           "    return tex2D(DiffuseSampler, uv) * Color;\n"
                           "}\n";
        d.samplers.push_back({"DiffuseSampler", "DiffuseTexture"});
    } else {
        pass.pixelShader = "float4 Color;\n"
                           "float4 main() : COLOR\n"
                           "{\n"
                           "    return Color;\n"
                           "}\n";
    }
    d.techniques.push_back({"Plain", {pass}});
    return d;
}

EffectDescription ThreeOutputEffectDescription()
{
    EffectDescription d = PlainEffectDescription();
    d.parameters.pop_back(); // DiffuseTexture
    d.parameters.pop_back(); // Color
    d.parameters.push_back(Param("Color0", EffectParameterKind::Vector, "", {1, 0, 0, 1}));
    d.parameters.push_back(Param("Color1", EffectParameterKind::Vector, "", {0, 1, 0, 1}));
    d.parameters.push_back(Param("Color2", EffectParameterKind::Vector, "", {0, 0, 1, 1}));
    EffectPass pass = d.techniques.front().passes.front();
    pass.pixelShader = "float4 Color0;\n"
                       "float4 Color1;\n"
                       "float4 Color2;\n"
                       "struct Out { float4 first : COLOR0; float4 second : COLOR1; float4 third : COLOR2; };\n"
                       "Out main()\n"
                       "{\n"
                       "    Out o;\n"
                       "    o.first = Color0;\n"
                       "    o.second = Color1;\n"
                       "    o.third = Color2;\n"
                       "    return o;\n"
                       "}\n";
    d.techniques = {{"ThreeOutputs", {pass}}};
    return d;
}

EffectDescription InstancingEffectDescription(const InstancingEffectOptions& options)
{
    EffectDescription d;
    d.parameters = CameraParameters();
    d.parameters.push_back(Param("Color", EffectParameterKind::Vector, "", {1, 1, 1, 1}));
    d.parameters.push_back(Param("SecondPassColor", EffectParameterKind::Vector));
    d.parameters.push_back(Param("DiffuseTexture", EffectParameterKind::Texture));

    auto texcoord = [&](unsigned offset) { return "TEXCOORD" + std::to_string(options.firstTexcoord + offset); };
    std::string input = "struct In {\n"
                        "    float4 position : POSITION;\n"
                        "    float4 row0 : " + texcoord(0) + ";\n"
                        "    float4 row1 : " + texcoord(1) + ";\n"
                        "    float4 row2 : " + texcoord(2) + ";\n"
                        "    float4 row3 : " + texcoord(3) + ";\n";
    if (options.instanceColor) input += "    float4 color : " + texcoord(4) + ";\n";
    input += "};\n";

    auto vertexShader = [&](const char* colorParameter) {
        return "float4 " + std::string(colorParameter) + ";\n" + CameraUniforms(options.camera) + input +
               "struct Out { float4 position : POSITION; float4 color : TEXCOORD0; };\n"
               "Out main(In i)\n"
               "{\n"
               "    Out o;\n"
               "    float4 world = mul(i.position, float4x4(i.row0, i.row1, i.row2, i.row3));\n"
               "    o.position = " + Project(options.camera, "world") + ";\n" +
               (options.instanceColor ? "    o.color = " + std::string(colorParameter) + " * i.color;\n"
                                      : "    o.color = " + std::string(colorParameter) + ";\n") +
               "    return o;\n"
               "}\n";
    };

    EffectTechnique technique{"Instanced", {}};
    EffectPass first{"P0", vertexShader("Color"), kColorPixelShader, {}};
    technique.passes.push_back(first);
    if (options.passes >= 2) {
        EffectPass second{"P1", vertexShader("SecondPassColor"), kColorPixelShader,
                          {{D3DRS_ALPHABLENDENABLE, TRUE}, {D3DRS_SRCBLEND, D3DBLEND_ONE},
                           {D3DRS_DESTBLEND, D3DBLEND_ONE}, {D3DRS_ZFUNC, D3DCMP_LESSEQUAL}}};
        technique.passes.push_back(second);
    }
    d.techniques.push_back(technique);
    return d;
}

EffectDescription ParameterZooDescription()
{
    using K = EffectParameterKind;
    EffectDescription d;
    d.parameters = {
        Param("BoolValue", K::Bool, "ZOOBOOL", {1}),
        Param("IntValue", K::Int, "ZOOINT", {3}),
        Param("FloatValue", K::Float, "ZOOFLOAT", {0.5f}),
        Param("VectorValue", K::Vector, "ZooVector", {1, 2, 3, 4}),
        Param("MatrixValue", K::Matrix, "ZOOMATRIX", kIdentity),
        Param("BoolArray", K::Bool, "", {}, 4),
        Param("IntArray", K::Int, "", {}, 4),
        Param("FloatArray", K::Float, "", {}, 6),
        Param("VectorArray", K::Vector, "ZOOVECTORS", {}, 16),
        Param("MatrixArray", K::Matrix, "", {}, 4),
        Param("TextureA", K::Texture, "DIFFUSEMAP"),
        Param("TextureB", K::Texture),
        Param("Label", K::String),
    };
    d.parameters.back().initialString = "zoo";

    const std::string matrixVertexShader = "float4x4 MatrixValue;\n"
                                           "float4 main(float4 position : POSITION) : POSITION\n"
                                           "{\n"
                                           "    return mul(position, MatrixValue);\n"
                                           "}\n";
    const std::string plainVertexShader = "float4 main(float4 position : POSITION) : POSITION\n"
                                          "{\n"
                                          "    return position;\n"
                                          "}\n";
    const std::string vectorPixelShader = "float4 VectorValue;\n"
                                          "float4 main() : COLOR\n"
                                          "{\n"
                                          "    return VectorValue;\n"
                                          "}\n";
    const std::string arrayPixelShader = "float4 VectorArray[16];\n"
                                         "float FloatValue;\n"
                                         "float4 main() : COLOR\n"
                                         "{\n"
                                         "    return VectorArray[3] * FloatValue;\n"
                                         "}\n";
    d.techniques = {
        {"First", {{"P0", matrixVertexShader, vectorPixelShader, {}}}},
        {"Second", {{"P0", plainVertexShader, arrayPixelShader, {}}}},
        {"Third", {{"A", matrixVertexShader, vectorPixelShader, {}}, {"B", matrixVertexShader, vectorPixelShader, {}}}},
    };
    return d;
}

} // namespace refhost
