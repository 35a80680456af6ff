// The recording device: it forwards faithfully, logs what tests assert on, fails what it is told to,
// reports the caps it is told to, makes buffers readable, and keeps COM reference counts balanced.
#include <cstring>

#include <gtest/gtest.h>

#include "export_values.h"
#include "plugin_loader.h"
#include "recording_device.h"
#include "ref_host.h"
#include "reference_count.h"
#include "scoped_recording_device.h"

namespace {

class RecordingDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(refhost::Start()) << "the reference host could not create its device";
        real_ = refhost::RealDevice();
        device_ = new RecordingDevice(real_);
    }
    void TearDown() override
    {
        if (device_) {
            EXPECT_EQ(device_->Release(), 0u) << "a test leaked a reference to the recording device";
        }
    }

    // A 4x4 X8R8G8B8 render target made through the real device, so it is not in the log.
    IDirect3DSurface9* MakeTarget()
    {
        IDirect3DSurface9* target = nullptr;
        EXPECT_EQ(real_->CreateRenderTarget(4, 4, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &target, nullptr),
                  D3D_OK);
        return target;
    }

    // The top-left pixel of a render target, read back through `device`.
    static D3DCOLOR ReadPixel(IDirect3DDevice9* device, IDirect3DSurface9* target)
    {
        D3DSURFACE_DESC desc;
        target->GetDesc(&desc);
        IDirect3DSurface9* copy = nullptr;
        if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                       &copy, nullptr)))
            return 0xDEADBEEF;
        D3DCOLOR pixel = 0xDEADBEEF;
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(device->GetRenderTargetData(target, copy)) &&
            SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            std::memcpy(&pixel, locked.pBits, sizeof pixel);
            copy->UnlockRect();
        }
        copy->Release();
        return pixel & 0x00FFFFFF;
    }

    IDirect3DDevice9* real_ = nullptr;
    RecordingDevice* device_ = nullptr;
};

TEST_F(RecordingDeviceTest, ForwardsDrawingToTheRealDevice)
{
    IDirect3DSurface9* target = MakeTarget();
    ASSERT_NE(target, nullptr);
    IDirect3DSurface9* saved = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(0, &saved), D3D_OK);
    ASSERT_NE(saved, nullptr);

    ASSERT_EQ(device_->SetRenderTarget(0, target), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0x20, 0x80, 0xC0), 1.0f, 0), D3D_OK);
    EXPECT_EQ(ReadPixel(device_, target), 0x2080C0u);

    device_->ColorFill(target, nullptr, D3DCOLOR_XRGB(0x10, 0x20, 0x30));
    EXPECT_EQ(ReadPixel(device_, target), 0x102030u);

    // The state set through the wrapper is the real device's state.
    IDirect3DSurface9* current = nullptr;
    real_->GetRenderTarget(0, &current);
    EXPECT_EQ(current, target);
    current->Release();

    device_->SetRenderTarget(0, saved);
    saved->Release();
    target->Release();
}

