// PNG files, written by D3DX's own encoder from a system-memory copy of the pixels.
#include <cstring>

#include "engine_state.h"

namespace refhost {

bool SavePng(const char* path, const SurfacePixels& image)
{
    IDirect3DDevice9* device = TheEngine().device.ptr();
    if (!path || !device || image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height)
        return false;
    Com<IDirect3DSurface9> surface;
    if (FAILED(device->CreateOffscreenPlainSurface(image.width, image.height, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                   surface.put(), nullptr)))
        return false;
    D3DLOCKED_RECT locked{};
    if (FAILED(surface->LockRect(&locked, nullptr, 0)))
        return false;
    for (int y = 0; y < image.height; ++y)
        std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, &image.pixels[static_cast<size_t>(y) * image.width],
                    static_cast<size_t>(image.width) * sizeof(D3DCOLOR));
    surface->UnlockRect();
    return SUCCEEDED(D3DXSaveSurfaceToFileA(path, D3DXIFF_PNG, surface.ptr(), nullptr, nullptr));
}

} // namespace refhost
