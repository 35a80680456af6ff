// ID3DXEffect over an effect description. Parameter methods follow D3DX's rules: which classes a
// method accepts, how values convert between bool, int and float, D3DCOLOR packing for SetInt/GetInt
// on float vectors and SetVector/GetVector on an int, references on textures.
//
// Not kept: annotations, functions, shader-typed parameters and parameter blocks (there are none to
// give back); SetRawValue writes in storage order.
#include "runtime_effect.h"

#include <cstdlib>

#include "framework_effect.h"

#include <algorithm>
#include <cstring>

#include "com.h"
#include "com_object.h"
#include "effect_parameters.h"
#include "effect_programs.h"

namespace refhost {

namespace {

using effect::ParameterNode;
using effect::PassProgram;
using effect::TechniqueProgram;

constexpr GUID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidBaseEffect = {0x017c18ac, 0x103f, 0x4417, {0x8c, 0x51, 0x6b, 0xf6, 0xef, 0x1e, 0x56, 0xbe}};
constexpr GUID kIidEffect = {0xf6ceb4b3, 0x4e4c, 0x40dd, {0xb8, 0x83, 0x8d, 0x8d, 0xe5, 0xea, 0x0c, 0xd5}};

constexpr float kColorScale = 255.0f;

float Saturate(float v) { return std::min(std::max(v, 0.0f), 1.0f); }

DWORD ColorByte(float v) { return static_cast<DWORD>(Saturate(v) * kColorScale + 0.5f); }

class RuntimeEffect final : public ComObject<ID3DXEffect> {
public:
    RuntimeEffect(IDirect3DDevice9* device, const EffectDescription& description)
        : device_(Com<IDirect3DDevice9>::Share(device)), description_(description)
    {
    }

    bool Build(std::string* error)
    {
        if (description_.techniques.empty()) {
            if (error) *error = "an effect needs at least one technique";
            return false;
        }
        if (!parameters_.Build(description_.parameters, error)) return false;
        techniques_.resize(description_.techniques.size());
        for (size_t t = 0; t < techniques_.size(); ++t) {
            const EffectTechnique& source = description_.techniques[t];
            if (source.passes.empty()) {
                if (error) *error = "technique '" + source.name + "' has no pass";
                return false;
            }
            techniques_[t].name = source.name;
            techniques_[t].passes.resize(source.passes.size());
            for (size_t p = 0; p < source.passes.size(); ++p)
                if (!effect::BuildPass(device_.ptr(), source.passes[p], description_.sourceName, parameters_, description_.samplers,
                                       &techniques_[t].passes[p], error))
                    return false;
        }
        current_ = &techniques_[0];
        return true;
    }

    // ---- IUnknown ----
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (!out) return E_POINTER;
        if (IsEqualGUID(riid, kIidUnknown) || IsEqualGUID(riid, kIidBaseEffect) || IsEqualGUID(riid, kIidEffect)) {
            AddRef();
            *out = static_cast<ID3DXEffect*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }

