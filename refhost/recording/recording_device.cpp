#include "recording_device.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

namespace {

template <typename T>
uint32_t Bits(T value)
{
    if constexpr (std::is_pointer_v<T>)
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(value));
    else if constexpr (std::is_same_v<T, float>)
        return std::bit_cast<uint32_t>(value);
    else
        return static_cast<uint32_t>(value);
}

template <typename... T>
std::vector<uint32_t> Args(T... values)
{
    return {Bits(values)...};
}

template <typename T>
std::optional<T> CopyOf(const T* p)
{
    return p ? std::optional<T>(*p) : std::nullopt;
}

// Vertices a user-pointer draw reads for `count` primitives of `type`.
UINT VerticesFor(D3DPRIMITIVETYPE type, UINT count)
{
    switch (type) {
    case D3DPT_POINTLIST: return count;
    case D3DPT_LINELIST: return count * 2;
    case D3DPT_LINESTRIP: return count + 1;
    case D3DPT_TRIANGLELIST: return count * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return count + 2;
    default: return 0;
    }
}

constexpr DeviceMethod kLoggedByDefault[] = {
    DeviceMethod::SetRenderState, DeviceMethod::SetSamplerState, DeviceMethod::SetTextureStageState,
    DeviceMethod::SetTexture, DeviceMethod::SetStreamSource, DeviceMethod::SetStreamSourceFreq,
    DeviceMethod::SetIndices, DeviceMethod::SetVertexDeclaration, DeviceMethod::SetFVF,
    DeviceMethod::DrawPrimitive, DeviceMethod::DrawIndexedPrimitive, DeviceMethod::DrawPrimitiveUP,
    DeviceMethod::DrawIndexedPrimitiveUP, DeviceMethod::SetRenderTarget, DeviceMethod::SetDepthStencilSurface,
    DeviceMethod::Clear, DeviceMethod::BeginScene, DeviceMethod::EndScene, DeviceMethod::SetTransform,
    DeviceMethod::MultiplyTransform, DeviceMethod::SetClipPlane, DeviceMethod::SetMaterial,
    DeviceMethod::SetViewport, DeviceMethod::SetVertexShader, DeviceMethod::SetPixelShader,
    DeviceMethod::CreateVertexDeclaration, DeviceMethod::CreateVertexBuffer, DeviceMethod::CreateIndexBuffer,
    DeviceMethod::CreateTexture, DeviceMethod::CreateCubeTexture, DeviceMethod::StretchRect,
    DeviceMethod::ColorFill, DeviceMethod::GetRenderTarget,
};

} // namespace

// ---- Recording machinery ----

RecordingDevice::RecordingDevice(IDirect3DDevice9* real) : real_(Com<IDirect3DDevice9>::Share(real))
{
    Com<IDirect3D9> d3d;
    if (SUCCEEDED(real_->GetDirect3D(d3d.put())) && d3d)
        direct3d_ = Com<RecordingDirect3D>::Adopt(new RecordingDirect3D(d3d.ptr()));
    for (DeviceMethod m : kLoggedByDefault) logged_.set(static_cast<size_t>(m));
}

void RecordingDevice::SetLogged(DeviceMethod method, bool logged) { logged_.set(static_cast<size_t>(method), logged); }

bool RecordingDevice::IsLogged(DeviceMethod method) const { return logged_.test(static_cast<size_t>(method)); }

void RecordingDevice::FailCall(DeviceMethod method, int nth, HRESULT result)
{
    failures_.push_back({method, nth, result});
}

std::optional<HRESULT> RecordingDevice::DueFailure(DeviceMethod method)
{
    std::optional<HRESULT> due;
    for (Failure& f : failures_) {
        if (f.method != method) continue;
        ++f.seen;
        if (!due && (f.nth == 0 || f.seen == f.nth)) due = f.result;
    }
    return due;
}

DeviceCall* RecordingDevice::Log(DeviceMethod method, std::vector<uint32_t> args, HRESULT result, bool injected)
{
    if (!IsLogged(method)) return nullptr;
    DeviceCall& call = calls_.emplace_back();
    call.method = method;
    call.name = DeviceMethodName(method);
    call.args = std::move(args);
    call.result = result;
    call.injected = injected;
    return &call;
}

template <typename Forward, typename Complete>
HRESULT RecordingDevice::Record(DeviceMethod method, std::vector<uint32_t> args, Forward forward, Complete complete)
{
    if (std::optional<HRESULT> failure = DueFailure(method)) {
        if (DeviceCall* call = Log(method, std::move(args), *failure, true)) complete(*call);
        return *failure;
    }
    HRESULT result = forward();
    if (DeviceCall* call = Log(method, std::move(args), result, false)) complete(*call);
    return result;
}

template <typename Forward>
HRESULT RecordingDevice::Record(DeviceMethod method, std::vector<uint32_t> args, Forward forward)
{
    return Record(method, std::move(args), forward, [](DeviceCall&) {});
}

// ---- Queries of the log ----

size_t RecordingDevice::Count(DeviceMethod method) const
{
    return std::count_if(calls_.begin(), calls_.end(), [&](const DeviceCall& c) { return c.method == method; });
}

std::vector<DeviceCall> RecordingDevice::Filter(DeviceMethod method) const { return Filter({method}); }

