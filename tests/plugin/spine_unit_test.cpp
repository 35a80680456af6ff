// The plugin spine, white-box: start-up state, device-loss gating, guarded host access.
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "command_prototypes.h"
#include "device_loss.h"
#include "effect/vector_staging.h"
#include "effectcam/camera_table.h"
#include "host_access.h"
#include "plugin_lifetime.h"
#include "plugin_state.h"
#include "recorded_messages.h"
#include "ref_host.h"

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
    ASSERT_EQ(p.dependencies.size(), 5u);
    EXPECT_STREQ(p.dependencies[2].name, "DBProCore.dll");
    EXPECT_NE(p.dependencies[2].bind, nullptr);
    EXPECT_EQ(CameraSyncMask(), 1);
    EXPECT_EQ(p.coreData, nullptr);
    for (int i = 0; i < kVectorStagingBytes; ++i)
        ASSERT_EQ(VectorStaging()[i], std::byte{0});
}

TEST_F(SpineTest, DeviceLossChangesNothingWhileTheSetupLibraryIsBound)
{
    Plugin().host.ChangeDisplayMode = FakeChangeDisplayMode;
    CameraSyncMask() = 6;
    D3DDeviceLost();
    EXPECT_EQ(CameraSyncMask(), 6);
}

TEST_F(SpineTest, DeviceLossResetsTheCollectionsWhileTheSetupLibraryIsUnbound)
{
    Plugin().host.ChangeDisplayMode = nullptr;
    CameraSyncMask() = 6;
    D3DDeviceLost();
    EXPECT_EQ(CameraSyncMask(), -1);
}

TEST_F(SpineTest, BindsAllTwentyTwoHostFunctionsFromTheFiveLibraries)
{
    ASSERT_TRUE(refhost::Start());
    RecordedMessages recorded;
    ReceiveCoreDataPtr(refhost::CoreData());
    EXPECT_THAT(recorded.Take(), testing::IsEmpty()) << "no fatal message with the reference host's core data";

    const HostFunctionTable& t = Plugin().host;
    HMODULE basic3D = GetModuleHandleA("DBProBasic3DDebug.dll");
    HMODULE camera = GetModuleHandleA("DBProCameraDebug.dll");
    HMODULE core = GetModuleHandleA("DBProCore.dll");
    HMODULE image = GetModuleHandleA("DBProImageDebug.dll");
    HMODULE setup = GetModuleHandleA("DBProSetupDebug.dll");
    auto same = [](auto bound, HMODULE m, const char* name) {
        return reinterpret_cast<void*>(bound) == reinterpret_cast<void*>(GetProcAddress(m, name)) && bound != nullptr;
    };
    EXPECT_TRUE(same(t.DisableZDepth, basic3D, "?DisableZDepth@@YAXH@Z"));
    EXPECT_TRUE(same(t.DisableZRead, basic3D, "?DisableZRead@@YAXH@Z"));
    EXPECT_TRUE(same(t.DisableZWrite, basic3D, "?DisableZWrite@@YAXH@Z"));
    EXPECT_TRUE(same(t.SetObjectEffect, basic3D, "?SetObjectEffect@@YAXHH@Z"));
    EXPECT_TRUE(same(t.GetStatistic, basic3D, "?GetStatistic@@YAHH@Z"));
    EXPECT_TRUE(same(t.TextureLimbStage, basic3D, "?TextureLimbStage@@YAXHHHH@Z"));
    EXPECT_TRUE(same(t.SetTextureStage, basic3D, "?SetTextureStage@@YAXHHH@Z"));
    EXPECT_TRUE(same(t.GetObjectA, basic3D, "?GetObjectA@@YAPAUsObject@@H@Z"));
    EXPECT_TRUE(same(t.Point, camera, "?Point@@YAXHMMM@Z"));
    EXPECT_TRUE(same(t.SetAspect, camera, "?SetAspect@@YAXHM@Z"));
    EXPECT_TRUE(same(t.GetInternalData, camera, "?GetInternalData@@YAPAXH@Z"));
    EXPECT_TRUE(same(t.FastSync, core, "?FastSync@@YAXXZ"));
    EXPECT_TRUE(same(t.SyncMask, core, "?SyncMask@@YAXK@Z"));
    EXPECT_TRUE(same(t.AddToRenderList, core, "?AddToRenderList@@YAXPAXH@Z"));
    EXPECT_TRUE(same(t.RemoveFromRenderList, core, "?RemoveFromRenderList@@YAXPAX@Z"));
    EXPECT_TRUE(same(t.DeleteEx, image, "?DeleteEx@@YAXH@Z"));
    EXPECT_TRUE(same(t.GetExistEx, image, "?GetExistEx@@YAHH@Z"));
    EXPECT_TRUE(same(t.GetPointer, image, "?GetPointer@@YAPAUIDirect3DTexture9@@H@Z"));
    EXPECT_TRUE(same(t.MakeRenderTarget, image, "?MakeRenderTarget@@YAPAUIDirect3DTexture9@@HHHW4_D3DFORMAT@@@Z"));
    EXPECT_TRUE(same(t.GetDirect3D, setup, "?GetDirect3D@@YAPAUIDirect3D9@@XZ"));
    EXPECT_TRUE(same(t.GetDirect3DDevice, setup, "?GetDirect3DDevice@@YAPAUIDirect3DDevice9@@XZ"));
    EXPECT_TRUE(same(t.ChangeDisplayMode, setup, "?ChangeDisplayMode@@YAXHHHH@Z"));

    // The guarded accessors now reach the host.
    EXPECT_EQ(HostDevice(), refhost::Device());
}

