// Making and deleting effect cameras, their view settings, view port and backdrop, and the mask of
// cameras EfxCam_Sync draws.
#include "camera_table.h"
#include "exports.h"
#include "message_box.h"

RYXO_COMMAND EfxCam_MakeNew(int camera)
{
    EfxCamRecord* record = CameraSlot(camera);
    if (!record) {
        ShowMessage(EFXCAM_ERROR_TITLE("EfxCam_MakeNew"), kNoSuchCameraText);
        return 0;
    }
    if (record->exists) {
        ShowMessage(EFXCAM_ERROR_TITLE("EfxCam_MakeNew"), "The Specified EfxCam Already Exists");
        return 0;
    }
    // Everything else keeps its value: a number used before keeps that camera's position, rotation
    // and view port.
    record->exists = 1;
    record->backdropEnabled = 1;
    record->backdropColor = 0;
    record->lookAt[0] = 0.0f, record->lookAt[1] = 0.0f, record->lookAt[2] = 1.0f;
    record->up[0] = 0.0f, record->up[1] = 1.0f, record->up[2] = 0.0f;
    record->viewDirty = 1;
    record->projectionDirty = 1;
    return 0;
}

RYXO_COMMAND EfxCam_Delete(int camera)
{
    EfxCamRecord* record = CommandCamera(camera, EFXCAM_ERROR_TITLE("EfxCam_Delete"));
    if (!record)
        return 0;
    if (HasImage(record->main))
        ReleaseCameraTarget(record->main);
    // Every slot that holds an image, whatever the count.
    for (CameraTarget& slot : record->extra)
        ReleaseCameraTarget(slot);
    record->extraTargetCount = 0;

    record->object = 0;
    record->mesh = nullptr;
    record->effect = nullptr;
    record->worldMatrix = nullptr;
    record->textureParameterCount = 0;

    // Position, rotation and view port stay for a camera made again under this number.
    record->backdropEnabled = 0;
    record->backdropColor = 0;
    record->aspect = 0.0f;
    record->fieldOfView = 0.0f;
    record->nearRange = 0.0f;
    record->farRange = 0.0f;
    record->exists = 0;
    return 0;
}

RYXO_COMMAND EfxCam_GetExist(int camera)
{
    const EfxCamRecord* record = CameraSlot(camera);
    return record ? record->exists : 0;
}

RYXO_COMMAND EfxCam_SetBackdropEnabled(int camera, int flag)
{
    if (EfxCamRecord* record = CommandCamera(camera, EFXCAM_ERROR_TITLE("EfxCam_SetBackdropEnabled")))
        record->backdropEnabled = flag;
    return 0;
}

RYXO_COMMAND EfxCam_SetBackdropColor(int camera, int colour)
{
    if (EfxCamRecord* record = CommandCamera(camera, EFXCAM_ERROR_TITLE("EfxCam_SetBackdropColor")))
        record->backdropColor = static_cast<D3DCOLOR>(colour);
    return 0;
}

RYXO_COMMAND EfxCam_SetAspect(int camera, float aspect)
{
    if (EfxCamRecord* record = CommandCamera(camera, EFXCAM_ERROR_TITLE("EfxCam_SetAspect"))) {
        record->aspect = aspect;
        record->projectionDirty = 1;
    }
    return 0;
}

RYXO_COMMAND EfxCam_SetFOV(int camera, float fieldOfView)
{
    if (EfxCamRecord* record = CommandCamera(camera, EFXCAM_ERROR_TITLE("EfxCam_SetFOV"))) {
        record->fieldOfView = fieldOfView;
        record->projectionDirty = 1;
    }
    return 0;
}

RYXO_COMMAND EfxCam_SetRange(int camera, float nearRange, float farRange)
{
    if (EfxCamRecord* record = CommandCamera(camera, EFXCAM_ERROR_TITLE("EfxCam_SetRange"))) {
        record->nearRange = nearRange;
        record->farRange = farRange;
        record->projectionDirty = 1;
    }
    return 0;
}

RYXO_COMMAND EfxCam_SetPosition(int camera, float x, float y, float z)
{
    if (EfxCamRecord* record = CommandCamera(camera, EFXCAM_ERROR_TITLE("EfxCam_SetPosition"))) {
        record->position[0] = x, record->position[1] = y, record->position[2] = z;
        record->viewDirty = 1;
    }
    return 0;
}

RYXO_COMMAND EfxCam_SetRotation(int camera, float x, float y, float z)
{
    if (EfxCamRecord* record = CommandCamera(camera, EFXCAM_ERROR_TITLE("EfxCam_SetRotation"))) {
        record->rotation[0] = x, record->rotation[1] = y, record->rotation[2] = z;
        record->viewDirty = 1;
    }
    return 0;
}

RYXO_COMMAND EfxCam_SetView(int camera, int left, int top, int right, int bottom)
{
    EfxCamRecord* record = CommandCamera(camera, EFXCAM_ERROR_TITLE("EfxCam_SetView"));
    if (!record)
        return 0;
    // 32-bit arithmetic: right < left wraps, and is stored as it comes out.
    record->viewport.X = static_cast<DWORD>(left);
    record->viewport.Y = static_cast<DWORD>(top);
    record->viewport.Width = static_cast<DWORD>(right) - static_cast<DWORD>(left);
    record->viewport.Height = static_cast<DWORD>(bottom) - static_cast<DWORD>(top);
    return 0;
}

RYXO_COMMAND EfxCam_SyncMask(int mask)
{
    CameraSyncMask() = static_cast<uint32_t>(mask);
    return 0;
}
