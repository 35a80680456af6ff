// Hands the camera being rendered to a mesh's effect before an instanced draw: view and projection
// with their products, inverses and transposes, the eye position, the alpha factor and the clip
// plane. World-dependent matrices are left alone: each instance brings its own world matrix.
#pragma once

#include <optional>

#include "host_records.h"

// What every set drawn for one camera receives, read from the device and derived once per camera
// pass: the device's view and projection stay as they are between the sets of a pass (the plugin
// sets no transform, and an effect's End restores what its passes changed), so the values are the
// same, bit for bit, as reading and deriving them again for each set.
struct DrawCameraValues {
    D3DXMATRIX view, projection, viewProjection, viewInverse;
    D3DXMATRIX viewTranspose, projectionTranspose, viewProjectionTranspose, viewInverseTranspose;
    D3DXVECTOR4 eye;     // taken from the view inverse before any transposing
    bool clips;          // the camera has a clip mode; false without a camera record
    D3DXPLANE clipPlane; // DrawClipPlane of the camera when it clips
};

// The camera of one GeoInst_Sync run: its host record (null counts as a camera without a clip
// plane) and its values, read by the first set drawn and reused by the others.
struct DrawCamera {
    const HostCameraData* record = nullptr;
    std::optional<DrawCameraValues> values;
};

// Reads the device's view and projection (two GetTransform calls) and derives the rest.
DrawCameraValues ReadDrawCameraValues(IDirect3DDevice9* device, const HostCameraData* camera);

// Hands `camera`'s values to `effect`, the mesh's effect as the draw looked it up, reading them
// from the device first when this is the first set of the pass. Nothing is set (and nothing read)
// when the mesh has no effect.
void SetDrawEffectMatrices(IDirect3DDevice9* device, ID3DXEffect* effect, const HostMesh* mesh, DrawCamera& camera);

// The same for a single draw: looks the mesh's effect up, reads the values and hands them over.
void SetDrawEffectMatrices(IDirect3DDevice9* device, const HostMesh* mesh, const HostCameraData* camera);

// The clip plane of `camera` as the instanced draw hands it over: for clip modes 3 and 4 the stored
// world-space plane normalised and carried into clip space through the camera's view and projection;
// for the other modes above 0 the plane as stored. The camera's own plane is not changed.
D3DXPLANE DrawClipPlane(const HostCameraData& camera);

// A camera clips its instance sets when its clip mode is above 0. Mode 0, and a negative mode (which
// the host never writes), hand the shader the plane nothing reaches and leave the device's plane alone.
inline bool CameraClips(const HostCameraData* camera) { return camera && camera->clipMode > 0; }
