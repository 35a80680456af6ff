// Hands a camera's matrices to the effect of the object it draws, in place of the host camera's:
// world, view and projection with their products, inverses and transposes, the eye position, the
// alpha factor and the two zero floats, each to the parameter whose handle the host's effect record
// holds. User clip planes are switched off for the camera's drawing.
#pragma once

#include "camera_record.h"

// `world` is the object's current world matrix. The effect is the one the camera record holds,
// which the caller has checked is still the mesh's. Nothing is set, on the effect or the device,
// when the camera has no effect.
void SetCameraEffectMatrices(IDirect3DDevice9* device, const EfxCamRecord& camera, const D3DMATRIX& world);
