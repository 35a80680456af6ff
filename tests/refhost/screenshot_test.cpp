// Screenshots: the PNG file written for a camera holds the camera's pixels, read back through D3DX.
#include <cstdio>

#include "com.h"
#include "scene_fixture.h"

namespace {

using ScreenshotTest = SceneTest;

long FileSize(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return -1;
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fclose(file);
    return size;
}

TEST_F(ScreenshotTest, PngHoldsTheCameraPixels)
{
    refhost::MeshDescription meshDescription;
    meshDescription.size = 2.0f;
    meshDescription.colour = 0xFF20C040;
    ASSERT_TRUE(refhost::MakeObject(1, meshDescription));
    refhost::SetObjectPosition(1, 0, 0, 6);
    refhost::SetCameraBackdrop(0, 0xFF102030);
    refhost::FastSync();
    const CameraFrame frame(0);
    EXPECT_EQ(frame.At(0, 0), 0xFF102030u);
    EXPECT_TRUE(ColourNear(0xFF20C040, frame.At(kSize / 2, kSize / 2)));

    const char* path = "refhost_screenshot_test.png";
    ASSERT_TRUE(refhost::SaveCameraPng(0, path));
    EXPECT_LT(FileSize(path), kSize * kSize) << "a frame of two flat colours compresses well below 1 byte a pixel";
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXGetImageInfoFromFileA(path, &info), D3D_OK);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
    EXPECT_EQ(info.Width, static_cast<UINT>(kSize));
    EXPECT_EQ(info.Height, static_cast<UINT>(kSize));
    Com<IDirect3DSurface9> loaded;
    ASSERT_EQ(refhost::RealDevice()->CreateOffscreenPlainSurface(kSize, kSize, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                                 loaded.put(), nullptr), D3D_OK);
    ASSERT_EQ(D3DXLoadSurfaceFromFileA(loaded.ptr(), nullptr, nullptr, path, nullptr, D3DX_FILTER_NONE, 0, nullptr),
              D3D_OK);
    std::remove(path);

    refhost::SurfacePixels saved;
    ASSERT_TRUE(refhost::ReadSurfacePixels(loaded.ptr(), saved));
    ASSERT_EQ(saved.pixels.size(), frame.Pixels().pixels.size());
    int mismatches = 0;
    for (size_t i = 0; i < saved.pixels.size(); ++i)
        mismatches += saved.pixels[i] != frame.Pixels().pixels[i];
    EXPECT_EQ(mismatches, 0);
}

TEST_F(ScreenshotTest, NothingIsWrittenForAMissingCameraOrPath)
{
    EXPECT_FALSE(refhost::SaveCameraPng(5, "refhost_missing_camera.png"));
    EXPECT_EQ(std::fopen("refhost_missing_camera.png", "rb"), nullptr);
    EXPECT_FALSE(refhost::SaveCameraPng(0, "Z:\\no\\such\\folder\\shot.png"));
}

} // namespace
