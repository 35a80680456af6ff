// Cube textures against their baselines, in one run, on the reference host's real device:
//   - CubeTex_Sync against the floor: the same six renders of the same scene done by hand through
//     the host (camera set up for each face, FastSync, camera put back), into a cube texture of
//     the same size and format;
//   - CubeTex_SyncMRT into four cube textures against four CubeTex_Sync calls.
// Each is timed on the host's thread (until the command returns, the device idle before it) and
// finished (until the device has done the work). Prints what it measured and the ratios; it is
// not a test and fails only when it cannot run.
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <d3dx9.h>

#include "bench_start.h"
#include "bench_timing.h"
#include "effect_creation.h"
#include "effect_library.h"
#include "plugin_loader.h"
#include "ref_host.h"
#include "typed_command.h"

namespace {

constexpr int kCamera = 1;
constexpr int kEdge = 128;
constexpr int kObject = 1;
constexpr int kEffect = 1;
constexpr int kInstances = 2500;
constexpr int kFirstHostObject = 100;
constexpr int kHostObjects = 60;
constexpr int kRepeats = 9;

// The plugin's command exports, looked up once, typed by their generated prototypes.
struct Commands {
    script::TypedCommand<decltype(&CubeTex_MakeNew)> makeNew;
    script::TypedCommand<decltype(&CubeTex_SetPosition)> setPosition;
    script::TypedCommand<decltype(&CubeTex_Sync)> sync;
    script::TypedCommand<decltype(&CubeTex_SyncMRT)> syncMrt;
    script::TypedCommand<decltype(&CubeTex_Delete)> deleteCube;
    script::TypedCommand<decltype(&GeoInst_MakeNew)> geoMakeNew;
    script::TypedCommand<decltype(&GeoInst_SetMesh)> geoSetMesh;
    script::TypedCommand<decltype(&GeoInst_SetMaxInstanceCount)> geoSetMax;
    script::TypedCommand<decltype(&GeoInst_SetInstanceCount)> geoSetCount;
    script::TypedCommand<decltype(&GeoInst_SetPosition)> geoSetPosition;
    script::TypedCommand<decltype(&GeoInst_SetScaleUniform)> geoSetScale;
    script::TypedCommand<decltype(&GeoInst_UpdateInstance)> geoUpdateInstance;
    script::TypedCommand<decltype(&GeoInst_Update)> geoUpdate;

    bool Load(const refhost::LoadedPlugin& p)
    {
        makeNew = FIND_COMMAND(p, CubeTex_MakeNew);
        setPosition = FIND_COMMAND(p, CubeTex_SetPosition);
        sync = FIND_COMMAND(p, CubeTex_Sync);
        syncMrt = FIND_COMMAND(p, CubeTex_SyncMRT);
        deleteCube = FIND_COMMAND(p, CubeTex_Delete);
        geoMakeNew = FIND_COMMAND(p, GeoInst_MakeNew);
        geoSetMesh = FIND_COMMAND(p, GeoInst_SetMesh);
        geoSetMax = FIND_COMMAND(p, GeoInst_SetMaxInstanceCount);
        geoSetCount = FIND_COMMAND(p, GeoInst_SetInstanceCount);
        geoSetPosition = FIND_COMMAND(p, GeoInst_SetPosition);
        geoSetScale = FIND_COMMAND(p, GeoInst_SetScaleUniform);
        geoUpdateInstance = FIND_COMMAND(p, GeoInst_UpdateInstance);
        geoUpdate = FIND_COMMAND(p, GeoInst_Update);
        return makeNew && setPosition && sync && syncMrt && deleteCube && geoMakeNew && geoSetMesh && geoSetMax &&
               geoSetCount && geoSetPosition && geoSetScale && geoUpdateInstance && geoUpdate;
    }
};

// Waits until the device has done everything queued so far.
void Finish() { WaitUntilIdle(refhost::RealDevice()); }

// The scene round the cube's point: host objects in a ring and an instance set of small cubes.
bool BuildScene(const Commands& c)
{
    std::string error;
    ID3DXEffect* fx = refhost::CreateDescribedEffect(refhost::RealDevice(), refhost::InstancingEffectDescription(), &error);
    if (!fx) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        return false;
    }
    refhost::AddEffect(kEffect, fx);
    fx->Release();
    refhost::MeshDescription block;
    block.size = 0.5f;
    if (!refhost::MakeObject(kObject, block))
        return false;
    refhost::SetObjectEffect(kObject, kEffect);
    refhost::HideObject(kObject);
    const int set = c.geoMakeNew();
    c.geoSetMesh(set, kObject, 0);
    c.geoSetMax(set, kInstances);
    c.geoSetCount(set, kInstances);
    for (int n = 1; n <= kInstances; ++n) {
        // A shell of cubes round the point, on every side.
        const float a = n * 2.39996f, t = 1.0f - 2.0f * (n - 0.5f) / kInstances, r = std::sqrt(1.0f - t * t);
        c.geoSetPosition(set, n, 20.0f * r * std::cos(a), 20.0f * t, 20.0f * r * std::sin(a));
        c.geoSetScale(set, n, 100.0f);
        c.geoUpdateInstance(set, n);
    }
    c.geoUpdate(set);
    refhost::MeshDescription ball;
    ball.shape = refhost::Shape::Sphere;
    for (int i = 0; i < kHostObjects; ++i) {
        const int object = kFirstHostObject + i;
        if (!refhost::MakeObject(object, ball))
            return false;
        const float a = i * 6.2831853f / kHostObjects;
        refhost::SetObjectPosition(object, 10.0f * std::cos(a), (i % 5) - 2.0f, 10.0f * std::sin(a));
        refhost::SetObjectColour(object, 0xFF000000 | (i * 0x030507));
    }
    return refhost::MakeCamera(kCamera, 64, 64);
}

