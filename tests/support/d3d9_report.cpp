// Tells which Direct3D 9 this Wine prefix runs and what adapter its device reports; tools/test.sh
// prints it before each pass. Exits 1 when no device can be made.
#include <cstdio>

#include <d3d9.h>
#include <windows.h>

#include "direct3d9_implementation.h"

int main()
{
    std::printf("Direct3D 9: %s (%s)\n", Direct3D9IsWines() ? "Wine's own, wined3d" : "a native d3d9.dll",
                Direct3D9Path().c_str());
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d) {
        std::printf("Direct3DCreate9 failed\n");
        return 1;
    }
    HWND window = CreateWindowA("STATIC", "d3d9_report", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    D3DPRESENT_PARAMETERS pp{};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    IDirect3DDevice9* device = nullptr;
    const HRESULT hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                         D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device);
    int result = 0;
    if (FAILED(hr)) {
        std::printf("CreateDevice failed: 0x%08lx\n", static_cast<unsigned long>(hr));
        result = 1;
    } else {
        D3DDEVICE_CREATION_PARAMETERS creation{};
        device->GetCreationParameters(&creation);
        D3DADAPTER_IDENTIFIER9 adapter{};
        d3d->GetAdapterIdentifier(creation.AdapterOrdinal, 0, &adapter);
        D3DCAPS9 caps{};
        device->GetDeviceCaps(&caps);
        std::printf("adapter: %s (driver %s, vendor 0x%04lx, device 0x%04lx); vertex shader %lu.%lu, pixel shader "
                    "%lu.%lu, %lu render targets, %u MB of texture memory\n",
                    adapter.Description, adapter.Driver, adapter.VendorId, adapter.DeviceId,
                    D3DSHADER_VERSION_MAJOR(caps.VertexShaderVersion), D3DSHADER_VERSION_MINOR(caps.VertexShaderVersion),
                    D3DSHADER_VERSION_MAJOR(caps.PixelShaderVersion), D3DSHADER_VERSION_MINOR(caps.PixelShaderVersion),
                    caps.NumSimultaneousRTs, device->GetAvailableTextureMem() >> 20);
        device->Release();
    }
    DestroyWindow(window);
    d3d->Release();
    return result;
}
