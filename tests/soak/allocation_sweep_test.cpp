// The allocation-failure sweep, in the style of SQLite's out-of-memory tests: a short scripted
// scenario per family runs once for every k, with the plugin's k-th allocation refused (and, in
// the persistent variant, every one after it, as when memory has run out), until a run makes fewer
// than k allocations. Every run must get through without a crash or a termination; after the
// scenario's clean-up the plugin's heap is back at its start and every Direct3D resource it made
// is gone, and after unload its heap is empty. A visible window of the calling thread makes every
// message box list the windows it disables, so the box's path is swept too.
//
//   RYXO_SWEEP_FAMILIES=all sweeps every family (default: instancing); a comma list names some
//   (instancing, cubetex, effectcam, effect, mrt).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "checked_call.h"
#include "plugin_heap.h"
#include "plugin_under_seam.h"
#include "ref_host.h"
#include "scoped_recording_device.h"
#include "soak_scene.h"

namespace {

// What one scenario run calls and what it made, for the clean-up.
struct Script {
    const refhost::LoadedPlugin& plugin;
    std::vector<int> sets, cubes, images;

    // The command calls of CALL.
    template <typename Function, typename... Args>
    int CallExport(const char* exportName, Args... args)
    {
        return CallCommandExport<Function>(plugin, exportName, args...);
    }
    int MakeSet()
    {
        const int set = CALL(GeoInst_MakeNew);
        if (set)
            sets.push_back(set);
        return set;
    }
    int MakeCube(int resolution, int mipmaps)
    {
        const int cube = CALL(CubeTex_MakeNew, resolution, mipmaps);
        if (cube)
            cubes.push_back(cube);
        return cube;
    }
    void CleanUp()
    {
        for (int set : sets)
            CALL(GeoInst_Delete, set);
        for (int cube : cubes)
            CALL(CubeTex_Delete, cube);
        for (int camera = 0; camera < 4; ++camera)
            CALL(EfxCam_Delete, camera);
        for (int image : images)
            refhost::DeleteImage(image);
        // Direct3D lets go of what was bound on the device at the next draw.
        refhost::FastSync();
    }
};

void InstancingScenario(Script& s)
{
    const int set = s.MakeSet();
    const int second = s.MakeSet();
    s.CALL(GeoInst_SetMesh, set, 1, 0);
    s.CALL(GeoInst_SetMaxInstanceCount, set, 64);
    s.CALL(GeoInst_SetInstanceCount, set, 32);
    for (int n = 1; n <= 3; ++n) {
        s.CALL(GeoInst_SetPosition, set, n, 1.0f * n, 0.0f, 4.0f);
        s.CALL(GeoInst_UpdateInstance, set, n);
    }
    s.CALL(GeoInst_SetExcluded, set, 2, 1);
    s.CALL(GeoInst_Update, set);
    s.CALL(GeoInst_SetMesh, second, 3, 0); // drawn without indices: a sequential index buffer
    s.CALL(GeoInst_DeclareCustomElements, second, 1);
    s.CALL(GeoInst_AddCustomElement, second, 4);
    s.CALL(GeoInst_FinishCustomElements, second);
    s.CALL(GeoInst_SetMaxInstanceCount, second, 16);
    s.CALL(GeoInst_SetInstanceCount, second, 16);
    s.CALL(GeoInst_SetCustomData4, second, 1, 1, 1.0f, 0.5f, 0.25f, 1.0f);
    s.CALL(GeoInst_Update, second);
    s.CALL(GeoInst_SetRenderPriority, second, 5);
    s.CALL(GeoInst_SortRenderQueue);
    refhost::FastSync();
    s.CALL(GeoInst_GetHidden, 12345); // refused: a message box
    s.CALL(GeoInst_Delete, set);
    const int third = s.MakeSet();
    s.CALL(GeoInst_SetMesh, third, 2, 0);
}

void CubeTextureScenario(Script& s)
{
    const int cube = s.MakeCube(32, 0);
    const int mipmapped = s.MakeCube(16, 1);
    s.CALL(CubeTex_ApplyObject, cube, 1, 0);
    s.CALL(CubeTex_ApplyObject, cube, 2, 0);
    s.CALL(CubeTex_ApplyObject, cube, 4, 1);
    s.CALL(CubeTex_ApplyLimb, mipmapped, 2, 1, 0);
    s.CALL(CubeTex_SetPosition, cube, 0.0f, 0.0f, 0.0f);
    s.CALL(CubeTex_Sync, cube, 1);
    s.CALL(CubeTex_SyncFaces, mipmapped, 1, 3);
    const std::string path = (std::filesystem::temp_directory_path() / "ryxo_sweep_cube.dds").string();
    s.CALL(CubeTex_Save, mipmapped, path.c_str());
    std::filesystem::remove(path);
    s.CALL(CubeTex_GetResolution, 12345); // refused: a message box
    s.CALL(CubeTex_Delete, cube);
    refhost::FastSync();
}

void EffectCameraScenario(Script& s)
{
    s.images.insert(s.images.end(), {20, 21});
    s.CALL(EfxCam_MakeNew, 0);
    s.CALL(EfxCam_SetToImage, 0, 20, 32, 32);
    s.CALL(EfxCam_SetMRTImage, 0, 1, 21);
    s.CALL(EfxCam_SetObject, 0, 1);
    s.CALL(EfxCam_SetFOV, 0, 1.0f);
    s.CALL(EfxCam_Sync);
    s.CALL(EfxCam_SetFOV, 3, 1.0f); // refused: a message box
    s.CALL(EfxCam_MakeNew, 1);
    s.CALL(EfxCam_SetObject, 1, 2);
    s.CALL(EfxCam_Delete, 0);
}

// The effect commands allocate nothing of their own (D3DX keeps the effect's memory) and show no
// message: the sweep proves that stays so.
void EffectParameterScenario(Script& s)
{
    const int effect = s.CALL(Object_GetShaderPtr, 1, 0);
    const int parameter = s.CALL(Shader_GetParameterByName, effect, 0, "NoSuchName");
    s.CALL(Shader_GetFloatVal, effect, parameter);
    s.CALL(Shader_SetTechniqueName, effect, "NoSuchTechnique");
    s.CALL(Shader_GetFloatVal, 0, 0); // refused: a message box
    s.CALL(SMesh_GetD3DXEffect, 0);
}

void RenderTargetScenario(Script& s)
{
    s.images.insert(s.images.end(), {22, 23});
    s.CALL(MRT_MakeRenderTarget, 22, 32, 32);
    s.CALL(MRT_MakeRenderTargetFormat, 23, 32, 32, 0);
    s.CALL(MRT_Sync, 0, 22, 23, 0);
    s.CALL(MRT_PostPixelFormatSupport, 0);
    s.CALL(MRT_Sync, 0, 99, 0, 0); // an image that is none
    s.CALL(MRT_Sync, 40, 22, 0, 0); // refused: a message box
    s.CALL(MRT_MakeRenderTarget, 24, 0, 32); // refused: a message box
}

struct Family {
    const char* name;
    void (*scenario)(Script&);
    bool allocates;
};

const Family kFamilies[] = {
    {"instancing", InstancingScenario, true},  {"cubetex", CubeTextureScenario, true},
    {"effectcam", EffectCameraScenario, true}, {"effect", EffectParameterScenario, false},
    {"mrt", RenderTargetScenario, true},
};

bool Chosen(const char* family)
{
    const char* list = std::getenv("RYXO_SWEEP_FAMILIES");
    const std::string families = list && *list ? list : "instancing";
    if (families == "all")
        return true;
    const std::string name = family;
    for (size_t start = 0; start <= families.size();) {
        const size_t end = std::min(families.find(',', start), families.size());
        if (families.compare(start, end - start, name) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

struct SweepFigures {
    int runs = 0;
    uint64_t allocations = 0; // of the scenario without failures
};

// Runs the scenario with the k-th allocation refused (persistent: and every one after it), cleans
// up and checks; false once the scenario made fewer than k allocations.
bool RunWithFailure(const Family& family, uint64_t k, bool persistent, int resourceBaseline,
                    ScopedRecordingDevice& recorder, SweepFigures& figures)
{
    refhost::LoadedPlugin plugin;
    std::string error;
    if (!LoadPluginUnderSeam(plugin, error)) {
        ADD_FAILURE() << error;
        return false;
    }
    const size_t heapAtStart = PluginHeap().liveBytes;
    const uint64_t refusedBefore = PluginHeap().failed;
    Script script{plugin, {}, {}, {}};
    if (persistent)
        FailPluginAllocationsFrom(k);
    else
        FailPluginAllocationNumber(k);
    family.scenario(script);
    const uint64_t made = PluginAllocationsSinceArmed();
    FailNoPluginAllocation();
    const bool refused = PluginHeap().failed > refusedBefore;
    ++figures.runs;
    if (!refused)
        figures.allocations = made;

    script.CleanUp();
    const char* mode = persistent ? "from" : "only";
    const size_t heapAfterCleanUp = PluginHeap().liveBytes;
    const std::string blocksAfterCleanUp = DescribePluginHeapBlocks(LivePluginHeapBlocks());
    const int resourcesAfterCleanUp = recorder->Census().Live();
    refhost::UnloadPlugin(plugin);
    const size_t heapAfterUnload = PluginHeap().liveBytes;
    TakeRecordedBoxes();
    EXPECT_EQ(heapAfterCleanUp, heapAtStart) << family.name << ", allocation " << k << " (" << mode
                                             << ") refused: the heap did not come back:" << blocksAfterCleanUp;
    EXPECT_EQ(resourcesAfterCleanUp, resourceBaseline)
        << family.name << ", allocation " << k << " (" << mode << ") refused: Direct3D resources left alive";
    EXPECT_EQ(heapAfterUnload, 0u) << family.name << ", allocation " << k << " (" << mode
                                   << ") refused: the unload left heap blocks";
    // One report per family and mode is enough: the sweep of it stops at the first fault.
    const bool clean = heapAfterCleanUp == heapAtStart && resourcesAfterCleanUp == resourceBaseline &&
                       heapAfterUnload == 0;
    return refused && clean;
}

TEST(AllocationSweep, EveryAllocationOfEachFamilysScenarioFailsCleanly)
{
    ASSERT_TRUE(refhost::Start());
    refhost::ResetScene();
    BuildSoakHostScene();
    VisibleThreadWindow window;
    ASSERT_NE(window.Get(), nullptr);
    ScopedRecordingDevice recorder;
    ASSERT_NE(recorder.Get(), nullptr);
    refhost::FastSync();
    const int baseline = recorder->Census().Live();

    for (const Family& family : kFamilies) {
        if (!Chosen(family.name))
            continue;
        for (bool persistent : {false, true}) {
            SweepFigures figures;
            for (uint64_t k = 1; RunWithFailure(family, k, persistent, baseline, recorder, figures); ++k) {
            }
            std::printf("sweep: %s, %s: %d runs, %llu allocations in the scenario\n", family.name,
                        persistent ? "every allocation from the k-th refused" : "the k-th allocation refused",
                        figures.runs, static_cast<unsigned long long>(figures.allocations));
            EXPECT_EQ(figures.allocations > 0, family.allocates)
                << family.name << ": the scenario made " << figures.allocations << " allocations";
        }
    }
    refhost::ResetScene();
}

} // namespace
