// The effect camera table (32 records, the camera number is the index) and the camera sync mask:
// which effect cameras EfxCam_Sync draws.
#pragma once

#include <cstdint>

#include "camera_record.h"

inline constexpr const char* kNoSuchCameraText = "The Specified EfxCam Does Not Exist";

// The message title of a command: its script name followed by " Error".
#define EFXCAM_ERROR_TITLE(scriptName) scriptName " Error"

// The record of camera `camera`, or null for numbers outside 0 to 31.
EfxCamRecord* CameraSlot(int camera);

// The existing camera `camera` names, or null after showing (title, "The Specified EfxCam Does Not
// Exist") for an absent camera or a number outside the table.
EfxCamRecord* CommandCamera(int camera, const char* title);

// Bit n selects effect camera n. 1 (camera 0) at load; all ones after a device loss.
uint32_t& CameraSyncMask();

// Gives a target's references back and asks the host to delete its image: surface, texture,
// then DeleteEx. The slot is empty afterwards.
void ReleaseCameraTarget(CameraTarget& target);

// The family's lifetime operations (plugin/family_lifetime.h).
void StartEffectCameras();
void ResetEffectCamerasAfterDeviceLoss();
void ForgetEffectCameras();
