// How the cost of instancing grows, in one run, on the reference host's real device:
//   - for one set of N = 10 ... 1,000,000 instances: the host thread's work for the set (GeoInst_Sync
//     with it alone shown, medians of 1,001 calls for each N, in turns, and the difference between
//     the largest N and 10), the host thread's frame work, the finished frame, the finished frame
//     with rasterising cut to one pixel (a one-pixel scissor rectangle:
//     what is left is the per-draw work a graphics card does not take over), GeoInst_Update with
//     none, every 10th and a random half of the instances excluded against lock + memcpy + unlock
//     of the same bytes (the random half also against a hand-written compaction loop), and
//     GeoInst_UpdateInstance against the C runtime's three sine/cosine pairs and against composing
//     and storing the matrix from sines worked out beforehand; at 100,000 one frame's re-posing of
//     every instance; for N up to 100,000 also the same cubes drawn as host objects, one draw call
//     each;
//   - a thousand sets of ten instances against the same 10,000 meshes as host objects, and the
//     device calls each set costs.
// Prints the figures and the ratios the goals name, and writes the sweep as a CSV file (first
// argument) for tools/bench.sh to plot; a second argument stops the sweep at that N (a quick look). It is not a test and fails only when it cannot run.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "bench_start.h"
#include "bench_support.h"
#include "posing_floors.h"
#include "scoped_recording_device.h"

