// How a camera's position, rotation and projection settings become its matrices.
#pragma once

#include "camera_record.h"

// pi / 180 as a single-precision float: the factor that turns the rotation's degrees into radians.
inline constexpr float kDegreesToRadians = 0.0174532924f;

// Rebuilds the view matrix (and the look-at point) when the view is dirty, the projection when it
// is dirty, and view x projection when either was; then clears both flags. A camera with neither
// flag keeps its matrices as they are.
void RebuildCameraView(EfxCamRecord& camera);
