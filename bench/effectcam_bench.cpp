// Effect cameras against their floor, in one run, on the reference host's real device: EfxCam_Sync of
// 8 ready cameras (each drawing its own cube into its own 128 x 128 image) against a hand-written
// loop that makes the same device and effect calls for the same 8 cameras with everything it can
// worked out beforehand. That the two make the same device calls is checked first, through the
// recording device. Prints what it measured and the ratio; it is not a test and fails only when it
// cannot run.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

#include "bench_start.h"
#include "bench_timing.h"
#include "effect_creation.h"
#include "effect_library.h"
#include "plugin_loader.h"
#include "ref_host.h"
#include "typed_command.h"
#include "scoped_recording_device.h"

namespace {

constexpr int kCameras = 8;
constexpr int kSize = 128;
constexpr int kEffect = 1;
constexpr int kFirstObject = 1;
constexpr int kFirstImage = 1;

// Waits until the device has finished everything queued, so every timed run starts on an idle device.
void Finish() { WaitUntilIdle(refhost::RealDevice()); }

// What the floor knows beforehand about one camera: its surface, view port, matrices and object.
struct ReadyCamera {
    IDirect3DSurface9* surface;
    D3DVIEWPORT9 viewport;
    D3DXMATRIX view, projection, viewProjection;
    const sObject* object;
    const HostMesh* mesh;
};

// The device and effect calls EfxCam_Sync makes for these cameras, written out by hand.
void FloorPass(IDirect3DDevice9* d, const std::vector<ReadyCamera>& cameras)
{
    IDirect3DSurface9 *target = nullptr, *depth = nullptr;
    d->GetRenderTarget(0, &target);
    d->GetDepthStencilSurface(&depth);
    d->SetDepthStencilSurface(nullptr);
    d->BeginScene();
    for (const ReadyCamera& c : cameras) {
        const HostMesh* m = c.mesh;
        const HostEffect& e = *m->effect;
        d->SetRenderTarget(0, c.surface);
        d->SetViewport(&c.viewport);
        d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0);
        d->SetTransform(D3DTS_VIEW, &c.view);
        d->SetTransform(D3DTS_PROJECTION, &c.projection);
        d->SetTransform(D3DTS_WORLD, &c.object->world);
        // The mesh's render states: a cube without texture stages, depth switched off.
        for (DWORD stage = 0; stage < 8; ++stage)
            d->SetTexture(stage, nullptr);
        d->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        d->SetRenderState(D3DRS_CULLMODE, m->cullMode == 3 ? D3DCULL_CW : m->cullCounterClockwise ? D3DCULL_CCW : D3DCULL_NONE);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        d->SetRenderState(D3DRS_DEPTHBIAS, 0);
        d->SetRenderState(D3DRS_SLOPESCALEDEPTHBIAS, 0);
        d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        d->SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, std::bit_cast<DWORD>(m->mipLodBias));
        d->SetFVF(m->fvf);
        d->SetIndices(m->drawBuffer->indexBuffer);
        d->SetStreamSource(0, m->drawBuffer->vertexBuffer, 0, m->vertexSize);
        ID3DXEffect* fx = e.effect;
        fx->SetMatrix(e.matrixHandles[kWorld], static_cast<const D3DXMATRIX*>(&c.object->world));
        fx->SetMatrix(e.matrixHandles[kView], &c.view);
        fx->SetMatrix(e.matrixHandles[kProjection], &c.projection);
        fx->SetMatrix(e.matrixHandles[kViewProjection], &c.viewProjection);
        d->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
        UINT passes = 0;
        fx->Begin(&passes, 0);
        for (UINT p = 0; p < passes; ++p) {
            fx->BeginPass(p);
            d->DrawIndexedPrimitive(m->primitiveType, 0, 0, m->vertexCount, 0, m->primitiveCount);
            fx->EndPass();
        }
        fx->End();
    }
    d->EndScene();
    d->SetDepthStencilSurface(depth);
    depth->Release();
    d->SetRenderTarget(0, target);
    target->Release();
}

