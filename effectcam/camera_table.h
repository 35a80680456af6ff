// The effect camera table and the camera sync mask: which effect cameras EfxCam_Sync draws.
#pragma once

#include <cstdint>

// Bit n selects effect camera n. 1 (camera 0) at load; all ones after a device loss.
int32_t& CameraSyncMask();

// The family's lifetime operations (plugin/family_lifetime.h).
void StartEffectCameras();
void ResetEffectCamerasAfterDeviceLoss();
void ForgetEffectCameras();
