// A lost device, end to end: instance sets, cube textures and render-target images alive, the host
// reports the loss. With the setup library's display-mode function unbound, the plugin gives back
// everything it made, so the host's Reset succeeds (and fails before that); the script makes its
// objects again and the next frame shows the same pixels. With it bound, nothing is given back and
// the same objects keep drawing, also once the host deleted an image MRT_Sync used and it was made
// again.
#include <cmath>
#include <string>

#include "effect_creation.h"
#include "effect_library.h"
#include "pixel_checks.h"
#include "plugin_fixture.h"
#include "ref_host.h"
#include "setup_library_unbound.h"

namespace {

constexpr D3DCOLOR kBackdrop = 0xFF404040;
constexpr D3DCOLOR kYellow = 0xFFFFFF00, kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
constexpr int kInstancedObject = 1, kInstancingEffect = 1;
constexpr int kThreeOutputObject = 2, kThreeOutputEffect = 2;
constexpr int kMrtCamera = 1, kGreenImage = 10, kBlueImage = 11;
constexpr int kCubeEdge = 64, kFrontFace = 4;
constexpr float kInstanceLeft = -8.0f;
// Where the instance at (kInstanceLeft, 0, 20), clear of the red cube, shows in a 256 x 256 camera at the origin with a 60 degree lens.
const int kInstanceX = static_cast<int>(std::lround(128 + kInstanceLeft * 128 / (19 * std::tan(30.0 * 3.14159265 / 180)))),
          kInstanceY = 128;

void AddEffect(int number, const refhost::EffectDescription& description)
{
    std::string error;
    ID3DXEffect* fx = refhost::CreateDescribedEffect(refhost::RealDevice(), description, &error);
    ASSERT_NE(fx, nullptr) << error;
    refhost::AddEffect(number, fx);
    fx->Release();
}

class DeviceResetDllTest : public RyxoDllTest {
protected:
    void TearDown() override
    {
        refhost::ResetScene();
        RyxoDllTest::TearDown();
    }

    // Host side: a hidden cube whose yellow instances the set draws, a cube writing red, green and
    // blue to three targets in front of camera 0 and camera 1, and camera 1.
    void MakeHostScene()
    {
        refhost::SetCameraBackdrop(0, kBackdrop);
        refhost::InstancingEffectOptions yellow;
        AddEffect(kInstancingEffect, refhost::InstancingEffectDescription(yellow));
        const D3DXVECTOR4 colour(1, 1, 0, 1);
        refhost::GetEffectRecord(kInstancingEffect)->effect->SetVector("Color", &colour);
        ASSERT_TRUE(refhost::MakeObject(kInstancedObject, refhost::MeshDescription{.size = 2.0f}));
        refhost::SetObjectEffect(kInstancedObject, kInstancingEffect);
        refhost::HideObject(kInstancedObject);
        AddEffect(kThreeOutputEffect, refhost::ThreeOutputEffectDescription());
        ASSERT_TRUE(refhost::MakeObject(kThreeOutputObject, refhost::MeshDescription{.size = 4.0f}));
        refhost::SetObjectEffect(kThreeOutputObject, kThreeOutputEffect);
        refhost::SetObjectPosition(kThreeOutputObject, 0.0f, 0.0f, 10.0f);
        ASSERT_TRUE(refhost::MakeCamera(kMrtCamera, 256, 256));
        refhost::SetCameraBackdrop(kMrtCamera, kBackdrop);
    }

    // Script side: one instance set, one cube texture; the render-target images are made once, as
    // the host keeps them through a Reset.
    void MakeScriptObjects()
    {
        set_ = CALL(GeoInst_MakeNew);
        CALL(GeoInst_SetMesh, set_, kInstancedObject, 0);
        CALL(GeoInst_SetMaxInstanceCount, set_, 1);
        CALL(GeoInst_SetInstanceCount, set_, 1);
        CALL(GeoInst_SetPosition, set_, 1, kInstanceLeft, 0.0f, 20.0f);
        CALL(GeoInst_SetScaleUniform, set_, 1, 100.0f);
        CALL(GeoInst_UpdateInstance, set_, 1);
        CALL(GeoInst_Update, set_);
        cube_ = CALL(CubeTex_MakeNew, kCubeEdge, 0);
        ASSERT_NE(cube_, 0);
    }

    void DeviceLost()
    {
        auto lost = reinterpret_cast<void(__cdecl*)()>(reinterpret_cast<void*>(Export("?D3DDeviceLost@@YAXXZ")));
        ASSERT_NE(lost, nullptr);
        lost();
    }

