// An ID3DXEffect that knows only a list of parameters (name, semantic, class) and records what
// the host does with it: the calls AddEffect and the renderer make. Everything else answers
// E_NOTIMPL (or null).
#pragma once

#include <map>
#include <string>
#include <vector>

#include <d3dx9.h>

struct FakeParameter {
    std::string name;
    std::string semantic;
    D3DXPARAMETER_CLASS parameterClass;
    D3DXPARAMETER_TYPE type = D3DXPT_FLOAT;
};

class FakeEffect : public ID3DXEffect {
public:
    explicit FakeEffect(std::vector<FakeParameter> parameters, UINT passes = 1);

    // The handle of parameter `name` (what GetParameterByName answers), or null.
    D3DXHANDLE Handle(const std::string& name) const;
    ULONG References() const { return references_; }
    bool describeParameters = true; // false: GetParameterDesc answers E_NOTIMPL

    std::map<D3DXHANDLE, D3DXMATRIX> matrices;    // last SetMatrix per handle
    std::map<D3DXHANDLE, D3DXVECTOR4> vectors;
    std::map<D3DXHANDLE, float> floats;
    std::map<D3DXHANDLE, IDirect3DBaseTexture9*> textures;
    std::vector<std::string> calls;               // Begin, BeginPass n, EndPass, End

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override { return ++references_; }
    STDMETHOD_(ULONG, Release)() override { return --references_; } // lives on the test's stack

    // What the host uses
    STDMETHOD(GetDesc)(D3DXEFFECT_DESC* desc) override;
    STDMETHOD(GetParameterDesc)(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) override;
    STDMETHOD_(D3DXHANDLE, GetParameter)(D3DXHANDLE parameter, UINT index) override;
    STDMETHOD_(D3DXHANDLE, GetParameterByName)(D3DXHANDLE parameter, const char* name) override;
    STDMETHOD_(D3DXHANDLE, GetParameterBySemantic)(D3DXHANDLE parameter, const char* semantic) override;
    STDMETHOD(SetFloat)(D3DXHANDLE parameter, FLOAT f) override;
    STDMETHOD(SetVector)(D3DXHANDLE parameter, const D3DXVECTOR4* vector) override;
    STDMETHOD(SetMatrix)(D3DXHANDLE parameter, const D3DXMATRIX* matrix) override;
    STDMETHOD(SetTexture)(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) override;
    STDMETHOD(Begin)(UINT* passes, DWORD flags) override;
    STDMETHOD(BeginPass)(UINT pass) override;
    STDMETHOD(EndPass)() override;
    STDMETHOD(End)() override;

    // Not used by the host
    STDMETHOD(GetTechniqueDesc)(D3DXHANDLE, D3DXTECHNIQUE_DESC*) override { return E_NOTIMPL; }
    STDMETHOD(GetPassDesc)(D3DXHANDLE, D3DXPASS_DESC*) override { return E_NOTIMPL; }
    STDMETHOD(GetFunctionDesc)(D3DXHANDLE, D3DXFUNCTION_DESC*) override { return E_NOTIMPL; }
    STDMETHOD_(D3DXHANDLE, GetParameterElement)(D3DXHANDLE, UINT) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetTechnique)(UINT) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetTechniqueByName)(const char*) override { return nullptr; }
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
    STDMETHOD(GetFloat)(D3DXHANDLE, FLOAT*) override { return E_NOTIMPL; }
    STDMETHOD(SetFloatArray)(D3DXHANDLE, const FLOAT*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(GetFloatArray)(D3DXHANDLE, FLOAT*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(GetVector)(D3DXHANDLE, D3DXVECTOR4*) override { return E_NOTIMPL; }
    STDMETHOD(SetVectorArray)(D3DXHANDLE, const D3DXVECTOR4*, UINT) override { return E_NOTIMPL; }
    STDMETHOD(GetVectorArray)(D3DXHANDLE, D3DXVECTOR4*, UINT) override { return E_NOTIMPL; }
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
    STDMETHOD(GetTexture)(D3DXHANDLE, IDirect3DBaseTexture9**) override { return E_NOTIMPL; }
    STDMETHOD(GetPixelShader)(D3DXHANDLE, IDirect3DPixelShader9**) override { return E_NOTIMPL; }
    STDMETHOD(GetVertexShader)(D3DXHANDLE, IDirect3DVertexShader9**) override { return E_NOTIMPL; }
    STDMETHOD(SetArrayRange)(D3DXHANDLE, UINT, UINT) override { return E_NOTIMPL; }
    STDMETHOD(GetPool)(ID3DXEffectPool**) override { return E_NOTIMPL; }
    STDMETHOD(SetTechnique)(D3DXHANDLE) override { return E_NOTIMPL; }
    STDMETHOD_(D3DXHANDLE, GetCurrentTechnique)() override { return nullptr; }
    STDMETHOD(ValidateTechnique)(D3DXHANDLE) override { return E_NOTIMPL; }
    STDMETHOD(FindNextValidTechnique)(D3DXHANDLE, D3DXHANDLE*) override { return E_NOTIMPL; }
    STDMETHOD_(WINBOOL, IsParameterUsed)(D3DXHANDLE, D3DXHANDLE) override { return FALSE; }
    STDMETHOD(CommitChanges)() override { return E_NOTIMPL; }
    STDMETHOD(GetDevice)(IDirect3DDevice9**) override { return E_NOTIMPL; }
    STDMETHOD(OnLostDevice)() override { return E_NOTIMPL; }
    STDMETHOD(OnResetDevice)() override { return E_NOTIMPL; }
    STDMETHOD(SetStateManager)(ID3DXEffectStateManager*) override { return E_NOTIMPL; }
    STDMETHOD(GetStateManager)(ID3DXEffectStateManager**) override { return E_NOTIMPL; }
    STDMETHOD(BeginParameterBlock)() override { return E_NOTIMPL; }
    STDMETHOD_(D3DXHANDLE, EndParameterBlock)() override { return nullptr; }
    STDMETHOD(ApplyParameterBlock)(D3DXHANDLE) override { return E_NOTIMPL; }
#if D3DX_SDK_VERSION >= 26
    STDMETHOD(DeleteParameterBlock)(D3DXHANDLE) override { return E_NOTIMPL; }
#endif
    STDMETHOD(CloneEffect)(IDirect3DDevice9*, ID3DXEffect**) override { return E_NOTIMPL; }
#if D3DX_SDK_VERSION >= 27
    STDMETHOD(SetRawValue)(D3DXHANDLE, const void*, UINT, UINT) override { return E_NOTIMPL; }
#endif

private:
    const FakeParameter* Find(D3DXHANDLE handle) const;

    std::vector<FakeParameter> parameters_;
    UINT passes_;
    ULONG references_ = 1;
};