// The floor: what CubeTex_Sync asks of the host, done here by hand.
void SixHostRenders(IDirect3DCubeTexture9* texture)
{
    HostCameraData& camera = *refhost::GetCameraData(kCamera);
    const HostCameraData saved = camera;
    static const float angles[6][3] = {{0, 90, 0}, {0, -90, 0}, {-90, 0, 0}, {90, 0, 0}, {0, 0, 0}, {0, 180, 0}};
    refhost::SetSyncMask(1u << kCamera);
    camera.positionX = camera.positionY = camera.positionZ = 0.0f;
    camera.fieldOfView = 90.0f;
    refhost::SetCameraAspect(kCamera, 1.0f);
    camera.renderIntoSurface = 1;
    for (int face = 0; face < 6; ++face) {
        camera.angleX = angles[face][0];
        camera.angleY = angles[face][1];
        camera.angleZ = angles[face][2];
        IDirect3DSurface9* surface = nullptr;
        texture->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 0, &surface);
        camera.surface = surface;
        refhost::FastSync();
        surface->Release();
    }
    camera = saved;
}

struct Times {
    double hostThread, finished;
};

// Medians of `a` and `b`, run in turns, each starting on an idle device.
std::pair<Times, Times> MeasureInTurns(int repeats, const std::function<void()>& a, const std::function<void()>& b)
{
    std::vector<double> hostA, doneA, hostB, doneB;
    auto run = [](const std::function<void()>& work, std::vector<double>& host, std::vector<double>& done) {
        Finish();
        const double start = Now();
        work();
        host.push_back(Now() - start);
        Finish();
        done.push_back(Now() - start);
    };
    run(a, hostA, doneA);
    run(b, hostB, doneB);
    hostA.clear(), doneA.clear(), hostB.clear(), doneB.clear();
    for (int i = 0; i < repeats; ++i) {
        run(a, hostA, doneA);
        run(b, hostB, doneB);
    }
    return {{Median(hostA), Median(doneA)}, {Median(hostB), Median(doneB)}};
}

void Report(const char* title, const char* nameA, Times a, const char* nameB, Times b, const char* goal)
{
    std::printf("%s\n", title);
    std::printf("  on the host's thread (until the command returns, device idle before it):\n");
    std::printf("    %-34s %9.3f ms\n    %-34s %9.3f ms\n    ratio %-28s %9.2fx  %s\n", nameA, a.hostThread * 1e3, nameB,
                b.hostThread * 1e3, "", a.hostThread / b.hostThread, goal);
    std::printf("  finished (until the device has rendered every face):\n");
    std::printf("    %-34s %9.3f ms\n    %-34s %9.3f ms\n    ratio %-28s %9.2fx\n\n", nameA, a.finished * 1e3, nameB,
                b.finished * 1e3, "", a.finished / b.finished);
}

} // namespace

int main()
{
    refhost::LoadedPlugin plugin;
    if (!StartHostWithPlugin(plugin))
        return 1;
    Commands c;
    const bool ready = c.Load(plugin) && BuildScene(c);
    IDirect3DCubeTexture9* floorTexture = nullptr;
    std::vector<int> cubes;
    if (ready) {
        for (int i = 0; i < 4; ++i)
            cubes.push_back(c.makeNew(kEdge, 0));
        D3DSURFACE_DESC desc{};
        refhost::CoreData()->referenceSurface->GetDesc(&desc);
        D3DXCreateCubeTexture(refhost::RealDevice(), kEdge, 1, D3DUSAGE_RENDERTARGET, desc.Format, D3DPOOL_DEFAULT,
                              &floorTexture);
    }
    if (ready && floorTexture && cubes[3]) {
        std::printf("Ryxo cube texture benchmark: %d x %d faces, a scene of %d host objects and %d instances; "
                    "medians of %d runs in turns\n\n",
                    kEdge, kEdge, kHostObjects, kInstances, kRepeats);
        auto [sync, floor] = MeasureInTurns(kRepeats, [&] { c.sync(cubes[0], kCamera); },
                                            [&] { SixHostRenders(floorTexture); });
        Report("CubeTex_Sync against six host renders of the same scene done by hand (the floor)", "CubeTex_Sync",
               sync, "six host renders by hand", floor, "(goal <= 1.1x)");
        auto [four, mrt] = MeasureInTurns(
            kRepeats, [&] { for (int cube : cubes) c.sync(cube, kCamera); },
            [&] { c.syncMrt(cubes[0], cubes[1], cubes[2], cubes[3], kCamera); });
        Report("CubeTex_SyncMRT into four cube textures against four CubeTex_Sync calls (ratio = speed-up)",
               "four CubeTex_Sync", four, "CubeTex_SyncMRT, four cubes", mrt, "(expected near 4x)");
    }
    if (floorTexture)
        floorTexture->Release();
    for (int cube : cubes)
        if (cube)
            c.deleteCube(cube);
    StopHostWithPlugin(plugin);
    return ready ? 0 : 1;
}