TEST_F(RecordingDeviceTest, LogsCallsInOrderWithTheirArguments)
{
    const D3DMATRIX world = {{{1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 3, 0, 4, 5, 6, 1}}};
    const float plane[4] = {0.0f, 1.0f, 0.0f, -2.5f};
    D3DVIEWPORT9 viewport = {1, 2, 30, 40, 0.25f, 0.75f};

    device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device_->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device_->SetTransform(D3DTS_WORLD, &world);
    DWORD unlogged = 0;
    device_->GetRenderState(D3DRS_ZWRITEENABLE, &unlogged);  // getters stay out of the log
    device_->SetClipPlane(0, plane);
    device_->SetViewport(&viewport);
    device_->SetStreamSourceFreq(1, D3DSTREAMSOURCE_INSTANCEDATA | 1u);
    device_->SetStreamSourceFreq(1, 1);
    device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0xFF00FF00, 0.5f, 0);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);

    const std::vector<DeviceMethod> expected = {
        DeviceMethod::SetRenderState,      DeviceMethod::SetSamplerState,     DeviceMethod::SetTransform,
        DeviceMethod::SetClipPlane,        DeviceMethod::SetViewport,         DeviceMethod::SetStreamSourceFreq,
        DeviceMethod::SetStreamSourceFreq, DeviceMethod::Clear,               DeviceMethod::SetRenderState,
    };
    ASSERT_EQ(device_->Methods(), expected) << Describe(device_->Calls());

    EXPECT_EQ(device_->RenderStates(), (std::vector<RenderStateSet>{{D3DRS_ZWRITEENABLE, FALSE},
                                                                     {D3DRS_ZWRITEENABLE, TRUE}}));
    EXPECT_EQ(device_->LastRenderState(D3DRS_ZWRITEENABLE), TRUE);
    EXPECT_EQ(device_->LastRenderState(D3DRS_ZENABLE), std::nullopt);
    EXPECT_EQ(device_->SamplerStates(), (std::vector<SamplerStateSet>{{1, D3DSAMP_MAGFILTER, D3DTEXF_POINT}}));
    EXPECT_EQ(device_->StreamFrequencies(),
              (std::vector<StreamFrequencySet>{{1, D3DSTREAMSOURCE_INSTANCEDATA | 1u}, {1, 1}}));

    const DeviceCall& transform = device_->Calls()[2];
    EXPECT_EQ(transform.Arg(0), D3DTS_WORLD);
    ASSERT_TRUE(transform.matrix.has_value());
    EXPECT_EQ(std::memcmp(&*transform.matrix, &world, sizeof world), 0) << Describe(transform);

    const DeviceCall& clip = device_->Calls()[3];
    EXPECT_EQ(clip.Arg(0), 0u);
    ASSERT_TRUE(clip.plane.has_value());
    EXPECT_EQ((*clip.plane)[3], -2.5f);

    const DeviceCall& view = device_->Calls()[4];
    ASSERT_TRUE(view.viewport.has_value());
    EXPECT_EQ(view.viewport->Width, 30u);
    EXPECT_EQ(view.viewport->MaxZ, 0.75f);

    const DeviceCall& clear = device_->Calls()[7];
    EXPECT_EQ(clear.args, (std::vector<uint32_t>{0, D3DCLEAR_ZBUFFER, 0xFF00FF00, FloatBits(0.5f), 0}));
    EXPECT_EQ(clear.ArgFloat(3), 0.5f);
    for (const DeviceCall& call : device_->Calls()) {
        EXPECT_EQ(call.result, D3D_OK) << Describe(call);
        EXPECT_FALSE(call.injected) << Describe(call);
    }

    EXPECT_EQ(device_->Count(DeviceMethod::SetStreamSourceFreq), 2u);
    EXPECT_EQ(device_->Filter({DeviceMethod::SetClipPlane, DeviceMethod::Clear}).size(), 2u);
    device_->ClearLog();
    EXPECT_TRUE(device_->Calls().empty());
    device_->SetStreamSourceFreq(1, 1);
}