namespace {

constexpr int kPlaneObject = 2;
constexpr int kFirstHostObject = 1000;
constexpr int kSweep[] = {10, 100, 1000, 10000, 100000, 1000000};
constexpr int kLargestHostObjectCount = 100000;
constexpr int kReposingCount = 100000; // the set whose every instance is turned in one frame
constexpr float kFieldWidth = 150.0f; // every sweep set covers the same part of the picture
constexpr float kFieldDepth = 150.0f;
constexpr int kSyncCalls = 1001; // calls per N of GeoInst_Sync with one set shown
// How much longer GeoInst_Sync may take with one set of 1,000,000 than with one of 10 (medians of
// kSyncCalls calls each): two runs differed by 0.1 us at most, and the README says why the room.
constexpr double kSyncGrowthGoalUs = 5.0;

// Where instance n of `count` stands: a square grid facing the camera, as wide for every count, so
// that the picture's covered area stays about the same and only the number of cubes grows.
struct Place {
    float x, y, z, scalePercent;
};
Place GridPlace(int n, int count)
{
    const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    const float spacing = kFieldWidth / static_cast<float>(side);
    const int column = (n - 1) % side, row = (n - 1) / side;
    const float half = (static_cast<float>(side) - 1.0f) / 2.0f;
    // The cube's edge is 0.8: 0.6 of the spacing leaves gaps between neighbours.
    return {(static_cast<float>(column) - half) * spacing, (static_cast<float>(row) - half) * spacing, kFieldDepth,
            100.0f * 0.6f * spacing / 0.8f};
}

int MakeFilledSet(const Commands& c, int object, int count, int firstPlace, int placeCount)
{
    const int set = c.makeNew();
    c.setMesh(set, object, 0);
    c.setMaxInstanceCount(set, count);
    c.setInstanceCount(set, count);
    for (int n = 1; n <= count; ++n) {
        const Place p = GridPlace(firstPlace + n - 1, placeCount);
        c.setPosition(set, n, p.x, p.y, p.z);
        c.setRotation(set, n, BenchAngle(n, 0), BenchAngle(n, 1), BenchAngle(n, 2));
        c.setScaleUniform(set, n, p.scalePercent);
        c.updateInstance(set, n);
    }
    c.update(set);
    return set;
}

// The finished frame with a one-pixel scissor rectangle at the centre of camera 0's target (the
// back buffer) around every camera pass: the clear and every draw still happen, the rasteriser
// fills one pixel.
FrameTimes OnePixelFrames(int repeats)
{
    D3DSURFACE_DESC desc{};
    IDirect3DSurface9* backBuffer = nullptr;
    if (SUCCEEDED(refhost::RealDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) {
        backBuffer->GetDesc(&desc);
        backBuffer->Release();
    }
    const LONG x = static_cast<LONG>(desc.Width / 2), y = static_cast<LONG>(desc.Height / 2);
    const RECT pixel = {x, y, x + 1, y + 1};
    refhost::SetFrameScissor(&pixel);
    const FrameTimes times = MeasureFrames(repeats);
    refhost::SetFrameScissor(nullptr);
    return times;
}

// Fewer repeats where one run is long: every row of the sweep takes seconds, not minutes.
int Repeats(int count, int few, int many)
{
    return count >= 100000 ? few : count >= 10000 ? (few + many) / 2 : many;
}

// GeoInst_Update of `set` against lock + `fill` + unlock of a write-only default-pool vertex buffer
// (the kind the set uploads into) as large as what the set uploads; `fill` gets the locked bytes
// and the set's instance data from instance 1 on. Each run starts on an idle device: otherwise a
// lock may wait for the device's copy of the other side's bytes. Even so a lock hands work to the
// device's thread, which a busy machine leaves waiting whole scheduler ticks (runs of 4 to 32 ms
// where 2 us is due), so the fastest runs are compared.
template <typename Fill>
PairTimes UpdateAgainstLockedFill(const Commands& c, int set, int repeats, Fill fill)
{
    c.update(set);
    const UINT bytes = static_cast<UINT>(c.drawCount(set)) * 64u;
    const auto* source = reinterpret_cast<const std::byte*>(static_cast<uintptr_t>(c.worldMatrixPtr(set, 1)));
    IDirect3DVertexBuffer9* buffer = nullptr;
    if (bytes == 0 ||
        FAILED(refhost::Device()->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &buffer, nullptr)))
        return {0.0, 0.0};
    const PairTimes times = FastestSecondsInTurns(
        repeats, [&] { c.update(set); },
        [&] {
            void* data = nullptr;
            if (SUCCEEDED(buffer->Lock(0, bytes, &data, D3DLOCK_DISCARD))) {
                fill(static_cast<std::byte*>(data), source, bytes);
                buffer->Unlock();
            }
        },
        WaitForDevice);
    buffer->Release();
    return times;
}

// The floor of every upload: one memcpy of the packed bytes.
PairTimes UpdateAgainstOneCopy(const Commands& c, int set, int repeats)
{
    return UpdateAgainstLockedFill(c, set, repeats, [](std::byte* to, const std::byte* from, UINT bytes) {
        std::memcpy(to, from, bytes);
    });
}

// The floor of an upload with exclusions, written by hand: for each instance, if it is not
// excluded, its 64 bytes copied to the next free place. The flags are one byte per instance. It is
// compiled for SSE2 like the plugin's instancing code, so the 64-byte copy moves 16 bytes at a time.
__attribute__((target("sse2"))) void CompactIncluded(std::byte* to, const std::byte* from,
                                                     const std::vector<uint8_t>& excluded)
{
    const size_t count = excluded.size() - 1;
    for (size_t n = 1; n <= count; ++n, from += 64) {
        if (!excluded[n]) {
            std::memcpy(to, from, 64);
            to += 64;
        }
    }
}

PairTimes UpdateAgainstCompaction(const Commands& c, int set, int repeats, const std::vector<uint8_t>& excluded)
{
    return UpdateAgainstLockedFill(c, set, repeats, [&](std::byte* to, const std::byte* from, UINT) {
        CompactIncluded(to, from, excluded);
    });
}

volatile float g_sink;

// One frame of a game that turns every instance: GeoInst_SetRotation and GeoInst_UpdateInstance of
// each, then GeoInst_Update. The fastest of `repeats` frames, each started on an idle device, as
// for the uploads: a frame of milliseconds on a busy machine rarely runs without losing the
// processor for a tick.
double ReposingFrame(const Commands& c, int set, int count, int repeats)
{
    const auto frame = [&] {
        for (int n = 1; n <= count; ++n) {
            c.setRotation(set, n, BenchAngle(n, 0) + 1.0f, BenchAngle(n, 1), BenchAngle(n, 2));
            c.updateInstance(set, n);
        }
        c.update(set);
    };
    return FastestSecondsInTurns(repeats, frame, [] {}, WaitForDevice).a;
}

void SetExcludedEvery(const Commands& c, int set, int count, int step, int flag)
{
    for (int n = step; n <= count; n += step)
        c.setExcluded(set, n, flag);
}

// The host thread's work for one set of each N: GeoInst_Sync with that set alone shown, for camera
// 0 inside a scene, medians of `calls` calls each. A set of every N is made first and the calls
// take one set after another, so every N meets the same conditions of a shared machine; each call
// starts on an idle device. Empty when a set could not be made.
std::vector<double> SyncMediansInTurns(const Commands& c, const std::vector<int>& counts, int calls)
{
    refhost::MeshDescription plane = SmallCube();
    plane.shape = refhost::Shape::Plane;
    bool made = refhost::MakeObject(kPlaneObject, plane);
    refhost::SetObjectEffect(kPlaneObject, kEffectInstanced);
    refhost::HideObject(kPlaneObject);
    std::vector<int> sets;
    for (int count : counts) {
        const int set = c.makeNew();
        c.setMesh(set, kPlaneObject, 0);
        c.setMaxInstanceCount(set, count);
        c.setInstanceCount(set, count);
        c.update(set);
        c.setHidden(set, 1);
        sets.push_back(set);
        made = made && c.drawCount(set) == count;
    }
    // Each round takes the sets in a new order, so that no N always follows the same one.
    std::vector<size_t> order(sets.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::mt19937 random(1001);
    // From here the mesh record claims no triangles: every call is still made, the draw with N
    // instances included, but the device has nothing to draw, so 1,001 calls of a million
    // instances take seconds, not the software rasteriser's hour.
    if (HostMesh* mesh = refhost::GetLimbMesh(kPlaneObject, 0))
        mesh->primitiveCount = 0;
    std::vector<std::vector<double>> samples(sets.size());
    IDirect3DDevice9* device = refhost::RealDevice();
    refhost::CoreData()->currentCamera = 0;
    for (int round = 0; made && round <= calls; ++round) {
        std::shuffle(order.begin(), order.end(), random);
        for (size_t i : order) {
            c.setHidden(sets[i], 0);
            WaitForDevice();
            device->BeginScene();
            const double start = Now();
            c.sync();
            const double seconds = Now() - start;
            device->EndScene();
            if (round > 0) // the first call for each set is not measured
                samples[i].push_back(seconds);
            c.setHidden(sets[i], 1);
        }
    }
    WaitForDevice();
    for (int set : sets)
        c.deleteSet(set);
    refhost::DeleteObject(kPlaneObject);
    if (!made) {
        std::fprintf(stderr, "bench: the sets for the host thread's work per set could not be made\n");
        return {};
    }
    std::vector<double> medians;
    for (const std::vector<double>& times : samples)
        medians.push_back(Median(times));
    for (size_t i = 0; i < counts.size(); ++i)
        std::printf("  GeoInst_Sync of one set of %d: %.1f us\n", counts[i], medians[i] * 1e6);
    return medians;
}

struct SweepRow {
    int n;
    double setSync; // GeoInst_Sync of the set alone, median of kSyncCalls calls (SyncMediansInTurns)
    FrameTimes instanced, instancedOnePixel;
    FrameTimes objects, objectsOnePixel; // zero when not measured
    PairTimes updateAll, updateTenth, updateHalf, compactHalf;
    int drawnAll, drawnTenth, drawnHalf;
    PosingTimes updateInstance;
    double reposingFrame; // zero when not measured
};

struct HostObjectTimes {
    FrameTimes frames, onePixel;
};

// The instances of `sets` sets of `perSet` as host objects, one draw call each: at the same places,
// turned and scaled the same way, set s's instances drawn with mesh `meshOf(s)`.
template <typename MeshOf>
HostObjectTimes HostObjectFrames(int sets, int perSet, MeshOf meshOf, int repeats)
{
    const int count = sets * perSet;
    for (int p = 1; p <= count; ++p) {
        const int object = kFirstHostObject + p;
        const int n = (p - 1) % perSet + 1; // the instance number within its set
        refhost::MakeObject(object, meshOf((p - 1) / perSet));
        const Place place = GridPlace(p, count);
        refhost::SetObjectPosition(object, place.x, place.y, place.z);
        refhost::SetObjectRotation(object, BenchAngle(n, 0), BenchAngle(n, 1), BenchAngle(n, 2));
        const float scale = place.scalePercent / 100.0f;
        refhost::SetObjectScale(object, scale, scale, scale);
        refhost::SetObjectEffect(object, kEffectPlain);
    }
    HostObjectTimes times;
    times.frames = MeasureFrames(repeats);
    times.onePixel = OnePixelFrames(repeats);
    for (int p = 1; p <= count; ++p)
        refhost::DeleteObject(kFirstHostObject + p);
    return times;
}

SweepRow MeasureRow(const Commands& c, int count)
{
    SweepRow row{};
    row.n = count;
    const int set = MakeFilledSet(c, kCubeObject, count, 1, count);
    if (c.drawCount(set) != count) {
        std::fprintf(stderr, "bench: a set of %d instances could not be made\n", count);
        c.deleteSet(set);
        return row;
    }
    row.instanced = MeasureFrames(Repeats(count, 5, 15));
    row.instancedOnePixel = OnePixelFrames(Repeats(count, 5, 15));

    const int uploads = Repeats(count, 31, 101);
    row.updateAll = UpdateAgainstOneCopy(c, set, uploads);
    row.drawnAll = c.drawCount(set);
    SetExcludedEvery(c, set, count, 10, 1);
    row.updateTenth = UpdateAgainstOneCopy(c, set, uploads);
    row.drawnTenth = c.drawCount(set);
    SetExcludedEvery(c, set, count, 10, 0);
    std::mt19937 random(static_cast<unsigned>(count));
    std::bernoulli_distribution half(0.5);
    std::vector<uint8_t> halfExcluded(count + 1, 0);
    for (int n = 1; n <= count; ++n) {
        halfExcluded[n] = half(random) ? 1 : 0;
        c.setExcluded(set, n, halfExcluded[n]);
    }
    row.updateHalf = UpdateAgainstOneCopy(c, set, uploads);
    row.compactHalf = UpdateAgainstCompaction(c, set, uploads, halfExcluded);
    row.drawnHalf = c.drawCount(set);
    SetExcludedEvery(c, set, count, 1, 0);
    c.update(set);

    // The uploads above leave the device thread work to catch up on; it must not share the CPU with
    // the next measurement.
    Finish();
    row.updateInstance = MeasurePosing(c, set, count, Repeats(count, 7, 51));
    if (count == kReposingCount)
        row.reposingFrame = ReposingFrame(c, set, count, 15);
    c.deleteSet(set);
    return row;
}

void PrintSweep(const std::vector<SweepRow>& rows)
{
    std::printf("One set of N cubes (12 triangles, 64 bytes per instance); milliseconds: frames medians, uploads "
                "and UpdateInstance the fastest runs; 1 px = the finished frame with a one-pixel scissor rectangle; "
                "Sync/set = GeoInst_Sync with the set alone shown, median of %d calls, in microseconds\n",
                kSyncCalls);
    std::printf("%9s %10s %10s %9s %10s %10s %9s | %9s %9s %9s %9s %9s %9s %9s | %11s %9s %9s | %9s\n", "N",
                "host thr.", "finished", "1 px", "objs host", "objs fin.", "objs 1 px", "update", "copy", "upd 1/10",
                "copy", "upd half", "copy", "compact", "UpdInst/inst", "sines", "compose", "Sync/set");
    for (const SweepRow& r : rows) {
        char objectsHost[16] = "-", objectsFinished[16] = "-", objectsOnePixel[16] = "-";
        if (r.objects.hostThread > 0) {
            std::snprintf(objectsHost, sizeof objectsHost, "%.3f", r.objects.hostThread * 1e3);
            std::snprintf(objectsFinished, sizeof objectsFinished, "%.3f", r.objects.finished * 1e3);
            std::snprintf(objectsOnePixel, sizeof objectsOnePixel, "%.3f", r.objectsOnePixel.finished * 1e3);
        }
        std::printf("%9d %10.3f %10.3f %9.3f %10s %10s %9s | %9.4f %9.4f %9.4f %9.4f %9.4f %9.4f %9.4f | %9.1fns "
                    "%7.1fns %7.1fns | %7.1fus\n",
                    r.n, r.instanced.hostThread * 1e3, r.instanced.finished * 1e3, r.instancedOnePixel.finished * 1e3,
                    objectsHost, objectsFinished, objectsOnePixel, r.updateAll.a * 1e3, r.updateAll.b * 1e3,
                    r.updateTenth.a * 1e3, r.updateTenth.b * 1e3, r.updateHalf.a * 1e3, r.updateHalf.b * 1e3,
                    r.compactHalf.b * 1e3, r.updateInstance.againstSines.a / r.n * 1e9,
                    r.updateInstance.againstSines.b / r.n * 1e9, r.updateInstance.againstCompose.b / r.n * 1e9,
                    r.setSync * 1e6);
    }

    const SweepRow& smallest = rows.front();
    const SweepRow& largest = rows.back();
    std::printf("\nGoals (ratios of this run)\n");
    std::printf("  host thread's work for one set (GeoInst_Sync), %d less %d instances: %+.1f us  (goal <= %.0f us; "
                "medians of %d calls each: %.1f and %.1f us)\n",
                largest.n, smallest.n, (largest.setSync - smallest.setSync) * 1e6, kSyncGrowthGoalUs, kSyncCalls,
                largest.setSync * 1e6, smallest.setSync * 1e6);
    for (const SweepRow& r : rows) {
        if (r.n < 10000)
            continue;
        std::printf("  N = %7d  GeoInst_Update / copy: none excluded %.2fx (<= 1.1x), every 10th %.2fx (<= 1.3x), "
                    "half at random %.2fx; half at random / compaction loop %.2fx (<= 1.1x); "
                    "GeoInst_UpdateInstance / C runtime's sines %.2fx (<= 0.4x), / composing and storing %.2fx "
                    "(<= 1.5x)\n",
                    r.n, r.updateAll.a / r.updateAll.b, r.updateTenth.a / r.updateTenth.b,
                    r.updateHalf.a / r.updateHalf.b, r.compactHalf.a / r.compactHalf.b,
                    r.updateInstance.againstSines.a / r.updateInstance.againstSines.b,
                    r.updateInstance.againstCompose.a / r.updateInstance.againstCompose.b);
    }
    for (const SweepRow& r : rows)
        if (r.reposingFrame > 0)
            std::printf("  one frame re-posing all %d instances (GeoInst_SetRotation and GeoInst_UpdateInstance "
                        "each, then GeoInst_Update): %.2f ms, of which GeoInst_Update about %.2f ms\n",
                        r.n, r.reposingFrame * 1e3, r.updateAll.a * 1e3);
    for (const SweepRow& r : rows)
        if (r.objects.hostThread > 0 && r.n >= 1000)
            std::printf("  N = %7d  host objects / one set, host thread: %.1fx, finished frame: %.1fx, finished "
                        "one-pixel frame: %.1fx\n",
                        r.n, r.objects.hostThread / r.instanced.hostThread, r.objects.finished / r.instanced.finished,
                        r.objectsOnePixel.finished / r.instancedOnePixel.finished);
}

bool WriteCsv(const std::vector<SweepRow>& rows, const char* path)
{
    FILE* f = std::fopen(path, "w");
    if (!f) {
        std::fprintf(stderr, "bench: cannot write %s\n", path);
        return false;
    }
    std::fprintf(f, "n,set_host_thread_s,set_finished_s,objects_host_thread_s,objects_finished_s,"
                    "update_all_s,copy_all_s,update_tenth_s,copy_tenth_s,update_half_s,copy_half_s,"
                    "update_instance_all_s,sines_all_s,set_one_pixel_finished_s,objects_one_pixel_finished_s,"
                    "compact_half_s,compose_all_s,set_sync_s\n");
    for (const SweepRow& r : rows) {
        std::fprintf(f, "%d,%.9g,%.9g,", r.n, r.instanced.hostThread, r.instanced.finished);
        if (r.objects.hostThread > 0)
            std::fprintf(f, "%.9g,%.9g,", r.objects.hostThread, r.objects.finished);
        else
            std::fprintf(f, "NaN,NaN,");
        std::fprintf(f, "%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,", r.updateAll.a, r.updateAll.b, r.updateTenth.a,
                     r.updateTenth.b, r.updateHalf.a, r.updateHalf.b, r.updateInstance.againstSines.a,
                     r.updateInstance.againstSines.b);
        std::fprintf(f, "%.9g,", r.instancedOnePixel.finished);
        if (r.objects.hostThread > 0)
            std::fprintf(f, "%.9g,", r.objectsOnePixel.finished);
        else
            std::fprintf(f, "NaN,");
        std::fprintf(f, "%.9g,%.9g,%.9g\n", r.compactHalf.b, r.updateInstance.againstCompose.b, r.setSync);
    }
    std::fclose(f);
    std::printf("\nwrote %s\n", path);
    return true;
}

// A thousand sets of ten instances, over ten meshes of three shapes and two effects, against the
// same 10,000 meshes as host objects.
constexpr int kSets = 1000;
constexpr int kPerSet = 10;
constexpr int kMeshes = 10;
constexpr int kFirstSetObject = 10;
constexpr int kSecondInstancedEffect = 3;

// Mesh m of the ten: a cube, a sphere or a plane, each a little larger than the one before.
refhost::MeshDescription SetMesh(int m)
{
    refhost::MeshDescription mesh = SmallCube();
    mesh.shape = m % 3 == 0 ? refhost::Shape::Cube : m % 3 == 1 ? refhost::Shape::Sphere : refhost::Shape::Plane;
    mesh.sphereRings = 6;
    mesh.sphereSegments = 8;
    mesh.size = 0.6f + 0.05f * static_cast<float>(m);
    return mesh;
}

bool MakeSetMeshes()
{
    for (int m = 0; m < kMeshes; ++m) {
        const int object = kFirstSetObject + m;
        if (!refhost::MakeObject(object, SetMesh(m)))
            return false;
        refhost::SetObjectEffect(object, m % 2 ? kSecondInstancedEffect : kEffectInstanced);
        refhost::HideObject(object);
    }
    return true;
}

// Device calls one GeoInst_Sync makes for the live sets, less the three of the stream reset.
size_t DeviceCallsOfOneSync(const Commands& c)
{
    ScopedRecordingDevice recorder;
    for (size_t m = 0; m < kDeviceMethodCount; ++m)
        recorder->SetLogged(static_cast<DeviceMethod>(m), true);
    IDirect3DDevice9* real = refhost::RealDevice();
    refhost::CoreData()->currentCamera = 0;
    real->BeginScene();
    c.sync();
    real->EndScene();
    return recorder->Calls().size() - 3;
}

void BenchThousandSets(const Commands& c)
{
    if (!MakeSetMeshes()) {
        std::fprintf(stderr, "bench: the meshes of the thousand sets could not be made\n");
        return;
    }
    std::vector<int> sets;
    for (int s = 0; s < kSets; ++s)
        sets.push_back(MakeFilledSet(c, kFirstSetObject + s % kMeshes, kPerSet, s * kPerSet + 1, kSets * kPerSet));
    const FrameTimes instanced = MeasureFrames(15);
    const FrameTimes instancedOnePixel = OnePixelFrames(15);
    const size_t deviceCalls = DeviceCallsOfOneSync(c);

    // What the check of each set's object costs: one host object lookup per set.
    const PairTimes lookups = MedianSecondsInTurns(
        101,
        [&] {
            for (int s = 0; s < kSets; ++s)
                g_sink = static_cast<float>(reinterpret_cast<uintptr_t>(
                    refhost::GetObjectRecord(kFirstSetObject + s % kMeshes)) & 1);
        },
        [] {});

    for (int set : sets)
        c.deleteSet(set);
    const HostObjectTimes hostObjects =
        HostObjectFrames(kSets, kPerSet, [](int s) { return SetMesh(s % kMeshes); }, 9);
    const FrameTimes& objects = hostObjects.frames;
    const FrameTimes& objectsOnePixel = hostObjects.onePixel;

    std::printf("\nA thousand sets of %d instances (%d meshes of three shapes, two effects) against the same %d "
                "meshes as host objects\n",
                kPerSet, kMeshes, kSets * kPerSet);
    std::printf("  host thread: sets %9.3f ms, host objects %9.3f ms, speed-up %.1fx  (goal >= 5x)\n",
                instanced.hostThread * 1e3, objects.hostThread * 1e3, objects.hostThread / instanced.hostThread);
    std::printf("  finished:    sets %9.3f ms, host objects %9.3f ms, speed-up %.1fx\n", instanced.finished * 1e3,
                objects.finished * 1e3, objects.finished / instanced.finished);
    std::printf("  one pixel:   sets %9.3f ms, host objects %9.3f ms, speed-up %.1fx  (finished, one-pixel scissor)\n",
                instancedOnePixel.finished * 1e3, objectsOnePixel.finished * 1e3,
                objectsOnePixel.finished / instancedOnePixel.finished);
    std::printf("  device calls per set: %.1f\n", static_cast<double>(deviceCalls) / kSets);
    std::printf("  the per-set check that the object still exists: %.3f ms for %d sets, %.2f%% of the host thread's "
                "frame\n",
                lookups.a * 1e3, kSets, 100.0 * lookups.a / instanced.hostThread);
    for (int m = 0; m < kMeshes; ++m)
        refhost::DeleteObject(kFirstSetObject + m);
}

} // namespace

int main(int argc, char** argv)
{
    const char* csvPath = argc > 1 ? argv[1] : "instancing_scale.csv";
    const int largestN = argc > 2 ? std::atoi(argv[2]) : kSweep[std::size(kSweep) - 1];
    refhost::LoadedPlugin plugin;
    if (!StartHostWithPlugin(plugin))
        return 1;
    Commands commands;
    const bool ready = MakeInstancingScene(plugin, commands) &&
                       MakeEffect(kSecondInstancedEffect, refhost::InstancingEffectDescription());
    bool written = false;
    if (ready) {
        std::printf("Ryxo instancing at scale: figures and ratios measured in this run\n\n");
        // The sets first, while the address space is whole: tens of thousands of host objects,
        // each with buffers of its own, leave it fragmented for the million-instance set.
        std::vector<SweepRow> rows;
        for (int n : kSweep) {
            if (n > largestN)
                break;
            rows.push_back(MeasureRow(commands, n));
            std::printf("  measured one set of %d instances\n", n);
            std::fflush(stdout);
        }
        std::vector<int> counts;
        for (const SweepRow& row : rows)
            counts.push_back(row.n);
        const std::vector<double> syncs = SyncMediansInTurns(commands, counts, kSyncCalls);
        for (size_t i = 0; i < syncs.size(); ++i)
            rows[i].setSync = syncs[i];
        std::printf("  measured GeoInst_Sync of one set, %d calls for each N\n", kSyncCalls);
        std::fflush(stdout);
        BenchThousandSets(commands);
        for (SweepRow& row : rows) {
            if (row.n > kLargestHostObjectCount)
                continue;
            const HostObjectTimes times =
                HostObjectFrames(1, row.n, [](int) { return SmallCube(); }, Repeats(row.n, 3, 9));
            row.objects = times.frames;
            row.objectsOnePixel = times.onePixel;
            std::printf("  measured %d host objects\n", row.n);
            std::fflush(stdout);
        }
        PrintSweep(rows);
        written = WriteCsv(rows, csvPath);
    }
    StopHostWithPlugin(plugin);
    return ready && written ? 0 : 1;
}
