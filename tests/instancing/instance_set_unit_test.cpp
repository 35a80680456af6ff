// Instance sets as records in the render queue: creation, handles, counts, exclusions, priority
// order, device loss.
#include "device_loss.h"
#include "effectcam/camera_table.h"
#include "instancing/render_queue.h"
#include "instancing_commands.h"
#include "plugin_state.h"
#include "unit_fixture.h"

extern "C" void __cdecl D3DDeviceLost();

namespace {

using InstanceSetTest = InstancingUnitTest;

const ShownMessage NoSuchSet(const char* title) { return {title, "The Specified GeoInst Does Not Exist"}; }

TEST_F(InstanceSetTest, OnlyTheFirstNewSetRegistersTheCallbackWithOrder7500)
{
    int first = GeoInst_MakeNew();
    int second = GeoInst_MakeNew();
    EXPECT_NE(first, 0);
    EXPECT_NE(second, 0);
    EXPECT_NE(first, second);
    ASSERT_EQ(registrations_.size(), 1u);
    EXPECT_EQ(registrations_[0].first, reinterpret_cast<void*>(&GeoInst_Sync));
    EXPECT_EQ(registrations_[0].second, 7500);
    GeoInst_Delete(first);
    GeoInst_Delete(second);
    GeoInst_MakeNew();
    EXPECT_EQ(registrations_.size(), 1u) << "the callback stays registered after every set is gone";
}

TEST_F(InstanceSetTest, NewSetReportsItsDefaults)
{
    int set = GeoInst_MakeNew();
    EXPECT_EQ(GeoInst_GetInstanceCount(set), 0);
    EXPECT_EQ(GeoInst_GetMaxInstanceCount(set), 0);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 0);
    EXPECT_EQ(GeoInst_GetHidden(set), 0);
    EXPECT_EQ(GeoInst_GetCameraMask(set), -1);
    EXPECT_EQ(GeoInst_GetRenderPriority(set), 0);
    EXPECT_EQ(GeoInst_GetMeshObject(set), 0);
    EXPECT_EQ(GeoInst_GetMeshLimb(set), 0);
    EXPECT_EQ(GeoInst_GetDrawPrimitives(set), 0) << "no mesh bound";
    const GeoInstRecord& record = Set(set);
    EXPECT_EQ(record.worldMatrixEnabled, 1);
    EXPECT_EQ(record.customElementsEnabled, 0);
    EXPECT_EQ(record.mesh, nullptr);
    EXPECT_EQ(record.transforms.get(), nullptr);
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(InstanceSetTest, SettersAreReadBackByTheirGetters)
{
    int set = GeoInst_MakeNew();
    struct Case {
        const char* what;
        int(__cdecl* set)(int, int);
        int(__cdecl* get)(int);
        int value;
    } cases[] = {
        {"hidden", GeoInst_SetHidden, GeoInst_GetHidden, 1},
        {"shown again", GeoInst_SetHidden, GeoInst_GetHidden, 0},
        {"cameras 0 and 2", GeoInst_SetCameraMask, GeoInst_GetCameraMask, 1 + 4},
        {"no camera", GeoInst_SetCameraMask, GeoInst_GetCameraMask, 0},
        {"every camera", GeoInst_SetCameraMask, GeoInst_GetCameraMask, -1},
        {"negative priority", GeoInst_SetRenderPriority, GeoInst_GetRenderPriority, -7},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.set(set, c.value), 0) << c.what;
        EXPECT_EQ(c.get(set), c.value) << c.what;
    }
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(InstanceSetTest, HandlesThatAreNotLiveSetsAreRefusedWithAMessage)
{
    int deleted = GeoInst_MakeNew();
    ASSERT_EQ(GeoInst_Delete(deleted), 0);
    int local = 0;
    for (int handle : {deleted, 0, 12345, ScriptAddress(&local)}) {
        EXPECT_EQ(GeoInst_SetHidden(handle, 1), 1);
        EXPECT_EQ(GeoInst_GetCameraMask(handle), 0);
        EXPECT_EQ(GeoInst_GetExcluded(handle, 1), -1);
        EXPECT_EQ(AsFloat(GeoInst_GetPositionX(handle, 1)), 0.0f);
        EXPECT_EQ(GeoInst_SetScaleUniform(handle, 1, 100.0f), 1);
        EXPECT_EQ(GeoInst_SetCustomData2(handle, 1, 1, 1.0f, 2.0f), 1);
        EXPECT_EQ(GeoInst_GetWorldMatrixPtr(handle, 1), 0);
        EXPECT_EQ(GeoInst_Delete(handle), 1);
        auto shown = messages_.Take();
        EXPECT_EQ(shown, (std::vector<ShownMessage>{
                             NoSuchSet("GeoInst_SetHidden Error"), NoSuchSet("GeoInst_GetCameraMask Error"),
                             NoSuchSet("GeoInst_GetExcluded Error"), NoSuchSet("GeoInst_GetPositionX Error"),
                             NoSuchSet("GeoInst_SetScale Error"), NoSuchSet("GeoInst_SetCustomData Error"),
                             NoSuchSet("GeoInst_GetWorldMatrixPtr Error"), NoSuchSet("GeoInst_Delete Error")}))
            << "handle " << handle;
    }
    EXPECT_EQ(local, 0) << "a refused handle is never written through";
}

TEST_F(InstanceSetTest, DeletingOneSetLeavesTheOthersAndReleasesWhatItHeld)
{
    int kept = MakeBoundSet(4, LimbLayout{.indexCount = 0});
    int doomed = MakeBoundSet(4, LimbLayout{.indexCount = 0});
    GeoInstRecord& record = Set(doomed);
    IUnknown* held[] = {record.sequentialIndexBuffer.ptr(), record.vertexDeclaration.ptr(), record.instanceBuffer.ptr()};
    for (IUnknown* object : held) {
        ASSERT_NE(object, nullptr);
        object->AddRef();
    }
    EXPECT_EQ(GeoInst_Delete(doomed), 0);
    for (IUnknown* object : held)
        EXPECT_EQ(object->Release(), 0u) << "the set held exactly one reference and gave it back";
    EXPECT_EQ(GeoInst_GetMaxInstanceCount(kept), 4);
    EXPECT_EQ(GeoInst_GetRenderIndex(kept), 0);
    EXPECT_EQ(GeoInst_GetMaxInstanceCount(doomed), 0);
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{NoSuchSet("GeoInst_GetMaxInstanceCount Error")}));
}

