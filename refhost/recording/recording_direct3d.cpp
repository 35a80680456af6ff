#include "recording_direct3d.h"

void ApplyCapsOverride(const CapsOverride& override, D3DCAPS9& caps)
{
    if (override.maxStreams) caps.MaxStreams = *override.maxStreams;
    if (override.numSimultaneousRTs) caps.NumSimultaneousRTs = *override.numSimultaneousRTs;
    if (override.vertexShaderVersion) caps.VertexShaderVersion = *override.vertexShaderVersion;
    if (override.pixelShaderVersion) caps.PixelShaderVersion = *override.pixelShaderVersion;
    if (override.maxVertexShaderConst) caps.MaxVertexShaderConst = *override.maxVertexShaderConst;
    caps.PrimitiveMiscCaps = (caps.PrimitiveMiscCaps & ~override.primitiveMiscCapsCleared) |
                             override.primitiveMiscCapsSet;
    if (override.edit) override.edit(caps);
}

RecordingDirect3D::RecordingDirect3D(IDirect3D9* real) : real_(Com<IDirect3D9>::Share(real)) {}

void RecordingDirect3D::ApplyCaps(D3DCAPS9& caps) const
{
    if (caps_) ApplyCapsOverride(*caps_, caps);
}

void RecordingDirect3D::OverrideFormat(D3DFORMAT format, HRESULT result, DWORD usage)
{
    formats_.push_back({format, result, usage});
}

HRESULT STDMETHODCALLTYPE RecordingDirect3D::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (IsEqualGUID(riid, __uuidof(IUnknown)) || IsEqualGUID(riid, __uuidof(IDirect3D9))) {
        AddRef();
        *object = static_cast<IDirect3D9*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE RecordingDirect3D::RegisterSoftwareDevice(void* initialize)
{
    return real_->RegisterSoftwareDevice(initialize);
}

UINT STDMETHODCALLTYPE RecordingDirect3D::GetAdapterCount() { return real_->GetAdapterCount(); }

HRESULT STDMETHODCALLTYPE RecordingDirect3D::GetAdapterIdentifier(UINT adapter, DWORD flags,
                                                                  D3DADAPTER_IDENTIFIER9* identifier)
{
    return real_->GetAdapterIdentifier(adapter, flags, identifier);
}

UINT STDMETHODCALLTYPE RecordingDirect3D::GetAdapterModeCount(UINT adapter, D3DFORMAT format)
{
    return real_->GetAdapterModeCount(adapter, format);
}

HRESULT STDMETHODCALLTYPE RecordingDirect3D::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                                                              D3DDISPLAYMODE* displayMode)
{
    return real_->EnumAdapterModes(adapter, format, mode, displayMode);
}

HRESULT STDMETHODCALLTYPE RecordingDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode)
{
    return real_->GetAdapterDisplayMode(adapter, mode);
}

HRESULT STDMETHODCALLTYPE RecordingDirect3D::CheckDeviceType(UINT adapter, D3DDEVTYPE type,
                                                             D3DFORMAT displayFormat,
                                                             D3DFORMAT backBufferFormat, WINBOOL windowed)
{
    return real_->CheckDeviceType(adapter, type, displayFormat, backBufferFormat, windowed);
}

HRESULT STDMETHODCALLTYPE RecordingDirect3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type,
                                                               D3DFORMAT adapterFormat, DWORD usage,
                                                               D3DRESOURCETYPE resourceType,
                                                               D3DFORMAT checkFormat)
{
    checkedFormats_.push_back(checkFormat);
    formatChecks_.push_back({adapter, type, adapterFormat, usage, resourceType, checkFormat});
    // The latest matching override wins, so a test can narrow an earlier, broader one.
    for (auto it = formats_.rbegin(); it != formats_.rend(); ++it)
        if (it->format == checkFormat && (it->usage == 0 || (it->usage & usage) != 0)) return it->result;
    return real_->CheckDeviceFormat(adapter, type, adapterFormat, usage, resourceType, checkFormat);
}

HRESULT STDMETHODCALLTYPE RecordingDirect3D::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type,
                                                                        D3DFORMAT surfaceFormat,
                                                                        WINBOOL windowed,
                                                                        D3DMULTISAMPLE_TYPE multiSampleType,
                                                                        DWORD* qualityLevels)
{
    return real_->CheckDeviceMultiSampleType(adapter, type, surfaceFormat, windowed, multiSampleType,
                                             qualityLevels);
}

HRESULT STDMETHODCALLTYPE RecordingDirect3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type,
                                                                    D3DFORMAT adapterFormat,
                                                                    D3DFORMAT renderTargetFormat,
                                                                    D3DFORMAT depthStencilFormat)
{
    return real_->CheckDepthStencilMatch(adapter, type, adapterFormat, renderTargetFormat, depthStencilFormat);
}

HRESULT STDMETHODCALLTYPE RecordingDirect3D::CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE type,
                                                                         D3DFORMAT sourceFormat,
                                                                         D3DFORMAT targetFormat)
{
    return real_->CheckDeviceFormatConversion(adapter, type, sourceFormat, targetFormat);
}

HRESULT STDMETHODCALLTYPE RecordingDirect3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps)
{
    HRESULT hr = real_->GetDeviceCaps(adapter, type, caps);
    if (SUCCEEDED(hr) && caps) ApplyCaps(*caps);
    return hr;
}

HMONITOR STDMETHODCALLTYPE RecordingDirect3D::GetAdapterMonitor(UINT adapter)
{
    return real_->GetAdapterMonitor(adapter);
}

HRESULT STDMETHODCALLTYPE RecordingDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                                                          DWORD behaviorFlags,
                                                          D3DPRESENT_PARAMETERS* presentation,
                                                          IDirect3DDevice9** device)
{
    return real_->CreateDevice(adapter, type, focusWindow, behaviorFlags, presentation, device);
}
