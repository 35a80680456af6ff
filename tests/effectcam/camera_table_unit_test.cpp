// The camera table across a device loss: kept while the setup library is bound, emptied (and every
// camera selected again) when it is not.
#include "effectcam_fixture.h"
#include "plugin_state.h"
#include "reference_count.h"

extern "C" void __cdecl D3DDeviceLost();

namespace {

TEST_F(EfxCamTest, DeviceLossWithTheSetupLibraryUnboundEmptiesTheTableAndSelectsEveryCamera)
{
    MakeReadyCamera(7, kImage, 1);
    IDirect3DTexture9* texture = Camera(7).main.texture.ptr();
    const ULONG held = ReferenceCount(texture);
    EfxCam_SyncMask(1 << 7);
    D3DDeviceLost(); // setup library bound: nothing changes
    EXPECT_EQ(EfxCam_GetExist(7), 1);
    EXPECT_TRUE(Camera(7).main.texture.ptr() == texture && Camera(7).object == 1 && Camera(7).fieldOfView == 1.0f)
        << "the camera keeps its image, object and lens";
    EXPECT_EQ(CameraSyncMask(), 1u << 7);
    auto changeDisplayMode = Plugin().host.ChangeDisplayMode;
    Plugin().host.ChangeDisplayMode = nullptr;
    D3DDeviceLost();
    Plugin().host.ChangeDisplayMode = changeDisplayMode;
    EXPECT_EQ(EfxCam_GetExist(7), 0);
    EXPECT_EQ(CameraSyncMask(), 0xFFFFFFFFu);
    EXPECT_EQ(ReferenceCount(texture), held - 2) << "the camera's texture and surface references were given back";
    EXPECT_EQ(refhost::GetImageExists(kImage), 1) << "the host's image is the host's";
}

} // namespace
