#include "fake_effect.h"

#include <cstring>
#include <strings.h>

FakeEffect::FakeEffect(std::vector<FakeParameter> parameters, UINT passes)
    : parameters_(std::move(parameters)), passes_(passes)
{
}

// A parameter's handle is the address of its name, as good as any opaque value.
D3DXHANDLE FakeEffect::Handle(const std::string& name) const
{
    for (const FakeParameter& p : parameters_)
        if (p.name == name)
            return p.name.c_str();
    return nullptr;
}

const FakeParameter* FakeEffect::Find(D3DXHANDLE handle) const
{
    for (const FakeParameter& p : parameters_)
        if (p.name.c_str() == handle)
            return &p;
    return nullptr;
}

HRESULT FakeEffect::QueryInterface(REFIID, void** out)
{
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeEffect::GetDesc(D3DXEFFECT_DESC* desc)
{
    *desc = D3DXEFFECT_DESC{};
    desc->Creator = "fake";
    desc->Parameters = static_cast<UINT>(parameters_.size());
    desc->Techniques = 1;
    return D3D_OK;
}

HRESULT FakeEffect::GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc)
{
    const FakeParameter* p = Find(parameter);
    if (!describeParameters || !p)
        return E_NOTIMPL;
    *desc = D3DXPARAMETER_DESC{};
    desc->Name = p->name.c_str();
    desc->Semantic = p->semantic.empty() ? nullptr : p->semantic.c_str();
    desc->Class = p->parameterClass;
    desc->Type = p->type;
    return D3D_OK;
}

D3DXHANDLE FakeEffect::GetParameter(D3DXHANDLE parameter, UINT index)
{
    return !parameter && index < parameters_.size() ? parameters_[index].name.c_str() : nullptr;
}

D3DXHANDLE FakeEffect::GetParameterByName(D3DXHANDLE parameter, const char* name)
{
    return parameter || !name ? nullptr : Handle(name);
}

// Semantics compare without regard to case, as D3DX does.
D3DXHANDLE FakeEffect::GetParameterBySemantic(D3DXHANDLE parameter, const char* semantic)
{
    if (parameter || !semantic)
        return nullptr;
    for (const FakeParameter& p : parameters_)
        if (!p.semantic.empty() && strcasecmp(p.semantic.c_str(), semantic) == 0)
            return p.name.c_str();
    return nullptr;
}

HRESULT FakeEffect::SetFloat(D3DXHANDLE parameter, FLOAT f)
{
    floats[parameter] = f;
    return D3D_OK;
}

HRESULT FakeEffect::SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector)
{
    vectors[parameter] = *vector;
    return D3D_OK;
}

HRESULT FakeEffect::SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix)
{
    matrices[parameter] = *matrix;
    return D3D_OK;
}

HRESULT FakeEffect::SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture)
{
    textures[parameter] = texture;
    return D3D_OK;
}

HRESULT FakeEffect::Begin(UINT* passes, DWORD)
{
    calls.push_back("Begin");
    *passes = passes_;
    return D3D_OK;
}

HRESULT FakeEffect::BeginPass(UINT pass)
{
    calls.push_back("BeginPass " + std::to_string(pass));
    return D3D_OK;
}

HRESULT FakeEffect::EndPass()
{
    calls.push_back("EndPass");
    return D3D_OK;
}

HRESULT FakeEffect::End()
{
    calls.push_back("End");
    return D3D_OK;
}
