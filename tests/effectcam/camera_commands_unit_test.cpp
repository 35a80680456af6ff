// The effect-camera commands on their own: absent and out-of-range cameras refused with each
// command's own title before anything reaches the host, and the fields MakeNew and Delete set,
// clear and keep.
#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "effectcam_fixture.h"

namespace {

TEST_F(EfxCamTest, CommandsRefuseAbsentAndOutOfRangeCamerasWithTheirOwnTitles)
{
    const std::pair<const char*, std::function<void(int)>> commands[] = {
        {"EfxCam_Delete Error", [](int c) { EfxCam_Delete(c); }},
        {"EfxCam_SetBackdropEnabled Error", [](int c) { EfxCam_SetBackdropEnabled(c, 1); }},
        {"EfxCam_SetBackdropColor Error", [](int c) { EfxCam_SetBackdropColor(c, 1); }},
        {"EfxCam_SetAspect Error", [](int c) { EfxCam_SetAspect(c, 1.0f); }},
        {"EfxCam_SetFOV Error", [](int c) { EfxCam_SetFOV(c, 1.0f); }},
        {"EfxCam_SetRange Error", [](int c) { EfxCam_SetRange(c, 1.0f, 2.0f); }},
        {"EfxCam_SetPosition Error", [](int c) { EfxCam_SetPosition(c, 1.0f, 2.0f, 3.0f); }},
        {"EfxCam_SetRotation Error", [](int c) { EfxCam_SetRotation(c, 1.0f, 2.0f, 3.0f); }},
        {"EfxCam_SetView Error", [](int c) { EfxCam_SetView(c, 0, 0, 1, 1); }},
        {"EfxCam_SetToImage Error", [](int c) { EfxCam_SetToImage(c, kImage, kSize, kSize); }},
        {"EfxCam_SetToImage Error", [](int c) { EfxCam_SetToImageFormat(c, kImage, kSize, kSize, 0); }},
        {"EfxCam_SetMRTImage Error", [](int c) { EfxCam_SetMRTImage(c, 1, kImage); }},
        {"EfxCam_SetMRTImage Error", [](int c) { EfxCam_SetMRTImageFormat(c, 3, kImage, 0); }},
        {"EfxCam_SetObject Error", [](int c) { EfxCam_SetObject(c, 1); }},
    };
    for (int camera : {3, -1, 32, 0x7FFFFFFF, static_cast<int>(0x80000000)}) {
        for (const auto& [title, call] : commands) {
            call(camera);
            EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{{title, kNoSuchCameraText}}))
                << title << " on camera " << camera;
        }
        EXPECT_EQ(EfxCam_GetExist(camera), 0);
        if (camera != 3) {
            EfxCam_MakeNew(camera);
            EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{{"EfxCam_MakeNew Error", kNoSuchCameraText}}));
        }
    }
    EXPECT_TRUE(refhost::HostCallLog().empty()) << "a refused command reached the host";

    // The target index is checked before the camera; an existing camera cannot be made again.
    EfxCam_SetMRTImage(9, 0, kImage);
    EfxCam_SetMRTImageFormat(9, 4, kImage, 0);
    EfxCam_MakeNew(31);
    EfxCam_MakeNew(31);
    const std::string badIndex = "The specified TargetIndex is invalid, should range between 1 and 3";
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{{"EfxCam_SetMRTImage Error", badIndex},
                                                          {"EfxCam_SetMRTImage Error", badIndex},
                                                          {"EfxCam_MakeNew Error", "The Specified EfxCam Already Exists"}}));
    EXPECT_EQ(EfxCam_GetExist(31), 1);
}

TEST_F(EfxCamTest, MakeNewAndDeleteSetClearAndKeepTheirFields)
{
    EfxCam_MakeNew(4);
    EfxCamRecord& c = Camera(4);
    EXPECT_EQ(c.exists, 1);
    EXPECT_EQ(c.backdropEnabled, 1);
    EXPECT_EQ(c.backdropColor, 0u);
    EXPECT_TRUE(c.aspect == 0.0f && c.fieldOfView == 0.0f && c.nearRange == 0.0f && c.farRange == 0.0f)
        << "a camera never used has no projection settings";
    EXPECT_TRUE(c.main.image == 0 && c.mesh == nullptr) << "nor an image or an object";
    EXPECT_EQ(c.viewDirty + c.projectionDirty, 2);
    EfxCam_SetBackdropColor(4, 0x12345678);
    EfxCam_SetAspect(4, 1.5f);
    EfxCam_SetRange(4, 2.0f, 50.0f);
    EfxCam_SetFOV(4, 0.5f);
    EfxCam_SetPosition(4, 1.0f, 2.0f, 3.0f);
    EfxCam_SetRotation(4, 10.0f, 20.0f, 30.0f);
    EfxCam_SetToImage(4, kImage, 64, 48);
    EXPECT_EQ(c.viewport.Width, 64u);
    EfxCam_SetView(4, 10, 20, 5, 8); // right < left: the 32-bit wrap is stored
    const D3DVIEWPORT9 expectedView = {10, 20, 0xFFFFFFFBu, 0xFFFFFFF4u, 0.0f, 1.0f};
    EXPECT_EQ(std::memcmp(&c.viewport, &expectedView, sizeof expectedView), 0);

    EfxCam_Delete(4);
    EXPECT_EQ(c.exists + c.backdropEnabled + static_cast<int>(c.backdropColor) + c.main.image, 0);
    EXPECT_TRUE(c.aspect == 0.0f && c.fieldOfView == 0.0f && c.nearRange == 0.0f && c.farRange == 0.0f);
    EXPECT_EQ(refhost::GetImageExists(kImage), 0);

    // Made again: the old position, rotation and view port, fresh backdrop and dirty flags.
    c.viewDirty = c.projectionDirty = 0;
    EfxCam_MakeNew(4);
    EXPECT_EQ(c.backdropEnabled, 1);
    EXPECT_EQ(c.backdropColor, 0u);
    EXPECT_EQ(c.lookAt[2] + c.up[1], 2.0f);
    EXPECT_EQ(c.viewDirty + c.projectionDirty, 2);
    EXPECT_EQ(c.position[1] + c.rotation[2], 32.0f);
    EXPECT_EQ(std::memcmp(&c.viewport, &expectedView, sizeof expectedView), 0);
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

} // namespace
