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
    pass.vertexShader = "vs_3_0\ndcl_position v0\ndcl_position o0\nmov o0, v0\n";
    pass.pixelShader = "ps_3_0\nmov oC0, c0\n";
    d.techniques.push_back({"Main", {pass}});
    std::string error;
    ID3DXEffect* effect = refhost::CreateDescribedEffect(refhost::RealDevice(), d, &error);
    if (!effect) ADD_FAILURE() << error;
    return effect;
}

D3DXHANDLE ParameterHandle(ID3DXEffect* effect, UINT index) { return effect->GetParameter(nullptr, index); }
