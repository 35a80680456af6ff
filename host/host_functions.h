// The host engine's functions that the plugin calls, one typed pointer each. The binders fill this
// table from the five host libraries by decorated name; a pointer stays null when its library or
// name could not be found, and callers must check before calling (see plugin/host_access.h).
#pragma once

#include <windows.h>
#include <d3d9.h>

struct sObject;

struct HostFunctionTable {
    // DBProBasic3DDebug.dll
    void(__cdecl* DisableZDepth)(int object);
    void(__cdecl* DisableZRead)(int object);
    void(__cdecl* DisableZWrite)(int object);
    void(__cdecl* SetObjectEffect)(int object, int effect);
    int(__cdecl* GetStatistic)(int code);
    void(__cdecl* TextureLimbStage)(int object, int limb, int stage, int image);
    void(__cdecl* SetTextureStage)(int object, int stage, int image);
    sObject*(__cdecl* GetObjectA)(int object);
    // DBProCameraDebug.dll
    void(__cdecl* Point)(int camera, float x, float y, float z);
    void(__cdecl* SetAspect)(int camera, float aspect);
    void*(__cdecl* GetInternalData)(int camera);
    // DBProCore.dll
    void(__cdecl* FastSync)();
    void(__cdecl* SyncMask)(DWORD mask);
    void(__cdecl* AddToRenderList)(void* callback, int order);
    void(__cdecl* RemoveFromRenderList)(void* callback);
    // DBProImageDebug.dll
    void(__cdecl* DeleteEx)(int image);
    int(__cdecl* GetExistEx)(int image);
    IDirect3DTexture9*(__cdecl* GetPointer)(int image);
    IDirect3DTexture9*(__cdecl* MakeRenderTarget)(int image, int width, int height, D3DFORMAT format);
    // DBProSetupDebug.dll
    IDirect3D9*(__cdecl* GetDirect3D)();
    IDirect3DDevice9*(__cdecl* GetDirect3DDevice)();
    void(__cdecl* ChangeDisplayMode)(int width, int height, int depth, int mode);
};
static_assert(sizeof(HostFunctionTable) == 22 * sizeof(void*), "the host function table has 22 entries");
