// Geometry instancing against its baselines, in one run, on the reference host's real device:
//   - one frame of 10,000 instances from one instance set against the same 10,000 cubes drawn the
//     way the host draws its own objects (one draw call each, the same cube, one shared effect);
//   - GeoInst_Update of 100,000 instances against lock + one memcpy + unlock of the same bytes
//     into the same kind of buffer, with and without every 10th instance excluded;
//   - GeoInst_UpdateInstance with three non-zero angles against the C runtime computing the same
//     three sine and cosine pairs, and against composing and storing the matrices from sines
//     worked out beforehand;
//   - device calls made for one drawn set at 10 and at 100,000 instances.
// Prints what it measured and the ratios; it is not a test and fails only when it cannot run.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_start.h"
#include "bench_support.h"
#include "posing_floors.h"
#include "scoped_recording_device.h"

namespace {

constexpr int kDrawInstances = 10000;
constexpr int kUploadInstances = 100000;
constexpr int kFirstHostObject = 100;

// Where the n-th of the drawn cubes stands: a 100 x 100 grid facing the camera.
D3DXVECTOR3 GridPlace(int n)
{
    const int column = (n - 1) % 100, row = (n - 1) / 100;
    return {(column - 49.5f) * 1.5f, (row - 49.5f) * 1.5f, 150.0f};
}

// A set on the cube with `count` instances placed on the grid (positions wrap for large counts),
// uploaded.
int MakeFilledSet(const Commands& c, int count)
{
    const int set = c.makeNew();
    c.setMesh(set, kCubeObject, 0);
    c.setMaxInstanceCount(set, count);
    c.setInstanceCount(set, count);
    for (int n = 1; n <= count; ++n) {
        const D3DXVECTOR3 p = GridPlace((n - 1) % kDrawInstances + 1);
        c.setPosition(set, n, p.x, p.y, p.z);
        c.setScaleUniform(set, n, 100.0f);
        c.updateInstance(set, n);
    }
    c.update(set);
    return set;
}

void BenchDrawing(const Commands& c)
{
    // The instance set, and the same cubes as host objects sharing one effect, which draws with a
    // World parameter where the instancing effect reads the rows of stream 1.
    const int set = MakeFilledSet(c, kDrawInstances);
    for (int n = 1; n <= kDrawInstances; ++n) {
        const int object = kFirstHostObject + n;
        refhost::MakeObject(object, SmallCube());
        const D3DXVECTOR3 p = GridPlace(n);
        refhost::SetObjectPosition(object, p.x, p.y, p.z);
        refhost::SetObjectEffect(object, kEffectPlain);
        refhost::HideObject(object);
    }

    const FrameTimes instanced = MeasureFrames(9);
    const int instancedHostDraws = refhost::GetStatistic(5);

    c.setHidden(set, 1);
    for (int n = 1; n <= kDrawInstances; ++n)
        refhost::ShowObject(kFirstHostObject + n);
    const FrameTimes perObject = MeasureFrames(5);
    const int hostDraws = refhost::GetStatistic(5);

    for (int n = 1; n <= kDrawInstances; ++n)
        refhost::DeleteObject(kFirstHostObject + n);
    c.deleteSet(set);

    std::printf("Drawing one frame of %d cubes (12 triangles each); host draw calls: %d with one instance set, "
                "%d with one draw call per host object\n",
                kDrawInstances, instancedHostDraws, hostDraws);
    std::printf("  frame work on the host's thread (FastSync, device idle before it):\n");
    std::printf("    one instance set:              %9.3f ms\n", instanced.hostThread * 1e3);
    std::printf("    one draw call per host object: %9.3f ms\n", perObject.hostThread * 1e3);
    std::printf("    speed-up:                      %9.1fx  (goal >= 20x)\n", perObject.hostThread / instanced.hostThread);
    std::printf("  finished frame (FastSync until its pixels can be read back; the device rasterises on this CPU):\n");
    std::printf("    one instance set:              %9.3f ms\n", instanced.finished * 1e3);
    std::printf("    one draw call per host object: %9.3f ms\n", perObject.finished * 1e3);
    std::printf("    speed-up:                      %9.1fx\n\n", perObject.finished / instanced.finished);
}

// GeoInst_Update of `set` against lock + one memcpy + unlock of the bytes it uploads, from the
// set's own instance data into a write-only default-pool vertex buffer (the kind the set uploads
// into). Returns the medians and the number of instances uploaded. Each run starts on an idle
// device: a device that is never asked to finish its work keeps every discarded copy of the buffer
// alive (DXVK then runs out of the game's address space and crashes).
PairTimes UpdateAgainstOneCopy(const Commands& c, int set, int& uploaded)
{
    c.update(set);
    uploaded = c.drawCount(set);
    const UINT bytes = static_cast<UINT>(uploaded) * 64u;
    const void* source = reinterpret_cast<const void*>(static_cast<uintptr_t>(c.worldMatrixPtr(set, 1)));
    IDirect3DVertexBuffer9* buffer = nullptr;
    if (FAILED(refhost::Device()->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &buffer, nullptr)))
        return {0.0, 0.0};
    const PairTimes times = MedianSecondsInTurns(
        101, [&] { c.update(set); },
        [&] {
            void* data = nullptr;
            if (SUCCEEDED(buffer->Lock(0, bytes, &data, D3DLOCK_DISCARD))) {
                std::memcpy(data, source, bytes);
                buffer->Unlock();
            }
        },
        WaitForDevice);
    buffer->Release();
    return times;
}

