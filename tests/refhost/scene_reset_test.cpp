// ResetScene and fog: what a test program relies on between tests.
#include <cstring>

#include "com.h"
#include "effect_creation.h"
#include "effect_library.h"
#include "reference_count.h"
#include "scene_fixture.h"

namespace {

int __cdecl Callback() { return 0; }

using SceneResetTest = SceneTest;

TEST_F(SceneResetTest, ResetLeavesCameraZeroAloneWithItsDefaults)
{
    HostCameraData* camera = refhost::GetCameraData(0);
    const HostCameraData fresh = *camera;
    auto effect = Com<ID3DXEffect>::Adopt(refhost::CreateDescribedEffect(refhost::RealDevice(), refhost::PlainEffectDescription()));
    ASSERT_NE(refhost::AddEffect(1, effect.ptr()), nullptr);
    ASSERT_TRUE(refhost::MakeObject(1, {}));
    ASSERT_TRUE(refhost::MakeCamera(2));
    refhost::MakeImage(3, 4, 4, 0xFFFFFFFF);
    refhost::AddToRenderList(reinterpret_cast<void*>(&Callback), 10);
    refhost::SetSyncMask(4);
    refhost::SetFog(true);
    refhost::SetCameraPosition(0, 1, 2, 3);
    camera->renderIntoSurface = 1;
    refhost::FastSync();

    refhost::ResetScene();
    EXPECT_EQ(refhost::GetObjectRecord(1), nullptr);
    EXPECT_EQ(refhost::GetCameraData(2), nullptr);
    EXPECT_EQ(refhost::GetImageExists(3), 0);
    EXPECT_EQ(refhost::GetEffectRecord(1), nullptr);
    EXPECT_EQ(ReferenceCount(effect.ptr()), 1u);
    EXPECT_EQ(refhost::RenderListRegistrations(reinterpret_cast<void*>(&Callback)), 0);
    EXPECT_EQ(refhost::SyncMask(), 0xFFFFFFFFu);
    EXPECT_EQ(refhost::CoreData()->fogEnabled, 0);
    EXPECT_EQ(refhost::CoreData()->currentCamera, 0);
    EXPECT_EQ(refhost::GetStatistic(5), 0);
    EXPECT_TRUE(refhost::HostCallLog().empty());
    ASSERT_EQ(refhost::GetCameraData(0), camera) << "camera 0 keeps its record";
    EXPECT_EQ(std::memcmp(camera, &fresh, sizeof fresh), 0) << "and has its first settings again";
}

TEST_F(SceneResetTest, FogShowsOnMeshesWithTheirFogSwitchOnlyWhileTheHostFogIsOn)
{
    refhost::MeshDescription meshDescription;
    meshDescription.size = 4.0f;
    meshDescription.colour = 0xFFFF0000;
    ASSERT_TRUE(refhost::MakeObject(1, meshDescription));
    refhost::SetObjectPosition(1, 0, 0, 20);
    refhost::FastSync();
    EXPECT_TRUE(ColourNear(0xFFFF0000, CameraFrame(0).At(128, 128)));

    refhost::SetFog(true, 0xFF0000FF, 1.0f, 19.0f); // the front face at 18 is nearly all fog
    EXPECT_EQ(*reinterpret_cast<const int32_t*>(reinterpret_cast<const BYTE*>(refhost::CoreData()) + 884), 1);
    refhost::FastSync();
    D3DCOLOR fogged = CameraFrame(0).At(128, 128);
    EXPECT_LT((fogged >> 16) & 0xFF, 0x20u) << Hex(fogged);
    EXPECT_GT(fogged & 0xFF, 0xE0u) << Hex(fogged);

    refhost::GetLimbMesh(1, 0)->fog = 0;
    refhost::FastSync();
    EXPECT_TRUE(ColourNear(0xFFFF0000, CameraFrame(0).At(128, 128)));
}

} // namespace