TEST_F(InstanceSetTest, InstanceCountIsClampedToZeroAndTheMax)
{
    int set = GeoInst_MakeNew();
    GeoInst_SetInstanceCount(set, 5);
    EXPECT_EQ(GeoInst_GetInstanceCount(set), 0) << "no room before a max instance count";
    GeoInst_SetMaxInstanceCount(set, 8);
    GeoInst_SetInstanceCount(set, -5);
    EXPECT_EQ(GeoInst_GetInstanceCount(set), 0);
    GeoInst_SetInstanceCount(set, 9);
    EXPECT_EQ(GeoInst_GetInstanceCount(set), 8);
    GeoInst_SetInstanceCount(set, 3);
    EXPECT_EQ(GeoInst_GetInstanceCount(set), 3);
}

TEST_F(InstanceSetTest, ExclusionOutsideOneToMaxIsRefused)
{
    int set = GeoInst_MakeNew();
    EXPECT_EQ(GeoInst_SetExcluded(set, 1, 1), 1) << "no instances before a max instance count";
    GeoInst_SetMaxInstanceCount(set, 6);
    for (int n : {0, 7, -1}) {
        EXPECT_EQ(GeoInst_SetExcluded(set, n, 1), 1) << n;
        EXPECT_EQ(GeoInst_GetExcluded(set, n), -1) << n;
    }
    EXPECT_EQ(GeoInst_SetExcluded(set, 6, 1), 0);
    EXPECT_EQ(GeoInst_GetExcluded(set, 6), 1);
    EXPECT_EQ(GeoInst_SetExcluded(set, 1, 5), 0);
    EXPECT_EQ(GeoInst_GetExcluded(set, 1), 5) << "the flag is kept as given";
    EXPECT_THAT(messages_.Take(), testing::IsEmpty()) << "range failures are quiet";
}

TEST_F(InstanceSetTest, DrawCountFollowsExclusionsUntilTheInstanceCountChanges)
{
    int set = MakeBoundSet(12);
    GeoInst_SetInstanceCount(set, 10);
    GeoInst_Update(set);
    ASSERT_EQ(GeoInst_GetDrawCount(set), 10);

    GeoInst_SetExcluded(set, 3, 1);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 9);
    GeoInst_SetExcluded(set, 3, 1);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 9) << "the same flag again changes nothing";
    GeoInst_SetExcluded(set, 3, 0);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 10);
    GeoInst_SetExcluded(set, 11, 1);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 10) << "instance 11 is above the instance count";
    EXPECT_EQ(GeoInst_GetExcluded(set, 11), 1);

    GeoInst_SetInstanceCount(set, 10);
    GeoInst_SetExcluded(set, 4, 1);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 10) << "after a new instance count the draw count waits for an upload";
    GeoInst_Update(set);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 9);

    GeoInst_SetInstanceCount(set, 5);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 9) << "a lower instance count draws the last upload until the next";
    GeoInst_Update(set);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 4) << "instances 1, 2, 3 and 5";
}

