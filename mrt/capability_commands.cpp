// What the device allows when a pixel shader writes more than one colour output. Each query asks
// the host's device afresh; a device that cannot be reached answers 0.
#include "exports.h"
#include "host_access.h"
#include "plugin_state.h"

namespace {

// The device's caps, or false when there is no device to ask.
bool DeviceCaps(D3DCAPS9& caps)
{
    IDirect3DDevice9* device = HostDevice();
    return device && SUCCEEDED(device->GetDeviceCaps(&caps));
}

// 1 when the device reports every bit of `flag` in PrimitiveMiscCaps: scripts compare with 1, so
// the bit's own value must not leak out.
int MiscCapsFlag(DWORD flag)
{
    D3DCAPS9 caps{};
    return DeviceCaps(caps) && (caps.PrimitiveMiscCaps & flag) == flag ? 1 : 0;
}

} // namespace

RYXO_COMMAND MRT_MaxSimultaneousRTs()
{
    D3DCAPS9 caps{};
    return DeviceCaps(caps) ? static_cast<int>(caps.NumSimultaneousRTs) : 0;
}

RYXO_COMMAND MRT_IndependentBitDepths()
{
    return MiscCapsFlag(D3DPMISCCAPS_MRTINDEPENDENTBITDEPTHS);
}

RYXO_COMMAND MRT_PostPixelShaderBlending()
{
    return MiscCapsFlag(D3DPMISCCAPS_MRTPOSTPIXELSHADERBLENDING);
}

// Whether a texture of `format` can be blended after the pixel shader, on adapter 0 in its
// current display format and with the device's own type.
RYXO_COMMAND MRT_PostPixelFormatSupport(int format)
{
    auto getDirect3D = Host().GetDirect3D;
    IDirect3D9* d3d = getDirect3D ? getDirect3D() : nullptr;
    D3DCAPS9 caps{};
    D3DDISPLAYMODE mode{};
    if (!d3d || !DeviceCaps(caps) || FAILED(d3d->GetAdapterDisplayMode(0, &mode)))
        return 0;
    const HRESULT result = d3d->CheckDeviceFormat(0, caps.DeviceType, mode.Format,
                                                  D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING, D3DRTYPE_TEXTURE,
                                                  static_cast<D3DFORMAT>(format));
    return result == D3D_OK ? 1 : 0;
}
