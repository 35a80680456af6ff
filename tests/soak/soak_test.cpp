// A seeded random soak over every command of the built Ryxo.dll, called through its command table
// the way the host calls them, with the numbers a buggy or stale script passes. The host renders a
// frame every few hundred calls and loses its device now and then. Nothing may crash, hang or
// corrupt the heap, and once everything is deleted the Direct3D resources the plugin made are back
// to where they were.
//
//   RYXO_SOAK_CALLS (default 20000) and RYXO_SOAK_SEED (default 1) choose the run; a crash prints
//   the seed, the call index and the last calls, so `RYXO_SOAK_SEED=<seed>` replays it.
//   RYXO_SOAK_VALIDATE=1 checks every heap after every call and names the call that damaged one;
//   RYXO_SOAK_VALIDATE_FROM=<call index> starts those checks late in a long run.
//   RYXO_SOAK_EXPORTS=CubeTex_,MRT_ calls only the exports whose names start with one of those;
//   RYXO_SOAK_EXPORTS=-MRT_Sync calls all but those starting with MRT_Sync.
//
// A second run makes the plugin's own allocations fail at random (RYXO_SOAK_OOM_CALLS calls,
// default 3000, with RYXO_SOAK_OOM_PERCENT of the allocations failing, default 5): every failure
// must be refused cleanly. Both runs count the plugin's heap through its imported allocation
// functions and require it back at its start after the clean-up, and empty after unload. There are
// no first-use allocations left in it: the collections give their memory back when they empty, and
// the C++ runtime's first-use records for throwing are made at load, before the count starts.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "import_redirect.h"
#include "plugin_heap.h"
#include "plugin_loader.h"
#include "plugin_under_seam.h"
#include "ref_host.h"
#include "scoped_recording_device.h"
#include "setup_library_unbound.h"
#include "soak_run.h"

namespace {

// While the soak runs, message boxes are counted instead of shown: a modal box per refused call
// would make a long run take hours.
int g_messageBoxes = 0;
int WINAPI CountMessageBox(HWND, LPCSTR, LPCSTR, UINT)
{
    ++g_messageBoxes;
    return IDOK;
}

void StandBetweenPluginAndSystem(HMODULE module)
{
    RedirectImport(module, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(&CountMessageBox));
    // The setup library's display-mode function stays unbound, as on a host whose device-loss
    // handling the plugin must do itself: every D3DDeviceLost then empties the plugin's collections.
    UnbindDisplayMode(module);
    InstallPluginHeapSeam(module);
}

int EnvironmentNumber(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

SoakOptions OptionsFromEnvironment(const char* callsVariable, int calls)
{
    SoakOptions options;
    options.calls = EnvironmentNumber(callsVariable, calls);
    options.seed = static_cast<uint32_t>(EnvironmentNumber("RYXO_SOAK_SEED", 1));
    if (EnvironmentNumber("RYXO_SOAK_VALIDATE", 0) != 0)
        options.validateHeapsFrom = EnvironmentNumber("RYXO_SOAK_VALIDATE_FROM", 0);
    if (const char* only = std::getenv("RYXO_SOAK_EXPORTS")) {
        std::string list = only;
        for (size_t start = 0; start < list.size();) {
            size_t end = std::min(list.find(',', start), list.size());
            if (end > start)
                options.exports.push_back(list.substr(start, end - start));
            start = end + 1;
        }
    }
    return options;
}

void SoakAndCheckEverythingComesBack(const SoakOptions& options)
{
    ASSERT_TRUE(refhost::Start());
    refhost::ResetScene();
    // As on the host, every message box lists the thread's windows it disables.
    VisibleThreadWindow window;
    ScopedRecordingDevice recorder;
    ASSERT_NE(recorder.Get(), nullptr);
    refhost::LoadedPlugin plugin;
    std::string error;
    g_messageBoxes = 0;
    ASSERT_TRUE(refhost::LoadPlugin("Ryxo.dll", plugin, error, StandBetweenPluginAndSystem)) << error;
    const int baseline = recorder->Census().Live();
    const size_t heapAtStart = PluginHeap().liveBytes;

    SoakFigures figures = RunSoak(plugin, options, [&] { recorder->ClearLog(); });
    const PluginHeapFigures heap = PluginHeap();
    std::printf("soak: seed %u, %d calls, %d frames, %d device losses, %d host deletions, %d message boxes, "
                "%d resources made, %llu plugin allocations (%llu refused)\n",
                options.seed, figures.calls, figures.frames, figures.deviceLosses, figures.hostDeletions,
                g_messageBoxes, recorder->Census().Created(), static_cast<unsigned long long>(figures.allocations),
                static_cast<unsigned long long>(figures.failedAllocations));
    std::printf("soak: plugin heap %zu B at the start, %zu B in %zu blocks after the clean-up:%s\n", heapAtStart,
                heap.liveBytes, heap.liveBlocks, DescribePluginHeapBlocks(LivePluginHeapBlocks()).c_str());
    EXPECT_EQ(heap.liveBytes, heapAtStart)
        << "the plugin's heap did not come back after everything was deleted:" << DescribePluginHeapBlocks(LivePluginHeapBlocks());

    // The host lets go of what it holds itself: its effects keep references to the textures its
    // renderer gave them, a cube texture among them when the object it was applied to is gone.
    // Direct3D hands state set on the device to the driver at the next draw: the instance stream
    // GeoInst_Sync unbinds keeps its buffer alive until then. The host's next frame settles it.
    refhost::ResetScene();
    refhost::FastSync();
    EXPECT_EQ(recorder->Census().Live(), baseline)
        << "Direct3D resources the plugin made are still alive after everything was deleted: "
        << recorder->Census().LiveOfType(D3DRTYPE_SURFACE) << " surfaces, "
        << recorder->Census().LiveOfType(D3DRTYPE_TEXTURE) << " textures, "
        << recorder->Census().LiveOfType(D3DRTYPE_CUBETEXTURE) << " cube textures, "
        << recorder->Census().LiveOfType(D3DRTYPE_VERTEXBUFFER) << " vertex buffers, "
        << recorder->Census().LiveOfType(D3DRTYPE_INDEXBUFFER) << " index buffers";
    refhost::UnloadPlugin(plugin);
    EXPECT_EQ(recorder->Census().Live(), baseline) << "the plugin's unload left resources alive";
    EXPECT_EQ(PluginHeap().liveBytes, 0u) << "the plugin's unload left heap blocks:" << DescribePluginHeapBlocks(LivePluginHeapBlocks());
}

TEST(Soak, RandomCommandsNeverCrashAndGiveEveryResourceBack)
{
    SoakAndCheckEverythingComesBack(OptionsFromEnvironment("RYXO_SOAK_CALLS", 20000));
}

TEST(Soak, FailedAllocationsAreRefusedCleanly)
{
    SoakOptions options = OptionsFromEnvironment("RYXO_SOAK_OOM_CALLS", 3000);
    const char* percent = std::getenv("RYXO_SOAK_OOM_PERCENT");
    options.allocationFailurePercent = percent && *percent ? std::atof(percent) : 5.0;
    SoakAndCheckEverythingComesBack(options);
}

} // namespace
