// Rendering the faces of a cube texture through a borrowed host camera: the camera is put at the
// cube's point with a square 90-degree view, told to render into each face's surface in turn, and
// put back exactly as it was. All four cube rendering commands share this.
#pragma once

#include <cstdint>

#include "cube_tex_record.h"
#include "host_records.h"

inline constexpr int kCubeFaceCount = 6;
inline constexpr uint32_t kAllCubeFaces = 0x3F;

// The camera angles (degrees) that bring a host camera to look along each face's axis with the
// Direct3D cube-map up vector, in D3DCUBEMAP_FACES order.
struct CubeFaceAngles {
    float x, y, z;
};
inline constexpr CubeFaceAngles kCubeFaceAngles[kCubeFaceCount] = {
    {0.0f, 90.0f, 0.0f},  // +X, up +Y
    {0.0f, -90.0f, 0.0f}, // -X, up +Y
    {-90.0f, 0.0f, 0.0f}, // +Y, up -Z
    {90.0f, 0.0f, 0.0f},  // -Y, up +Z
    {0.0f, 0.0f, 0.0f},   // +Z, up +Y
    {0.0f, 180.0f, 0.0f}, // -Z, up +Y
};

struct CubeRenderRequest {
    IDirect3DDevice9* device;
    HostCameraData* camera;    // the record of camera number `cameraNumber`
    CubeTexRecord* cube;
    // Cube textures whose same face becomes render target 1, 2, 3: a chain already cut at its
    // first gap, so further[k] is set only when every one before it is.
    CubeTexRecord* further[3];
    int cameraNumber;          // 0 to 31
    uint32_t faceMask;         // bit n: render face n; bits above 5 are ignored
    bool storeAspect;          // the face-mask commands also write 1.0 into the aspect field
};

void RenderCubeFaces(const CubeRenderRequest& request);

// The checks every cube rendering command makes after its handles', before anything is rendered:
// the camera is one the sync mask can name and the host has, and the host has a device and the
// functions rendering calls. Fills in the request's device and camera. False when refused: after a
// message under `title` for the camera, silently for what the host lacks (its loading said so).
bool PrepareCubeRendering(CubeRenderRequest& request, int camera, const char* title);
