// Hands the camera being rendered to a mesh's effect before an instanced draw: view and projection
// with their products, inverses and transposes, the eye position, the alpha factor and the clip
// plane. World-dependent matrices are left alone: each instance brings its own world matrix.
#pragma once

#include "host_records.h"

// `camera` is the record of the camera being rendered; null is treated as a camera without a clip
// plane. Nothing is set when the mesh has no effect.
void SetDrawEffectMatrices(IDirect3DDevice9* device, const HostMesh* mesh, const HostCameraData* camera);

// The clip plane of `camera` as the instanced draw hands it over: for clip modes 3 and 4 the stored
// world-space plane normalised and carried into clip space through the camera's view and projection;
// for other non-zero modes the plane as stored. The camera's own plane is not changed.
D3DXPLANE DrawClipPlane(const HostCameraData& camera);
