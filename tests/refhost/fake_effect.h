// An ID3DXEffect that knows only a list of parameters (name, semantic, class) and records what
// the host does with it: the calls AddEffect and the renderer make. Everything else is
// UnimplementedEffect's "not implemented".
#pragma once

#include <map>
#include <string>
#include <vector>

#include <d3dx9.h>

#include "unimplemented_effect.h"

struct FakeParameter {
    std::string name;
    std::string semantic;
    D3DXPARAMETER_CLASS parameterClass;
    D3DXPARAMETER_TYPE type = D3DXPT_FLOAT;
};

class FakeEffect : public UnimplementedEffect {
public:
    explicit FakeEffect(std::vector<FakeParameter> parameters, UINT passes = 1);

    // The handle of parameter `name` (what GetParameterByName answers), or null.
    D3DXHANDLE Handle(const std::string& name) const;
    bool describeParameters = true; // false: GetParameterDesc answers E_NOTIMPL

    std::map<D3DXHANDLE, D3DXMATRIX> matrices;    // last SetMatrix per handle
    std::map<D3DXHANDLE, D3DXVECTOR4> vectors;
    std::map<D3DXHANDLE, float> floats;
    std::map<D3DXHANDLE, IDirect3DBaseTexture9*> textures;
    std::vector<std::string> calls;               // Begin, BeginPass n, EndPass, End

    // IUnknown
    // Fakes live on the test's stack: the test's own reference keeps the count above zero.
    STDMETHOD(QueryInterface)(REFIID riid, void** out) override;

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

private:
    const FakeParameter* Find(D3DXHANDLE handle) const;

    std::vector<FakeParameter> parameters_;
    UINT passes_;
};
