// The shaders of a host effect's passes and how parameter values reach their registers.
#pragma once

#include <string>
#include <vector>

#include "com.h"
#include "effect_parameters.h"

namespace refhost::effect {

// One shader constant fed by one top-level parameter.
struct ConstantBinding {
    size_t parameter; // node index of the top-level parameter
    bool vertexStage;
    D3DXCONSTANT_DESC constant; // Name is not kept (it points into the constant table)
    std::vector<std::pair<D3DSAMPLERSTATETYPE, DWORD>> samplerStates;
};

struct PassProgram {
    std::string name;
    Com<IDirect3DVertexShader9> vertexShader;
    Com<IDirect3DPixelShader9> pixelShader;
    std::vector<DWORD> vertexCode, pixelCode;
    std::vector<ConstantBinding> bindings;
    std::vector<EffectRenderState> renderStates;
};

struct TechniqueProgram {
    std::string name;
    std::vector<PassProgram> passes;
};

// Where state goes: the device, or the state manager the effect was given.
struct StateTarget {
    IDirect3DDevice9* device;
    ID3DXEffectStateManager* manager; // may be null
};

// Compiles the pass's shaders on `device` and binds their constants to the parameters. The
// compiler's messages name `sourceName` as the file the shaders come from.
bool BuildPass(IDirect3DDevice9* device, const EffectPass& pass, const std::string& sourceName,
               const ParameterStore& parameters, const std::vector<EffectSamplerBinding>& samplers,
               PassProgram* program, std::string* error);

// Sets the pass's shaders and render states (when `withShaders`/`withRenderStates`).
void ApplyPassStates(const StateTarget& target, const PassProgram& pass, bool withShaders, bool withRenderStates);
// Uploads every bound parameter to its registers (`withConstants`) and binds texture parameters
// to their samplers with the binding's sampler states (`withSamplers`).
void UploadParameters(const StateTarget& target, const PassProgram& pass, const ParameterStore& parameters,
                      bool withConstants, bool withSamplers);

} // namespace refhost::effect
