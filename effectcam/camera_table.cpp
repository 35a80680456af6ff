#include "camera_table.h"

int32_t& CameraSyncMask()
{
    static int32_t mask = 1;
    return mask;
}

void StartEffectCameras() { CameraSyncMask() = 1; }

void ResetEffectCamerasAfterDeviceLoss() { CameraSyncMask() = -1; }

void ForgetEffectCameras() { CameraSyncMask() = 1; }
