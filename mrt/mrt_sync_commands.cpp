// MRT_Sync: the host renders one of its cameras while up to three host images are bound as render
// targets 1 to 3, so a pixel shader's extra colour outputs land in them. Render target 0 and the
// camera's own settings belong to the host and are left alone.
#include <cstdio>

#include "com.h"
#include "exports.h"
#include "host_access.h"
#include "message_box.h"
#include "plugin_state.h"

namespace {

constexpr int kExtraTargets = 3;
constexpr int kCameraCount = 32; // the sync mask has one bit per camera

// Level 0 of the image's texture, or nothing when the image is 0, unknown to the host, or its
// texture gives no surface.
Com<IDirect3DSurface9> ImageSurface(int image)
{
    Com<IDirect3DSurface9> surface;
    auto getPointer = Host().GetPointer;
    IDirect3DTexture9* texture = image != 0 && getPointer ? getPointer(image) : nullptr;
    if (texture && FAILED(texture->GetSurfaceLevel(0, surface.put())))
        surface.reset();
    return surface;
}

} // namespace

RYXO_COMMAND MRT_Sync(int camera, int image1, int image2, int image3)
{
    if (camera < 0 || camera >= kCameraCount) {
        char text[128];
        std::snprintf(text, sizeof(text), "Camera %d is not a camera number from 0 to 31", camera);
        ShowMessage("MRT_Sync Error", text);
        return 0;
    }
    IDirect3DDevice9* device = HostDevice();
    auto syncMask = Host().SyncMask;
    auto fastSync = Host().FastSync;
    if (!device || !syncMask || !fastSync)
        return 0;

    // A chain: each image is bound only when every one before it was, so the targets in use are
    // always 1 to n without gaps.
    const int images[kExtraTargets] = {image1, image2, image3};
    Com<IDirect3DSurface9> surfaces[kExtraTargets];
    int bound = 0;
    while (bound < kExtraTargets) {
        surfaces[bound] = ImageSurface(images[bound]);
        if (!surfaces[bound])
            break;
        device->SetRenderTarget(bound + 1, surfaces[bound].ptr());
        ++bound;
    }

    syncMask(1u << camera);
    fastSync();

    for (int i = 0; i < bound; ++i) {
        device->SetRenderTarget(i + 1, nullptr);
        surfaces[i].reset();
    }
    return 0;
}
