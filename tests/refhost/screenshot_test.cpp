// Screenshots: the PNG file written for a camera is well formed and holds the camera's pixels.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "scene_fixture.h"

namespace {

uint32_t BigEndian(const std::vector<uint8_t>& b, size_t at)
{
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}

// Bitwise CRC-32 (polynomial 0xEDB88320), independent of the writer's table.
uint32_t SlowCrc(const uint8_t* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

using ScreenshotTest = SceneTest;

TEST_F(ScreenshotTest, PngHoldsTheCameraPixelsInStoredBlocks)
{
    refhost::MeshDescription meshDescription;
    meshDescription.size = 2.0f;
    meshDescription.colour = 0xFF20C040;
    ASSERT_TRUE(refhost::MakeObject(1, meshDescription));
    refhost::SetObjectPosition(1, 0, 0, 6);
    refhost::SetCameraBackdrop(0, 0xFF102030);
    refhost::FastSync();
    refhost::SurfacePixels expected;
    ASSERT_TRUE(refhost::ReadCameraPixels(0, expected));

    const char* path = "refhost_screenshot_test.png";
    ASSERT_TRUE(refhost::SaveCameraPng(0, path));
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::remove(path);

    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GT(file.size(), 8u);
    ASSERT_TRUE(std::equal(signature, signature + 8, file.begin()));

    std::vector<uint8_t> zlib;
    std::vector<std::string> chunkTypes;
    size_t at = 8;
    while (at + 12 <= file.size()) {
        uint32_t length = BigEndian(file, at);
        ASSERT_LE(at + 12 + length, file.size());
        std::string type(file.begin() + at + 4, file.begin() + at + 8);
        chunkTypes.push_back(type);
        EXPECT_EQ(BigEndian(file, at + 8 + length), SlowCrc(&file[at + 4], 4 + length)) << type;
        if (type == "IHDR") {
            EXPECT_EQ(BigEndian(file, at + 8), 256u);
            EXPECT_EQ(BigEndian(file, at + 12), 256u);
            EXPECT_EQ(file[at + 16], 8);  // bit depth
            EXPECT_EQ(file[at + 17], 2);  // RGB
        }
        if (type == "IDAT")
            zlib.insert(zlib.end(), file.begin() + at + 8, file.begin() + at + 8 + length);
        at += 12 + length;
    }
    EXPECT_EQ(at, file.size());
    EXPECT_EQ(chunkTypes, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));

    // zlib header, then stored blocks: BFINAL/BTYPE byte, LEN, NLEN, raw bytes.
    ASSERT_GE(zlib.size(), 6u);
    EXPECT_EQ((zlib[0] * 256 + zlib[1]) % 31, 0) << "zlib header check bits";
    std::vector<uint8_t> raw;
    size_t z = 2;
    bool last = false;
    while (!last) {
        ASSERT_LE(z + 5, zlib.size());
        last = zlib[z] & 1;
        EXPECT_EQ(zlib[z] >> 1, 0) << "stored block";
        unsigned length = zlib[z + 1] | (zlib[z + 2] << 8);
        unsigned complement = zlib[z + 3] | (zlib[z + 4] << 8);
        EXPECT_EQ(length ^ 0xFFFF, complement);
        ASSERT_LE(z + 5 + length, zlib.size());
        raw.insert(raw.end(), zlib.begin() + z + 5, zlib.begin() + z + 5 + length);
        z += 5 + length;
    }
    ASSERT_EQ(z + 4, zlib.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    EXPECT_EQ(BigEndian(zlib, z), (b << 16) | a);

    ASSERT_EQ(raw.size(), 256u * (1 + 3 * 256));
    int mismatches = 0;
    for (int y = 0; y < 256; ++y) {
        EXPECT_EQ(raw[y * (1 + 3 * 256)], 0) << "row filter";
        for (int x = 0; x < 256; ++x) {
            const uint8_t* p = &raw[y * (1 + 3 * 256) + 1 + 3 * x];
            D3DCOLOR c = expected.At(x, y);
            if (p[0] != ((c >> 16) & 0xFF) || p[1] != ((c >> 8) & 0xFF) || p[2] != (c & 0xFF))
                ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(expected.At(0, 0), 0xFF102030u);
    EXPECT_TRUE(ColourNear(0xFF20C040, expected.At(128, 128)));
}

TEST_F(ScreenshotTest, NothingIsWrittenForAMissingCameraOrPath)
{
    EXPECT_FALSE(refhost::SaveCameraPng(5, "refhost_missing_camera.png"));
    EXPECT_EQ(std::fopen("refhost_missing_camera.png", "rb"), nullptr);
    EXPECT_FALSE(refhost::SaveCameraPng(0, "Z:\\no\\such\\folder\\shot.png"));
}

} // namespace
