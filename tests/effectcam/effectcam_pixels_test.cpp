// What effect cameras draw, through the built Ryxo.dll in the reference host: the images are read
// back and the object must be where the camera's position, rotation and field of view put it, in the
// colours its effect writes, with the backdrop around it.
#include <string>

#include "effect_creation.h"
#include "effect_library.h"
#include "misaligned_call.h"
#include "pixel_checks.h"
#include "plugin_fixture.h"
#include "ref_host.h"

namespace {

constexpr int kSize = 64;
constexpr D3DCOLOR kBlue = 0xFF0000FF, kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kYellow = 0xFFFFFF00;
constexpr float kSixtyDegrees = 1.04719755f;

D3DXVECTOR4 Rgba(D3DCOLOR c)
{
    return {((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f, 1.0f};
}

// An effect whose pixel shader writes Color to its first output and Color2 to its second.
refhost::EffectDescription TwoOutputEffect()
{
    refhost::EffectDescription d = refhost::PlainEffectDescription();
    refhost::EffectParameter second;
    second.name = "Color2";
    second.kind = refhost::EffectParameterKind::Vector;
    d.parameters.push_back(second);
    d.techniques[0].passes[0].pixelShader = "float4 Color;\nfloat4 Color2;\n"
                                            "struct Out { float4 first : COLOR0; float4 second : COLOR1; };\n"
                                            "Out main() { Out o; o.first = Color; o.second = Color2; return o; }\n";
    return d;
}

struct Probe {
    int x, y;
    D3DCOLOR expected;
};

class EfxCamPixelsTest : public RyxoDllTest {
protected:
    void SetUp() override
    {
        RyxoDllTest::SetUp();
        refhost::ResetScene();
    }
    void TearDown() override
    {
        for (int camera = 0; camera < 32; ++camera)
            if (CALL(EfxCam_GetExist, camera))
                CALL(EfxCam_Delete, camera);
        refhost::ResetScene();
        RyxoDllTest::TearDown();
    }

    // Object `object`: a cube of edge 2 at (x, y, z) drawn by its own effect (number `object`) in
    // `colour` (and `second` on its second output, with the two-output effect).
    void MakeObject(int object, D3DCOLOR colour, float x, float y, float z, D3DCOLOR second = 0)
    {
        std::string error;
        ID3DXEffect* fx = refhost::CreateDescribedEffect(
            refhost::RealDevice(), second ? TwoOutputEffect() : refhost::PlainEffectDescription(), &error);
        ASSERT_NE(fx, nullptr) << error;
        D3DXVECTOR4 value = Rgba(colour);
        fx->SetVector("Color", &value);
        if (second) {
            value = Rgba(second);
            fx->SetVector("Color2", &value);
        }
        refhost::AddEffect(object, fx);
        fx->Release();
        refhost::MeshDescription cube;
        cube.size = 2.0f;
        ASSERT_TRUE(refhost::MakeObject(object, cube));
        refhost::SetObjectEffect(object, object);
        refhost::SetObjectPosition(object, x, y, z);
    }

    // Camera `camera` drawing `object` into `image` (kSize square) with a 60 degree lens.
    void MakeCamera(int camera, int image, int object, D3DCOLOR backdrop)
    {
        CALL(EfxCam_MakeNew, camera);
        CALL(EfxCam_SetToImage, camera, image, kSize, kSize);
        CALL(EfxCam_SetObject, camera, object);
        CALL(EfxCam_SetAspect, camera, 1.0f);
        CALL(EfxCam_SetFOV, camera, kSixtyDegrees);
        CALL(EfxCam_SetRange, camera, 1.0f, 100.0f);
        CALL(EfxCam_SetBackdropColor, camera, static_cast<int>(backdrop));
    }

    void ExpectPixels(int image, std::initializer_list<Probe> probes, const std::string& what)
    {
        refhost::SurfacePixels pixels;
        ASSERT_TRUE(refhost::ReadTexturePixels(refhost::GetImagePointer(image), pixels)) << what;
        for (const Probe& p : probes)
            EXPECT_EQ(Hex(pixels.At(p.x, p.y) | 0xFF000000), Hex(p.expected))
                << what << ": image " << image << " pixel " << p.x << ", " << p.y;
    }
};

TEST_F(EfxCamPixelsTest, TheObjectIsWhereThePositionRotationAndLensPutIt)
{
    // The cube's front face, 9 units away, spans about 12 pixels of the 64 with the 60 degree lens.
    struct Case {
        const char* what;
        float position[3], rotation[3], fieldOfView, object[3];
        std::initializer_list<Probe> probes;
    };
    const Case cases[] = {
        {"straight ahead", {0, 0, 0}, {0, 0, 0}, kSixtyDegrees, {0, 0, 10},
         {{32, 32, kRed}, {44, 32, kBlue}, {32, 20, kBlue}, {2, 2, kBlue}}},
        {"to the right", {0, 0, 0}, {0, 0, 0}, kSixtyDegrees, {3, 0, 10},
         {{50, 32, kRed}, {32, 32, kBlue}}},
        {"above", {0, 0, 0}, {0, 0, 0}, kSixtyDegrees, {0, 3, 10}, {{32, 14, kRed}, {32, 32, kBlue}}},
        {"turned towards -x", {10, 0, 10}, {0, -90, 0}, kSixtyDegrees, {0, 0, 10},
         {{32, 32, kRed}, {32, 44, kBlue}}},
        {"looking down", {0, 10, 0}, {45, 0, 0}, kSixtyDegrees, {0, 0, 10}, {{32, 32, kRed}, {32, 50, kBlue}}},
        {"narrow lens", {0, 0, 0}, {0, 0, 0}, 0.17453292f, {0, 0, 10}, {{2, 2, kRed}, {61, 61, kRed}}},
    };
    MakeObject(1, kRed, 0, 0, 10);
    MakeCamera(0, 10, 1, kBlue);
    for (const Case& k : cases) {
        CALL(EfxCam_SetPosition, 0, k.position[0], k.position[1], k.position[2]);
        CALL(EfxCam_SetRotation, 0, k.rotation[0], k.rotation[1], k.rotation[2]);
        CALL(EfxCam_SetFOV, 0, k.fieldOfView);
        refhost::SetObjectPosition(1, k.object[0], k.object[1], k.object[2]);
        // As the host calls it: the stack only 4-byte aligned (the matrices use SSE).
        CallWithMisalignedStack(reinterpret_cast<const void*>(Export("EfxCam_Sync")), nullptr, 0);
        ExpectPixels(10, k.probes, k.what);
    }
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(EfxCamPixelsTest, BackdropOffKeepsEarlierContentsAndAViewPortLimitsClearAndDraw)
{
    MakeObject(1, kRed, 3, 0, 10);
    MakeCamera(0, 10, 1, kBlue);
    CALL(EfxCam_Sync);
    refhost::SetObjectPosition(1, -3, 0, 10);
    CALL(EfxCam_SetBackdropEnabled, 0, 0);
    CALL(EfxCam_Sync);
    ExpectPixels(10, {{50, 32, kRed}, {14, 32, kRed}, {32, 32, kBlue}}, "backdrop off");

    // The left half only: cleared green there, the object drawn squeezed into it, the right half kept.
    refhost::SetObjectPosition(1, 0, 0, 10);
    CALL(EfxCam_SetBackdropEnabled, 0, 1);
    CALL(EfxCam_SetBackdropColor, 0, static_cast<int>(kGreen));
    CALL(EfxCam_SetView, 0, 0, 0, kSize / 2, kSize);
    CALL(EfxCam_Sync);
    ExpectPixels(10, {{16, 32, kRed}, {2, 2, kGreen}, {28, 32, kGreen}, {50, 32, kRed}, {40, 5, kBlue}, {33, 32, kBlue}},
                 "view port");
}

TEST_F(EfxCamPixelsTest, ExtraTargetsReceiveTheEffectsFurtherOutputsAndTheBackdrop)
{
    MakeObject(1, kRed, 0, 0, 10, kYellow);
    MakeCamera(0, 10, 1, kBlue);
    CALL(EfxCam_SetObject, 0, 1);
    CALL(EfxCam_SetMRTImage, 0, 1, 11);
    CALL(EfxCam_SetMRTImage, 0, 2, 12);
    CALL(EfxCam_Sync);
    ExpectPixels(10, {{32, 32, kRed}, {2, 2, kBlue}}, "render target 0");
    ExpectPixels(11, {{32, 32, kYellow}, {2, 2, kBlue}}, "render target 1");
    ExpectPixels(12, {{2, 2, kBlue}}, "render target 2 (the shader writes no third output)");
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(EfxCamPixelsTest, TwoCamerasSeeOnlyTheirOwnObjectsAndTheHostDrawsAsBefore)
{
    // The host's own scene: a red cube in front of a larger green one, seen by host camera 0.
    MakeObject(1, kRed, 0, 0, 10);
    MakeObject(2, kGreen, 0, 0, 10);
    MakeObject(3, kRed, 0, 0, 5);
    MakeObject(4, kGreen, 0, 0, 20);
    refhost::SetObjectScale(4, 5, 5, 1);
    MakeCamera(0, 10, 1, kBlue);
    MakeCamera(31, 20, 2, kYellow);
    refhost::HideObject(1);
    refhost::HideObject(2);
    refhost::FastSync();
    refhost::SurfacePixels before, after;
    ASSERT_TRUE(refhost::ReadCameraPixels(0, before));

    // The plugin starts with camera 0 alone chosen: camera 31 does not draw yet.
    CALL(EfxCam_Sync);
    ExpectPixels(10, {{32, 32, kRed}, {2, 2, kBlue}}, "camera 0 under the start mask");
    refhost::SurfacePixels untouched;
    ASSERT_TRUE(refhost::ReadTexturePixels(refhost::GetImagePointer(20), untouched));
    EXPECT_NE(Hex(untouched.At(2, 2) | 0xFF000000), Hex(kYellow)) << "camera 31 drew under the start mask";

    // Camera 31 draws under a mask with bit 31 set.
    CALL(EfxCam_SyncMask, static_cast<int>(0x80000001u));
    CALL(EfxCam_Sync);
    ExpectPixels(10, {{32, 32, kRed}, {2, 2, kBlue}}, "camera 0");
    ExpectPixels(20, {{32, 32, kGreen}, {2, 2, kYellow}}, "camera 31");

    refhost::FastSync();
    ASSERT_TRUE(refhost::ReadCameraPixels(0, after));
    EXPECT_EQ(Hex(after.At(128, 128)), Hex(kRed)) << "the near cube hides the far one: the depth buffer is back";
    EXPECT_TRUE(before.pixels == after.pixels) << "the host scene changed after EfxCam_Sync";
}

} // namespace