TEST_F(RecordingDeviceTest, LogsCreatedObjectsAndCopiesOfWhatTheyWereMadeFrom)
{
    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {1, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 1},
        D3DDECL_END(),
    };
    IDirect3DVertexDeclaration9* declaration = nullptr;
    ASSERT_EQ(device_->CreateVertexDeclaration(elements, &declaration), D3D_OK);
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &buffer, nullptr), D3D_OK);
    device_->SetVertexDeclaration(declaration);
    device_->SetStreamSource(1, buffer, 16, 12);
    device_->SetStreamSource(1, nullptr, 0, 0);
    device_->SetVertexDeclaration(nullptr);

    ASSERT_EQ(device_->Calls().size(), 6u) << Describe(device_->Calls());
    const DeviceCall& made = device_->Calls()[0];
    EXPECT_EQ(made.object, declaration);
    ASSERT_EQ(made.elements.size(), 3u);
    EXPECT_EQ(made.elements[1].Stream, 1);
    EXPECT_EQ(made.elements[1].UsageIndex, 1);
    EXPECT_EQ(made.elements[2].Stream, 0xFF);

    const DeviceCall& vb = device_->Calls()[1];
    EXPECT_EQ(vb.args, (std::vector<uint32_t>{64, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT}));
    EXPECT_EQ(vb.object, buffer);
    EXPECT_EQ(device_->Calls()[2].Arg(0), reinterpret_cast<uintptr_t>(declaration));
    EXPECT_EQ(device_->Calls()[3].args,
              (std::vector<uint32_t>{1, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(buffer)), 16, 12}));

    // A user-pointer draw keeps a copy of the vertices it read: 3 of 12 bytes for one triangle.
    const float vertices[9] = {-1, -1, 0.5f, 0, 1, 0.5f, 1, -1, 0.5f};
    device_->ClearLog();
    device_->SetFVF(D3DFVF_XYZ);
    device_->BeginScene();
    device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, vertices, 12);
    device_->EndScene();
    ASSERT_EQ(device_->Methods(), (std::vector<DeviceMethod>{DeviceMethod::SetFVF, DeviceMethod::BeginScene,
                                                             DeviceMethod::DrawPrimitiveUP, DeviceMethod::EndScene}));
    const DeviceCall& draw = device_->Calls()[2];
    EXPECT_EQ(draw.args, (std::vector<uint32_t>{D3DPT_TRIANGLELIST, 1, 12}));
    ASSERT_EQ(draw.vertexData.size(), sizeof vertices);
    EXPECT_EQ(std::memcmp(draw.vertexData.data(), vertices, sizeof vertices), 0);

    buffer->Release();
    declaration->Release();
}

TEST_F(RecordingDeviceTest, InjectedFailureIsReturnedLoggedAndNotForwarded)
{
    real_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->FailCall(DeviceMethod::SetRenderState, 2);

    EXPECT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW), D3D_OK);
    EXPECT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW), D3DERR_INVALIDCALL);
    DWORD cull = 0;
    real_->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, DWORD(D3DCULL_CW)) << "the failed call reached the real device";
    EXPECT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK) << "only the 2nd call fails";
    real_->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, DWORD(D3DCULL_NONE));

    ASSERT_EQ(device_->Calls().size(), 3u);
    EXPECT_FALSE(device_->Calls()[0].injected);
    EXPECT_TRUE(device_->Calls()[1].injected);
    EXPECT_EQ(device_->Calls()[1].result, D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Calls()[1].Arg(1), DWORD(D3DCULL_CCW));
    EXPECT_NE(Describe(device_->Calls()[1]).find("SetRenderState(22, 3) -> D3DERR_INVALIDCALL (injected)"),
              std::string::npos)
        << Describe(device_->Calls()[1]);

    // Every call, with a chosen result; creation hands back no object.
    device_->FailCall(DeviceMethod::CreateTexture, 0, E_OUTOFMEMORY);
    for (int attempt = 0; attempt < 2; ++attempt) {
        IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(0x1);
        EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
                  E_OUTOFMEMORY);
        EXPECT_EQ(texture, nullptr);
    }
    // Methods that are not logged can fail too.
    device_->FailCall(DeviceMethod::TestCooperativeLevel, 1, D3DERR_DEVICELOST);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);

    device_->ClearFailures();
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    ASSERT_NE(texture, nullptr);
    texture->Release();
    EXPECT_EQ(device_->Count(DeviceMethod::CreateTexture), 3u);
    EXPECT_EQ(device_->Count(DeviceMethod::TestCooperativeLevel), 0u);
}

