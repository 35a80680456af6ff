// Effect records: a HostEffect around an ID3DXEffect, with the handles of the parameters the
// renderer feeds found by their semantics or, failing that, their names.
#include <initializer_list>

#include "engine_state.h"

namespace refhost {

namespace {

enum class ParameterKind { Matrix, Vector, Float };

struct ParameterNames {
    std::initializer_list<const char*> semantics;
    std::initializer_list<const char*> names;
};

// In the order of HostEffect::matrixHandles.
const ParameterNames kMatrixParameters[kHostEffectMatrixCount] = {
    {{"WORLD"}, {"World", "matWorld", "mWorld"}},
    {{"VIEW"}, {"View", "matView", "mView"}},
    {{"PROJECTION", "PROJ"}, {"Projection", "Proj", "matProj", "mProj"}},
    {{"WORLDVIEW"}, {"WorldView", "matWorldView"}},
    {{"VIEWPROJECTION", "VIEWPROJ"}, {"ViewProjection", "ViewProj", "matViewProj"}},
    {{"WORLDVIEWPROJECTION", "WORLDVIEWPROJ"}, {"WorldViewProjection", "WorldViewProj", "matWorldViewProj", "WVP"}},
    {{"WORLDINVERSE"}, {"WorldInverse", "WorldI"}},
    {{"VIEWINVERSE"}, {"ViewInverse", "ViewI"}},
    {{"WORLDVIEWINVERSE"}, {"WorldViewInverse", "WorldViewI"}},
    {{"WORLDTRANSPOSE"}, {"WorldTranspose", "WorldT"}},
    {{"VIEWTRANSPOSE"}, {"ViewTranspose", "ViewT"}},
    {{"PROJECTIONTRANSPOSE", "PROJTRANSPOSE"}, {"ProjectionTranspose", "ProjTranspose", "ProjT"}},
    {{"WORLDVIEWTRANSPOSE"}, {"WorldViewTranspose", "WorldViewT"}},
    {{"VIEWPROJECTIONTRANSPOSE", "VIEWPROJTRANSPOSE"}, {"ViewProjectionTranspose", "ViewProjTranspose"}},
    {{"WORLDVIEWPROJECTIONTRANSPOSE", "WORLDVIEWPROJTRANSPOSE"},
     {"WorldViewProjectionTranspose", "WorldViewProjTranspose"}},
    {{"WORLDINVERSETRANSPOSE"}, {"WorldInverseTranspose", "WorldIT"}},
    {{"VIEWINVERSETRANSPOSE"}, {"ViewInverseTranspose", "ViewIT"}},
    {{"WORLDVIEWINVERSETRANSPOSE"}, {"WorldViewInverseTranspose", "WorldViewIT"}},
};

const ParameterNames kEyePosition = {{"CAMERAPOSITION", "EYEPOSITION"}, {"EyePos", "EyePosition", "CameraPosition"}};
const ParameterNames kEyePosition2 = {{"VIEWPOSITION"}, {"ViewPos", "ViewPosition"}};
const ParameterNames kAlphaFactor = {{"ALPHAFACTOR", "ALPHAOVERRIDE"}, {"AlphaFactor", "AlphaOverride"}};
const ParameterNames kZeroFloat1 = {{"TIME"}, {"Time"}};
const ParameterNames kZeroFloat2 = {{"SINTIME"}, {"SinTime"}};
const ParameterNames kClipPlane = {{"CLIPPLANE"}, {"ClipPlane"}};

// A found parameter is taken only when its class fits. (The framework describes every parameter
// it finds.)
bool ClassFits(ID3DXEffect* effect, D3DXHANDLE handle, ParameterKind kind)
{
    D3DXPARAMETER_DESC desc{};
    if (FAILED(effect->GetParameterDesc(handle, &desc)))
        return false;
    switch (kind) {
    case ParameterKind::Matrix:
        return desc.Class == D3DXPC_MATRIX_ROWS || desc.Class == D3DXPC_MATRIX_COLUMNS;
    case ParameterKind::Vector:
        return desc.Class == D3DXPC_VECTOR;
    case ParameterKind::Float:
        return desc.Class == D3DXPC_SCALAR;
    }
    return false;
}

D3DXHANDLE FindParameter(ID3DXEffect* effect, const ParameterNames& names, ParameterKind kind)
{
    for (const char* semantic : names.semantics) {
        D3DXHANDLE h = effect->GetParameterBySemantic(nullptr, semantic);
        if (h && ClassFits(effect, h, kind))
            return h;
    }
    for (const char* name : names.names) {
        D3DXHANDLE h = effect->GetParameterByName(nullptr, name);
        if (h && ClassFits(effect, h, kind))
            return h;
    }
    return nullptr;
}

} // namespace

EffectRecord* FindEffect(int effectNumber)
{
    auto& effects = TheEngine().scene.effects;
    auto it = effects.find(effectNumber);
    return it == effects.end() ? nullptr : it->second.get();
}

void UseEffect(EffectRecord& record, ID3DXEffect* effect)
{
    HostEffect& r = record.record;
    record.effect = Com<ID3DXEffect>::Share(effect);
    r.effect = effect;
    effect->GetDesc(&r.description);
    for (int m = 0; m < kHostEffectMatrixCount; ++m)
        r.matrixHandles[m] = FindParameter(effect, kMatrixParameters[m], ParameterKind::Matrix);
    r.eyePosition = FindParameter(effect, kEyePosition, ParameterKind::Vector);
    r.eyePosition2 = FindParameter(effect, kEyePosition2, ParameterKind::Vector);
    r.alphaFactor = FindParameter(effect, kAlphaFactor, ParameterKind::Float);
    r.zeroFloat1 = FindParameter(effect, kZeroFloat1, ParameterKind::Float);
    r.zeroFloat2 = FindParameter(effect, kZeroFloat2, ParameterKind::Float);
    r.clipPlane = FindParameter(effect, kClipPlane, ParameterKind::Vector);
}

HostEffect* AddEffect(int effectNumber, ID3DXEffect* effect)
{
    if (!effect || effectNumber == 0)
        return nullptr;
    DeleteEffect(effectNumber);
    auto record = std::make_unique<EffectRecord>();
    UseEffect(*record, effect);
    HostEffect* result = &record->record;
    TheEngine().scene.effects[effectNumber] = std::move(record);
    return result;
}

HostEffect* GetEffectRecord(int effectNumber)
{
    EffectRecord* record = FindEffect(effectNumber);
    return record ? &record->record : nullptr;
}

void DeleteEffect(int effectNumber)
{
    auto& effects = TheEngine().scene.effects;
    auto it = effects.find(effectNumber);
    if (it == effects.end())
        return;
    HostEffect* record = &it->second->record;
    // Meshes that showed the effect show none from now on.
    for (auto& [number, object] : TheEngine().scene.objects)
        for (auto& limb : object->limbs)
            if (limb->mesh.effect == record)
                limb->mesh.effect = nullptr;
    effects.erase(it);
}

} // namespace refhost
