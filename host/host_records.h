// Views of the host engine's records. The plugin reads and writes these fields in place; the byte
// offsets are as fixed as the host's exported functions, so each one is pinned below by a
// static_assert against its literal number. Everything not named here belongs to the host: the
// reserved ranges are never touched by the plugin. The reference host builds its records from these
// same definitions.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#define RYXO_PIN(Record, field, offset) \
    static_assert(offsetof(Record, field) == (offset), #Record "::" #field " must sit at byte " #offset)

// The block the host hands over through ReceiveCoreDataPtr.
struct HostCoreData {
    std::byte reserved0[64];
    HMODULE imageModule;                 // "DBProImageDebug.dll"
    std::byte reserved1[32];
    HMODULE basic3DModule;               // "DBProBasic3DDebug.dll"
    HMODULE cameraModule;                // "DBProCameraDebug.dll"
    std::byte reserved2[644];
    IDirect3DSurface9* referenceSurface; // its format stands for a format argument of 0
    std::byte reserved3[40];
    int32_t currentCamera;               // camera being rendered right now, 0 = main camera
    std::byte reserved4[84];
    int32_t fogEnabled;                  // 1 = the host's fog is on
    std::byte reserved5[124];
};
RYXO_PIN(HostCoreData, imageModule, 64);
RYXO_PIN(HostCoreData, basic3DModule, 100);
RYXO_PIN(HostCoreData, cameraModule, 104);
RYXO_PIN(HostCoreData, referenceSurface, 752);
RYXO_PIN(HostCoreData, currentCamera, 796);
RYXO_PIN(HostCoreData, fogEnabled, 884);

struct HostEffect;
struct HostTextureStage;

// The mesh's vertex and index buffers, reached from HostMesh::drawBuffer.
struct HostDrawBuffer {
    IDirect3DVertexBuffer9* vertexBuffer; // 0 = the host has not built the mesh yet
    IDirect3DIndexBuffer9* indexBuffer;   // 0 = drawn without indices
    std::byte reserved0[8];
    int32_t vertexCount;                  // sizes the plugin's sequential index buffer
    std::byte reserved1[12];
};
RYXO_PIN(HostDrawBuffer, vertexBuffer, 0);
RYXO_PIN(HostDrawBuffer, indexBuffer, 4);
RYXO_PIN(HostDrawBuffer, vertexCount, 16);

// Host image numbers may be negative: 0 is the only one that means no image.
inline bool IsHostImage(int32_t image) { return image != 0; }

// One texture stage of a mesh; entry n lies 328 x n bytes after HostMesh::textureStages.
struct HostTextureStage {
    std::byte reserved0[256];
    int32_t image;                     // image number shown here, 0 = texture set directly
    IDirect3DBaseTexture9* texture;    // texture bound at this stage
    IUnknown* secondTexture;           // released and cleared when a cube texture is applied
    int32_t deviceStage;               // device texture stage the entry applies to
    D3DTEXTUREOP colorOp;
    DWORD colorArg1;
    DWORD colorArg2;
    std::byte reserved1[8];
    D3DTEXTUREFILTERTYPE magFilter;
    D3DTEXTUREFILTERTYPE minFilter;
    D3DTEXTUREFILTERTYPE mipFilter;
    int32_t textureMode;               // 2 for cube textures
    std::byte reserved2[20];
};
RYXO_PIN(HostTextureStage, image, 256);
RYXO_PIN(HostTextureStage, texture, 260);
RYXO_PIN(HostTextureStage, secondTexture, 264);
RYXO_PIN(HostTextureStage, deviceStage, 268);
RYXO_PIN(HostTextureStage, colorOp, 272);
RYXO_PIN(HostTextureStage, colorArg1, 276);
RYXO_PIN(HostTextureStage, colorArg2, 280);
RYXO_PIN(HostTextureStage, magFilter, 292);
RYXO_PIN(HostTextureStage, minFilter, 296);
RYXO_PIN(HostTextureStage, mipFilter, 300);
RYXO_PIN(HostTextureStage, textureMode, 304);
static_assert(sizeof(HostTextureStage) == 328, "texture-stage entries are 328 bytes apart");

// One mesh of a host object.
struct HostMesh {
    std::byte reserved0[4];
    DWORD fvf;                          // used when the mesh has no vertex declaration
    int32_t vertexSize;                 // stream 0 stride
    std::byte reserved1[12];
    int32_t indexCount;                 // 0 = drawn without indices
    std::byte reserved2[8];
    D3DPRIMITIVETYPE primitiveType;
    int32_t vertexCount;
    int32_t primitiveCount;
    HostDrawBuffer* drawBuffer;
    std::byte reserved3[16];
    D3DVERTEXELEMENT9 vertexElements[64]; // valid when vertexDeclaration is set
    std::byte reserved4[12];
    IDirect3DVertexDeclaration9* vertexDeclaration; // 0 = described by the FVF only
    std::byte reserved5[4];
    HostEffect* effect;                 // 0 (or negative) = none
    std::byte reserved6[284];
    int8_t usesMaterial;
    int8_t hasDiffuseColor;             // 1 = its alpha is used
    std::byte reserved7[2];
    int32_t textureStageCount;
    std::byte reserved8[4];
    D3DCOLOR diffuseColor;
    HostTextureStage* textureStages;
    std::byte reserved9[8];
    D3DMATERIAL9 material;
    std::byte reserved10[52];
    int8_t wireframe;
    std::byte reserved11[1];
    int8_t cullCounterClockwise;        // 0 = no culling, unless cullMode is 3
    int8_t fog;
    std::byte reserved12[1];
    int8_t transparent;                 // 1 = alpha blending with alpha test
    std::byte reserved13[2];
    int32_t alphaTestChoice;            // 0 = pass alpha > 0, otherwise alpha >= a reference
    int8_t ghost;
    std::byte reserved14[1];
    int8_t depthRead;
    int8_t depthWrite;
    int32_t ghostMode;                  // 0 to 5
    int8_t depthBiasEnabled;
    std::byte reserved15[3];
    float slopeScaleDepthBias;
    float depthBias;
    int32_t cullMode;                   // 3 = cull clockwise faces
    std::byte reserved16[4];
    float mipLodBias;
    std::byte reserved17[4];
};
RYXO_PIN(HostMesh, fvf, 4);
RYXO_PIN(HostMesh, vertexSize, 8);
RYXO_PIN(HostMesh, indexCount, 24);
RYXO_PIN(HostMesh, primitiveType, 36);
RYXO_PIN(HostMesh, vertexCount, 40);
RYXO_PIN(HostMesh, primitiveCount, 44);
RYXO_PIN(HostMesh, drawBuffer, 48);
RYXO_PIN(HostMesh, vertexElements, 68);
RYXO_PIN(HostMesh, vertexDeclaration, 592);
RYXO_PIN(HostMesh, effect, 600);
RYXO_PIN(HostMesh, usesMaterial, 888);
RYXO_PIN(HostMesh, hasDiffuseColor, 889);
RYXO_PIN(HostMesh, textureStageCount, 892);
RYXO_PIN(HostMesh, diffuseColor, 900);
RYXO_PIN(HostMesh, textureStages, 904);
RYXO_PIN(HostMesh, material, 916);
RYXO_PIN(HostMesh, wireframe, 1036);
RYXO_PIN(HostMesh, cullCounterClockwise, 1038);
RYXO_PIN(HostMesh, fog, 1039);
RYXO_PIN(HostMesh, transparent, 1041);
RYXO_PIN(HostMesh, alphaTestChoice, 1044);
RYXO_PIN(HostMesh, ghost, 1048);
RYXO_PIN(HostMesh, depthRead, 1050);
RYXO_PIN(HostMesh, depthWrite, 1051);
RYXO_PIN(HostMesh, ghostMode, 1052);
RYXO_PIN(HostMesh, depthBiasEnabled, 1056);
RYXO_PIN(HostMesh, slopeScaleDepthBias, 1060);
RYXO_PIN(HostMesh, depthBias, 1064);
RYXO_PIN(HostMesh, cullMode, 1068);
RYXO_PIN(HostMesh, mipLodBias, 1076);

// Index of each matrix parameter handle in HostEffect::matrixHandles.
enum HostEffectMatrix : int {
    kWorld, kView, kProjection, kWorldView, kViewProjection, kWorldViewProjection,
    kWorldInverse, kViewInverse, kWorldViewInverse,
    kWorldTranspose, kViewTranspose, kProjectionTranspose, kWorldViewTranspose,
    kViewProjectionTranspose, kWorldViewProjectionTranspose, kWorldInverseTranspose,
    kViewInverseTranspose, kWorldViewInverseTranspose,
    kHostEffectMatrixCount
};

// The effect record of a mesh.
struct HostEffect {
    std::byte reserved0[4];
    ID3DXEffect* effect;
    std::byte reserved1[256];
    D3DXEFFECT_DESC description;        // Parameters bounds parameter scans
    int32_t expectsTransposed;          // non-zero = hand over transposed matrices
    D3DXHANDLE matrixHandles[kHostEffectMatrixCount]; // 0 = absent
    std::byte reserved2[12];
    D3DXHANDLE eyePosition;
    D3DXHANDLE eyePosition2;
    D3DXHANDLE alphaFactor;
    D3DXHANDLE zeroFloat1;              // set to 0.0 before each draw
    D3DXHANDLE zeroFloat2;              // set to 0.0 before each draw
    D3DXHANDLE clipPlane;
    std::byte reserved3[24];
};
RYXO_PIN(HostEffect, effect, 4);
RYXO_PIN(HostEffect, description, 264);
static_assert(offsetof(HostEffect, description) + offsetof(D3DXEFFECT_DESC, Parameters) == 268,
              "the effect's parameter count must sit at byte 268");
RYXO_PIN(HostEffect, expectsTransposed, 280);
RYXO_PIN(HostEffect, matrixHandles, 284);
RYXO_PIN(HostEffect, eyePosition, 368);
RYXO_PIN(HostEffect, eyePosition2, 372);
RYXO_PIN(HostEffect, alphaFactor, 376);
RYXO_PIN(HostEffect, zeroFloat1, 380);
RYXO_PIN(HostEffect, zeroFloat2, 384);
RYXO_PIN(HostEffect, clipPlane, 388);

// A host camera's record, returned by GetInternalData.
struct HostCameraData {
    D3DXMATRIX projection;
    D3DXMATRIX view;
    std::byte reserved0[36];
    float positionX;
    float positionY;
    float positionZ;
    std::byte reserved1[48];
    int32_t renderIntoSurface;          // 1 = render into `surface`
    int32_t surfaceGroup1;              // 0 while the plugin renders cube faces
    IDirect3DSurface9* surface;
    int32_t surfaceGroup2;
    int32_t surfaceGroup3;
    std::byte reserved2[108];
    float angleX;                       // degrees
    float angleY;
    float angleZ;
    float aspect;
    std::byte reserved3[4];
    float fieldOfView;                  // degrees
    float nearRange;
    float farRange;
    std::byte reserved4[68];
    int32_t clipMode;                   // 0 = none; 3 or 4 = the plane is in world space
    D3DXPLANE clipPlane;
    std::byte reserved5[40];
};
RYXO_PIN(HostCameraData, projection, 0);
RYXO_PIN(HostCameraData, view, 64);
RYXO_PIN(HostCameraData, positionX, 164);
RYXO_PIN(HostCameraData, positionY, 168);
RYXO_PIN(HostCameraData, positionZ, 172);
RYXO_PIN(HostCameraData, renderIntoSurface, 224);
RYXO_PIN(HostCameraData, surfaceGroup1, 228);
RYXO_PIN(HostCameraData, surface, 232);
RYXO_PIN(HostCameraData, surfaceGroup2, 236);
RYXO_PIN(HostCameraData, surfaceGroup3, 240);
RYXO_PIN(HostCameraData, angleX, 352);
RYXO_PIN(HostCameraData, angleY, 356);
RYXO_PIN(HostCameraData, angleZ, 360);
RYXO_PIN(HostCameraData, aspect, 364);
RYXO_PIN(HostCameraData, fieldOfView, 372);
RYXO_PIN(HostCameraData, nearRange, 376);
RYXO_PIN(HostCameraData, farRange, 380);
RYXO_PIN(HostCameraData, clipMode, 452);
RYXO_PIN(HostCameraData, clipPlane, 456);

// An object's record, returned by GetObjectA.
struct sObject {
    int32_t meshCount;                  // entries in meshList
    std::byte reserved0[4];
    HostMesh** meshList;                // entry i is the mesh of limb i
    std::byte reserved1[764];
    D3DXMATRIX world;                   // its address may be kept and read at render time
    std::byte reserved2[64];
};
RYXO_PIN(sObject, meshCount, 0);
RYXO_PIN(sObject, meshList, 8);
RYXO_PIN(sObject, world, 776);