TEST_F(SpineTest, UnboundHostFunctionsAreRefusedNotCalled)
{
    // Nothing is bound: every guarded access answers null instead of calling through null.
    EXPECT_EQ(HostDevice(), nullptr);
    EXPECT_EQ(HostObject(1), nullptr);
    EXPECT_EQ(HostCamera(0), nullptr);
    EXPECT_EQ(HostLimbMesh(1, 0), nullptr);

    // Commands that need them answer their failure result, with their own message where they have
    // one: the same before ReceiveCoreDataPtr as after a fatal binding message.
    RecordedMessages recorded;
    const int set = GeoInst_MakeNew();
    EfxCam_MakeNew(0);
    struct Row {
        const char* command;
        std::function<int()> call;
        int result;
        std::vector<ShownMessage> shown;
    };
    const Row rows[] = {
        {"GeoInst_SetMesh", [&] { return GeoInst_SetMesh(set, 1, 0); }, 1, {{"ERROR", "Object 1 does not exist"}}},
        {"GeoInst_SetMaxInstanceCount", [&] { return GeoInst_SetMaxInstanceCount(set, 4); }, 0,
         {{"Failed To Create Instance Vertex Buffer!", "Failed To create Instance Vertex buffer!"}}},
        {"GeoInst_Sync", [] { return GeoInst_Sync(); }, 0, {}},
        {"GeoInst_CheckDeviceSupport", [] { return GeoInst_CheckDeviceSupport(); }, 0, {}},
        {"EfxCam_SetToImage", [] { return EfxCam_SetToImage(0, 1, 8, 8); }, 0,
         {{"EfxCam_SetToImage Error", "The host's image functions are not available"}}},
        {"EfxCam_SetObject", [] { return EfxCam_SetObject(0, 1); }, 0, {{"EfxCam_SetObject Error", "Object 1 does not exist"}}},
        {"EfxCam_Sync", [] { return EfxCam_Sync(); }, 0, {}},
        {"CubeTex_MakeNew", [] { return CubeTex_MakeNew(16, 0); }, 0,
         {{"CubeTex_MakeNew() ERROR", "Failed To Create The Requested Cubemap Texture!"}}},
        {"CubeTex_CheckFormatSupport", [] { return CubeTex_CheckFormatSupport(D3DFMT_A8R8G8B8); }, 0, {}},
        {"MRT_MakeRenderTarget", [] { return MRT_MakeRenderTarget(1, 8, 8); }, 0, {}},
        {"MRT_Sync", [] { return MRT_Sync(0, 1, 2, 3); }, 0, {}},
        {"MRT_MaxSimultaneousRTs", [] { return MRT_MaxSimultaneousRTs(); }, 0, {}},
        {"Object_GetShaderPtr", [] { return Object_GetShaderPtr(1, 0); }, 0, {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.call(), row.result) << row.command;
        EXPECT_EQ(recorded.Take(), row.shown) << row.command;
    }
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
    ASSERT_THAT(shown, testing::SizeIs(testing::Ge(3)));
    EXPECT_EQ(shown[0], (ShownMessage{"Ryxo Plugin", "Fatal Error: Could not initialise DBProBasic3DDebug.dll"}));
    EXPECT_TRUE(Plugin().dependencies.empty()) << "the dependency and binder lists are discarded";
}

} // namespace