TEST_F(RecordingDeviceTest, CapsOverrideIsSeenThroughTheDeviceAndItsDirect3D)
{
    D3DCAPS9 real{};
    ASSERT_EQ(real_->GetDeviceCaps(&real), D3D_OK);
    ASSERT_NE(real.PrimitiveMiscCaps & D3DPMISCCAPS_INDEPENDENTWRITEMASKS, 0u) << "this machine lacks the bit";

    CapsOverride override;
    override.maxStreams = 1;
    override.numSimultaneousRTs = 1;
    override.primitiveMiscCapsCleared = D3DPMISCCAPS_INDEPENDENTWRITEMASKS | D3DPMISCCAPS_MRTINDEPENDENTBITDEPTHS;
    override.edit = [](D3DCAPS9& caps) { caps.VertexShaderVersion = D3DVS_VERSION(2, 0); };
    device_->OverrideCaps(override);

    IDirect3D9* d3d = nullptr;
    ASSERT_EQ(device_->GetDirect3D(&d3d), D3D_OK);
    EXPECT_EQ(d3d, static_cast<IDirect3D9*>(device_->Direct3D()));
    D3DCAPS9 fromDevice{}, fromD3D{};
    ASSERT_EQ(device_->GetDeviceCaps(&fromDevice), D3D_OK);
    ASSERT_EQ(d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &fromD3D), D3D_OK);
    for (const D3DCAPS9* caps : {&fromDevice, &fromD3D}) {
        EXPECT_EQ(caps->MaxStreams, 1u);
        EXPECT_EQ(caps->NumSimultaneousRTs, 1u);
        EXPECT_EQ(caps->PrimitiveMiscCaps & D3DPMISCCAPS_INDEPENDENTWRITEMASKS, 0u);
        EXPECT_EQ(caps->PrimitiveMiscCaps & D3DPMISCCAPS_MRTINDEPENDENTBITDEPTHS, 0u);
        EXPECT_EQ(caps->PrimitiveMiscCaps & ~DWORD(override.primitiveMiscCapsCleared),
                  real.PrimitiveMiscCaps & ~DWORD(override.primitiveMiscCapsCleared));
        EXPECT_EQ(caps->VertexShaderVersion, DWORD(D3DVS_VERSION(2, 0)));
        EXPECT_EQ(caps->PixelShaderVersion, real.PixelShaderVersion);
        EXPECT_EQ(caps->MaxTextureWidth, real.MaxTextureWidth);
    }

    device_->ClearCapsOverride();
    ASSERT_EQ(device_->GetDeviceCaps(&fromDevice), D3D_OK);
    EXPECT_EQ(fromDevice.MaxStreams, real.MaxStreams);
    EXPECT_EQ(fromDevice.NumSimultaneousRTs, real.NumSimultaneousRTs);

    // Format support: only the chosen format, and with a usage filter only for that usage.
    const D3DFORMAT f16 = D3DFMT_A16B16G16R16F;
    auto check = [&](DWORD usage, D3DFORMAT format) {
        return d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, usage, D3DRTYPE_TEXTURE,
                                      format);
    };
    ASSERT_EQ(check(D3DUSAGE_RENDERTARGET, f16), D3D_OK) << "this machine cannot render to A16B16G16R16F";
    device_->Direct3D()->OverrideFormat(f16, D3DERR_NOTAVAILABLE, D3DUSAGE_RENDERTARGET);
    EXPECT_EQ(check(D3DUSAGE_RENDERTARGET, f16), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(check(0, f16), D3D_OK);
    EXPECT_EQ(check(D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8), D3D_OK);
    device_->Direct3D()->ClearFormatOverrides();
    EXPECT_EQ(check(D3DUSAGE_RENDERTARGET, f16), D3D_OK);
    d3d->Release();
}

