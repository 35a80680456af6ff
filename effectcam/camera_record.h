// An effect camera: a numbered off-screen camera that draws one host object, with the object's
// effect, into host images (a main target and up to three extra targets) from its own position,
// rotation and projection. The record is plain data; the commands in this folder keep its fields
// consistent and the camera table (camera_table.h) owns the 32 records.
#pragma once

#include <cstdint>

#include <d3d9.h>
#include <d3dx9.h>

#include "com.h"
#include "host_records.h"
#include "drawing/texture_parameters.h"

inline constexpr int kEfxCamCount = 32;
inline constexpr int kExtraTargetSlots = 3; // render targets 1 to 3

// A host image the camera draws into. The record holds one reference on the texture the host's
// MakeRenderTarget returned and one on its level-0 surface.
struct CameraTarget {
    int32_t image;                       // host image number, 0 = none
    Com<IDirect3DTexture9> texture;
    Com<IDirect3DSurface9> surface;
    int32_t format;                      // D3DFORMAT
};

inline bool HasImage(const CameraTarget& target) { return IsHostImage(target.image); }

struct EfxCamRecord {
    int32_t exists;                      // 1 = made, 0 = slot free
    int32_t backdropEnabled;             // non-zero = clear the view port before drawing
    D3DCOLOR backdropColor;

    // Projection (rebuilt when projectionDirty is set).
    float aspect;
    float fieldOfView;                   // radians
    float nearRange;
    float farRange;

    // View (rebuilt when viewDirty is set).
    float position[3];
    float rotation[3];                   // degrees: x = pitch, y = yaw, z unused
    float lookAt[3];                     // position + viewing direction, from the last rebuild
    float up[3];                         // always (0, 1, 0)
    int32_t viewDirty;
    int32_t projectionDirty;
    D3DMATRIX view;
    D3DMATRIX projection;
    D3DMATRIX viewProjection;            // view x projection

    const D3DMATRIX* worldMatrix;        // the bound object's world matrix (borrowed)
    D3DVIEWPORT9 viewport;

    CameraTarget main;                   // render target 0
    int32_t width;                       // of the main target; extra targets are made this size
    int32_t height;
    int32_t extraTargetCount;            // consecutive filled slots from slot 1, bound when drawing
    CameraTarget extra[kExtraTargetSlots]; // slot j at index j - 1

    // The bound object (EfxCam_SetObject).
    int32_t object;
    HostMesh* mesh;                      // its first mesh (borrowed); null = no object
    ID3DXEffect* effect;                 // the effect the texture parameters were collected from
    int32_t textureParameterCount;       // 0 to 8
    D3DXHANDLE textureParameters[kMaxTextureParameters];
};
