// The framework's effect with a fixed list of top-level parameters (name, type, class) and one
// technique "Main" of one pass, whose shaders keep the position and draw in white. Enough for
// code that scans an effect's parameters, which meets them as the framework describes them.
#pragma once

#include <string>
#include <vector>

#include <d3dx9.h>

struct EffectParameter {
    std::string name;
    D3DXPARAMETER_TYPE type;
    D3DXPARAMETER_CLASS parameterClass;
};

// A new effect with one reference, owned by the caller (null, with a test failure, if the framework
// refuses it).
ID3DXEffect* MakeParameterListEffect(std::vector<EffectParameter> parameters);

// The handle the effect gives its parameter `index`.
D3DXHANDLE ParameterHandle(ID3DXEffect* effect, UINT index);