    // One frame: every camera, camera 1 again into three targets, the cube's six faces. Then every
    // target shows its colour where the objects are.
    void DrawFrameAndExpectPixels(const char* when)
    {
        SCOPED_TRACE(when);
        refhost::SetSyncMask(0xFFFFFFFF);
        refhost::FastSync();
        CALL(MRT_Sync, kMrtCamera, kGreenImage, kBlueImage, 0);
        CALL(CubeTex_Sync, cube_, 0);

        const CameraFrame camera(0);
        EXPECT_EQ(Hex(camera.At(kInstanceX, kInstanceY) | 0xFF000000), Hex(kYellow)) << "instance";
        EXPECT_EQ(Hex(camera.At(128, 128) | 0xFF000000), Hex(kRed)) << "camera 0";
        EXPECT_EQ(Hex(camera.At(250, 6) | 0xFF000000), Hex(kBackdrop)) << "camera 0";
        refhost::SurfacePixels green, blue;
        ASSERT_TRUE(refhost::ReadTexturePixels(refhost::GetImagePointer(kGreenImage), green));
        ASSERT_TRUE(refhost::ReadTexturePixels(refhost::GetImagePointer(kBlueImage), blue));
        EXPECT_EQ(Hex(green.At(128, 128) | 0xFF000000), Hex(kGreen)) << "image 10";
        EXPECT_EQ(Hex(blue.At(128, 128) | 0xFF000000), Hex(kBlue)) << "image 11";
        EXPECT_EQ(Hex(blue.At(4, 4) | 0xFF000000), Hex(kBackdrop)) << "image 11";

        // The front face, made render target 0 by CubeTex_DrawToFace and read back.
        CALL(CubeTex_DrawToFace, cube_, kFrontFace);
        IDirect3DDevice9* device = refhost::RealDevice();
        IDirect3DSurface9* face = nullptr;
        ASSERT_EQ(device->GetRenderTarget(0, &face), D3D_OK);
        refhost::SurfacePixels pixels;
        EXPECT_TRUE(refhost::ReadSurfacePixels(face, pixels));
        face->Release();
        device->SetRenderTarget(0, refhost::CoreData()->referenceSurface);
        ASSERT_EQ(pixels.width, kCubeEdge);
        EXPECT_EQ(Hex(pixels.At(kCubeEdge / 2, kCubeEdge / 2) | 0xFF000000), Hex(kRed)) << "cube front face";
        EXPECT_THAT(messages_.Take(), testing::IsEmpty());
    }

    int set_ = 0;
    int cube_ = 0;
};

TEST_F(DeviceResetDllTest, UnboundSetupLibraryGivesEverythingBackSoResetSucceedsAndTheRemadeObjectsDraw)
{
    refhost::UnloadPlugin(plugin_);
    std::string error;
    ASSERT_TRUE(refhost::LoadPlugin("Ryxo.dll", plugin_, error, UnbindDisplayMode)) << error;
    MakeHostScene();
    MakeScriptObjects();
    CALL(MRT_MakeRenderTarget, kGreenImage, 256, 256);
    CALL(MRT_MakeRenderTarget, kBlueImage, 256, 256);
    DrawFrameAndExpectPixels("before the loss");

    // While the plugin's default-pool objects live, the device cannot be reset.
    EXPECT_EQ(refhost::ResetDevice(), D3DERR_INVALIDCALL);
    DeviceLost();
    ASSERT_EQ(refhost::ResetDevice(), D3D_OK);

    MakeScriptObjects();
    DrawFrameAndExpectPixels("after Reset, objects made again");
}

TEST_F(DeviceResetDllTest, BoundSetupLibraryKeepsEverythingAndItKeepsDrawing)
{
    MakeHostScene();
    MakeScriptObjects();
    CALL(MRT_MakeRenderTarget, kGreenImage, 256, 256);
    CALL(MRT_MakeRenderTarget, kBlueImage, 256, 256);
    const int set = set_, cube = cube_;
    DrawFrameAndExpectPixels("before the loss");

    DeviceLost();
    EXPECT_EQ(set_, set);
    EXPECT_EQ(CALL(CubeTex_GetResolution, cube), kCubeEdge);
    EXPECT_EQ(CALL(GeoInst_GetDrawCount, set), 1);
    DrawFrameAndExpectPixels("after the loss, same objects");

    // The host deletes an image MRT_Sync renders into: the chain stops before it, silently, and
    // the image made again is filled again.
    refhost::DeleteImage(kBlueImage);
    CALL(MRT_Sync, kMrtCamera, kGreenImage, kBlueImage, 0);
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
    CALL(MRT_MakeRenderTarget, kBlueImage, 256, 256);
    DrawFrameAndExpectPixels("after the host deleted image 11 and it was made again");
    CALL(GeoInst_Delete, set);
    CALL(CubeTex_Delete, cube);
}

} // namespace