    // ---- Descriptions ----
    HRESULT STDMETHODCALLTYPE GetDesc(D3DXEFFECT_DESC* desc) override
    {
        if (!desc) return D3DERR_INVALIDCALL;
        desc->Creator = "Ryxo reference host";
        desc->Parameters = static_cast<UINT>(parameters_.TopLevelCount());
        desc->Techniques = static_cast<UINT>(techniques_.size());
        desc->Functions = 0;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) override
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !desc) return D3DERR_INVALIDCALL;
        desc->Name = p->name.c_str();
        desc->Semantic = p->semantic.empty() ? nullptr : p->semantic.c_str();
        desc->Class = p->cls;
        desc->Type = p->type;
        desc->Rows = p->rows;
        desc->Columns = p->columns;
        desc->Elements = p->elements;
        desc->Annotations = 0;
        desc->StructMembers = 0;
        desc->Flags = 0;
        desc->Bytes = p->Bytes();
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTechniqueDesc(D3DXHANDLE technique, D3DXTECHNIQUE_DESC* desc) override
    {
        const TechniqueProgram* t = ResolveTechnique(technique);
        if (!t || !desc) return D3DERR_INVALIDCALL;
        desc->Name = t->name.c_str();
        desc->Passes = static_cast<UINT>(t->passes.size());
        desc->Annotations = 0;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetPassDesc(D3DXHANDLE pass, D3DXPASS_DESC* desc) override
    {
        const PassProgram* p = ResolvePass(pass);
        if (!p || !desc) return D3DERR_INVALIDCALL;
        desc->Name = p->name.c_str();
        desc->Annotations = 0;
        desc->pVertexShaderFunction = p->vertexCode.data();
        desc->pPixelShaderFunction = p->pixelCode.data();
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetFunctionDesc(D3DXHANDLE, D3DXFUNCTION_DESC*) override { return D3DERR_INVALIDCALL; }

    // ---- Handles ----
    D3DXHANDLE STDMETHODCALLTYPE GetParameter(D3DXHANDLE parent, UINT index) override
    {
        if (!parent) return index < parameters_.TopLevelCount() ? parameters_.Handle(index) : nullptr;
        const ParameterNode* p = parameters_.Resolve(parent);
        return p ? Handle(parameters_.Element(*p, index)) : nullptr;
    }

    D3DXHANDLE STDMETHODCALLTYPE GetParameterByName(D3DXHANDLE parent, const char* name) override
    {
        const ParameterNode* p = nullptr;
        if (parent && !(p = parameters_.Resolve(parent))) return nullptr;
        return Handle(parameters_.ByName(p, name));
    }

    D3DXHANDLE STDMETHODCALLTYPE GetParameterBySemantic(D3DXHANDLE parent, const char* semantic) override
    {
        const ParameterNode* p = nullptr;
        if (parent && !(p = parameters_.Resolve(parent))) return nullptr;
        return Handle(parameters_.BySemantic(p, semantic));
    }

    D3DXHANDLE STDMETHODCALLTYPE GetParameterElement(D3DXHANDLE parameter, UINT index) override
    {
        if (!parameter) return index < parameters_.TopLevelCount() ? parameters_.Handle(index) : nullptr;
        const ParameterNode* p = parameters_.Resolve(parameter);
        return p ? Handle(parameters_.Element(*p, index)) : nullptr;
    }

    D3DXHANDLE STDMETHODCALLTYPE GetTechnique(UINT index) override
    {
        return index < techniques_.size() ? Handle(&techniques_[index]) : nullptr;
    }

    D3DXHANDLE STDMETHODCALLTYPE GetTechniqueByName(const char* name) override
    {
        return Handle(TechniqueByName(name));
    }

    D3DXHANDLE STDMETHODCALLTYPE GetPass(D3DXHANDLE technique, UINT index) override
    {
        const TechniqueProgram* t = ResolveTechnique(technique);
        return t && index < t->passes.size() ? Handle(&t->passes[index]) : nullptr;
    }

    D3DXHANDLE STDMETHODCALLTYPE GetPassByName(D3DXHANDLE technique, const char* name) override
    {
        const TechniqueProgram* t = ResolveTechnique(technique);
        if (!t || !name) return nullptr;
        for (const PassProgram& p : t->passes)
            if (p.name == name) return Handle(&p);
        return nullptr;
    }

    D3DXHANDLE STDMETHODCALLTYPE GetFunction(UINT) override { return nullptr; }
    D3DXHANDLE STDMETHODCALLTYPE GetFunctionByName(const char*) override { return nullptr; }
    D3DXHANDLE STDMETHODCALLTYPE GetAnnotation(D3DXHANDLE, UINT) override { return nullptr; }
    D3DXHANDLE STDMETHODCALLTYPE GetAnnotationByName(D3DXHANDLE, const char*) override { return nullptr; }

    // ---- Raw values ----
    HRESULT STDMETHODCALLTYPE SetValue(D3DXHANDLE parameter, const void* data, UINT bytes) override
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !data || bytes < p->Bytes() || p->type == D3DXPT_STRING) return D3DERR_INVALIDCALL;
        const auto* words = static_cast<const DWORD*>(data);
        if (p->IsTexture()) {
            for (UINT e = 0; e < p->Slots(); ++e)
                parameters_.StoreTexture(*p, e, reinterpret_cast<IDirect3DBaseTexture9*>(words[e]));
        } else if (p->type == D3DXPT_BOOL) {
            DWORD* slots = parameters_.Slots(*p);
            for (UINT i = 0; i < p->Slots(); ++i) slots[i] = words[i] ? TRUE : FALSE;
        } else {
            std::memcpy(parameters_.Slots(*p), data, p->Bytes());
        }
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetValue(D3DXHANDLE parameter, void* data, UINT bytes) override
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !data || bytes < p->Bytes()) return D3DERR_INVALIDCALL;
        std::memcpy(data, parameters_.Slots(*p), p->Bytes());
        if (p->IsTexture()) // the caller receives references, as from GetTexture
            for (UINT e = 0; e < p->Slots(); ++e)
                if (IDirect3DBaseTexture9* t = parameters_.Texture(*p, e)) t->AddRef();
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetRawValue(D3DXHANDLE parameter, const void* data, UINT offset, UINT bytes) override
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !p->IsNumeric() || (!data && bytes) || offset > p->Bytes() || bytes > p->Bytes() - offset)
            return D3DERR_INVALIDCALL;
        std::memcpy(reinterpret_cast<BYTE*>(parameters_.Slots(*p)) + offset, data, bytes);
        return D3D_OK;
    }

    // ---- Scalars ----
    HRESULT STDMETHODCALLTYPE SetBool(D3DXHANDLE parameter, WINBOOL b) override
    {
        const ParameterNode* p = Single(parameter);
        if (!p) return D3DERR_INVALIDCALL;
        *parameters_.Slots(*p) = effect::BoolToSlot(b, p->type);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetBool(D3DXHANDLE parameter, WINBOOL* b) override
    {
        const ParameterNode* p = Single(parameter);
        if (!p || !b) return D3DERR_INVALIDCALL;
        *b = effect::SlotAsBool(*parameters_.Slots(*p), p->type);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetInt(D3DXHANDLE parameter, INT n) override
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || p->elements) return D3DERR_INVALIDCALL;
        DWORD* slots = parameters_.Slots(*p);
        if (IsSingle(*p)) {
            *slots = effect::IntToSlot(n, p->type);
            return D3D_OK;
        }
        if (!IsColorVector(*p)) return D3DERR_INVALIDCALL;
        // An int given to a float vector is a D3DCOLOR: red, green, blue (and alpha) in 0..1.
        float rgba[4] = {((n >> 16) & 0xFF) / kColorScale, ((n >> 8) & 0xFF) / kColorScale, (n & 0xFF) / kColorScale,
                         ((static_cast<DWORD>(n) >> 24) & 0xFF) / kColorScale};
        for (UINT i = 0; i < std::min(4u, p->rows * p->columns); ++i) slots[i] = effect::FloatToSlot(rgba[i], p->type);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetInt(D3DXHANDLE parameter, INT* n) override
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !n || p->elements) return D3DERR_INVALIDCALL;
        const DWORD* slots = parameters_.Slots(*p);
        if (IsSingle(*p)) {
            *n = effect::SlotAsInt(*slots, p->type);
            return D3D_OK;
        }
        if (!IsColorVector(*p)) return D3DERR_INVALIDCALL;
        auto channel = [&](UINT i) { return ColorByte(effect::SlotAsFloat(slots[i], p->type)); };
        DWORD color = (channel(0) << 16) | (channel(1) << 8) | channel(2);
        if (p->rows * p->columns > 3) color |= channel(3) << 24;
        *n = static_cast<INT>(color);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE parameter, FLOAT f) override
    {
        const ParameterNode* p = Single(parameter);
        if (!p) return D3DERR_INVALIDCALL;
        *parameters_.Slots(*p) = effect::FloatToSlot(f, p->type);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetFloat(D3DXHANDLE parameter, FLOAT* f) override
    {
        const ParameterNode* p = Single(parameter);
        if (!p || !f) return D3DERR_INVALIDCALL;
        *f = effect::SlotAsFloat(*parameters_.Slots(*p), p->type);
        return D3D_OK;
    }

    // ---- Scalar arrays: any numeric parameter, up to its number of values ----
    HRESULT STDMETHODCALLTYPE SetBoolArray(D3DXHANDLE parameter, const WINBOOL* b, UINT count) override
    {
        return SetNumbers(parameter, b, count, [](WINBOOL v, D3DXPARAMETER_TYPE t) { return effect::BoolToSlot(v, t); });
    }
    HRESULT STDMETHODCALLTYPE GetBoolArray(D3DXHANDLE parameter, WINBOOL* b, UINT count) override
    {
        return GetNumbers(parameter, b, count, effect::SlotAsBool);
    }
    HRESULT STDMETHODCALLTYPE SetIntArray(D3DXHANDLE parameter, const INT* n, UINT count) override
    {
        return SetNumbers(parameter, n, count, effect::IntToSlot);
    }
    HRESULT STDMETHODCALLTYPE GetIntArray(D3DXHANDLE parameter, INT* n, UINT count) override
    {
        return GetNumbers(parameter, n, count, effect::SlotAsInt);
    }
    HRESULT STDMETHODCALLTYPE SetFloatArray(D3DXHANDLE parameter, const FLOAT* f, UINT count) override
    {
        return SetNumbers(parameter, f, count, effect::FloatToSlot);
    }
    HRESULT STDMETHODCALLTYPE GetFloatArray(D3DXHANDLE parameter, FLOAT* f, UINT count) override
    {
        return GetNumbers(parameter, f, count, effect::SlotAsFloat);
    }

    // ---- Vectors ----
    HRESULT STDMETHODCALLTYPE SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector) override
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !vector || p->elements || !IsScalarOrVector(*p)) return D3DERR_INVALIDCALL;
        StoreVector(*p, *vector);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetVector(D3DXHANDLE parameter, D3DXVECTOR4* vector) override
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !vector || p->elements || !IsScalarOrVector(*p)) return D3DERR_INVALIDCALL;
        *vector = LoadVector(*p);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetVectorArray(D3DXHANDLE parameter, const D3DXVECTOR4* vectors, UINT count) override
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !p->elements || count > p->elements || p->cls != D3DXPC_VECTOR || (!vectors && count))
            return D3DERR_INVALIDCALL;
        for (UINT i = 0; i < count; ++i) StoreVector(*parameters_.Element(*p, i), vectors[i]);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetVectorArray(D3DXHANDLE parameter, D3DXVECTOR4* vectors, UINT count) override
    {
        if (!count) return D3D_OK;
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !vectors || count > p->elements || p->cls != D3DXPC_VECTOR) return D3DERR_INVALIDCALL;
        for (UINT i = 0; i < count; ++i) vectors[i] = LoadVector(*parameters_.Element(*p, i));
        return D3D_OK;
    }

    // ---- Matrices ----
    HRESULT STDMETHODCALLTYPE SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix) override
    {
        return SetOneMatrix(parameter, matrix, false);
    }
    HRESULT STDMETHODCALLTYPE GetMatrix(D3DXHANDLE parameter, D3DXMATRIX* matrix) override
    {
        return GetOneMatrix(parameter, matrix, false);
    }
    HRESULT STDMETHODCALLTYPE SetMatrixTranspose(D3DXHANDLE parameter, const D3DXMATRIX* matrix) override
    {
        return SetOneMatrix(parameter, matrix, true);
    }
    HRESULT STDMETHODCALLTYPE GetMatrixTranspose(D3DXHANDLE parameter, D3DXMATRIX* matrix) override
    {
        return GetOneMatrix(parameter, matrix, true);
    }

    HRESULT STDMETHODCALLTYPE SetMatrixArray(D3DXHANDLE parameter, const D3DXMATRIX* matrices, UINT count) override
    {
        return SetMatrices(parameter, count, [&](UINT i) { return &matrices[i]; }, matrices, false);
    }
    HRESULT STDMETHODCALLTYPE GetMatrixArray(D3DXHANDLE parameter, D3DXMATRIX* matrices, UINT count) override
    {
        return GetMatrices(parameter, count, [&](UINT i) { return &matrices[i]; }, matrices, false);
    }
    HRESULT STDMETHODCALLTYPE SetMatrixPointerArray(D3DXHANDLE parameter, const D3DXMATRIX** matrices,
                                                    UINT count) override
    {
        return SetMatrices(parameter, count, [&](UINT i) { return matrices[i]; }, matrices, false);
    }
    HRESULT STDMETHODCALLTYPE GetMatrixPointerArray(D3DXHANDLE parameter, D3DXMATRIX** matrices, UINT count) override
    {
        return GetMatrices(parameter, count, [&](UINT i) { return matrices[i]; }, matrices, false);
    }
    HRESULT STDMETHODCALLTYPE SetMatrixTransposeArray(D3DXHANDLE parameter, const D3DXMATRIX* matrices,
                                                      UINT count) override
    {
        return SetMatrices(parameter, count, [&](UINT i) { return &matrices[i]; }, matrices, true);
    }
    HRESULT STDMETHODCALLTYPE GetMatrixTransposeArray(D3DXHANDLE parameter, D3DXMATRIX* matrices, UINT count) override
    {
        return GetMatrices(parameter, count, [&](UINT i) { return &matrices[i]; }, matrices, true);
    }
    HRESULT STDMETHODCALLTYPE SetMatrixTransposePointerArray(D3DXHANDLE parameter, const D3DXMATRIX** matrices,
                                                             UINT count) override
    {
        return SetMatrices(parameter, count, [&](UINT i) { return matrices[i]; }, matrices, true);
    }
    HRESULT STDMETHODCALLTYPE GetMatrixTransposePointerArray(D3DXHANDLE parameter, D3DXMATRIX** matrices,
                                                             UINT count) override
    {
        return GetMatrices(parameter, count, [&](UINT i) { return matrices[i]; }, matrices, true);
    }

    // ---- Objects ----
    HRESULT STDMETHODCALLTYPE SetString(D3DXHANDLE parameter, const char* string) override
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || p->type != D3DXPT_STRING || !string) return D3DERR_INVALIDCALL;
        parameters_.StoreString(*p, string);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetString(D3DXHANDLE parameter, const char** string) override
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !string || p->type != D3DXPT_STRING) return D3DERR_INVALIDCALL;
        *string = reinterpret_cast<const char*>(*parameters_.Slots(*p));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) override
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || p->elements || !p->IsTexture()) return D3DERR_INVALIDCALL;
        parameters_.StoreTexture(*p, 0, texture);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9** texture) override
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !texture || p->elements || !p->IsTexture()) return D3DERR_INVALIDCALL;
        *texture = parameters_.Texture(*p, 0);
        if (*texture) (*texture)->AddRef();
        return D3D_OK;
    }

    // No parameter holds a shader: shaders belong to passes.
    HRESULT STDMETHODCALLTYPE GetPixelShader(D3DXHANDLE, IDirect3DPixelShader9**) override { return D3DERR_INVALIDCALL; }
    HRESULT STDMETHODCALLTYPE GetVertexShader(D3DXHANDLE, IDirect3DVertexShader9**) override
    {
        return D3DERR_INVALIDCALL;
    }

    // Every element is always uploaded, so the range is accepted and has no further effect.
    HRESULT STDMETHODCALLTYPE SetArrayRange(D3DXHANDLE, UINT, UINT) override { return D3D_OK; }

    // ---- ID3DXEffect ----
    HRESULT STDMETHODCALLTYPE GetPool(ID3DXEffectPool** pool) override
    {
        if (!pool) return D3DERR_INVALIDCALL;
        *pool = nullptr; // host effects share no parameters
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE technique) override
    {
        TechniqueProgram* t = ResolveTechnique(technique);
        if (!t) return D3DERR_INVALIDCALL;
        current_ = t;
        return D3D_OK;
    }

    D3DXHANDLE STDMETHODCALLTYPE GetCurrentTechnique() override { return Handle(current_); }

    // Every technique was compiled for this device when the effect was made.
    HRESULT STDMETHODCALLTYPE ValidateTechnique(D3DXHANDLE technique) override
    {
        return ResolveTechnique(technique) ? D3D_OK : D3DERR_INVALIDCALL;
    }

    HRESULT STDMETHODCALLTYPE FindNextValidTechnique(D3DXHANDLE technique, D3DXHANDLE* next) override
    {
        if (!next) return D3DERR_INVALIDCALL;
        size_t index = 0;
        if (technique) {
            const TechniqueProgram* t = ResolveTechnique(technique);
            if (!t) return D3DERR_INVALIDCALL;
            index = static_cast<size_t>(t - techniques_.data()) + 1;
        }
        *next = index < techniques_.size() ? Handle(&techniques_[index]) : nullptr;
        return *next ? D3D_OK : S_FALSE;
    }

    WINBOOL STDMETHODCALLTYPE IsParameterUsed(D3DXHANDLE parameter, D3DXHANDLE technique) override
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        const TechniqueProgram* t = ResolveTechnique(technique);
        if (!p || !t) return FALSE;
        size_t topLevel = parameters_.IndexOf(parameters_.ByName(nullptr, p->name.c_str()));
        for (const PassProgram& pass : t->passes)
            for (const effect::ConstantBinding& b : pass.bindings)
                if (b.parameter == topLevel) return TRUE;
        return FALSE;
    }

    HRESULT STDMETHODCALLTYPE Begin(UINT* passes, DWORD flags) override
    {
        if (!current_) return D3DERR_INVALIDCALL;
        if (passes) *passes = static_cast<UINT>(current_->passes.size());
        saved_.reset();
        if (!(flags & D3DXFX_DONOTSAVESTATE) && !manager_) SaveStateOfTechnique(*current_, flags);
        begun_ = true;
        activePass_ = nullptr;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE BeginPass(UINT pass) override
    {
        if (!begun_ || activePass_ || pass >= current_->passes.size()) return D3DERR_INVALIDCALL;
        activePass_ = &current_->passes[pass];
        effect::ApplyPassStates(Target(), *activePass_, true, true);
        effect::UploadParameters(Target(), *activePass_, parameters_, true, true);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE CommitChanges() override
    {
        if (activePass_) effect::UploadParameters(Target(), *activePass_, parameters_, true, true);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE EndPass() override
    {
        activePass_ = nullptr;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE End() override
    {
        if (saved_) {
            saved_->Apply();
            saved_.reset();
        }
        begun_ = false;
        activePass_ = nullptr;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override
    {
        if (!device) return D3DERR_INVALIDCALL;
        *device = device_.ref();
        return D3D_OK;
    }

    // Shaders are not default-pool resources; only the saved state of an unfinished Begin goes.
    HRESULT STDMETHODCALLTYPE OnLostDevice() override
    {
        saved_.reset();
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE OnResetDevice() override { return D3D_OK; }

    HRESULT STDMETHODCALLTYPE SetStateManager(ID3DXEffectStateManager* manager) override
    {
        manager_ = Com<ID3DXEffectStateManager>::Share(manager);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetStateManager(ID3DXEffectStateManager** manager) override
    {
        if (!manager) return D3DERR_INVALIDCALL;
        *manager = manager_.ref();
        return D3D_OK;
    }

    // Parameter blocks are not recorded: ending one yields no block to apply.
    HRESULT STDMETHODCALLTYPE BeginParameterBlock() override { return D3D_OK; }
    D3DXHANDLE STDMETHODCALLTYPE EndParameterBlock() override { return nullptr; }
    HRESULT STDMETHODCALLTYPE ApplyParameterBlock(D3DXHANDLE) override { return D3DERR_INVALIDCALL; }
    HRESULT STDMETHODCALLTYPE DeleteParameterBlock(D3DXHANDLE) override { return D3DERR_INVALIDCALL; }

    HRESULT STDMETHODCALLTYPE CloneEffect(IDirect3DDevice9* device, ID3DXEffect** out) override
    {
        if (!device || !out) return D3DERR_INVALIDCALL;
        auto* clone = new RuntimeEffect(device, description_);
        if (!clone->Build(nullptr)) {
            clone->Release();
            return E_FAIL;
        }
        clone->parameters_.CopyValuesFrom(parameters_);
        clone->current_ = &clone->techniques_[current_ - techniques_.data()];
        *out = clone;
        return D3D_OK;
    }

private:
    template <typename T>
    D3DXHANDLE Handle(const T* node) const
    {
        return reinterpret_cast<D3DXHANDLE>(const_cast<T*>(node));
    }

    TechniqueProgram* TechniqueByName(const char* name)
    {
        if (!name) return nullptr;
        for (TechniqueProgram& t : techniques_)
            if (t.name == name) return &t;
        return nullptr;
    }

    TechniqueProgram* ResolveTechnique(D3DXHANDLE handle)
    {
        if (!handle) return nullptr;
        for (TechniqueProgram& t : techniques_)
            if (Handle(&t) == handle) return &t;
        // Like D3DX, a technique's name is accepted where its handle is expected.
        if (!effect::IsReadableName(handle)) return nullptr;
        return TechniqueByName(handle);
    }

    const PassProgram* ResolvePass(D3DXHANDLE handle) const
    {
        for (const TechniqueProgram& t : techniques_)
            for (const PassProgram& p : t.passes)
                if (Handle(&p) == handle) return &p;
        return nullptr;
    }

    static bool IsSingle(const ParameterNode& p) { return !p.elements && p.rows == 1 && p.columns == 1; }
    static bool IsScalarOrVector(const ParameterNode& p) { return p.cls == D3DXPC_SCALAR || p.cls == D3DXPC_VECTOR; }
    // Float vectors of 3 or 4 components (or such a column) exchange D3DCOLOR values with ints.
    static bool IsColorVector(const ParameterNode& p)
    {
        return p.type == D3DXPT_FLOAT && ((p.cls == D3DXPC_VECTOR && p.columns != 2) ||
                                          (p.cls == D3DXPC_MATRIX_ROWS && p.rows != 2 && p.columns == 1));
    }

    // A non-array parameter of one value (bool, int or float scalar).
    const ParameterNode* Single(D3DXHANDLE parameter) const
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        return p && IsSingle(*p) ? p : nullptr;
    }

    template <typename T, typename Convert>
    HRESULT SetNumbers(D3DXHANDLE parameter, const T* values, UINT count, Convert convert)
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !p->IsNumeric() || (!values && count)) return D3DERR_INVALIDCALL;
        DWORD* slots = parameters_.Slots(*p);
        for (UINT i = 0; i < std::min(count, p->Slots()); ++i) slots[i] = convert(values[i], p->type);
        return D3D_OK;
    }

    template <typename T, typename Convert>
    HRESULT GetNumbers(D3DXHANDLE parameter, T* values, UINT count, Convert convert)
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !values || !p->IsNumeric()) return D3DERR_INVALIDCALL;
        const DWORD* slots = parameters_.Slots(*p);
        for (UINT i = 0; i < std::min(count, p->Slots()); ++i) values[i] = convert(slots[i], p->type);
        return D3D_OK;
    }

    void StoreVector(const ParameterNode& p, const D3DXVECTOR4& v)
    {
        DWORD* slots = parameters_.Slots(p);
        if (p.type == D3DXPT_INT && p.Bytes() == sizeof(DWORD)) { // an int takes a vector as a D3DCOLOR
            *slots = (ColorByte(v.w) << 24) | (ColorByte(v.x) << 16) | (ColorByte(v.y) << 8) | ColorByte(v.z);
            return;
        }
        const float values[4] = {v.x, v.y, v.z, v.w};
        for (UINT i = 0; i < p.columns && i < 4; ++i) slots[i] = effect::FloatToSlot(values[i], p.type);
    }

    D3DXVECTOR4 LoadVector(const ParameterNode& p) const
    {
        const DWORD* slots = parameters_.Slots(p);
        if (p.type == D3DXPT_INT && p.Bytes() == sizeof(DWORD)) {
            DWORD c = *slots;
            return {((c >> 16) & 0xFF) / kColorScale, ((c >> 8) & 0xFF) / kColorScale, (c & 0xFF) / kColorScale,
                    ((c >> 24) & 0xFF) / kColorScale};
        }
        float values[4] = {};
        for (UINT i = 0; i < p.columns && i < 4; ++i) values[i] = effect::SlotAsFloat(slots[i], p.type);
        return {values[0], values[1], values[2], values[3]};
    }

    void StoreMatrix(const ParameterNode& p, const D3DXMATRIX& m, bool transpose)
    {
        DWORD* slots = parameters_.Slots(p);
        for (UINT r = 0; r < p.rows; ++r)
            for (UINT c = 0; c < p.columns; ++c)
                slots[r * p.columns + c] = effect::FloatToSlot(transpose ? m.m[c][r] : m.m[r][c], p.type);
    }

    void LoadMatrix(const ParameterNode& p, D3DXMATRIX* m, bool transpose) const
    {
        const DWORD* slots = parameters_.Slots(p);
        for (UINT r = 0; r < 4; ++r)
            for (UINT c = 0; c < 4; ++c) {
                float v = r < p.rows && c < p.columns ? effect::SlotAsFloat(slots[r * p.columns + c], p.type) : 0.0f;
                (transpose ? m->m[c][r] : m->m[r][c]) = v;
            }
    }

    HRESULT SetOneMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix, bool transpose)
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !matrix || p->elements || p->cls != D3DXPC_MATRIX_ROWS) return D3DERR_INVALIDCALL;
        StoreMatrix(*p, *matrix, transpose);
        return D3D_OK;
    }

    HRESULT GetOneMatrix(D3DXHANDLE parameter, D3DXMATRIX* matrix, bool transpose)
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !matrix || p->elements || p->cls != D3DXPC_MATRIX_ROWS) return D3DERR_INVALIDCALL;
        LoadMatrix(*p, matrix, transpose);
        return D3D_OK;
    }

    template <typename At>
    HRESULT SetMatrices(D3DXHANDLE parameter, UINT count, At at, const void* array, bool transpose)
    {
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || count > p->elements || p->cls != D3DXPC_MATRIX_ROWS || (!array && count)) return D3DERR_INVALIDCALL;
        for (UINT i = 0; i < count; ++i) {
            const D3DXMATRIX* m = at(i);
            if (!m) return D3DERR_INVALIDCALL;
            StoreMatrix(*parameters_.Element(*p, i), *m, transpose);
        }
        return D3D_OK;
    }

    template <typename At>
    HRESULT GetMatrices(D3DXHANDLE parameter, UINT count, At at, const void* array, bool transpose)
    {
        if (!count) return D3D_OK;
        const ParameterNode* p = parameters_.Resolve(parameter);
        if (!p || !array || count > p->elements || p->cls != D3DXPC_MATRIX_ROWS) return D3DERR_INVALIDCALL;
        for (UINT i = 0; i < count; ++i) {
            D3DXMATRIX* m = at(i);
            if (!m) return D3DERR_INVALIDCALL;
            LoadMatrix(*parameters_.Element(*p, i), m, transpose);
        }
        return D3D_OK;
    }

    effect::StateTarget Target() const { return {device_.ptr(), manager_.ptr()}; }

    // Records every state the technique's passes set, then captures their current values, so End
    // puts back exactly what Begin found.
    void SaveStateOfTechnique(const TechniqueProgram& technique, DWORD flags)
    {
        if (FAILED(device_->BeginStateBlock())) return;
        effect::StateTarget recorder{device_.ptr(), nullptr};
        bool shaders = !(flags & D3DXFX_DONOTSAVESHADERSTATE);
        bool samplers = !(flags & D3DXFX_DONOTSAVESAMPLERSTATE);
        for (const PassProgram& pass : technique.passes) {
            effect::ApplyPassStates(recorder, pass, shaders, true);
            effect::UploadParameters(recorder, pass, parameters_, shaders, samplers);
        }
        if (SUCCEEDED(device_->EndStateBlock(saved_.put())) && saved_) saved_->Capture();
    }

    Com<IDirect3DDevice9> device_;
    EffectDescription description_; // kept for CloneEffect
    effect::ParameterStore parameters_;
    std::vector<TechniqueProgram> techniques_;
    TechniqueProgram* current_ = nullptr;
    Com<ID3DXEffectStateManager> manager_;
    bool begun_ = false;
    const PassProgram* activePass_ = nullptr;
    Com<IDirect3DStateBlock9> saved_;
};

} // namespace

ID3DXEffect* CreateRuntimeEffect(IDirect3DDevice9* device, const EffectDescription& description, std::string* error)
{
    if (!device) {
        if (error) *error = "no device";
        return nullptr;
    }
    // Experiment: every effect is the framework's, made from the written binary.
    if (!getenv("RYXO_OWN_EFFECT")) return CreateFrameworkEffect(device, description, error);
    auto* effect = new RuntimeEffect(device, description);
    if (!effect->Build(error)) {
        effect->Release();
        return nullptr;
    }
    return effect;
}

HostEffect* AddRuntimeEffect(int effectNumber, const EffectDescription& description, std::string* error)
{
    Com<ID3DXEffect> effect = Com<ID3DXEffect>::Adopt(CreateRuntimeEffect(RealDevice(), description, error));
    return effect ? AddEffect(effectNumber, effect.ptr()) : nullptr;
}

} // namespace refhost