std::vector<DeviceCall> RecordingDevice::Filter(std::initializer_list<DeviceMethod> methods) const
{
    std::vector<DeviceCall> out;
    for (const DeviceCall& c : calls_)
        if (std::find(methods.begin(), methods.end(), c.method) != methods.end()) out.push_back(c);
    return out;
}

std::vector<DeviceMethod> RecordingDevice::Methods() const
{
    std::vector<DeviceMethod> out;
    for (const DeviceCall& c : calls_) out.push_back(c.method);
    return out;
}

std::vector<RenderStateSet> RecordingDevice::RenderStates() const
{
    std::vector<RenderStateSet> out;
    for (const DeviceCall& c : calls_)
        if (c.method == DeviceMethod::SetRenderState)
            out.push_back({static_cast<D3DRENDERSTATETYPE>(c.Arg(0)), c.Arg(1)});
    return out;
}

std::vector<SamplerStateSet> RecordingDevice::SamplerStates() const
{
    std::vector<SamplerStateSet> out;
    for (const DeviceCall& c : calls_)
        if (c.method == DeviceMethod::SetSamplerState)
            out.push_back({c.Arg(0), static_cast<D3DSAMPLERSTATETYPE>(c.Arg(1)), c.Arg(2)});
    return out;
}

std::vector<TextureStageStateSet> RecordingDevice::TextureStageStates() const
{
    std::vector<TextureStageStateSet> out;
    for (const DeviceCall& c : calls_)
        if (c.method == DeviceMethod::SetTextureStageState)
            out.push_back({c.Arg(0), static_cast<D3DTEXTURESTAGESTATETYPE>(c.Arg(1)), c.Arg(2)});
    return out;
}

std::vector<StreamFrequencySet> RecordingDevice::StreamFrequencies() const
{
    std::vector<StreamFrequencySet> out;
    for (const DeviceCall& c : calls_)
        if (c.method == DeviceMethod::SetStreamSourceFreq) out.push_back({c.Arg(0), c.Arg(1)});
    return out;
}

std::optional<DWORD> RecordingDevice::LastRenderState(D3DRENDERSTATETYPE state) const
{
    std::optional<DWORD> value;
    for (const RenderStateSet& s : RenderStates())
        if (s.state == state) value = s.value;
    return value;
}

std::optional<DWORD> RecordingDevice::LastSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const
{
    std::optional<DWORD> value;
    for (const SamplerStateSet& s : SamplerStates())
        if (s.sampler == sampler && s.type == type) value = s.value;
    return value;
}

// ---- IUnknown ----

HRESULT STDMETHODCALLTYPE RecordingDevice::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (IsEqualGUID(riid, __uuidof(IUnknown)) || IsEqualGUID(riid, __uuidof(IDirect3DDevice9))) {
        AddRef();
        *object = static_cast<IDirect3DDevice9*>(this);
        return S_OK;
    }
    // Other interfaces (IDirect3DDevice9Ex) would bypass the recording: refuse them.
    *object = nullptr;
    return E_NOINTERFACE;
}

// ---- Device, swap chains, presentation ----

HRESULT STDMETHODCALLTYPE RecordingDevice::TestCooperativeLevel()
{
    return Record(DeviceMethod::TestCooperativeLevel, {}, [&] { return real_->TestCooperativeLevel(); });
}

UINT STDMETHODCALLTYPE RecordingDevice::GetAvailableTextureMem()
{
    UINT memory = real_->GetAvailableTextureMem();
    Log(DeviceMethod::GetAvailableTextureMem, {}, S_OK, false);
    return memory;
}