TEST_F(RecordingDeviceTest, ReadableBuffersGiveBackWhatWasWritten)
{
    device_->MakeBuffersReadable(true);
    const DWORD usage = D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC;
    IDirect3DVertexBuffer9* vertices = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(256, usage, 0, D3DPOOL_DEFAULT, &vertices, nullptr), D3D_OK);
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(device_->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indices, nullptr),
              D3D_OK);

    // The log keeps what the caller asked for; the real buffers are readable and in the pool asked for.
    EXPECT_EQ(device_->Calls()[0].Arg(1), usage);
    EXPECT_EQ(device_->Calls()[1].Arg(1), DWORD(D3DUSAGE_WRITEONLY));
    D3DVERTEXBUFFER_DESC vdesc;
    vertices->GetDesc(&vdesc);
    EXPECT_EQ(vdesc.Usage, DWORD(D3DUSAGE_DYNAMIC));
    EXPECT_EQ(vdesc.Pool, D3DPOOL_DEFAULT);

    float written[64];
    for (int i = 0; i < 64; ++i) written[i] = 0.5f * i - 3.0f;
    void* p = nullptr;
    ASSERT_EQ(vertices->Lock(0, 0, &p, D3DLOCK_DISCARD), D3D_OK);
    std::memcpy(p, written, sizeof written);
    vertices->Unlock();
    ASSERT_EQ(vertices->Lock(0, 0, &p, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(p, written, sizeof written), 0);
    vertices->Unlock();

    const WORD indexData[6] = {0, 1, 2, 2, 1, 3};
    ASSERT_EQ(indices->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, indexData, sizeof indexData);
    indices->Unlock();
    ASSERT_EQ(indices->Lock(0, 0, &p, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(p, indexData, sizeof indexData), 0);
    indices->Unlock();

    vertices->Release();
    indices->Release();

    // Off again: usage is forwarded as asked.
    device_->MakeBuffersReadable(false);
    ASSERT_EQ(device_->CreateVertexBuffer(64, usage, 0, D3DPOOL_DEFAULT, &vertices, nullptr), D3D_OK);
    vertices->GetDesc(&vdesc);
    EXPECT_EQ(vdesc.Usage, usage);
    vertices->Release();
}

TEST_F(RecordingDeviceTest, ReadableVertexBufferStillDrawsAndReadsBackAfterTheDraw)
{
    struct Vertex {
        float x, y, z, rhw;
        D3DCOLOR colour;
    };
    // One screen-space triangle large enough to cover the whole 4x4 target.
    const Vertex triangle[3] = {{-1, -1, 0.5f, 1, 0xFF3060A0}, {12, -1, 0.5f, 1, 0xFF3060A0},
                                {-1, 12, 0.5f, 1, 0xFF3060A0}};
    device_->MakeBuffersReadable(true);
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof triangle, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &buffer,
                                          nullptr),
              D3D_OK);
    void* p = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, triangle, sizeof triangle);
    buffer->Unlock();

    IDirect3DStateBlock9* saved = nullptr;
    ASSERT_EQ(real_->CreateStateBlock(D3DSBT_ALL, &saved), D3D_OK);
    IDirect3DSurface9* savedTarget = nullptr;
    real_->GetRenderTarget(0, &savedTarget);
    IDirect3DSurface9* target = MakeTarget();
    ASSERT_NE(target, nullptr);

    device_->SetRenderTarget(0, target);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    device_->SetRenderState(D3DRS_ZENABLE, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device_->SetVertexShader(nullptr);
    device_->SetPixelShader(nullptr);
    device_->SetTexture(0, nullptr);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    device_->SetStreamSource(0, buffer, 0, sizeof(Vertex));
    device_->BeginScene();
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    device_->EndScene();
    EXPECT_EQ(ReadPixel(device_, target), 0x3060A0u);

    ASSERT_EQ(buffer->Lock(0, 0, &p, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(p, triangle, sizeof triangle), 0);
    buffer->Unlock();

    device_->SetStreamSource(0, nullptr, 0, 0);
    device_->SetRenderTarget(0, savedTarget);
    saved->Apply();
    saved->Release();
    savedTarget->Release();
    target->Release();
    buffer->Release();
}

TEST_F(RecordingDeviceTest, ReferenceCountsStayBalanced)
{
    const ULONG realBefore = ReferenceCount(real_);
    RecordingDevice* second = new RecordingDevice(real_);
    EXPECT_EQ(ReferenceCount(real_), realBefore + 1) << "the wrapper holds one reference on the real device";
    EXPECT_EQ(second->References(), 1u);

    IDirect3DDevice9* queried = nullptr;
    ASSERT_EQ(second->QueryInterface(__uuidof(IDirect3DDevice9), reinterpret_cast<void**>(&queried)), S_OK);
    EXPECT_EQ(queried, second);
    EXPECT_EQ(second->References(), 2u);
    EXPECT_EQ(queried->Release(), 1u);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(second->QueryInterface(__uuidof(IDirect3D9), reinterpret_cast<void**>(&unknown)), E_NOINTERFACE);
    EXPECT_EQ(unknown, nullptr);

    IDirect3D9* d3d = nullptr;
    ASSERT_EQ(second->GetDirect3D(&d3d), D3D_OK);
    const ULONG d3dRefs = second->Direct3D()->References();
    EXPECT_EQ(d3dRefs, 2u) << "one for the device, one for the caller";
    d3d->Release();
    EXPECT_EQ(second->Direct3D()->References(), 1u);

    // Resources are the real ones, and name the real device as theirs.
    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(second->GetRenderTarget(0, &target), D3D_OK);
    IDirect3DDevice9* owner = nullptr;
    ASSERT_EQ(target->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, real_);
    owner->Release();
    target->Release();

    EXPECT_EQ(second->Release(), 0u);
    EXPECT_EQ(ReferenceCount(real_), realBefore);
}

TEST(ScopedRecordingDeviceTest, HostLibraryHandsOutTheRecordingDeviceWhileInstalled)
{
    ASSERT_TRUE(refhost::Start());
    // What a plugin binds: the host library's display functions.
    HMODULE setup = LoadLibraryA("DBProSetupDebug.dll");
    ASSERT_NE(setup, nullptr);
    auto hostDevice = refhost::ExportAs<IDirect3DDevice9*(__cdecl*)()>(setup, "?GetDirect3DDevice@@YAPAUIDirect3DDevice9@@XZ");
    auto hostDirect3D = refhost::ExportAs<IDirect3D9*(__cdecl*)()>(setup, "?GetDirect3D@@YAPAUIDirect3D9@@XZ");
    ASSERT_TRUE(hostDevice && hostDirect3D);

    IDirect3DDevice9* real = refhost::RealDevice();
    IDirect3D9* realD3D = refhost::RealDirect3D();
    const ULONG realBefore = ReferenceCount(real);
    {
        ScopedRecordingDevice recording;
        ASSERT_NE(recording.Get(), nullptr);
        EXPECT_EQ(hostDevice(), recording.Get());
        EXPECT_EQ(hostDirect3D(), recording->Direct3D());
        EXPECT_EQ(recording->Real(), real);

        hostDevice()->SetRenderState(D3DRS_LIGHTING, FALSE);
        EXPECT_EQ(recording->LastRenderState(D3DRS_LIGHTING), DWORD(FALSE));
        CapsOverride oneTarget;
        oneTarget.numSimultaneousRTs = 1;
        recording->OverrideCaps(oneTarget);
        D3DCAPS9 caps{};
        ASSERT_EQ(hostDirect3D()->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps), D3D_OK);
        EXPECT_EQ(caps.NumSimultaneousRTs, 1u);
    }
    EXPECT_EQ(hostDevice(), real);
    EXPECT_EQ(hostDirect3D(), realD3D);
    EXPECT_EQ(ReferenceCount(real), realBefore);
    FreeLibrary(setup);
}

} // namespace