void BenchUpload(const Commands& c)
{
    const int set = MakeFilledSet(c, kUploadInstances);
    int drawnAll = 0, drawnExcluded = 0;
    const PairTimes all = UpdateAgainstOneCopy(c, set, drawnAll);
    for (int n = 10; n <= kUploadInstances; n += 10)
        c.setExcluded(set, n, 1);
    const PairTimes excluded = UpdateAgainstOneCopy(c, set, drawnExcluded);
    c.deleteSet(set);

    std::printf("GeoInst_Update of %d instances (64 bytes each)\n", kUploadInstances);
    std::printf("  all drawn (%d):             %9.3f ms, lock + memcpy + unlock of the same bytes %9.3f ms\n",
                drawnAll, all.a * 1e3, all.b * 1e3);
    std::printf("    ratio:                       %9.2fx  (goal <= 1.2x)\n", all.a / all.b);
    std::printf("  every 10th excluded (%d):    %9.3f ms, lock + memcpy + unlock of the same bytes %9.3f ms\n",
                drawnExcluded, excluded.a * 1e3, excluded.b * 1e3);
    std::printf("    ratio:                       %9.2fx  (goal <= 1.3x)\n\n", excluded.a / excluded.b);
}

void BenchUpdateInstance(const Commands& c)
{
    const int set = MakeFilledSet(c, kUploadInstances);
    for (int n = 1; n <= kUploadInstances; ++n)
        c.setRotation(set, n, BenchAngle(n, 0), BenchAngle(n, 1), BenchAngle(n, 2));
    const PosingTimes times = MeasurePosing(c, set, kUploadInstances, 15);
    c.deleteSet(set);

    std::printf("GeoInst_UpdateInstance with three non-zero angles, %d instances (fastest runs)\n", kUploadInstances);
    std::printf("  GeoInst_UpdateInstance:          %9.3f ms, the C runtime's three sin/cos pairs %9.3f ms\n",
                times.againstSines.a * 1e3, times.againstSines.b * 1e3);
    std::printf("    ratio:                       %9.2fx  (goal <= 0.4x)\n", times.againstSines.a / times.againstSines.b);
    std::printf("  GeoInst_UpdateInstance:          %9.3f ms, composing and storing from sines worked out before "
                "%9.3f ms\n",
                times.againstCompose.a * 1e3, times.againstCompose.b * 1e3);
    std::printf("    ratio:                       %9.2fx  (goal <= 1.5x)\n\n",
                times.againstCompose.a / times.againstCompose.b);
}

// Device calls one render-callback run makes for one visible set of `count` instances.
size_t DeviceCallsPerDrawnSet(const Commands& c, int count)
{
    const int set = MakeFilledSet(c, count);
    ScopedRecordingDevice recorder;
    for (size_t m = 0; m < kDeviceMethodCount; ++m)
        recorder->SetLogged(static_cast<DeviceMethod>(m), true);
    IDirect3DDevice9* real = refhost::RealDevice();
    refhost::CoreData()->currentCamera = 0;
    real->BeginScene();
    c.sync();
    real->EndScene();
    const size_t withSet = recorder->Calls().size();
    c.setHidden(set, 1);
    recorder->ClearLog();
    real->BeginScene();
    c.sync();
    real->EndScene();
    const size_t withoutSet = recorder->Calls().size();
    c.deleteSet(set);
    return withSet - withoutSet;
}

void BenchDeviceCalls(const Commands& c)
{
    const size_t few = DeviceCallsPerDrawnSet(c, 10);
    const size_t many = DeviceCallsPerDrawnSet(c, kUploadInstances);
    std::printf("Device calls per drawn set\n");
    std::printf("  10 instances: %zu, %d instances: %zu  (must be equal: %s)\n", few, kUploadInstances, many,
                few == many ? "equal" : "NOT EQUAL");
}

} // namespace

int main()
{
    refhost::LoadedPlugin plugin;
    if (!StartHostWithPlugin(plugin))
        return 1;
    Commands commands;
    const bool ready = MakeInstancingScene(plugin, commands);
    if (ready) {
        std::printf("Ryxo instancing benchmark: ratios against baselines measured in this run (medians)\n\n");
        BenchDrawing(commands);
        BenchUpload(commands);
        BenchUpdateInstance(commands);
        BenchDeviceCalls(commands);
    }
    StopHostWithPlugin(plugin);
    return ready ? 0 : 1;
}
