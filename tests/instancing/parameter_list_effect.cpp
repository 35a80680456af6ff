#include "parameter_list_effect.h"

#include <cstring>

namespace {

class ParameterListEffect final : public ID3DXEffect {
public:
    explicit ParameterListEffect(std::vector<EffectParameter> parameters) : parameters_(std::move(parameters)) {}

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID, void** out) override
    {
        AddRef();
        *out = this;
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++references_; }
    STDMETHOD_(ULONG, Release)() override
    {
        ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
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
    STDMETHOD_(D3DXHANDLE, GetParameterBySemantic)(D3DXHANDLE, const char*) override { return nullptr; }
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

    // Everything else is not offered.
    STDMETHOD(GetTechniqueDesc)(D3DXHANDLE, D3DXTECHNIQUE_DESC*) override { return E_NOTIMPL; }
    STDMETHOD(GetPassDesc)(D3DXHANDLE, D3DXPASS_DESC*) override { return E_NOTIMPL; }
    STDMETHOD(GetFunctionDesc)(D3DXHANDLE, D3DXFUNCTION_DESC*) override { return E_NOTIMPL; }
    STDMETHOD_(D3DXHANDLE, GetParameterElement)(D3DXHANDLE, UINT) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetPass)(D3DXHANDLE, UINT) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetPassByName)(D3DXHANDLE, const char*) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetFunction)(UINT) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetFunctionByName)(const char*) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetAnnotation)(D3DXHANDLE, UINT) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetAnnotationByName)(D3DXHANDLE, const char*) override { return nullptr; }
    STDMETHOD(SetValue)(D3DXHANDLE, const void*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(GetValue)(D3DXHANDLE, void*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(SetBool)(D3DXHANDLE, WINBOOL) override { return E_NOTIMPL; }
    STDMETHOD(GetBool)(D3DXHANDLE, WINBOOL*) override { return E_NOTIMPL; }
    STDMETHOD(SetBoolArray)(D3DXHANDLE, const WINBOOL*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(GetBoolArray)(D3DXHANDLE, WINBOOL*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(SetInt)(D3DXHANDLE, INT) override { return E_NOTIMPL; }
    STDMETHOD(GetInt)(D3DXHANDLE, INT*) override { return E_NOTIMPL; }
    STDMETHOD(SetIntArray)(D3DXHANDLE, const INT*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(GetIntArray)(D3DXHANDLE, INT*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(SetFloat)(D3DXHANDLE, FLOAT) override { return E_NOTIMPL; }
    STDMETHOD(GetFloat)(D3DXHANDLE, FLOAT*) override { return E_NOTIMPL; }
    STDMETHOD(SetFloatArray)(D3DXHANDLE, const FLOAT*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(GetFloatArray)(D3DXHANDLE, FLOAT*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(SetVector)(D3DXHANDLE, const D3DXVECTOR4*) override { return E_NOTIMPL; }
    STDMETHOD(GetVector)(D3DXHANDLE, D3DXVECTOR4*) override { return E_NOTIMPL; }
    STDMETHOD(SetVectorArray)(D3DXHANDLE, const D3DXVECTOR4*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(GetVectorArray)(D3DXHANDLE, D3DXVECTOR4*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(SetMatrix)(D3DXHANDLE, const D3DXMATRIX*) override { return E_NOTIMPL; }
    STDMETHOD(GetMatrix)(D3DXHANDLE, D3DXMATRIX*) override { return E_NOTIMPL; }
    STDMETHOD(SetMatrixArray)(D3DXHANDLE, const D3DXMATRIX*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(GetMatrixArray)(D3DXHANDLE, D3DXMATRIX*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(SetMatrixPointerArray)(D3DXHANDLE, const D3DXMATRIX**, UINT) override { return E_NOTIMPL; }
    STDMETHOD(GetMatrixPointerArray)(D3DXHANDLE, D3DXMATRIX**, UINT) override { return E_NOTIMPL; }
    STDMETHOD(SetMatrixTranspose)(D3DXHANDLE, const D3DXMATRIX*) override { return E_NOTIMPL; }
    STDMETHOD(GetMatrixTranspose)(D3DXHANDLE, D3DXMATRIX*) override { return E_NOTIMPL; }
    STDMETHOD(SetMatrixTransposeArray)(D3DXHANDLE, const D3DXMATRIX*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(GetMatrixTransposeArray)(D3DXHANDLE, D3DXMATRIX*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(SetMatrixTransposePointerArray)(D3DXHANDLE, const D3DXMATRIX**, UINT) override { return E_NOTIMPL; }
    STDMETHOD(GetMatrixTransposePointerArray)(D3DXHANDLE, D3DXMATRIX**, UINT) override { return E_NOTIMPL; }
    STDMETHOD(SetString)(D3DXHANDLE, const char*) override { return E_NOTIMPL; }
    STDMETHOD(GetString)(D3DXHANDLE, const char**) override { return E_NOTIMPL; }
    STDMETHOD(SetTexture)(D3DXHANDLE, IDirect3DBaseTexture9*) override { return E_NOTIMPL; }
    STDMETHOD(GetTexture)(D3DXHANDLE, IDirect3DBaseTexture9**) override { return E_NOTIMPL; }
    STDMETHOD(GetPixelShader)(D3DXHANDLE, IDirect3DPixelShader9**) override { return E_NOTIMPL; }
    STDMETHOD(GetVertexShader)(D3DXHANDLE, IDirect3DVertexShader9**) override { return E_NOTIMPL; }
    STDMETHOD(SetArrayRange)(D3DXHANDLE, UINT, UINT) override { return E_NOTIMPL; }
    STDMETHOD(GetPool)(ID3DXEffectPool** pool) override
    {
        *pool = nullptr;
        return S_OK;
    }
    STDMETHOD(ValidateTechnique)(D3DXHANDLE) override { return S_OK; }
    STDMETHOD(FindNextValidTechnique)(D3DXHANDLE, D3DXHANDLE*) override { return E_NOTIMPL; }
    STDMETHOD_(WINBOOL, IsParameterUsed)(D3DXHANDLE, D3DXHANDLE) override { return FALSE; }
    STDMETHOD(GetDevice)(IDirect3DDevice9**) override { return E_NOTIMPL; }
    STDMETHOD(OnLostDevice)() override { return S_OK; }
    STDMETHOD(OnResetDevice)() override { return S_OK; }
    STDMETHOD(SetStateManager)(ID3DXEffectStateManager*) override { return E_NOTIMPL; }
    STDMETHOD(GetStateManager)(ID3DXEffectStateManager**) override { return E_NOTIMPL; }
    STDMETHOD(BeginParameterBlock)() override { return E_NOTIMPL; }
    STDMETHOD_(D3DXHANDLE, EndParameterBlock)() override { return nullptr; }
    STDMETHOD(ApplyParameterBlock)(D3DXHANDLE) override { return E_NOTIMPL; }
    STDMETHOD(DeleteParameterBlock)(D3DXHANDLE) override { return E_NOTIMPL; }
    STDMETHOD(CloneEffect)(IDirect3DDevice9*, ID3DXEffect**) override { return E_NOTIMPL; }
    STDMETHOD(SetRawValue)(D3DXHANDLE, const void*, UINT, UINT) override { return E_NOTIMPL; }

private:
    // Handles are addresses inside this object: parameter i is &parameters_[i].
    D3DXHANDLE HandleOf(UINT index) const { return reinterpret_cast<D3DXHANDLE>(&parameters_[index]); }
    D3DXHANDLE Technique() const { return reinterpret_cast<D3DXHANDLE>(&references_); }
    const EffectParameter* Find(D3DXHANDLE handle) const
    {
        for (const EffectParameter& p : parameters_) {
            if (reinterpret_cast<D3DXHANDLE>(&p) == handle)
                return &p;
        }
        return nullptr;
    }

    std::vector<EffectParameter> parameters_;
    ULONG references_ = 1;
};

} // namespace

ID3DXEffect* MakeParameterListEffect(std::vector<EffectParameter> parameters)
{
    return new ParameterListEffect(std::move(parameters));
}

D3DXHANDLE ParameterHandle(ID3DXEffect* effect, UINT index) { return effect->GetParameter(nullptr, index); }
