// The reference host: our own small engine in place of the real one. It owns a Direct3D 9 device
// in a hidden window, the HostCoreData block, objects, cameras, images and the render list, and
// drives a plugin exactly as the real engine does. Tests, the demo and the benchmarks use this API;
// the five host libraries (refhost/libraries) expose it to plugins under the engine's own names.
#pragma once

#include <string>
#include <vector>

#include <windows.h>
#include <d3d9.h>

#include "host_records.h"

#ifdef REFHOST_BUILDING
#define REFHOST_API __declspec(dllexport)
#else
#define REFHOST_API __declspec(dllimport)
#endif

namespace refhost {

// Where the host contract leaves a choice to the engine, the defaults are the least kind form the
// contract allows (docs/host_behaviours.md lists them); a test that needs the kind form asks for it.
struct HostOptions {
    int width = 256;   // back buffer and main camera size
    int height = 256;
    // Off: an object's vertex and index buffers reach its draw buffer when the renderer first
    // draws it (visible, in a camera's render). On: MakeObject hands them over at once.
    bool buffersAtMake = false;
    // Off: camera 0 renders into the back buffer, with the back buffer's depth buffer. On: into a
    // texture of its own, like every other camera.
    bool cameraZeroToTexture = false;
    // The back buffer's multisampling (0 = none); a device without it gets none.
    D3DMULTISAMPLE_TYPE backBufferSamples = D3DMULTISAMPLE_4_SAMPLES;
    // Off: the host's own objects' effects get world, view and projection (and their textures)
    // only. On: every parameter the effect record has a handle for.
    bool feedsEverySemantic = false;
};

// The kind forms a test may switch while the host runs (see HostOptions); a test that switches one
// puts it back.
REFHOST_API void SetBuffersAtMake(bool on);
REFHOST_API void SetFeedsEverySemantic(bool on);

// Creates the window, the device and the core data, and loads the host libraries whose module
// handles the core data carries. False (with a line on stderr) when the device cannot be made.
REFHOST_API bool Start(const HostOptions& options = {});
// Releases everything Start made and everything made since.
REFHOST_API void Stop();

REFHOST_API HostCoreData* CoreData();
// The IDirect3D9 GetDirect3D hands out: the real one, or the override a test installed.
REFHOST_API IDirect3D9* Direct3D();
REFHOST_API IDirect3D9* RealDirect3D();
// Hands `d3d` out instead of the real one (null restores the real one). No reference is taken.
REFHOST_API void SetDirect3DOverride(IDirect3D9* d3d);
// The device GetDirect3DDevice hands out: the real one, or the override a test installed.
REFHOST_API IDirect3DDevice9* Device();
REFHOST_API IDirect3DDevice9* RealDevice();
// Hands `device` out instead of the real one (null restores the real one). No reference is taken.
REFHOST_API void SetDeviceOverride(IDirect3DDevice9* device);

// Render list: callbacks the engine calls, lowest order first, while it renders each camera.
using RenderCallback = int(__cdecl*)();
REFHOST_API void AddToRenderList(void* callback, int order);
REFHOST_API void RemoveFromRenderList(void* callback);
// Removes every callback that lies inside `module` (a plugin being unloaded).
REFHOST_API void RemoveRenderCallbacksOf(HMODULE module);
// How often AddToRenderList was called with `callback`, and the order given the last time.
REFHOST_API int RenderListRegistrations(void* callback, int* lastOrder = nullptr);

REFHOST_API void SetSyncMask(DWORD mask);
REFHOST_API DWORD SyncMask();

// Limits every camera's clear and drawing to `rect` (in the camera target's pixels) with the
// scissor test, set after the camera's render target, which resets the scissor rectangle; null
// draws whole targets again. Benchmarks use a one-pixel rectangle to leave out the rasterising.
REFHOST_API void SetFrameScissor(const RECT* rect);

// ---- The engine's side of the 22 host functions (see refhost/libraries) ----
// Objects
REFHOST_API sObject* GetObjectRecord(int object);
REFHOST_API void DisableZDepth(int object);
REFHOST_API void DisableZRead(int object);
REFHOST_API void DisableZWrite(int object);
REFHOST_API void SetObjectEffect(int object, int effect);
REFHOST_API void SetTextureStage(int object, int stage, int image);
REFHOST_API void TextureLimbStage(int object, int limb, int stage, int image);
// Statistics of the last render: code 1 = primitives, code 5 = draw calls.
REFHOST_API int GetStatistic(int code);
// The same, as plugins call it through the host library: noted in the host call log.
REFHOST_API int GetStatisticForPlugin(int code);
// Cameras
REFHOST_API HostCameraData* GetCameraData(int camera);
REFHOST_API void PointCamera(int camera, float x, float y, float z);
REFHOST_API void SetCameraAspect(int camera, float aspect);
// Images
REFHOST_API IDirect3DTexture9* MakeRenderTarget(int image, int width, int height, D3DFORMAT format);
REFHOST_API IDirect3DTexture9* GetImagePointer(int image);
REFHOST_API int GetImageExists(int image);
REFHOST_API void DeleteImage(int image);
// What the engine does once its device is lost (after telling plugins through D3DDeviceLost): it
// gives back every default-pool object it owns (camera targets, render-target images' textures,
// depth buffers, the reference surface), resets the device, and makes them again under the same
// numbers and sizes. The result is Reset's: it fails while any default-pool resource is still
// alive, and the objects then stay given back until a later call succeeds.
REFHOST_API HRESULT ResetDevice();
// Renders every camera of the sync mask once. The engine draws through its real device, never
// through a device override a test installed.
REFHOST_API void FastSync();

// ---- Building scenes (tests, demo, benchmarks) ----

enum class Shape { Cube, Sphere, Plane };

// How MakeObject builds an object: its shape and the layout of every limb mesh.
struct MeshDescription {
    Shape shape = Shape::Cube;
    float size = 1.0f;             // cube edge, sphere diameter, plane side (the plane faces -Z)
    bool useDeclaration = false;   // vertex declaration (elements filled, fvf 0) instead of an FVF
    bool indexed = true;           // false: indexCount 0 and no index buffer
    bool normals = true;
    int texCoordSets = 0;          // TEXCOORD0 and further float2 sets
    bool vertexColour = false;     // a per-vertex diffuse colour (`colour`)
    D3DCOLOR colour = 0xFFFFFFFF;  // the meshes' diffuse colour and material
    bool useMaterial = false;      // the mesh's usesMaterial flag
    int limbs = 1;                 // meshList entries, each the same shape
    float limbSpacing = 0.0f;      // limb i is moved by i * limbSpacing along X
    int textureStages = 0;         // texture-stage entries per mesh
    int image = 0;                 // image shown at every entry (0 = none)
    int sphereRings = 12;
    int sphereSegments = 16;
};

// Objects. Numbers are the host's; making an existing number replaces that object.
REFHOST_API bool MakeObject(int object, const MeshDescription& meshDescription);
REFHOST_API void DeleteObject(int object);
REFHOST_API bool ObjectExists(int object);
REFHOST_API void SetObjectPosition(int object, float x, float y, float z);
REFHOST_API void SetObjectRotation(int object, float xDegrees, float yDegrees, float zDegrees);
REFHOST_API void SetObjectScale(int object, float x, float y, float z);
REFHOST_API void HideObject(int object);
REFHOST_API void ShowObject(int object);
// Sets the diffuse colour (and material) of every limb.
REFHOST_API void SetObjectColour(int object, D3DCOLOR colour);
// The mesh of one limb, for tests that set its render-state flags; null when absent.
REFHOST_API HostMesh* GetLimbMesh(int object, int limb);

// Effects: a HostEffect record around any ID3DXEffect (the record holds one reference). The
// record's handles are found through the effect's parameter names and semantics.
REFHOST_API HostEffect* AddEffect(int effectNumber, ID3DXEffect* effect);
REFHOST_API HostEffect* GetEffectRecord(int effectNumber);
REFHOST_API void DeleteEffect(int effectNumber);
// Effects from descriptions and effect files are the host effects library's (refhost/host_effects).

// Images. MakeImage makes a plain texture filled with one colour.
REFHOST_API IDirect3DTexture9* MakeImage(int image, int width, int height, D3DCOLOR colour);

// Cameras. Camera 0 exists from Start; width/height 0 = the host size.
REFHOST_API bool MakeCamera(int camera, int width = 0, int height = 0);
REFHOST_API void DeleteCamera(int camera);
REFHOST_API bool CameraExists(int camera);
REFHOST_API void SetCameraPosition(int camera, float x, float y, float z);
REFHOST_API void SetCameraRotation(int camera, float xDegrees, float yDegrees, float zDegrees);
REFHOST_API void SetCameraFieldOfView(int camera, float degrees);
REFHOST_API void SetCameraRange(int camera, float nearRange, float farRange);
REFHOST_API void SetCameraBackdrop(int camera, D3DCOLOR colour);
// The camera's own render target (borrowed); null for camera 0 while it renders into the back buffer.
REFHOST_API IDirect3DTexture9* GetCameraTarget(int camera);

// Fog of the whole host (HostCoreData::fogEnabled) and its linear range and colour.
REFHOST_API void SetFog(bool enabled, D3DCOLOR colour = 0xFF808080, float start = 10.0f, float end = 100.0f);

// Pixels of a surface as D3DCOLOR values (32-bit RGB formats; X8 formats read with alpha 0xFF).
struct SurfacePixels {
    int width = 0;
    int height = 0;
    std::vector<D3DCOLOR> pixels;
    D3DCOLOR At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
// A multisampled surface is resolved into a plain one first.
REFHOST_API bool ReadSurfacePixels(IDirect3DSurface9* surface, SurfacePixels& out);
REFHOST_API bool ReadTexturePixels(IDirect3DTexture9* texture, SurfacePixels& out);
// Reads what the camera renders into (camera 0: the back buffer, unless it has a texture of its
// own); 0 when the camera or the pixel does not exist.
REFHOST_API bool ReadCameraPixels(int camera, SurfacePixels& out);
REFHOST_API D3DCOLOR ReadCameraPixel(int camera, int x, int y);
// Writes the camera's target as a PNG file (D3DX's encoder; SavePng needs the host started).
REFHOST_API bool SaveCameraPng(int camera, const char* path);
REFHOST_API bool SavePng(const char* path, const SurfacePixels& pixels);

// Calls made to the host functions, in order, as text such as "DisableZRead(3)".
REFHOST_API std::vector<std::string> HostCallLog();
REFHOST_API void ClearHostCallLog();

// Back to the scene of a fresh Start: deletes objects, images, effect records and every camera
// but 0 (which gets its defaults back), empties the render list and its registrations, and
// clears statistics, fog, the call log and the sync mask (all cameras again).
REFHOST_API void ResetScene();

} // namespace refhost
