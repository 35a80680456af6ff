// The host images a camera draws into: the main target (render target 0) and the extra targets in
// slots 1 to 3 (render targets 1 to 3), all made by the host as render-target textures.
#include <cstdio>

#include "camera_table.h"
#include "exports.h"
#include "host_access.h"
#include "message_box.h"
#include "plugin_state.h"

namespace {

#define SET_TO_IMAGE_TITLE EFXCAM_ERROR_TITLE("EfxCam_SetToImage")
#define SET_MRT_IMAGE_TITLE EFXCAM_ERROR_TITLE("EfxCam_SetMRTImage")

bool ImageFunctionsBound(const char* title)
{
    const HostFunctionTable& host = Host();
    if (host.GetExistEx && host.DeleteEx && host.MakeRenderTarget)
        return true;
    ShowMessage(title, "The host's image functions are not available");
    return false;
}

// Makes `image` a render target and fills `target` with its texture and level-0 surface. When the
// host gives no texture the target stays empty (image 0) and the script is told.
bool MakeTarget(CameraTarget& target, int image, int width, int height, int format, const char* title)
{
    IDirect3DTexture9* texture = Host().MakeRenderTarget(image, width, height, static_cast<D3DFORMAT>(format));
    if (!texture) {
        char text[128];
        std::snprintf(text, sizeof text, "Image %d could not be made a %d x %d render target", image, width, height);
        ShowMessage(title, text);
        target.image = 0;
        return false;
    }
    target.image = image;
    target.texture = Com<IDirect3DTexture9>::Adopt(texture);
    texture->GetSurfaceLevel(0, target.surface.put());
    target.format = format;
    return true;
}

// The number of consecutive filled slots counted from slot 1.
void RecountExtraTargets(EfxCamRecord& camera)
{
    int count = 0;
    for (int slot = 1; slot <= kExtraTargetSlots && HasImage(camera.extra[slot - 1]); ++slot)
        count = slot;
    camera.extraTargetCount = count;
}

int SetToImage(int camera, int image, int width, int height, int format)
{
    EfxCamRecord* record = CommandCamera(camera, SET_TO_IMAGE_TITLE);
    if (!record || !ImageFunctionsBound(SET_TO_IMAGE_TITLE))
        return 0;
    // A host image that already uses the number is replaced.
    if (Host().GetExistEx(image) == 1 && image != record->main.image)
        Host().DeleteEx(image);
    if (HasImage(record->main))
        ReleaseCameraTarget(record->main);

    if (image == 0 || !MakeTarget(record->main, image, width, height, FormatOrReferenceSurfaceFormat(format), SET_TO_IMAGE_TITLE)) {
        // Detached (or not made): no main target, and no extra target without one.
        record->main = {};
        record->width = record->height = 0;
        if (image == 0) {
            for (CameraTarget& slot : record->extra)
                ReleaseCameraTarget(slot);
            record->extraTargetCount = 0;
        }
        return 0;
    }
    record->viewport = {0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0.0f, 1.0f};
    record->width = width;
    record->height = height;
    return 0;
}

int SetMRTImage(int camera, int targetIndex, int image, int format)
{
    if (targetIndex < 1 || targetIndex > kExtraTargetSlots) {
        ShowMessage(SET_MRT_IMAGE_TITLE, "The specified TargetIndex is invalid, should range between 1 and 3");
        return 0;
    }
    EfxCamRecord* record = CommandCamera(camera, SET_MRT_IMAGE_TITLE);
    if (!record || !ImageFunctionsBound(SET_MRT_IMAGE_TITLE))
        return 0;
    if (!HasImage(record->main)) {
        ShowMessage(SET_MRT_IMAGE_TITLE, "Must call EfxCam_SetToImage to setup main target before calling this command");
        return 0;
    }
    CameraTarget& slot = record->extra[targetIndex - 1];
    if (HasImage(slot))
        ReleaseCameraTarget(slot);
    if (image != 0) {
        // Made at the main target's size; unlike the main target, an image already using the
        // number is left to the host.
        if (!MakeTarget(slot, image, record->width, record->height, FormatOrReferenceSurfaceFormat(format), SET_MRT_IMAGE_TITLE))
            slot = {};
    }
    RecountExtraTargets(*record);
    return 0;
}

} // namespace

RYXO_COMMAND EfxCam_SetToImageFormat(int camera, int image, int width, int height, int format)
{
    return SetToImage(camera, image, width, height, format);
}

RYXO_COMMAND EfxCam_SetToImage(int camera, int image, int width, int height)
{
    return SetToImage(camera, image, width, height, 0);
}

RYXO_COMMAND EfxCam_SetMRTImageFormat(int camera, int targetIndex, int image, int format)
{
    return SetMRTImage(camera, targetIndex, image, format);
}

RYXO_COMMAND EfxCam_SetMRTImage(int camera, int targetIndex, int image)
{
    return SetMRTImage(camera, targetIndex, image, 0);
}
