// Reading pixels back from surfaces, textures and camera targets.
#include <cstring>

#include "engine_state.h"

namespace refhost {

namespace {

bool CopyLocked(IDirect3DSurface9* surface, const D3DSURFACE_DESC& desc, SurfacePixels& out)
{
    D3DLOCKED_RECT locked{};
    if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        return false;
    out.width = static_cast<int>(desc.Width);
    out.height = static_cast<int>(desc.Height);
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    // X8 formats leave the top byte undefined: read as opaque.
    const D3DCOLOR alpha = desc.Format == D3DFMT_X8R8G8B8 ? 0xFF000000 : 0;
    for (int y = 0; y < out.height; ++y) {
        const auto* row = reinterpret_cast<const D3DCOLOR*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < out.width; ++x)
            out.pixels[static_cast<size_t>(y) * out.width + x] = row[x] | alpha;
    }
    surface->UnlockRect();
    return true;
}

} // namespace

bool ReadSurfacePixels(IDirect3DSurface9* surface, SurfacePixels& out)
{
    out = SurfacePixels{};
    IDirect3DDevice9* device = TheEngine().device.ptr();
    D3DSURFACE_DESC desc{};
    if (!surface || !device || FAILED(surface->GetDesc(&desc)))
        return false;
    if (desc.Format != D3DFMT_X8R8G8B8 && desc.Format != D3DFMT_A8R8G8B8)
        return false;
    if (desc.Pool != D3DPOOL_DEFAULT)
        return CopyLocked(surface, desc, out);
    // GetRenderTargetData refuses a multisampled surface: it is resolved into a plain one first.
    Com<IDirect3DSurface9> resolved;
    if (desc.MultiSampleType != D3DMULTISAMPLE_NONE) {
        if (FAILED(device->CreateRenderTarget(desc.Width, desc.Height, desc.Format, D3DMULTISAMPLE_NONE, 0, FALSE,
                                              resolved.put(), nullptr)) ||
            FAILED(device->StretchRect(surface, nullptr, resolved.ptr(), nullptr, D3DTEXF_NONE)))
            return false;
        surface = resolved.ptr();
    }
    // Default-pool render targets are copied into system memory first.
    Com<IDirect3DSurface9> copy;
    if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                   copy.put(), nullptr)))
        return false;
    return SUCCEEDED(device->GetRenderTargetData(surface, copy.ptr())) && CopyLocked(copy.ptr(), desc, out);
}

bool ReadTexturePixels(IDirect3DTexture9* texture, SurfacePixels& out)
{
    out = SurfacePixels{};
    Com<IDirect3DSurface9> surface;
    if (!texture || FAILED(texture->GetSurfaceLevel(0, surface.put())))
        return false;
    return ReadSurfacePixels(surface.ptr(), out);
}

bool ReadCameraPixels(int camera, SurfacePixels& out)
{
    CameraRecord* c = FindCamera(camera);
    if (!c) {
        out = SurfacePixels{};
        return false;
    }
    if (RendersIntoBackBuffer(camera))
        return ReadSurfacePixels(TheEngine().core.referenceSurface, out);
    return ReadTexturePixels(c->target.ptr(), out);
}

D3DCOLOR ReadCameraPixel(int camera, int x, int y)
{
    SurfacePixels pixels;
    if (!ReadCameraPixels(camera, pixels) || x < 0 || y < 0 || x >= pixels.width || y >= pixels.height)
        return 0;
    return pixels.At(x, y);
}

bool SaveCameraPng(int camera, const char* path)
{
    SurfacePixels pixels;
    return ReadCameraPixels(camera, pixels) && SavePng(path, pixels);
}

} // namespace refhost
