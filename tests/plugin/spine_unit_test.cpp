// The plugin spine, white-box: start-up state, device-loss gating, guarded host access.
#include <gtest/gtest.h>

#include "device_loss.h"
#include "host_access.h"
#include "plugin_state.h"
#include "recorded_messages.h"

extern "C" void __cdecl D3DDeviceLost();
extern "C" void __cdecl ReceiveCoreDataPtr(void*);

namespace {

sObject g_object{};
HostMesh g_meshes[2]{};
HostMesh* g_meshList[2] = {&g_meshes[0], &g_meshes[1]};

sObject* __cdecl FakeGetObject(int number) { return number == 7 ? &g_object : nullptr; }
void __cdecl FakeChangeDisplayMode(int, int, int, int) {}

class SpineTest : public ::testing::Test {
protected:
    void SetUp() override { StartUp(nullptr); }
    void TearDown() override { ::TearDown(false); }
};

TEST_F(SpineTest, StartUpPreparesTheDependencyAndBinderListsAndDefaults)
{
    const PluginState& p = Plugin();
    ASSERT_EQ(p.dependencyNames.size(), 5u);
    EXPECT_STREQ(p.dependencyNames[2], "DBProCore.dll");
    EXPECT_EQ(p.binders.size(), 5u);
    EXPECT_EQ(p.cameraSyncMask, 1);
    EXPECT_EQ(p.coreData, nullptr);
    for (std::byte b : p.vectorStaging)
        ASSERT_EQ(b, std::byte{0});
}

TEST_F(SpineTest, DeviceLossChangesNothingWhileTheSetupLibraryIsBound)
{
    Plugin().host.ChangeDisplayMode = FakeChangeDisplayMode;
    Plugin().cameraSyncMask = 6;
    D3DDeviceLost();
    EXPECT_EQ(Plugin().cameraSyncMask, 6);
}

TEST_F(SpineTest, DeviceLossResetsTheCollectionsWhileTheSetupLibraryIsUnbound)
{
    Plugin().host.ChangeDisplayMode = nullptr;
    Plugin().cameraSyncMask = 6;
    D3DDeviceLost();
    EXPECT_EQ(Plugin().cameraSyncMask, -1);
}

TEST_F(SpineTest, UnboundHostFunctionsAreRefusedNotCalled)
{
    // Nothing is bound: every guarded access answers null instead of calling through null.
    EXPECT_EQ(HostDevice(), nullptr);
    EXPECT_EQ(HostObject(1), nullptr);
    EXPECT_EQ(HostCamera(0), nullptr);
    EXPECT_EQ(HostLimbMesh(1, 0), nullptr);
}

TEST_F(SpineTest, LimbMeshLookupStaysInsideTheMeshList)
{
    Plugin().host.GetObjectA = FakeGetObject;
    g_object.meshCount = 2;
    g_object.meshList = g_meshList;
    EXPECT_EQ(HostLimbMesh(7, 0), &g_meshes[0]);
    EXPECT_EQ(HostLimbMesh(7, 1), &g_meshes[1]);
    EXPECT_EQ(HostLimbMesh(7, 2), nullptr);
    EXPECT_EQ(HostLimbMesh(7, -1), nullptr);
    EXPECT_EQ(HostLimbMesh(8, 0), nullptr) << "unknown object";
}

TEST_F(SpineTest, MeshEffectTreatsZeroAndNegativeRecordsAsNone)
{
    HostMesh mesh{};
    EXPECT_EQ(MeshEffect(&mesh), nullptr);
    mesh.effect = reinterpret_cast<HostEffect*>(static_cast<intptr_t>(-1));
    EXPECT_EQ(MeshEffect(&mesh), nullptr);
    HostEffect record{};
    record.effect = reinterpret_cast<ID3DXEffect*>(0x1234);
    mesh.effect = &record;
    EXPECT_EQ(MeshEffect(&mesh), reinterpret_cast<ID3DXEffect*>(0x1234));
    EXPECT_EQ(MeshEffect(nullptr), nullptr);
}

TEST_F(SpineTest, MessagesGoThroughTheReplaceableSink)
{
    RecordedMessages recorded;
    ReceiveCoreDataPtr(nullptr);
    auto shown = recorded.Take();
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown[0], (ShownMessage{"Ryxo Plugin", "Fatal Error: Could not initialise DBProBasic3DDebug.dll"}));
    EXPECT_TRUE(Plugin().binders.empty()) << "the binder list is discarded";
    EXPECT_TRUE(Plugin().dependencyNames.empty()) << "the dependency list is discarded";
}

} // namespace
