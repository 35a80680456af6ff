// The reference host: our own small engine in place of the real one. It owns a Direct3D 9 device
// in a hidden window, the HostCoreData block, objects, cameras, images and the render list, and
// drives a plugin exactly as the real engine does. Tests, the demo and the benchmarks use this API;
// the five host libraries (refhost/libraries) expose it to plugins under the engine's own names.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "host_records.h"

#ifdef REFHOST_BUILDING
#define REFHOST_API __declspec(dllexport)
#else
#define REFHOST_API __declspec(dllimport)
#endif

namespace refhost {

struct HostOptions {
    int width = 256;   // back buffer and main camera size
    int height = 256;
};

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
// How often AddToRenderList was called with `callback`, and the order given the last time.
REFHOST_API int RenderListRegistrations(void* callback, int* lastOrder = nullptr);

REFHOST_API void SetSyncMask(DWORD mask);
REFHOST_API DWORD SyncMask();

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
// Cameras
REFHOST_API HostCameraData* GetCameraData(int camera);
REFHOST_API void PointCamera(int camera, float x, float y, float z);
REFHOST_API void SetCameraAspect(int camera, float aspect);
// Images
REFHOST_API IDirect3DTexture9* MakeRenderTarget(int image, int width, int height, D3DFORMAT format);
REFHOST_API IDirect3DTexture9* GetImagePointer(int image);
REFHOST_API int GetImageExists(int image);
REFHOST_API void DeleteImage(int image);
// Renders every camera of the sync mask once.
REFHOST_API void FastSync();

} // namespace refhost