HRESULT STDMETHODCALLTYPE RecordingDevice::EvictManagedResources()
{
    return Record(DeviceMethod::EvictManagedResources, {}, [&] { return real_->EvictManagedResources(); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetDirect3D(IDirect3D9** d3d)
{
    if (d3d) *d3d = nullptr;
    return Record(DeviceMethod::GetDirect3D, {}, [&]() -> HRESULT {
        if (!d3d) return D3DERR_INVALIDCALL;
        if (!direct3d_) return real_->GetDirect3D(d3d);
        *d3d = direct3d_.ref();
        return D3D_OK;
    });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetDeviceCaps(D3DCAPS9* caps)
{
    return Record(DeviceMethod::GetDeviceCaps, {}, [&] {
        HRESULT hr = real_->GetDeviceCaps(caps);
        if (SUCCEEDED(hr) && caps && direct3d_) direct3d_->ApplyCaps(*caps);
        return hr;
    });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode)
{
    return Record(DeviceMethod::GetDisplayMode, Args(swapChain),
                  [&] { return real_->GetDisplayMode(swapChain, mode); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters)
{
    return Record(DeviceMethod::GetCreationParameters, {},
                  [&] { return real_->GetCreationParameters(parameters); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetCursorProperties(UINT x, UINT y, IDirect3DSurface9* bitmap)
{
    return Record(DeviceMethod::SetCursorProperties, Args(x, y, bitmap),
                  [&] { return real_->SetCursorProperties(x, y, bitmap); });
}

void STDMETHODCALLTYPE RecordingDevice::SetCursorPosition(int x, int y, DWORD flags)
{
    real_->SetCursorPosition(x, y, flags);
    Log(DeviceMethod::SetCursorPosition, Args(x, y, flags), S_OK, false);
}

WINBOOL STDMETHODCALLTYPE RecordingDevice::ShowCursor(WINBOOL show)
{
    WINBOOL was = real_->ShowCursor(show);
    Log(DeviceMethod::ShowCursor, Args(show), S_OK, false);
    return was;
}

HRESULT STDMETHODCALLTYPE RecordingDevice::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* presentation,
                                                                     IDirect3DSwapChain9** swapChain)
{
    if (swapChain) *swapChain = nullptr;
    return Record(DeviceMethod::CreateAdditionalSwapChain, {},
                  [&] { return real_->CreateAdditionalSwapChain(presentation, swapChain); },
                  [&](DeviceCall& c) { if (swapChain) c.object = *swapChain; });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetSwapChain(UINT index, IDirect3DSwapChain9** swapChain)
{
    if (swapChain) *swapChain = nullptr;
    return Record(DeviceMethod::GetSwapChain, Args(index), [&] { return real_->GetSwapChain(index, swapChain); },
                  [&](DeviceCall& c) { if (swapChain) c.object = *swapChain; });
}

UINT STDMETHODCALLTYPE RecordingDevice::GetNumberOfSwapChains()
{
    UINT count = real_->GetNumberOfSwapChains();
    Log(DeviceMethod::GetNumberOfSwapChains, {}, S_OK, false);
    return count;
}

HRESULT STDMETHODCALLTYPE RecordingDevice::Reset(D3DPRESENT_PARAMETERS* presentation)
{
    return Record(DeviceMethod::Reset, {}, [&] { return real_->Reset(presentation); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::Present(const RECT* sourceRect, const RECT* destRect,
                                                   HWND destWindow, const RGNDATA* dirtyRegion)
{
    return Record(DeviceMethod::Present, Args(destWindow),
                  [&] { return real_->Present(sourceRect, destRect, destWindow, dirtyRegion); },
                  [&](DeviceCall& c) {
                      c.sourceRect = CopyOf(sourceRect);
                      c.destRect = CopyOf(destRect);
                  });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                                         IDirect3DSurface9** backBuffer)
{
    if (backBuffer) *backBuffer = nullptr;
    return Record(DeviceMethod::GetBackBuffer, Args(swapChain, index, type),
                  [&] { return real_->GetBackBuffer(swapChain, index, type, backBuffer); },
                  [&](DeviceCall& c) { if (backBuffer) c.object = *backBuffer; });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetRasterStatus(UINT swapChain, D3DRASTER_STATUS* status)
{
    return Record(DeviceMethod::GetRasterStatus, Args(swapChain),
                  [&] { return real_->GetRasterStatus(swapChain, status); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetDialogBoxMode(WINBOOL enable)
{
    return Record(DeviceMethod::SetDialogBoxMode, Args(enable), [&] { return real_->SetDialogBoxMode(enable); });
}

void STDMETHODCALLTYPE RecordingDevice::SetGammaRamp(UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp)
{
    real_->SetGammaRamp(swapChain, flags, ramp);
    Log(DeviceMethod::SetGammaRamp, Args(swapChain, flags), S_OK, false);
}

void STDMETHODCALLTYPE RecordingDevice::GetGammaRamp(UINT swapChain, D3DGAMMARAMP* ramp)
{
    real_->GetGammaRamp(swapChain, ramp);
    Log(DeviceMethod::GetGammaRamp, Args(swapChain), S_OK, false);
}

// ---- Resource creation ----

HRESULT STDMETHODCALLTYPE RecordingDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                                         D3DFORMAT format, D3DPOOL pool,
                                                         IDirect3DTexture9** texture, HANDLE* sharedHandle)
{
    if (texture) *texture = nullptr;
    HRESULT result = Record(DeviceMethod::CreateTexture, Args(width, height, levels, usage, format, pool),
                  [&] { return real_->CreateTexture(width, height, levels, usage, format, pool, texture, sharedHandle); },
                  [&](DeviceCall& c) { if (texture) c.object = *texture; });
    if (SUCCEEDED(result) && texture && *texture)
        census_.Track(*texture);
    return result;
}

HRESULT STDMETHODCALLTYPE RecordingDevice::CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels,
                                                               DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                               IDirect3DVolumeTexture9** texture,
                                                               HANDLE* sharedHandle)
{
    if (texture) *texture = nullptr;
    HRESULT result = Record(DeviceMethod::CreateVolumeTexture, Args(width, height, depth, levels, usage, format, pool),
                  [&] {
                      return real_->CreateVolumeTexture(width, height, depth, levels, usage, format, pool, texture,
                                                        sharedHandle);
                  },
                  [&](DeviceCall& c) { if (texture) c.object = *texture; });
    if (SUCCEEDED(result) && texture && *texture)
        census_.Track(*texture);
    return result;
}

HRESULT STDMETHODCALLTYPE RecordingDevice::CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format,
                                                             D3DPOOL pool, IDirect3DCubeTexture9** texture,
                                                             HANDLE* sharedHandle)
{
    if (texture) *texture = nullptr;
    HRESULT result = Record(DeviceMethod::CreateCubeTexture, Args(edge, levels, usage, format, pool),
                  [&] { return real_->CreateCubeTexture(edge, levels, usage, format, pool, texture, sharedHandle); },
                  [&](DeviceCall& c) { if (texture) c.object = *texture; });
    if (SUCCEEDED(result) && texture && *texture)
        census_.Track(*texture);
    return result;
}

HRESULT STDMETHODCALLTYPE RecordingDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                              IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle)
{
    if (buffer) *buffer = nullptr;
    DWORD forwardedUsage = readableBuffers_ ? usage & ~DWORD(D3DUSAGE_WRITEONLY) : usage;
    HRESULT result = Record(DeviceMethod::CreateVertexBuffer, Args(length, usage, fvf, pool),
                  [&] { return real_->CreateVertexBuffer(length, forwardedUsage, fvf, pool, buffer, sharedHandle); },
                  [&](DeviceCall& c) { if (buffer) c.object = *buffer; });
    if (SUCCEEDED(result) && buffer && *buffer)
        census_.Track(*buffer);
    return result;
}

HRESULT STDMETHODCALLTYPE RecordingDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                                             D3DPOOL pool, IDirect3DIndexBuffer9** buffer,
                                                             HANDLE* sharedHandle)
{
    if (buffer) *buffer = nullptr;
    DWORD forwardedUsage = readableBuffers_ ? usage & ~DWORD(D3DUSAGE_WRITEONLY) : usage;
    HRESULT result = Record(DeviceMethod::CreateIndexBuffer, Args(length, usage, format, pool),
                  [&] { return real_->CreateIndexBuffer(length, forwardedUsage, format, pool, buffer, sharedHandle); },
                  [&](DeviceCall& c) { if (buffer) c.object = *buffer; });
    if (SUCCEEDED(result) && buffer && *buffer)
        census_.Track(*buffer);
    return result;
}

HRESULT STDMETHODCALLTYPE RecordingDevice::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                                              D3DMULTISAMPLE_TYPE multiSample, DWORD quality,
                                                              WINBOOL lockable, IDirect3DSurface9** surface,
                                                              HANDLE* sharedHandle)
{
    if (surface) *surface = nullptr;
    HRESULT result = Record(DeviceMethod::CreateRenderTarget, Args(width, height, format, multiSample, quality, lockable),
                  [&] {
                      return real_->CreateRenderTarget(width, height, format, multiSample, quality, lockable, surface,
                                                       sharedHandle);
                  },
                  [&](DeviceCall& c) { if (surface) c.object = *surface; });
    if (SUCCEEDED(result) && surface && *surface)
        census_.Track(*surface);
    return result;
}

HRESULT STDMETHODCALLTYPE RecordingDevice::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                                     D3DMULTISAMPLE_TYPE multiSample, DWORD quality,
                                                                     WINBOOL discard, IDirect3DSurface9** surface,
                                                                     HANDLE* sharedHandle)
{
    if (surface) *surface = nullptr;
    HRESULT result = Record(DeviceMethod::CreateDepthStencilSurface,
                  Args(width, height, format, multiSample, quality, discard),
                  [&] {
                      return real_->CreateDepthStencilSurface(width, height, format, multiSample, quality, discard,
                                                              surface, sharedHandle);
                  },
                  [&](DeviceCall& c) { if (surface) c.object = *surface; });
    if (SUCCEEDED(result) && surface && *surface)
        census_.Track(*surface);
    return result;
}

HRESULT STDMETHODCALLTYPE RecordingDevice::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                                                       D3DPOOL pool, IDirect3DSurface9** surface,
                                                                       HANDLE* sharedHandle)
{
    if (surface) *surface = nullptr;
    HRESULT result = Record(DeviceMethod::CreateOffscreenPlainSurface, Args(width, height, format, pool),
                  [&] { return real_->CreateOffscreenPlainSurface(width, height, format, pool, surface, sharedHandle); },
                  [&](DeviceCall& c) { if (surface) c.object = *surface; });
    if (SUCCEEDED(result) && surface && *surface)
        census_.Track(*surface);
    return result;
}

// ---- Surface copies ----

HRESULT STDMETHODCALLTYPE RecordingDevice::UpdateSurface(IDirect3DSurface9* source, const RECT* sourceRect,
                                                         IDirect3DSurface9* dest, const POINT* destPoint)
{
    return Record(DeviceMethod::UpdateSurface, Args(source, dest),
                  [&] { return real_->UpdateSurface(source, sourceRect, dest, destPoint); },
                  [&](DeviceCall& c) { c.sourceRect = CopyOf(sourceRect); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* dest)
{
    return Record(DeviceMethod::UpdateTexture, Args(source, dest), [&] { return real_->UpdateTexture(source, dest); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetRenderTargetData(IDirect3DSurface9* renderTarget,
                                                               IDirect3DSurface9* dest)
{
    return Record(DeviceMethod::GetRenderTargetData, Args(renderTarget, dest),
                  [&] { return real_->GetRenderTargetData(renderTarget, dest); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetFrontBufferData(UINT swapChain, IDirect3DSurface9* dest)
{
    return Record(DeviceMethod::GetFrontBufferData, Args(swapChain, dest),
                  [&] { return real_->GetFrontBufferData(swapChain, dest); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::StretchRect(IDirect3DSurface9* source, const RECT* sourceRect,
                                                       IDirect3DSurface9* dest, const RECT* destRect,
                                                       D3DTEXTUREFILTERTYPE filter)
{
    return Record(DeviceMethod::StretchRect, Args(source, dest, filter),
                  [&] { return real_->StretchRect(source, sourceRect, dest, destRect, filter); },
                  [&](DeviceCall& c) {
                      c.sourceRect = CopyOf(sourceRect);
                      c.destRect = CopyOf(destRect);
                  });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR colour)
{
    return Record(DeviceMethod::ColorFill, Args(surface, colour), [&] { return real_->ColorFill(surface, rect, colour); },
                  [&](DeviceCall& c) { c.destRect = CopyOf(rect); });
}

// ---- Render targets and scenes ----

HRESULT STDMETHODCALLTYPE RecordingDevice::SetRenderTarget(DWORD index, IDirect3DSurface9* surface)
{
    return Record(DeviceMethod::SetRenderTarget, Args(index, surface),
                  [&] { return real_->SetRenderTarget(index, surface); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetRenderTarget(DWORD index, IDirect3DSurface9** surface)
{
    if (surface) *surface = nullptr;
    return Record(DeviceMethod::GetRenderTarget, Args(index), [&] { return real_->GetRenderTarget(index, surface); },
                  [&](DeviceCall& c) { if (surface) c.object = *surface; });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetDepthStencilSurface(IDirect3DSurface9* surface)
{
    return Record(DeviceMethod::SetDepthStencilSurface, Args(surface),
                  [&] { return real_->SetDepthStencilSurface(surface); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetDepthStencilSurface(IDirect3DSurface9** surface)
{
    if (surface) *surface = nullptr;
    return Record(DeviceMethod::GetDepthStencilSurface, {}, [&] { return real_->GetDepthStencilSurface(surface); },
                  [&](DeviceCall& c) { if (surface) c.object = *surface; });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::BeginScene()
{
    return Record(DeviceMethod::BeginScene, {}, [&] { return real_->BeginScene(); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::EndScene()
{
    return Record(DeviceMethod::EndScene, {}, [&] { return real_->EndScene(); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags,
                                                 D3DCOLOR colour, float z, DWORD stencil)
{
    return Record(DeviceMethod::Clear, Args(rectCount, flags, colour, z, stencil),
                  [&] { return real_->Clear(rectCount, rects, flags, colour, z, stencil); },
                  [&](DeviceCall& c) {
                      if (rects) c.rects.assign(rects, rects + rectCount);
                  });
}

// ---- Fixed-function state ----

HRESULT STDMETHODCALLTYPE RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    return Record(DeviceMethod::SetTransform, Args(state), [&] { return real_->SetTransform(state, matrix); },
                  [&](DeviceCall& c) { c.matrix = CopyOf(matrix); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    return Record(DeviceMethod::GetTransform, Args(state), [&] { return real_->GetTransform(state, matrix); },
                  [&](DeviceCall& c) { if (!c.injected) c.matrix = CopyOf(matrix); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    return Record(DeviceMethod::MultiplyTransform, Args(state),
                  [&] { return real_->MultiplyTransform(state, matrix); },
                  [&](DeviceCall& c) { c.matrix = CopyOf(matrix); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetViewport(const D3DVIEWPORT9* viewport)
{
    return Record(DeviceMethod::SetViewport, {}, [&] { return real_->SetViewport(viewport); },
                  [&](DeviceCall& c) { c.viewport = CopyOf(viewport); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetViewport(D3DVIEWPORT9* viewport)
{
    return Record(DeviceMethod::GetViewport, {}, [&] { return real_->GetViewport(viewport); },
                  [&](DeviceCall& c) { if (!c.injected) c.viewport = CopyOf(viewport); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetMaterial(const D3DMATERIAL9* material)
{
    return Record(DeviceMethod::SetMaterial, {}, [&] { return real_->SetMaterial(material); },
                  [&](DeviceCall& c) { c.material = CopyOf(material); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetMaterial(D3DMATERIAL9* material)
{
    return Record(DeviceMethod::GetMaterial, {}, [&] { return real_->GetMaterial(material); },
                  [&](DeviceCall& c) { if (!c.injected) c.material = CopyOf(material); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetLight(DWORD index, const D3DLIGHT9* light)
{
    return Record(DeviceMethod::SetLight, Args(index), [&] { return real_->SetLight(index, light); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetLight(DWORD index, D3DLIGHT9* light)
{
    return Record(DeviceMethod::GetLight, Args(index), [&] { return real_->GetLight(index, light); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::LightEnable(DWORD index, WINBOOL enable)
{
    return Record(DeviceMethod::LightEnable, Args(index, enable), [&] { return real_->LightEnable(index, enable); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetLightEnable(DWORD index, WINBOOL* enable)
{
    return Record(DeviceMethod::GetLightEnable, Args(index), [&] { return real_->GetLightEnable(index, enable); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetClipPlane(DWORD index, const float* plane)
{
    return Record(DeviceMethod::SetClipPlane, Args(index), [&] { return real_->SetClipPlane(index, plane); },
                  [&](DeviceCall& c) {
                      if (plane) c.plane = std::array<float, 4>{plane[0], plane[1], plane[2], plane[3]};
                  });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetClipPlane(DWORD index, float* plane)
{
    return Record(DeviceMethod::GetClipPlane, Args(index), [&] { return real_->GetClipPlane(index, plane); },
                  [&](DeviceCall& c) {
                      if (plane && !c.injected) c.plane = std::array<float, 4>{plane[0], plane[1], plane[2], plane[3]};
                  });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    return Record(DeviceMethod::SetRenderState, Args(state, value), [&] { return real_->SetRenderState(state, value); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    return Record(DeviceMethod::GetRenderState, Args(state), [&] { return real_->GetRenderState(state, value); });
}

// ---- State blocks and clip status ----

HRESULT STDMETHODCALLTYPE RecordingDevice::CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block)
{
    if (block) *block = nullptr;
    return Record(DeviceMethod::CreateStateBlock, Args(type), [&] { return real_->CreateStateBlock(type, block); },
                  [&](DeviceCall& c) { if (block) c.object = *block; });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::BeginStateBlock()
{
    return Record(DeviceMethod::BeginStateBlock, {}, [&] { return real_->BeginStateBlock(); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::EndStateBlock(IDirect3DStateBlock9** block)
{
    if (block) *block = nullptr;
    return Record(DeviceMethod::EndStateBlock, {}, [&] { return real_->EndStateBlock(block); },
                  [&](DeviceCall& c) { if (block) c.object = *block; });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetClipStatus(const D3DCLIPSTATUS9* status)
{
    return Record(DeviceMethod::SetClipStatus, {}, [&] { return real_->SetClipStatus(status); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetClipStatus(D3DCLIPSTATUS9* status)
{
    return Record(DeviceMethod::GetClipStatus, {}, [&] { return real_->GetClipStatus(status); });
}

// ---- Textures and samplers ----

HRESULT STDMETHODCALLTYPE RecordingDevice::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture)
{
    if (texture) *texture = nullptr;
    return Record(DeviceMethod::GetTexture, Args(stage), [&] { return real_->GetTexture(stage, texture); },
                  [&](DeviceCall& c) { if (texture) c.object = *texture; });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture)
{
    return Record(DeviceMethod::SetTexture, Args(stage, texture), [&] { return real_->SetTexture(stage, texture); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                                DWORD* value)
{
    return Record(DeviceMethod::GetTextureStageState, Args(stage, type),
                  [&] { return real_->GetTextureStageState(stage, type, value); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                                DWORD value)
{
    return Record(DeviceMethod::SetTextureStageState, Args(stage, type, value),
                  [&] { return real_->SetTextureStageState(stage, type, value); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value)
{
    return Record(DeviceMethod::GetSamplerState, Args(sampler, type),
                  [&] { return real_->GetSamplerState(sampler, type, value); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    return Record(DeviceMethod::SetSamplerState, Args(sampler, type, value),
                  [&] { return real_->SetSamplerState(sampler, type, value); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::ValidateDevice(DWORD* passes)
{
    return Record(DeviceMethod::ValidateDevice, {}, [&] { return real_->ValidateDevice(passes); });
}

// ---- Palettes, scissor, vertex processing ----

HRESULT STDMETHODCALLTYPE RecordingDevice::SetPaletteEntries(UINT palette, const PALETTEENTRY* entries)
{
    return Record(DeviceMethod::SetPaletteEntries, Args(palette),
                  [&] { return real_->SetPaletteEntries(palette, entries); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetPaletteEntries(UINT palette, PALETTEENTRY* entries)
{
    return Record(DeviceMethod::GetPaletteEntries, Args(palette),
                  [&] { return real_->GetPaletteEntries(palette, entries); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetCurrentTexturePalette(UINT palette)
{
    return Record(DeviceMethod::SetCurrentTexturePalette, Args(palette),
                  [&] { return real_->SetCurrentTexturePalette(palette); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetCurrentTexturePalette(UINT* palette)
{
    return Record(DeviceMethod::GetCurrentTexturePalette, {}, [&] { return real_->GetCurrentTexturePalette(palette); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetScissorRect(const RECT* rect)
{
    return Record(DeviceMethod::SetScissorRect, {}, [&] { return real_->SetScissorRect(rect); },
                  [&](DeviceCall& c) { c.destRect = CopyOf(rect); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetScissorRect(RECT* rect)
{
    return Record(DeviceMethod::GetScissorRect, {}, [&] { return real_->GetScissorRect(rect); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetSoftwareVertexProcessing(WINBOOL software)
{
    return Record(DeviceMethod::SetSoftwareVertexProcessing, Args(software),
                  [&] { return real_->SetSoftwareVertexProcessing(software); });
}

WINBOOL STDMETHODCALLTYPE RecordingDevice::GetSoftwareVertexProcessing()
{
    WINBOOL software = real_->GetSoftwareVertexProcessing();
    Log(DeviceMethod::GetSoftwareVertexProcessing, {}, S_OK, false);
    return software;
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetNPatchMode(float segments)
{
    return Record(DeviceMethod::SetNPatchMode, Args(segments), [&] { return real_->SetNPatchMode(segments); });
}

float STDMETHODCALLTYPE RecordingDevice::GetNPatchMode()
{
    float segments = real_->GetNPatchMode();
    Log(DeviceMethod::GetNPatchMode, {}, S_OK, false);
    return segments;
}

// ---- Drawing ----

HRESULT STDMETHODCALLTYPE RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count)
{
    return Record(DeviceMethod::DrawPrimitive, Args(type, startVertex, count),
                  [&] { return real_->DrawPrimitive(type, startVertex, count); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex,
                                                                UINT minVertexIndex, UINT numVertices,
                                                                UINT startIndex, UINT count)
{
    return Record(DeviceMethod::DrawIndexedPrimitive,
                  Args(type, baseVertexIndex, minVertexIndex, numVertices, startIndex, count), [&] {
                      return real_->DrawIndexedPrimitive(type, baseVertexIndex, minVertexIndex, numVertices,
                                                         startIndex, count);
                  });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data,
                                                           UINT stride)
{
    return Record(DeviceMethod::DrawPrimitiveUP, Args(type, count, stride),
                  [&] { return real_->DrawPrimitiveUP(type, count, data, stride); },
                  [&](DeviceCall& c) {
                      if (!data) return;
                      auto bytes = static_cast<const uint8_t*>(data);
                      c.vertexData.assign(bytes, bytes + size_t(VerticesFor(type, count)) * stride);
                  });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex,
                                                                  UINT numVertices, UINT count,
                                                                  const void* indices, D3DFORMAT indexFormat,
                                                                  const void* data, UINT stride)
{
    return Record(DeviceMethod::DrawIndexedPrimitiveUP, Args(type, minVertexIndex, numVertices, count, indexFormat, stride),
                  [&] {
                      return real_->DrawIndexedPrimitiveUP(type, minVertexIndex, numVertices, count, indices,
                                                           indexFormat, data, stride);
                  });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::ProcessVertices(UINT sourceStart, UINT destIndex, UINT count,
                                                           IDirect3DVertexBuffer9* dest,
                                                           IDirect3DVertexDeclaration9* declaration, DWORD flags)
{
    return Record(DeviceMethod::ProcessVertices, Args(sourceStart, destIndex, count, dest, declaration, flags),
                  [&] { return real_->ProcessVertices(sourceStart, destIndex, count, dest, declaration, flags); });
}

// ---- Vertex layout ----

HRESULT STDMETHODCALLTYPE RecordingDevice::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                                                   IDirect3DVertexDeclaration9** declaration)
{
    if (declaration) *declaration = nullptr;
    HRESULT result = Record(DeviceMethod::CreateVertexDeclaration, {},
                  [&] { return real_->CreateVertexDeclaration(elements, declaration); },
                  [&](DeviceCall& c) {
                      if (declaration) c.object = *declaration;
                      if (!elements) return;
                      // Up to and including the end marker; a missing marker stops at the API's limit.
                      for (size_t i = 0; i <= MAXD3DDECLLENGTH; ++i) {
                          c.elements.push_back(elements[i]);
                          if (elements[i].Stream == 0xFF) break;
                      }
                  });
    if (SUCCEEDED(result) && declaration)
        census_.TrackDeclaration(*declaration);
    return result;
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration)
{
    return Record(DeviceMethod::SetVertexDeclaration, Args(declaration),
                  [&] { return real_->SetVertexDeclaration(declaration); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration)
{
    if (declaration) *declaration = nullptr;
    return Record(DeviceMethod::GetVertexDeclaration, {}, [&] { return real_->GetVertexDeclaration(declaration); },
                  [&](DeviceCall& c) { if (declaration) c.object = *declaration; });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetFVF(DWORD fvf)
{
    return Record(DeviceMethod::SetFVF, Args(fvf), [&] { return real_->SetFVF(fvf); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetFVF(DWORD* fvf)
{
    return Record(DeviceMethod::GetFVF, {}, [&] { return real_->GetFVF(fvf); });
}

// ---- Vertex shaders ----

HRESULT STDMETHODCALLTYPE RecordingDevice::CreateVertexShader(const DWORD* byteCode, IDirect3DVertexShader9** shader)
{
    if (shader) *shader = nullptr;
    return Record(DeviceMethod::CreateVertexShader, {}, [&] { return real_->CreateVertexShader(byteCode, shader); },
                  [&](DeviceCall& c) { if (shader) c.object = *shader; });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetVertexShader(IDirect3DVertexShader9* shader)
{
    return Record(DeviceMethod::SetVertexShader, Args(shader), [&] { return real_->SetVertexShader(shader); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetVertexShader(IDirect3DVertexShader9** shader)
{
    if (shader) *shader = nullptr;
    return Record(DeviceMethod::GetVertexShader, {}, [&] { return real_->GetVertexShader(shader); },
                  [&](DeviceCall& c) { if (shader) c.object = *shader; });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetVertexShaderConstantF(UINT start, const float* data, UINT count)
{
    return Record(DeviceMethod::SetVertexShaderConstantF, Args(start, count),
                  [&] { return real_->SetVertexShaderConstantF(start, data, count); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetVertexShaderConstantF(UINT start, float* data, UINT count)
{
    return Record(DeviceMethod::GetVertexShaderConstantF, Args(start, count),
                  [&] { return real_->GetVertexShaderConstantF(start, data, count); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetVertexShaderConstantI(UINT start, const int* data, UINT count)
{
    return Record(DeviceMethod::SetVertexShaderConstantI, Args(start, count),
                  [&] { return real_->SetVertexShaderConstantI(start, data, count); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetVertexShaderConstantI(UINT start, int* data, UINT count)
{
    return Record(DeviceMethod::GetVertexShaderConstantI, Args(start, count),
                  [&] { return real_->GetVertexShaderConstantI(start, data, count); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetVertexShaderConstantB(UINT start, const WINBOOL* data, UINT count)
{
    return Record(DeviceMethod::SetVertexShaderConstantB, Args(start, count),
                  [&] { return real_->SetVertexShaderConstantB(start, data, count); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetVertexShaderConstantB(UINT start, WINBOOL* data, UINT count)
{
    return Record(DeviceMethod::GetVertexShaderConstantB, Args(start, count),
                  [&] { return real_->GetVertexShaderConstantB(start, data, count); });
}

// ---- Streams and indices ----

HRESULT STDMETHODCALLTYPE RecordingDevice::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                                           UINT stride)
{
    return Record(DeviceMethod::SetStreamSource, Args(stream, buffer, offset, stride),
                  [&] { return real_->SetStreamSource(stream, buffer, offset, stride); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer,
                                                           UINT* offset, UINT* stride)
{
    if (buffer) *buffer = nullptr;
    return Record(DeviceMethod::GetStreamSource, Args(stream),
                  [&] { return real_->GetStreamSource(stream, buffer, offset, stride); },
                  [&](DeviceCall& c) { if (buffer) c.object = *buffer; });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetStreamSourceFreq(UINT stream, UINT setting)
{
    return Record(DeviceMethod::SetStreamSourceFreq, Args(stream, setting),
                  [&] { return real_->SetStreamSourceFreq(stream, setting); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetStreamSourceFreq(UINT stream, UINT* setting)
{
    return Record(DeviceMethod::GetStreamSourceFreq, Args(stream),
                  [&] { return real_->GetStreamSourceFreq(stream, setting); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetIndices(IDirect3DIndexBuffer9* buffer)
{
    return Record(DeviceMethod::SetIndices, Args(buffer), [&] { return real_->SetIndices(buffer); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetIndices(IDirect3DIndexBuffer9** buffer)
{
    if (buffer) *buffer = nullptr;
    return Record(DeviceMethod::GetIndices, {}, [&] { return real_->GetIndices(buffer); },
                  [&](DeviceCall& c) { if (buffer) c.object = *buffer; });
}

// ---- Pixel shaders ----

HRESULT STDMETHODCALLTYPE RecordingDevice::CreatePixelShader(const DWORD* byteCode, IDirect3DPixelShader9** shader)
{
    if (shader) *shader = nullptr;
    return Record(DeviceMethod::CreatePixelShader, {}, [&] { return real_->CreatePixelShader(byteCode, shader); },
                  [&](DeviceCall& c) { if (shader) c.object = *shader; });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetPixelShader(IDirect3DPixelShader9* shader)
{
    return Record(DeviceMethod::SetPixelShader, Args(shader), [&] { return real_->SetPixelShader(shader); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetPixelShader(IDirect3DPixelShader9** shader)
{
    if (shader) *shader = nullptr;
    return Record(DeviceMethod::GetPixelShader, {}, [&] { return real_->GetPixelShader(shader); },
                  [&](DeviceCall& c) { if (shader) c.object = *shader; });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetPixelShaderConstantF(UINT start, const float* data, UINT count)
{
    return Record(DeviceMethod::SetPixelShaderConstantF, Args(start, count),
                  [&] { return real_->SetPixelShaderConstantF(start, data, count); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetPixelShaderConstantF(UINT start, float* data, UINT count)
{
    return Record(DeviceMethod::GetPixelShaderConstantF, Args(start, count),
                  [&] { return real_->GetPixelShaderConstantF(start, data, count); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetPixelShaderConstantI(UINT start, const int* data, UINT count)
{
    return Record(DeviceMethod::SetPixelShaderConstantI, Args(start, count),
                  [&] { return real_->SetPixelShaderConstantI(start, data, count); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetPixelShaderConstantI(UINT start, int* data, UINT count)
{
    return Record(DeviceMethod::GetPixelShaderConstantI, Args(start, count),
                  [&] { return real_->GetPixelShaderConstantI(start, data, count); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::SetPixelShaderConstantB(UINT start, const WINBOOL* data, UINT count)
{
    return Record(DeviceMethod::SetPixelShaderConstantB, Args(start, count),
                  [&] { return real_->SetPixelShaderConstantB(start, data, count); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::GetPixelShaderConstantB(UINT start, WINBOOL* data, UINT count)
{
    return Record(DeviceMethod::GetPixelShaderConstantB, Args(start, count),
                  [&] { return real_->GetPixelShaderConstantB(start, data, count); });
}

// ---- Patches and queries ----

HRESULT STDMETHODCALLTYPE RecordingDevice::DrawRectPatch(UINT handle, const float* segments,
                                                         const D3DRECTPATCH_INFO* info)
{
    return Record(DeviceMethod::DrawRectPatch, Args(handle), [&] { return real_->DrawRectPatch(handle, segments, info); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::DrawTriPatch(UINT handle, const float* segments,
                                                        const D3DTRIPATCH_INFO* info)
{
    return Record(DeviceMethod::DrawTriPatch, Args(handle), [&] { return real_->DrawTriPatch(handle, segments, info); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::DeletePatch(UINT handle)
{
    return Record(DeviceMethod::DeletePatch, Args(handle), [&] { return real_->DeletePatch(handle); });
}

HRESULT STDMETHODCALLTYPE RecordingDevice::CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** query)
{
    // A null out-pointer asks whether the type is supported; leave that untouched.
    if (query) *query = nullptr;
    return Record(DeviceMethod::CreateQuery, Args(type), [&] { return real_->CreateQuery(type, query); },
                  [&](DeviceCall& c) { if (query) c.object = *query; });
}
