// Device reset: a lost device can only be reset once no default-pool resource is alive, so the
// engine gives back its own (the plugins gave back theirs in D3DDeviceLost), resets, and makes its
// objects again under the same numbers. Scripts then remake what lived in the plugins.
//
// Direct3D 9 also wants every state block given back before Reset. DXVK holds to that, wined3d
// counts only resources. ID3DXEffect::Begin without D3DXFX_DONOTSAVESTATE, as the engine and the
// plugins call it, saves the device's states in a state block of the effect's own, which D3DX's
// documented OnLostDevice frees; Wine 8's OnLostDevice keeps it, and only the effect's end frees
// it. So when Reset is refused after OnLostDevice, the engine makes each effect again, a clone
// carrying the old one's values, technique and state manager, in the same record (meshes keep
// showing it), and tries once more. Handles taken from an old effect are not handles of its clone:
// a plugin collects them again when the script makes its objects again after the loss.
#include <cstddef>
#include <vector>

#include "engine_state.h"

namespace refhost {

namespace {

struct RenderTargetShape {
    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
};

// What a render-target image must be made again as, kept while its texture is given back.
struct GivenBackImage {
    ImageRecord* record;
    IDirect3DTexture9* oldTexture; // only compared with mesh stage entries, never used
    RenderTargetShape shape;
};

RenderTargetShape ShapeOf(IDirect3DTexture9* texture)
{
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    return {desc.Width, desc.Height, desc.Format};
}

// The engine's reference, and the one MakeRenderTarget handed out when the caller never kept it:
// the same rule as deleting the image. A reference anyone else still holds keeps the texture alive,
// and Reset then fails.
void GiveBackImageTexture(ImageRecord& image)
{
    if (HandedOutReferenceUnkept(image))
        image.texture->Release();
    image.texture.reset();
    image.referenceHandedOut = false;
}

void PointStagesAt(IDirect3DTexture9* from, IDirect3DTexture9* to)
{
    for (auto& [number, object] : TheEngine().scene.objects)
        for (auto& limb : object->limbs)
            for (HostTextureStage& stage : limb->stages)
                if (stage.texture == from)
                    stage.texture = to;
}

std::vector<GivenBackImage> g_givenBack; // images given back by a Reset that failed, kept for the next try

// The values of the top-level parameters the clone can take over: numbers, vectors, matrices,
// structures of them, and textures.
void CopyParameterValues(ID3DXEffect* from, ID3DXEffect* to)
{
    D3DXEFFECT_DESC effect{};
    from->GetDesc(&effect);
    std::vector<std::byte> value;
    for (UINT i = 0; i < effect.Parameters; ++i) {
        D3DXHANDLE source = from->GetParameter(nullptr, i), target = to->GetParameter(nullptr, i);
        D3DXPARAMETER_DESC desc{};
        if (!source || !target || FAILED(from->GetParameterDesc(source, &desc)))
            continue;
        if (desc.Class == D3DXPC_OBJECT) {
            const bool texture = desc.Type == D3DXPT_TEXTURE || desc.Type == D3DXPT_TEXTURE1D ||
                                 desc.Type == D3DXPT_TEXTURE2D || desc.Type == D3DXPT_TEXTURE3D ||
                                 desc.Type == D3DXPT_TEXTURECUBE;
            IDirect3DBaseTexture9* shown = nullptr;
            if (texture && desc.Elements == 0 && SUCCEEDED(from->GetTexture(source, &shown))) {
                to->SetTexture(target, shown);
                if (shown)
                    shown->Release();
            }
            continue;
        }
        value.resize(desc.Bytes);
        if (desc.Bytes && SUCCEEDED(from->GetValue(source, value.data(), desc.Bytes)))
            to->SetValue(target, value.data(), desc.Bytes);
    }
}

// A new effect in the record in place of its old one, which goes with the state blocks it saved.
// False when the effect cannot be cloned: the record keeps the old one.
bool MakeEffectAgain(EffectRecord& record)
{
    ID3DXEffect* old = record.effect.ptr();
    Com<IDirect3DDevice9> device;
    Com<ID3DXEffect> clone;
    if (FAILED(old->GetDevice(device.put())) || FAILED(old->CloneEffect(device.ptr(), clone.put())) || !clone)
        return false;
    CopyParameterValues(old, clone.ptr());
    D3DXTECHNIQUE_DESC technique{};
    if (SUCCEEDED(old->GetTechniqueDesc(old->GetCurrentTechnique(), &technique)) && technique.Name)
        clone->SetTechnique(clone->GetTechniqueByName(technique.Name));
    ID3DXEffectStateManager* manager = nullptr;
    if (SUCCEEDED(old->GetStateManager(&manager)) && manager) {
        clone->SetStateManager(manager);
        manager->Release();
    }
    clone->OnLostDevice();
    UseEffect(record, clone.ptr());
    return true;
}

} // namespace

HRESULT ResetDevice()
{
    Engine& e = TheEngine();
    if (!e.device)
        return D3DERR_INVALIDCALL;
    Scene& scene = e.scene;

    for (auto& [number, image] : scene.images)
        if (image->renderTarget && image->texture) {
            g_givenBack.push_back({image.get(), image->texture.ptr(), ShapeOf(image->texture.ptr())});
            GiveBackImageTexture(*image);
        }
    D3DFORMAT cameraFormat = D3DFMT_X8R8G8B8;
    if (e.referenceSurface) {
        D3DSURFACE_DESC desc{};
        if (SUCCEEDED(e.referenceSurface->GetDesc(&desc)))
            cameraFormat = desc.Format;
    }
    e.referenceSurface.reset();
    e.core.referenceSurface = nullptr;
    for (auto& [number, camera] : scene.cameras)
        camera->target.reset();
    scene.depthBuffers.clear(); // made again on first use
    for (auto& [number, effect] : scene.effects)
        if (effect->record.effect)
            effect->record.effect->OnLostDevice();

    D3DPRESENT_PARAMETERS pp = e.presentParameters;
    HRESULT hr = e.device->Reset(&pp);
    if (hr == D3DERR_INVALIDCALL) {
        // Perhaps only the effects' saved states are left (see the top of this file).
        bool madeAgain = false;
        for (auto& [number, effect] : scene.effects)
            madeAgain = (effect->record.effect && MakeEffectAgain(*effect)) || madeAgain;
        if (madeAgain) {
            pp = e.presentParameters;
            hr = e.device->Reset(&pp);
        }
    }
    if (FAILED(hr))
        return hr;

    for (auto& [number, effect] : scene.effects)
        if (effect->record.effect)
            effect->record.effect->OnResetDevice();
    e.device->GetRenderTarget(0, e.referenceSurface.put());
    e.core.referenceSurface = e.referenceSurface.ptr();
    for (auto& [number, camera] : scene.cameras)
        e.device->CreateTexture(camera->width, camera->height, 1, D3DUSAGE_RENDERTARGET, cameraFormat, D3DPOOL_DEFAULT,
                                camera->target.put(), nullptr);
    for (const GivenBackImage& image : g_givenBack) {
        // An image deleted between a failed and this Reset has no record any more.
        bool stillThere = false;
        for (auto& [number, record] : scene.images)
            stillThere = stillThere || record.get() == image.record;
        if (!stillThere)
            continue;
        e.device->CreateTexture(image.shape.width, image.shape.height, 1, D3DUSAGE_RENDERTARGET, image.shape.format,
                                D3DPOOL_DEFAULT, image.record->texture.put(), nullptr);
        PointStagesAt(image.oldTexture, image.record->texture.ptr());
    }
    g_givenBack.clear();
    return hr;
}

} // namespace refhost
