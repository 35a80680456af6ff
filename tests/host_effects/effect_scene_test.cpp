// A host effect on a scene object: the host finds its parameters, feeds them while FastSync draws
// the object, and the pixels show the effect's colour where the object's matrices put it.
#include <gtest/gtest.h>

#include "effect_creation.h"
#include "effect_library.h"
#include "pixel_checks.h"

namespace {

constexpr int kSize = 256; // camera 0's target: the host's default size
constexpr D3DCOLOR kBackdrop = 0xFF404040;

class HostEffectSceneTest : public ::testing::Test {
protected:
    void SetUp() override { refhost::ResetScene(); }
    void TearDown() override { refhost::ResetScene(); }
};

TEST_F(HostEffectSceneTest, RendersAnObjectWithAHostEffectThroughFastSyncAndReadsItsPixelsBack)
{
    refhost::MeshDescription cube;
    cube.size = 2.0f;
    cube.colour = 0xFFFF0000; // what the object shows without its effect
    ASSERT_TRUE(refhost::MakeObject(1, cube));
    refhost::SetObjectPosition(1, 0, 0, 10);
    refhost::SetCameraBackdrop(0, kBackdrop);

    std::string error;
    HostEffect* record = refhost::AddDescribedEffect(7, refhost::PlainEffectDescription(), &error);
    ASSERT_NE(record, nullptr) << error;
    ID3DXEffect* effect = record->effect;
    D3DXVECTOR4 orange(1.0f, 0.5f, 0.0f, 1.0f);
    ASSERT_EQ(effect->SetVector("Color", &orange), D3D_OK);
    EXPECT_EQ(record->description.Parameters, 6u);
    EXPECT_EQ(record->matrixHandles[kWorld], effect->GetParameterByName(nullptr, "World"));
    EXPECT_EQ(record->matrixHandles[kView], effect->GetParameterByName(nullptr, "View"));
    EXPECT_EQ(record->matrixHandles[kProjection], effect->GetParameterByName(nullptr, "Projection"));
    refhost::SetObjectEffect(1, 7);

    refhost::SetSyncMask(1);
    refhost::FastSync();
    const D3DCOLOR kOrange = 0xFFFF8000;
    CameraFrame frame(0);
    EXPECT_TRUE(ColourNear(kOrange, frame.At(kSize / 2, kSize / 2))) << "the object's centre";
    EXPECT_TRUE(ColourNear(kBackdrop, frame.At(10, 10)));

    // Moved right by 3 at distance 10 with a 60 degree lens, its front face (x 2..4 at z 9) spans
    // pixels 177..226 and its left side reaches back to pixel 168: the world matrix the host hands
    // to the effect moves the drawing.
    refhost::SetObjectPosition(1, 3, 0, 10);
    refhost::FastSync();
    frame = CameraFrame(0);
    EXPECT_TRUE(ColourNear(kBackdrop, frame.At(kSize / 2, kSize / 2)));
    EXPECT_TRUE(ColourNear(kOrange, frame.At(202, kSize / 2)));
    EXPECT_TRUE(ColourNear(kBackdrop, frame.At(160, kSize / 2)));
    EXPECT_TRUE(ColourNear(kBackdrop, frame.At(234, kSize / 2)));

    // Turning the camera moves the object across the image the other way: the view matrix arrives too.
    refhost::SetCameraRotation(0, 0, 16.7f, 0); // tan(16.7) * 10 ~ 3: the object is back in the middle
    refhost::FastSync();
    EXPECT_TRUE(ColourNear(kOrange, CameraFrame(0).At(kSize / 2, kSize / 2)));
}

} // namespace
