// An ID3DXEffect that only describes a fixed list of top-level parameters (name, type, class) and
// has one technique with one pass that does nothing. Enough for code that scans an effect's
// parameters, without an effect compiler.
#pragma once

#include <string>
#include <vector>

#include <d3dx9.h>

struct EffectParameter {
    std::string name;
    D3DXPARAMETER_TYPE type;
    D3DXPARAMETER_CLASS parameterClass;
};

// A new effect with one reference, owned by the caller.
ID3DXEffect* MakeParameterListEffect(std::vector<EffectParameter> parameters);

// The handle the effect gives its parameter `index`.
D3DXHANDLE ParameterHandle(ID3DXEffect* effect, UINT index);
