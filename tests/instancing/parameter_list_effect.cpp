#include "parameter_list_effect.h"

#include <gtest/gtest.h>

#include "effect_creation.h"
#include "ref_host.h"

namespace {

refhost::EffectParameterKind KindOf(const EffectParameter& p)
{
    using K = refhost::EffectParameterKind;
    if (p.parameterClass == D3DXPC_OBJECT) return p.type == D3DXPT_STRING ? K::String : K::Texture;
    if (p.type == D3DXPT_BOOL) return K::Bool;
    if (p.type == D3DXPT_INT) return K::Int;
    return p.parameterClass == D3DXPC_MATRIX_ROWS ? K::Matrix : p.parameterClass == D3DXPC_VECTOR ? K::Vector : K::Float;
}

} // namespace

ID3DXEffect* MakeParameterListEffect(std::vector<EffectParameter> parameters)
{
    refhost::EffectDescription d;
    for (const EffectParameter& p : parameters) {
        d.parameters.push_back({p.name});
        d.parameters.back().kind = KindOf(p);
        d.parameters.back().textureType = p.type;
    }
    refhost::EffectPass pass;
    pass.name = "P0";
    pass.vertexShader = "float4 main(float4 p : POSITION) : POSITION { return p; }\n";
    pass.pixelShader = "float4 main() : COLOR { return float4(1, 1, 1, 1); }\n";
    d.techniques.push_back({"Main", {pass}});
    std::string error;
    ID3DXEffect* effect = refhost::CreateDescribedEffect(refhost::RealDevice(), d, &error);
    if (!effect) ADD_FAILURE() << error;
    return effect;
}

D3DXHANDLE ParameterHandle(ID3DXEffect* effect, UINT index) { return effect->GetParameter(nullptr, index); }
