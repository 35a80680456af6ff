#include "parameter_list_effect.h"

#include <cstring>

#include "unimplemented_effect.h"

namespace {

class ParameterListEffect final : public UnimplementedEffect {
public:
    explicit ParameterListEffect(std::vector<EffectParameter> parameters) : parameters_(std::move(parameters)) {}

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID, void** out) override
    {
        AddRef();
        *out = this;
        return S_OK;
    }

    // What the scans use.
    STDMETHOD(GetDesc)(D3DXEFFECT_DESC* desc) override
    {
        *desc = {};
        desc->Parameters = static_cast<UINT>(parameters_.size());
        desc->Techniques = 1;
        return S_OK;
    }
    STDMETHOD(GetParameterDesc)(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) override
    {
        const EffectParameter* p = Find(parameter);
        if (!p)
            return D3DERR_INVALIDCALL;
        *desc = {};
        desc->Name = p->name.c_str();
        desc->Type = p->type;
        desc->Class = p->parameterClass;
        desc->Elements = 0;
        desc->Rows = desc->Columns = 1;
        return S_OK;
    }
    STDMETHOD_(D3DXHANDLE, GetParameter)(D3DXHANDLE parent, UINT index) override
    {
        if (parent || index >= parameters_.size())
            return nullptr;
        return HandleOf(index);
    }
    STDMETHOD_(D3DXHANDLE, GetParameterByName)(D3DXHANDLE parent, const char* name) override
    {
        for (UINT i = 0; !parent && name && i < parameters_.size(); ++i) {
            if (parameters_[i].name == name)
                return HandleOf(i);
        }
        return nullptr;
    }
    STDMETHOD_(D3DXHANDLE, GetTechnique)(UINT index) override { return index == 0 ? Technique() : nullptr; }
    STDMETHOD_(D3DXHANDLE, GetTechniqueByName)(const char* name) override
    {
        return name && std::strcmp(name, "Main") == 0 ? Technique() : nullptr;
    }
    STDMETHOD(SetTechnique)(D3DXHANDLE technique) override { return technique == Technique() ? S_OK : D3DERR_INVALIDCALL; }
    STDMETHOD_(D3DXHANDLE, GetCurrentTechnique)() override { return Technique(); }
    STDMETHOD(Begin)(UINT* passes, DWORD) override
    {
        if (passes)
            *passes = 1;
        return S_OK;
    }
    STDMETHOD(BeginPass)(UINT pass) override { return pass == 0 ? S_OK : D3DERR_INVALIDCALL; }
    STDMETHOD(CommitChanges)() override { return S_OK; }
    STDMETHOD(EndPass)() override { return S_OK; }
    STDMETHOD(End)() override { return S_OK; }

    STDMETHOD(GetPool)(ID3DXEffectPool** pool) override
    {
        *pool = nullptr;
        return S_OK;
    }
    STDMETHOD(ValidateTechnique)(D3DXHANDLE) override { return S_OK; }
    STDMETHOD(OnLostDevice)() override { return S_OK; }
    STDMETHOD(OnResetDevice)() override { return S_OK; }

private:
    // Handles are addresses inside this object: parameter i is &parameters_[i].
    D3DXHANDLE HandleOf(UINT index) const { return reinterpret_cast<D3DXHANDLE>(&parameters_[index]); }
    D3DXHANDLE Technique() const { return reinterpret_cast<D3DXHANDLE>(&technique_); }
    const EffectParameter* Find(D3DXHANDLE handle) const
    {
        for (const EffectParameter& p : parameters_) {
            if (reinterpret_cast<D3DXHANDLE>(&p) == handle)
                return &p;
        }
        return nullptr;
    }

    std::vector<EffectParameter> parameters_;
    char technique_ = 0; // its address is the one technique's handle
};

} // namespace

ID3DXEffect* MakeParameterListEffect(std::vector<EffectParameter> parameters)
{
    return new ParameterListEffect(std::move(parameters));
}

D3DXHANDLE ParameterHandle(ID3DXEffect* effect, UINT index) { return effect->GetParameter(nullptr, index); }
