// The reference host's effects as data: parameters, techniques, passes of HLSL vertex and pixel
// shaders, and sampler bindings. The effect-file reader makes these from a file, the tests
// write them in C++; effect_binary_writer.h writes them as a compiled effect, and effect_creation.h
// makes the framework's effect from it.
//
// How parameters reach the shaders:
// - a shader constant receives the top-level parameter with the same name (case-sensitive);
// - a sampler constant receives the sampler binding of that name, which holds a texture parameter.
// Matrices are row-major parameters (class D3DXPC_MATRIX_ROWS): SetMatrix(M) makes `mul(v, M)` in
// the shader compute v x M, whatever packing the shader constant uses.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <d3dx9.h>

namespace refhost {

enum class EffectParameterKind {
    Bool,    // BOOL scalar
    Int,     // INT scalar
    Float,   // FLOAT scalar
    Vector,  // float2, float3 or float4 (see EffectParameter::columns)
    Matrix,  // float4x4
    Texture, // texture (object)
    String,  // string (object, never an array)
};

struct EffectParameter {
    std::string name;
    std::string semantic; // empty = none
    EffectParameterKind kind = EffectParameterKind::Float;
    unsigned elements = 0; // 0 = a single value, otherwise an array of that many
    // Initial value in storage order (vector components, matrix rows first, array elements one
    // after another); bool and int values are given as floats. Missing values are zero.
    std::vector<float> initial;
    std::string initialString; // for String parameters
    unsigned columns = 4;       // components of a Vector (2 to 4)
    D3DXPARAMETER_TYPE textureType = D3DXPT_TEXTURE; // of a Texture: D3DXPT_TEXTURE, ..._TEXTURE2D, ..._TEXTURECUBE
    std::vector<EffectParameter> annotations; // named values without semantics or annotations of their own
};

struct EffectRenderState {
    D3DRENDERSTATETYPE state;
    DWORD value;
};

struct EffectPass {
    std::string name;
    // HLSL, each compiled from its entry point with its profile.
    std::string vertexShader;
    std::string pixelShader;
    std::vector<EffectRenderState> renderStates; // set by BeginPass, saved and restored by Begin/End
    std::string vertexEntry = "main", vertexProfile = "vs_3_0";
    std::string pixelEntry = "main", pixelProfile = "ps_3_0";
    std::vector<EffectParameter> annotations;
};

struct EffectTechnique {
    std::string name;
    std::vector<EffectPass> passes;
    std::vector<EffectParameter> annotations;
};

// Binds a sampler constant of the shaders to a texture parameter, with optional sampler states.
struct EffectSamplerBinding {
    std::string sampler;
    std::string texture;
    std::vector<std::pair<D3DSAMPLERSTATETYPE, DWORD>> states;
    D3DXPARAMETER_TYPE type = D3DXPT_SAMPLER; // as declared: sampler, sampler2D, sampler3D, samplerCUBE
};

struct EffectDescription {
    std::vector<EffectParameter> parameters;
    std::vector<EffectTechnique> techniques; // the first is current after creation
    std::vector<EffectSamplerBinding> samplers;
    std::string sourceName; // the file the shaders come from, as the compiler's messages name it
};

} // namespace refhost
