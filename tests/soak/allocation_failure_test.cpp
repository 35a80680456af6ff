// The places the allocation-failure soak and sweep found, each reduced to the calls that matter:
// the plugin's allocations are refused through the heap seam (plugin_heap.h) and every refusal
// must leave the plugin answering, its records whole and its heap back where it was.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "checked_call.h"
#include "plugin_heap.h"
#include "plugin_under_seam.h"
#include "ref_host.h"
#include "scoped_recording_device.h"
#include "soak_scene.h"

namespace {

class AllocationFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(refhost::Start());
        refhost::ResetScene();
        BuildSoakHostScene();
        std::string error;
        ASSERT_TRUE(LoadPluginUnderSeam(plugin_, error)) << error;
        heapAtStart_ = PluginHeap().liveBytes;
    }
    void TearDown() override
    {
        FailNoPluginAllocation();
        refhost::UnloadPlugin(plugin_);
        EXPECT_EQ(PluginHeap().liveBytes, 0u) << DescribePluginHeapBlocks(LivePluginHeapBlocks());
        refhost::ResetScene();
    }
    // The command calls of CALL.
    template <typename Function, typename... Args>
    int CallExport(const char* exportName, Args... args)
    {
        return CallCommandExport<Function>(plugin_, exportName, args...);
    }

    refhost::LoadedPlugin plugin_;
    size_t heapAtStart_ = 0;
};

// A visible window of this thread makes the box list the windows it disables; without memory for
// that list the box was thrown out of the export (the host ended). It is shown all the same, with
// its owner and its text, and nothing is left disabled.
TEST_F(AllocationFailure, MessageBoxWithoutMemoryForItsWindowListStillShows)
{
    VisibleThreadWindow hostWindow;
    const HWND window = hostWindow.Get();
    ASSERT_NE(window, nullptr);
    HWND foreground = GetForegroundWindow();
    DWORD foregroundProcess = 0;
    GetWindowThreadProcessId(foreground, &foregroundProcess);
    const HWND expectedOwner = foregroundProcess == GetCurrentProcessId() ? foreground : nullptr;

    const uint64_t refusedBefore = PluginHeap().failed;
    FailPluginAllocationNumber(1);
    EXPECT_EQ(CALL(EfxCam_SetFOV, 3, 1.0f), 0);
    EXPECT_EQ(PluginHeap().failed - refusedBefore, 1u) << "the box did not ask for its window list";
    FailNoPluginAllocation();

    const std::vector<RecordedBox> boxes = TakeRecordedBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "EfxCam_SetFOV Error");
    EXPECT_EQ(boxes[0].text, "The Specified EfxCam Does Not Exist");
    EXPECT_EQ(boxes[0].owner, expectedOwner);
    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_EQ(PluginHeap().liveBytes, heapAtStart_);
}

// Creators asked for memory when there is none left at all: the first refusal throws, and the
// exception object itself has no heap either, so the runtime takes its emergency pool, whose lock
// it made on first use (the host ended when that failed too). They answer 0 and leave nothing.
TEST_F(AllocationFailure, CreatorsAnswerZeroWhenMemoryHasRunOut)
{
    ScopedRecordingDevice recorder;
    ASSERT_NE(recorder.Get(), nullptr);
    const int resources = recorder->Census().Live();
    const uint64_t refusedBefore = PluginHeap().failed;
    FailPluginAllocationsFrom(1);
    EXPECT_EQ(CALL(GeoInst_MakeNew), 0);
    EXPECT_EQ(CALL(CubeTex_MakeNew, 16, 0), 0);
    EXPECT_GE(PluginHeap().failed - refusedBefore, 2u);
    FailNoPluginAllocation();
    EXPECT_EQ(recorder->Census().Live(), resources) << "a refused cube texture kept its Direct3D texture";
    EXPECT_EQ(PluginHeap().liveBytes, heapAtStart_) << DescribePluginHeapBlocks(LivePluginHeapBlocks());
}

// The first record of an empty collection takes three allocations: its node, the hash table's
// buckets and the table's entry. Whichever is refused, the creator answers 0, no half-made record
// stays in the collection (the next one is first in it), and the emptied table gives its buckets
// back (the sweep found 52 bytes kept).
TEST_F(AllocationFailure, AFirstRecordIsMadeWholeOrNotAtAll)
{
    struct Creator {
        const char* what;
        std::function<int()> make;
        std::function<void(int)> remove;
    };
    const Creator creators[] = {
        {"GeoInst_MakeNew", [&] { return CALL(GeoInst_MakeNew); }, [&](int set) { CALL(GeoInst_Delete, set); }},
        {"CubeTex_MakeNew", [&] { return CALL(CubeTex_MakeNew, 16, 0); }, [&](int cube) { CALL(CubeTex_Delete, cube); }},
    };
    for (const Creator& creator : creators) {
        for (uint64_t k = 1; k <= 3; ++k) {
            SCOPED_TRACE(std::string(creator.what) + ", allocation " + std::to_string(k) + " refused");
            FailPluginAllocationNumber(k);
            const bool isSet = std::string(creator.what) == "GeoInst_MakeNew";
            EXPECT_EQ(creator.make(), 0);
            FailNoPluginAllocation();
            EXPECT_EQ(PluginHeap().liveBytes, heapAtStart_) << DescribePluginHeapBlocks(LivePluginHeapBlocks());

            const int made = creator.make();
            ASSERT_NE(made, 0);
            if (isSet) {
                EXPECT_EQ(CALL(GeoInst_GetRenderIndex, made), 0) << "a half-made set stayed in the render queue";
            }
            creator.remove(made);
            EXPECT_EQ(PluginHeap().liveBytes, heapAtStart_);
        }
    }
}

// Applying a cube texture writes it into the host's entries and remembers where, so that deleting
// it takes it out again. Without memory to remember the place the texture was still written, and
// the entry kept a deleted texture; now nothing is written.
TEST_F(AllocationFailure, ACubeTextureIsAppliedOnlyWhereItIsRemembered)
{
    const int cube = CALL(CubeTex_MakeNew, 16, 0);
    ASSERT_NE(cube, 0);
    HostMesh* mesh = refhost::GetLimbMesh(1, 0);
    ASSERT_TRUE(mesh && mesh->textureStages && mesh->textureStageCount > 0);
    IDirect3DBaseTexture9* shownBefore = mesh->textureStages[0].texture;

    const uint64_t refusedBefore = PluginHeap().failed;
    FailPluginAllocationNumber(1);
    CALL(CubeTex_ApplyObject, cube, 1, 0);
    EXPECT_EQ(PluginHeap().failed - refusedBefore, 1u);
    FailNoPluginAllocation();
    EXPECT_EQ(mesh->textureStages[0].texture, shownBefore) << "the cube texture was written without being remembered";

    CALL(CubeTex_ApplyObject, cube, 1, 0);
    EXPECT_NE(mesh->textureStages[0].texture, shownBefore);
    CALL(CubeTex_Delete, cube);
    EXPECT_EQ(mesh->textureStages[0].texture, nullptr) << "the deleted cube texture is still in the host's entry";
    EXPECT_EQ(PluginHeap().liveBytes, heapAtStart_);
}

} // namespace
