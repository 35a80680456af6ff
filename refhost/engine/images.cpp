// Images: numbered textures. Render-target images hand their maker one reference of its own,
// which some callers keep and give back before deleting the image and others never keep; the
// deletion settles whichever is the case.
#include "engine_state.h"

namespace refhost {

namespace {

D3DFORMAT FormatOrReference(D3DFORMAT format)
{
    if (format != D3DFMT_UNKNOWN)
        return format;
    D3DSURFACE_DESC desc{};
    IDirect3DSurface9* reference = TheEngine().core.referenceSurface;
    if (!reference || FAILED(reference->GetDesc(&desc)))
        return D3DFMT_X8R8G8B8;
    return desc.Format;
}

// The texture's reference count, seen by taking one and giving it back.
ULONG ReferenceCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

void StoreImage(int image, Com<IDirect3DTexture9> texture, bool renderTarget)
{
    auto record = std::make_unique<ImageRecord>();
    record->texture = std::move(texture);
    record->renderTarget = renderTarget;
    record->referenceHandedOut = renderTarget;
    TheEngine().scene.images[image] = std::move(record);
}

void RemoveImage(int image)
{
    auto& images = TheEngine().scene.images;
    auto it = images.find(image);
    if (it == images.end())
        return;
    ReleaseImage(*it->second);
    images.erase(it);
}

} // namespace

ImageRecord* FindImage(int image)
{
    auto& images = TheEngine().scene.images;
    auto it = images.find(image);
    return it == images.end() ? nullptr : it->second.get();
}

void ReleaseImage(ImageRecord& image)
{
    if (!image.texture)
        return;
    ForgetTextureInStages(image.texture.ptr());
    ForgetTextureInEffects(image.texture.ptr());
    // A caller that kept the handed-out reference gives it back before deleting; one that kept
    // nothing leaves it here. A holder still using the texture (an image deleted by the engine while
    // a plugin draws into it) keeps its references. The effects were emptied first: their
    // references would otherwise pass for the handed-out one, and the texture would be freed under
    // them.
    if (HandedOutReferenceUnkept(image))
        image.texture->Release();
    image.texture.reset();
}

bool HandedOutReferenceUnkept(const ImageRecord& image)
{
    return image.referenceHandedOut && image.texture && ReferenceCount(image.texture.ptr()) == 2;
}

IDirect3DTexture9* MakeImage(int image, int width, int height, D3DCOLOR colour)
{
    Engine& e = TheEngine();
    if (!e.device || width <= 0 || height <= 0)
        return nullptr;
    Com<IDirect3DTexture9> texture;
    if (FAILED(e.device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.put(), nullptr)))
        return nullptr;
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < width; ++x)
                row[x] = colour;
        }
        texture->UnlockRect(0);
    }
    RemoveImage(image);
    IDirect3DTexture9* shown = texture.ptr();
    StoreImage(image, std::move(texture), false);
    return shown;
}

// ---- host functions ----

IDirect3DTexture9* MakeRenderTarget(int image, int width, int height, D3DFORMAT format)
{
    LogHostCall("MakeRenderTarget(%d, %d, %d, %d)", image, width, height, static_cast<int>(format));
    Engine& e = TheEngine();
    if (!e.device || width <= 0 || height <= 0)
        return nullptr;
    Com<IDirect3DTexture9> texture;
    if (FAILED(e.device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, FormatOrReference(format),
                                       D3DPOOL_DEFAULT, texture.put(), nullptr)))
        return nullptr;
    RemoveImage(image);
    IDirect3DTexture9* callers = texture.ref();
    StoreImage(image, std::move(texture), true);
    return callers;
}

IDirect3DTexture9* GetImagePointer(int image)
{
    ImageRecord* record = FindImage(image);
    return record ? record->texture.ptr() : nullptr;
}

int GetImageExists(int image) { return FindImage(image) ? 1 : 0; }

void DeleteImage(int image)
{
    LogHostCall("DeleteEx(%d)", image);
    RemoveImage(image);
}

} // namespace refhost
