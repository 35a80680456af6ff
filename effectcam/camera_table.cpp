#include "camera_table.h"

#include <array>

#include "message_box.h"
#include "plugin_state.h"

namespace {

std::array<EfxCamRecord, kEfxCamCount>& Table()
{
    static std::array<EfxCamRecord, kEfxCamCount> table{};
    return table;
}

} // namespace

EfxCamRecord* CameraSlot(int camera)
{
    if (camera < 0 || camera >= kEfxCamCount)
        return nullptr;
    return &Table()[camera];
}

EfxCamRecord* CommandCamera(int camera, const char* title)
{
    EfxCamRecord* record = CameraSlot(camera);
    if (!record || !record->exists) {
        ShowMessage(title, kNoSuchCameraText);
        return nullptr;
    }
    return record;
}

uint32_t& CameraSyncMask()
{
    static uint32_t mask = 1;
    return mask;
}

void ReleaseCameraTarget(CameraTarget& target)
{
    target.surface.reset();
    target.texture.reset();
    if (HasImage(target) && Host().DeleteEx)
        Host().DeleteEx(target.image);
    target.image = 0;
}

void StartEffectCameras()
{
    Table().fill({});
    CameraSyncMask() = 1;
}

// Every camera is forgotten; the surfaces and textures the records hold are released (not the
// host images, which belong to the host), because the host cannot reset its device while
// default-pool objects are still referenced.
void ResetEffectCamerasAfterDeviceLoss()
{
    Table().fill({});
    CameraSyncMask() = 0xFFFFFFFFu;
}

// At unload the device may be gone: references are dropped without a call into it.
void ForgetEffectCameras()
{
    for (EfxCamRecord& camera : Table()) {
        camera.main.surface.abandon();
        camera.main.texture.abandon();
        for (CameraTarget& slot : camera.extra) {
            slot.surface.abandon();
            slot.texture.abandon();
        }
    }
    Table().fill({});
    CameraSyncMask() = 1;
}
