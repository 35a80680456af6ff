// The engine's own state, private to RefHost.dll.
#pragma once

#include <vector>

#include "com.h"
#include "ref_host.h"
#include "scene_state.h"

namespace refhost {

struct RenderListEntry {
    void* callback;
    int order;
};

struct Engine {
    HostOptions options;
    HWND window = nullptr;
    Com<IDirect3D9> d3d;
    IDirect3D9* d3dOverride = nullptr;           // borrowed from the test that installed it
    Com<IDirect3DDevice9> device;
    IDirect3DDevice9* deviceOverride = nullptr;  // borrowed from the test that installed it
    D3DPRESENT_PARAMETERS presentParameters{};   // what the device was made with, for Reset
    Com<IDirect3DSurface9> referenceSurface;     // the back buffer; core.referenceSurface shows it
    HostCoreData core{};
    std::vector<RenderListEntry> renderList;    // sorted by order
    std::vector<RenderListEntry> registrations; // every AddToRenderList call, for tests
    DWORD syncMask = 0xFFFFFFFF;
    bool frameScissorOn = false;                 // SetFrameScissor
    RECT frameScissor{};
    Scene scene;
};

Engine& TheEngine();

} // namespace refhost
