// An IDirect3D9 that forwards to the real one and changes what it reports: device caps (so code can
// be driven down its "not supported" paths on a machine that supports everything) and the result of
// CheckDeviceFormat for chosen formats. The recording device hands this object out from GetDirect3D
// and applies the same caps to its own GetDeviceCaps, since code asks either interface.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <functional>
#include <optional>
#include <vector>

#include "com.h"
#include "com_object.h"

// The caps fields tests change, each left alone when empty; `edit` runs last for anything else.
struct CapsOverride {
    std::optional<DWORD> maxStreams;
    std::optional<DWORD> numSimultaneousRTs;
    std::optional<DWORD> vertexShaderVersion;
    std::optional<DWORD> pixelShaderVersion;
    std::optional<DWORD> maxVertexShaderConst;
    DWORD primitiveMiscCapsCleared = 0;  // D3DPMISCCAPS_* bits taken away
    DWORD primitiveMiscCapsSet = 0;      // D3DPMISCCAPS_* bits added
    std::function<void(D3DCAPS9&)> edit;
};

void ApplyCapsOverride(const CapsOverride& override, D3DCAPS9& caps);

class RecordingDirect3D final : public ComObject<IDirect3D9> {
public:
    // Takes its own reference on `real`; the new object's count is 1.
    explicit RecordingDirect3D(IDirect3D9* real);

    IDirect3D9* Real() const { return real_.ptr(); }

    void OverrideCaps(CapsOverride override) { caps_ = std::move(override); }
    void ClearCapsOverride() { caps_.reset(); }
    // The caps as code under test sees them (through either interface).
    void ApplyCaps(D3DCAPS9& caps) const;

    // CheckDeviceFormat answers `result` for `format`; with `usage` non-zero only when the query asks
    // for one of those usage bits (e.g. D3DUSAGE_RENDERTARGET).
    void OverrideFormat(D3DFORMAT format, HRESULT result, DWORD usage = 0);
    void ClearFormatOverrides() { formats_.clear(); }
    // Calls of CheckDeviceFormat seen, with the format asked about.
    const std::vector<D3DFORMAT>& CheckedFormats() const { return checkedFormats_; }
    // The same calls with every argument.
    struct FormatCheck {
        UINT adapter;
        D3DDEVTYPE type;
        D3DFORMAT adapterFormat;
        DWORD usage;
        D3DRESOURCETYPE resourceType;
        D3DFORMAT checkFormat;
        bool operator==(const FormatCheck&) const = default;
    };
    const std::vector<FormatCheck>& FormatChecks() const { return formatChecks_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    // IDirect3D9
    HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void* initialize) override;
    UINT STDMETHODCALLTYPE GetAdapterCount() override;
    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags,
                                                  D3DADAPTER_IDENTIFIER9* identifier) override;
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                                              D3DDISPLAYMODE* displayMode) override;
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                             D3DFORMAT backBufferFormat, WINBOOL windowed) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                               DWORD usage, D3DRESOURCETYPE resourceType,
                                               D3DFORMAT checkFormat) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type,
                                                        D3DFORMAT surfaceFormat, WINBOOL windowed,
                                                        D3DMULTISAMPLE_TYPE multiSampleType,
                                                        DWORD* qualityLevels) override;
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                                    D3DFORMAT renderTargetFormat,
                                                    D3DFORMAT depthStencilFormat) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE type,
                                                         D3DFORMAT sourceFormat,
                                                         D3DFORMAT targetFormat) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) override;
    // Creates a real (unrecorded) device.
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                          D3DPRESENT_PARAMETERS* presentation,
                                          IDirect3DDevice9** device) override;

private:
    ~RecordingDirect3D() override = default;

    struct FormatOverride {
        D3DFORMAT format;
        HRESULT result;
        DWORD usage;
    };

    Com<IDirect3D9> real_;

    std::optional<CapsOverride> caps_;
    std::vector<FormatOverride> formats_;
    std::vector<D3DFORMAT> checkedFormats_;
    std::vector<FormatCheck> formatChecks_;
};