// Makes the cameras through the plugin and gathers what the floor needs from the same places.
std::vector<ReadyCamera> MakeCameras(const refhost::LoadedPlugin& plugin)
{
    std::vector<ReadyCamera> cameras;
    refhost::MeshDescription cube;
    cube.size = 2.0f;
    for (int n = 0; n < kCameras; ++n) {
        const int object = kFirstObject + n, image = kFirstImage + n;
        refhost::MakeObject(object, cube);
        refhost::SetObjectEffect(object, kEffect);
        refhost::SetObjectPosition(object, 3.0f * n, 0.0f, 10.0f);
        refhost::SetObjectRotation(object, 10.0f * n, 20.0f * n, 0.0f);
        refhost::HideObject(object);
        FIND_COMMAND(plugin, EfxCam_MakeNew)(n);
        FIND_COMMAND(plugin, EfxCam_SetToImage)(n, image, kSize, kSize);
        FIND_COMMAND(plugin, EfxCam_SetObject)(n, object);
        FIND_COMMAND(plugin, EfxCam_SetBackdropColor)(n, static_cast<int>(0xFF203040));
        FIND_COMMAND(plugin, EfxCam_SetAspect)(n, 1.0f);
        FIND_COMMAND(plugin, EfxCam_SetFOV)(n, 0.9f);
        FIND_COMMAND(plugin, EfxCam_SetRange)(n, 1.0f, 100.0f);
        FIND_COMMAND(plugin, EfxCam_SetPosition)(n, 3.0f * n, 1.0f, 0.0f);
        FIND_COMMAND(plugin, EfxCam_SetRotation)(n, 5.0f, 0.0f, 0.0f);

        ReadyCamera c{};
        refhost::GetImagePointer(image)->GetSurfaceLevel(0, &c.surface);
        c.surface->Release(); // the plugin and the image keep it alive
        c.viewport = {0, 0, kSize, kSize, 0.0f, 1.0f};
        const D3DXVECTOR3 eye(3.0f * n, 1.0f, 0.0f), up(0, 1, 0);
        const float pitch = -5.0f * 0.0174532924f;
        const D3DXVECTOR3 at = eye + D3DXVECTOR3(0.0f, std::sin(pitch), std::cos(pitch));
        D3DXMatrixLookAtLH(&c.view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&c.projection, 0.9f, 1.0f, 1.0f, 100.0f);
        c.viewProjection = c.view * c.projection;
        c.object = refhost::GetObjectRecord(object);
        c.mesh = refhost::GetLimbMesh(object, 0);
        cameras.push_back(c);
    }
    FIND_COMMAND(plugin, EfxCam_SyncMask)((1 << kCameras) - 1);
    return cameras;
}

// The device calls of one run of `pass`, as text.
template <typename Pass>
std::string DeviceCallsOf(Pass pass)
{
    ScopedRecordingDevice recorder;
    for (size_t m = 0; m < kDeviceMethodCount; ++m)
        recorder->SetLogged(static_cast<DeviceMethod>(m), true);
    pass(recorder.Get());
    return Describe(recorder->Calls());
}

} // namespace

int main()
{
    refhost::LoadedPlugin plugin;
    if (!StartHostWithPlugin(plugin))
        return 1;
    // Looked up once: a look-up by name would be timed with the command.
    const auto sync = FIND_COMMAND(plugin, EfxCam_Sync);
    std::string error;
    ID3DXEffect* fx = refhost::CreateDescribedEffect(refhost::RealDevice(), refhost::PlainEffectDescription(), &error);
    if (!fx) {
        std::fprintf(stderr, "bench: effect: %s\n", error.c_str());
        return 1;
    }
    refhost::AddEffect(kEffect, fx);
    fx->Release();
    const std::vector<ReadyCamera> cameras = MakeCameras(plugin);

    // Same calls first: the camera's matrices are rebuilt by the first pass, so both runs compare
    // the steady state.
    sync();
    const std::string plugin_calls = DeviceCallsOf([&](IDirect3DDevice9*) { sync(); });
    const std::string floor_calls = DeviceCallsOf([&](IDirect3DDevice9* d) { FloorPass(d, cameras); });
    const bool same = plugin_calls == floor_calls;

    // Medians of runs taken in turns, each starting on an idle device: the work of the host's thread.
    IDirect3DDevice9* device = refhost::Device();
    std::vector<double> plugin_times, floor_times;
    auto timed = [](auto run, std::vector<double>& times) {
        Finish();
        const double start = Now();
        run();
        times.push_back(Now() - start);
    };
    for (int i = 0; i < 101; ++i) {
        // Which goes first alternates, so neither always meets the device in the same state.
        auto plugin_run = [&] { timed([&] { sync(); }, plugin_times); };
        auto floor_run = [&] { timed([&] { FloorPass(device, cameras); }, floor_times); };
        if (i % 2) {
            plugin_run();
            floor_run();
        } else {
            floor_run();
            plugin_run();
        }
    }
    const double a = Median(plugin_times), b = Median(floor_times);

    std::printf("Ryxo effect camera benchmark: ratio against a floor measured in this run (medians of 101)\n\n");
    std::printf("EfxCam_Sync of %d ready cameras (%d x %d images, one cube each)\n", kCameras, kSize, kSize);
    std::printf("  same device calls as the floor:  %s\n", same ? "yes" : "NO");
    std::printf("  EfxCam_Sync:                     %9.3f ms on the host's thread\n", a * 1e3);
    std::printf("  hand-written loop (the floor):   %9.3f ms\n", b * 1e3);
    std::printf("    ratio:                         %9.2fx  (goal <= 1.3x)\n", a / b);
    if (!same)
        std::printf("\nEfxCam_Sync made:\n%s\nthe floor made:\n%s\n", plugin_calls.c_str(), floor_calls.c_str());

    for (int n = 0; n < kCameras; ++n)
        FIND_COMMAND(plugin, EfxCam_Delete)(n);
    StopHostWithPlugin(plugin);
    return 0;
}