TEST_F(InstanceSetTest, SortOrdersByPriorityDescendingAndKeepsTiesInOrder)
{
    int s1 = GeoInst_MakeNew(), s2 = GeoInst_MakeNew(), s3 = GeoInst_MakeNew(), s4 = GeoInst_MakeNew();
    GeoInst_SetRenderPriority(s1, 5);
    GeoInst_SetRenderPriority(s2, 1);
    GeoInst_SetRenderPriority(s3, 5);
    GeoInst_SetRenderPriority(s4, 9);
    auto order = [] {
        std::vector<int> handles;
        for (const GeoInstRecord& set : LiveInstanceSets())
            handles.push_back(HandleOf(set));
        return handles;
    };
    EXPECT_EQ(order(), (std::vector<int>{s1, s2, s3, s4})) << "priorities do not move sets by themselves";
    GeoInst_SortRenderQueue();
    EXPECT_EQ(order(), (std::vector<int>{s4, s1, s3, s2}));
    EXPECT_EQ(GeoInst_GetRenderIndex(s4), 0);
    EXPECT_EQ(GeoInst_GetRenderIndex(s1), 1);
    EXPECT_EQ(GeoInst_GetRenderIndex(s3), 2);
    EXPECT_EQ(GeoInst_GetRenderIndex(s2), 3);
    EXPECT_EQ(GeoInst_GetRenderPriority(s4), 9) << "handles stay valid across the sort";

    GeoInst_SetRenderPriority(s2, -2000000000);
    GeoInst_SetRenderPriority(s1, 2000000000);
    int s5 = GeoInst_MakeNew();
    EXPECT_EQ(GeoInst_GetRenderIndex(s5), 4) << "new sets are appended";
    GeoInst_SortRenderQueue();
    EXPECT_EQ(order(), (std::vector<int>{s1, s4, s3, s5, s2})) << "signed comparison";
}

TEST_F(InstanceSetTest, DrawPrimitivesAreDrawCountTimesTheMeshPrimitives)
{
    int set = MakeBoundSet(100, LimbLayout{.primitiveCount = 12});
    GeoInst_SetInstanceCount(set, 100);
    GeoInst_Update(set);
    EXPECT_EQ(GeoInst_GetDrawPrimitives(set), 1200);
    GeoInst_SetExcluded(set, 50, 1);
    EXPECT_EQ(GeoInst_GetDrawPrimitives(set), 1188);
}

TEST_F(InstanceSetTest, LoweringTheMaxClampsTheCountsAndTheUploadStaysInside)
{
    int set = MakeBoundSet(100);
    GeoInst_SetInstanceCount(set, 100);
    GeoInst_Update(set);
    GeoInst_SetMaxInstanceCount(set, 10);
    EXPECT_EQ(GeoInst_GetInstanceCount(set), 10);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 10);
    GeoInst_SetExcluded(set, 2, 1);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 10) << "the clamped draw count no longer follows exclusions";
    GeoInst_Update(set);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 9);
}

TEST_F(InstanceSetTest, DeviceLossWithTheSetupLibraryUnboundReleasesEverySet)
{
    int a = MakeBoundSet(8, LimbLayout{.indexCount = 0});
    int b = MakeBoundSet(8);
    std::vector<IUnknown*> held;
    for (int handle : {a, b}) {
        GeoInstRecord& record = Set(handle);
        for (IUnknown* object : {static_cast<IUnknown*>(record.sequentialIndexBuffer.ptr()),
                                 static_cast<IUnknown*>(record.vertexDeclaration.ptr()),
                                 static_cast<IUnknown*>(record.instanceBuffer.ptr())}) {
            if (object) {
                object->AddRef();
                held.push_back(object);
            }
        }
    }
    ASSERT_EQ(held.size(), 5u) << "two declarations, two instance buffers, one sequential index buffer";

    Plugin().host.ChangeDisplayMode = nullptr;
    D3DDeviceLost();
    for (IUnknown* object : held)
        EXPECT_EQ(object->Release(), 0u) << "the set's reference was given back";
    EXPECT_TRUE(LiveInstanceSets().empty());
    EXPECT_EQ(CameraSyncMask(), -1);
    EXPECT_EQ(GeoInst_GetInstanceCount(a), 0);
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{NoSuchSet("GeoInst_GetInstanceCount Error")}));
    int fresh = GeoInst_MakeNew();
    EXPECT_EQ(GeoInst_GetRenderIndex(fresh), 0) << "the queue starts empty again";
    EXPECT_EQ(registrations_.size(), 1u) << "the callback is still registered";
}

TEST_F(InstanceSetTest, DeviceLossWhileTheSetupLibraryIsBoundKeepsEverySet)
{
    int set = MakeBoundSet(8);
    Plugin().host.ChangeDisplayMode = [](int, int, int, int) {};
    D3DDeviceLost();
    EXPECT_EQ(GeoInst_GetMaxInstanceCount(set), 8);
    EXPECT_NE(Set(set).instanceBuffer, nullptr);
    EXPECT_NE(Set(set).vertexDeclaration, nullptr);
}

} // namespace
