// The engine's own state, private to RefHost.dll.
#pragma once

#include <vector>

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
    IDirect3D9* d3d = nullptr;
    IDirect3D9* d3dOverride = nullptr;
    IDirect3DDevice9* device = nullptr;
    IDirect3DDevice9* deviceOverride = nullptr;
    D3DPRESENT_PARAMETERS presentParameters{};  // what the device was made with, for Reset
    HostCoreData core{};
    std::vector<RenderListEntry> renderList;    // sorted by order
    std::vector<RenderListEntry> registrations; // every AddToRenderList call, for tests
    DWORD syncMask = 0xFFFFFFFF;
    Scene scene;
};

Engine& TheEngine();

} // namespace refhost
