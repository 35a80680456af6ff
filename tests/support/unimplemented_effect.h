// An ID3DXEffect whose every method answers "not implemented" (E_NOTIMPL, a null handle or FALSE).
// Test fakes derive from it and override only what the code under test calls, plus QueryInterface;
// the reference count is ComObject's. Every effect Ryxo draws with in the tests is the framework's;
// fakes are for what the framework cannot be made to do (fail Begin, describe no parameter, record
// calls it answers with a stub).
#pragma once

#include <d3dx9.h>

#include "com_object.h"

class UnimplementedEffect : public ComObject<ID3DXEffect> {
public:
    STDMETHOD(GetDesc)(D3DXEFFECT_DESC*) override { return E_NOTIMPL; }
    STDMETHOD(GetParameterDesc)(D3DXHANDLE, D3DXPARAMETER_DESC*) override { return E_NOTIMPL; }
    STDMETHOD(GetTechniqueDesc)(D3DXHANDLE, D3DXTECHNIQUE_DESC*) override { return E_NOTIMPL; }
    STDMETHOD(GetPassDesc)(D3DXHANDLE, D3DXPASS_DESC*) override { return E_NOTIMPL; }
    STDMETHOD(GetFunctionDesc)(D3DXHANDLE, D3DXFUNCTION_DESC*) override { return E_NOTIMPL; }
    STDMETHOD_(D3DXHANDLE, GetParameter)(D3DXHANDLE, UINT) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetParameterByName)(D3DXHANDLE, const char*) override { return nullptr; }
    STDMETHOD_(D3DXHANDLE, GetParameterBySemantic)(D3DXHANDLE, const char*) override { return nullptr; }
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
    STDMETHOD(GetPool)(ID3DXEffectPool**) override { return E_NOTIMPL; }
    STDMETHOD(SetTechnique)(D3DXHANDLE) override { return E_NOTIMPL; }
    STDMETHOD_(D3DXHANDLE, GetCurrentTechnique)() override { return nullptr; }
    STDMETHOD(ValidateTechnique)(D3DXHANDLE) override { return E_NOTIMPL; }
    STDMETHOD(FindNextValidTechnique)(D3DXHANDLE, D3DXHANDLE*) override { return E_NOTIMPL; }
    STDMETHOD_(WINBOOL, IsParameterUsed)(D3DXHANDLE, D3DXHANDLE) override { return FALSE; }
    STDMETHOD(Begin)(UINT*, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(BeginPass)(UINT) override { return E_NOTIMPL; }
    STDMETHOD(CommitChanges)() override { return E_NOTIMPL; }
    STDMETHOD(EndPass)() override { return E_NOTIMPL; }
    STDMETHOD(End)() override { return E_NOTIMPL; }
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
};
