#include <cstdio>
#include <algorithm>
#include <vector>

#include "ref_host.h"
#include "engine_state.h"

namespace refhost {

Engine& TheEngine()
{
    // Never destroyed: at process exit Direct3D's own threads are already gone, so what Stop did
    // not release is left to the end of the process rather than released into a dead device.
    static Engine& engine = *new Engine;
    return engine;
}

namespace {

HWND MakeHiddenWindow(int width, int height)
{
    static const char* kClass = "RyxoRefHostWindow";
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClass;
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowA(kClass, "Ryxo reference host", WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

} // namespace

bool Start(const HostOptions& options)
{
    Engine& e = TheEngine();
    if (e.device)
        return true;
    e.options = options;
    e.window = MakeHiddenWindow(options.width, options.height);
    e.d3d = Com<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
    if (!e.d3d) {
        std::fprintf(stderr, "refhost: Direct3DCreate9 failed\n");
        return false;
    }
    D3DPRESENT_PARAMETERS pp{};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferWidth = options.width;
    pp.BackBufferHeight = options.height;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    pp.hDeviceWindow = e.window;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    // A multisampled back buffer where the device has one, as a game's display settings give.
    DWORD qualityLevels = 0;
    if (options.backBufferSamples != D3DMULTISAMPLE_NONE &&
        SUCCEEDED(e.d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, pp.BackBufferFormat, TRUE,
                                                    options.backBufferSamples, &qualityLevels)) &&
        SUCCEEDED(e.d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, pp.AutoDepthStencilFormat,
                                                    TRUE, options.backBufferSamples, nullptr)))
        pp.MultiSampleType = options.backBufferSamples;
    // A display server under heavy load can refuse the first attempt; a short wait usually cures it.
    HRESULT hr = E_FAIL;
    for (int attempt = 0; attempt < 3 && FAILED(hr); ++attempt) {
        if (attempt > 0)
            Sleep(250);
        hr = e.d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, e.window,
                                 D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE, &pp, e.device.put());
    }
    e.presentParameters = pp;
    if (FAILED(hr)) {
        std::fprintf(stderr, "refhost: CreateDevice failed (0x%08lx)\n", hr);
        e.d3d.reset();
        return false;
    }

    e.core = HostCoreData{};
    e.device->GetRenderTarget(0, e.referenceSurface.put());
    e.core.referenceSurface = e.referenceSurface.ptr();
    e.core.imageModule = LoadLibraryA("DBProImageDebug.dll");
    e.core.basic3DModule = LoadLibraryA("DBProBasic3DDebug.dll");
    e.core.cameraModule = LoadLibraryA("DBProCameraDebug.dll");
    e.syncMask = 0xFFFFFFFF;
    if (!MakeCamera(0)) {
        std::fprintf(stderr, "refhost: the main camera's render target could not be made\n");
        Stop();
        return false;
    }
    return true;
}

void Stop()
{
    Engine& e = TheEngine();
    ReleaseScene();
    for (HMODULE m : {e.core.imageModule, e.core.basic3DModule, e.core.cameraModule})
        if (m) FreeLibrary(m);
    e.referenceSurface.reset();
    e.device.reset();
    e.d3d.reset();
    if (e.window) DestroyWindow(e.window);
    e = Engine{};
}

void SetBuffersAtMake(bool on) { TheEngine().options.buffersAtMake = on; }
void SetFeedsEverySemantic(bool on) { TheEngine().options.feedsEverySemantic = on; }

HostCoreData* CoreData() { return &TheEngine().core; }
IDirect3D9* Direct3D()
{
    Engine& e = TheEngine();
    return e.d3dOverride ? e.d3dOverride : e.d3d.ptr();
}
IDirect3D9* RealDirect3D() { return TheEngine().d3d.ptr(); }
void SetDirect3DOverride(IDirect3D9* d3d) { TheEngine().d3dOverride = d3d; }
IDirect3DDevice9* Device()
{
    Engine& e = TheEngine();
    return e.deviceOverride ? e.deviceOverride : e.device.ptr();
}
IDirect3DDevice9* RealDevice() { return TheEngine().device.ptr(); }
void SetDeviceOverride(IDirect3DDevice9* device) { TheEngine().deviceOverride = device; }

void AddToRenderList(void* callback, int order)
{
    Engine& e = TheEngine();
    e.registrations.push_back({callback, order});
    auto& list = e.renderList;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& c) { return c.callback == callback; }),
               list.end());
    auto at = std::find_if(list.begin(), list.end(), [&](const auto& c) { return c.order > order; });
    list.insert(at, {callback, order});
}

void RemoveFromRenderList(void* callback)
{
    auto& list = TheEngine().renderList;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& c) { return c.callback == callback; }),
               list.end());
}

void RemoveRenderCallbacksOf(HMODULE module)
{
    auto inModule = [&](const RenderListEntry& entry) {
        MEMORY_BASIC_INFORMATION info{};
        return VirtualQuery(entry.callback, &info, sizeof info) && info.AllocationBase == module;
    };
    auto& list = TheEngine().renderList;
    list.erase(std::remove_if(list.begin(), list.end(), inModule), list.end());
}

int RenderListRegistrations(void* callback, int* lastOrder)
{
    int count = 0;
    for (const auto& r : TheEngine().registrations) {
        if (r.callback != callback) continue;
        ++count;
        if (lastOrder) *lastOrder = r.order;
    }
    return count;
}

void SetSyncMask(DWORD mask)
{
    LogHostCall("SyncMask(0x%lx)", mask);
    TheEngine().syncMask = mask;
}
DWORD SyncMask() { return TheEngine().syncMask; }

void SetFrameScissor(const RECT* rect)
{
    Engine& e = TheEngine();
    e.frameScissorOn = rect != nullptr;
    e.frameScissor = rect ? *rect : RECT{};
}

} // namespace refhost
