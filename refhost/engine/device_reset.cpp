// Device reset: a lost device can only be reset once no default-pool resource is alive, so the
// engine gives back its own (the plugins gave back theirs in D3DDeviceLost), resets, and makes its
// objects again under the same numbers. Scripts then remake what lived in the plugins.
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
    const HRESULT hr = e.device->Reset(&pp);
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
