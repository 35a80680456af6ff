// MRT_ commands through the built Ryxo.dll in the reference host.
#include <cstdio>
#include <memory>
#include <string>

#include "effect_creation.h"
#include "effect_library.h"
#include "pixel_checks.h"
#include "plugin_fixture.h"
#include "ref_host.h"
#include "reference_count.h"
#include "scoped_recording_device.h"

namespace {

constexpr D3DCOLOR kBackdrop = 0xFF404040;
constexpr DWORD kIndependentBitDepths = D3DPMISCCAPS_MRTINDEPENDENTBITDEPTHS;
constexpr DWORD kPostPixelShaderBlending = D3DPMISCCAPS_MRTPOSTPIXELSHADERBLENDING;

// The render targets 1 to 3 of the real device while the host renders, seen from a render-list
// callback (the host draws through its real device).
IDirect3DSurface9* g_boundWhileRendering[4];
int g_renders = 0;
int __cdecl NoteBoundTargets()
{
    ++g_renders;
    for (DWORD i = 1; i <= 3; ++i) {
        IDirect3DSurface9* surface = nullptr;
        refhost::RealDevice()->GetRenderTarget(i, &surface);
        g_boundWhileRendering[i] = surface;
        if (surface)
            surface->Release();
    }
    return 0;
}

IDirect3DSurface9* LevelZero(int image)
{
    IDirect3DSurface9* surface = nullptr;
    if (IDirect3DTexture9* texture = refhost::GetImagePointer(image)) {
        texture->GetSurfaceLevel(0, &surface);
        surface->Release(); // the image's texture keeps it alive
    }
    return surface;
}

class MrtDllTest : public RyxoDllTest {
protected:
    void SetUp() override
    {
        RyxoDllTest::SetUp();
        device_ = std::make_unique<ScopedRecordingDevice>();
        ASSERT_NE(device_->Get(), nullptr);
    }
    void TearDown() override
    {
        device_.reset();
        refhost::ResetScene();
        RyxoDllTest::TearDown();
    }
    RecordingDevice& Device() { return **device_; }

    std::unique_ptr<ScopedRecordingDevice> device_;
};

TEST_F(MrtDllTest, CapabilityQueriesAnswerWhatTheDeviceReports)
{
    D3DDISPLAYMODE display{};
    ASSERT_EQ(refhost::RealDirect3D()->GetAdapterDisplayMode(0, &display), D3D_OK);
    struct Case {
        const char* what;
        DWORD targets;
        DWORD bitsSet;
        D3DDEVTYPE deviceType;
        D3DFORMAT format;
        HRESULT formatAnswer;
        int independent, blending, formatSupported;
    };
    const Case cases[] = {
        {"one target, no bits, a format that does not blend", 1, 0, D3DDEVTYPE_HAL, D3DFMT_A32B32G32R32F,
         D3DERR_NOTAVAILABLE, 0, 0, 0},
        {"four targets, independent bit depths alone", 4, kIndependentBitDepths, D3DDEVTYPE_HAL, D3DFMT_A8R8G8B8, D3D_OK,
         1, 0, 1},
        {"four targets, blending alone", 4, kPostPixelShaderBlending, D3DDEVTYPE_HAL, D3DFMT_A16B16G16R16F, D3D_OK, 0,
         1, 1},
        {"both bits, a refused format", 4, kIndependentBitDepths | kPostPixelShaderBlending, D3DDEVTYPE_HAL,
         D3DFMT_R32F, D3DERR_INVALIDCALL, 1, 1, 0},
        {"a reference device asks about its own type", 2, kPostPixelShaderBlending, D3DDEVTYPE_REF, D3DFMT_A8R8G8B8,
         D3D_OK, 0, 1, 1},
    };
    RecordingDirect3D& d3d = *Device().Direct3D();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CapsOverride caps{.numSimultaneousRTs = c.targets};
        caps.primitiveMiscCapsCleared = (kIndependentBitDepths | kPostPixelShaderBlending) & ~c.bitsSet;
        caps.primitiveMiscCapsSet = c.bitsSet;
        caps.edit = [&](D3DCAPS9& all) { all.DeviceType = c.deviceType; };
        Device().OverrideCaps(caps);
        d3d.ClearFormatOverrides();
        d3d.OverrideFormat(c.format, c.formatAnswer, D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING);
        const size_t checksBefore = d3d.FormatChecks().size();

        EXPECT_EQ(CALL(MRT_MaxSimultaneousRTs), static_cast<int>(c.targets));
        EXPECT_EQ(CALL(MRT_IndependentBitDepths), c.independent);
        EXPECT_EQ(CALL(MRT_PostPixelShaderBlending), c.blending);
        EXPECT_EQ(CALL(MRT_PostPixelFormatSupport, static_cast<int>(c.format)), c.formatSupported);
        ASSERT_EQ(d3d.FormatChecks().size(), checksBefore + 1);
        const RecordingDirect3D::FormatCheck expected{0, c.deviceType, display.Format,
                                                      D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING, D3DRTYPE_TEXTURE,
                                                      c.format};
        EXPECT_TRUE(d3d.FormatChecks().back() == expected);
    }
}

TEST_F(MrtDllTest, MakeRenderTargetTakesTheReferenceFormatUnlessGivenAndRefusesEmptySizes)
{
    D3DSURFACE_DESC reference{};
    ASSERT_EQ(refhost::CoreData()->referenceSurface->GetDesc(&reference), D3D_OK);
    const auto made = [](int image, int width, int height, D3DFORMAT format) {
        return "MakeRenderTarget(" + std::to_string(image) + ", " + std::to_string(width) + ", " +
               std::to_string(height) + ", " + std::to_string(static_cast<int>(format)) + ")";
    };
    refhost::ClearHostCallLog();
    CALL(MRT_MakeRenderTarget, 5, 64, 32);
    CALL(MRT_MakeRenderTargetFormat, 6, 32, 32, static_cast<int>(D3DFMT_A16B16G16R16F));
    EXPECT_EQ(refhost::HostCallLog(), (std::vector<std::string>{made(5, 64, 32, reference.Format),
                                                                made(6, 32, 32, D3DFMT_A16B16G16R16F)}));
    D3DSURFACE_DESC image{};
    ASSERT_NE(LevelZero(5), nullptr);
    LevelZero(5)->GetDesc(&image);
    EXPECT_EQ(image.Format, reference.Format);
    EXPECT_EQ(image.Usage & D3DUSAGE_RENDERTARGET, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
    // A format the card cannot render into: the host makes no image, and nothing says so.
    CALL(MRT_MakeRenderTargetFormat, 8, 64, 64, static_cast<int>(D3DFMT_DXT1));
    EXPECT_EQ(refhost::GetImageExists(8), 0);
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());

    refhost::ClearHostCallLog();
    CALL(MRT_MakeRenderTarget, 7, 0, 32);
    CALL(MRT_MakeRenderTargetFormat, 7, 32, -4, static_cast<int>(D3DFMT_A8R8G8B8));
    EXPECT_TRUE(refhost::HostCallLog().empty()) << "nothing is made";
    EXPECT_EQ(messages_.Take(),
              (std::vector<ShownMessage>{
                  {"MRT_MakeRenderTarget Error",
                   "Cannot make image 7 a render target of 0 x 32: width and height must be above 0"},
                  {"MRT_MakeRenderTarget Error",
                   "Cannot make image 7 a render target of 32 x -4: width and height must be above 0"}}));
}

// One table for the chain: which images get bound, what is rendered, what is refused. Every bound
// target is unbound again in the chain's order, render target 0 is never set by the plugin, and
// the images' surfaces are given back.
TEST_F(MrtDllTest, SyncBindsTheChainRendersTheCameraOnceAndUnbinds)
{
    for (int image : {10, 11, 12})
        CALL(MRT_MakeRenderTarget, image, 256, 256);
    ASSERT_TRUE(refhost::MakeCamera(2));
    refhost::AddToRenderList(reinterpret_cast<void*>(NoteBoundTargets), 100);
    IDirect3DSurface9* surfaces[] = {nullptr, LevelZero(10), LevelZero(11), LevelZero(12)};
    const ULONG referencesBefore = ReferenceCount(surfaces[1]);

    struct Case {
        int camera, image1, image2, image3;
        int bound; // targets 1..bound; -1 = refused
    };
    const Case cases[] = {
        {2, 10, 11, 12, 3}, {2, 10, 11, 0, 2}, {2, 10, 0, 12, 1}, {2, 0, 11, 12, 0},
        {2, 10, 99, 12, 1}, // image 99 does not exist: the chain stops there
        {0, 10, 0, 0, 1},   {31, 0, 0, 0, 0},  {32, 10, 11, 12, -1}, {-1, 10, 0, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "MRT_Sync " << c.camera << ", " << c.image1 << ", " << c.image2
                                          << ", " << c.image3);
        Device().ClearLog();
        refhost::ClearHostCallLog();
        g_renders = 0;
        for (IDirect3DSurface9*& seen : g_boundWhileRendering)
            seen = reinterpret_cast<IDirect3DSurface9*>(1);
        CALL(MRT_Sync, c.camera, c.image1, c.image2, c.image3);

        std::vector<std::pair<uint32_t, uint32_t>> expectedTargets, seenTargets;
        for (int i = 1; i <= c.bound; ++i)
            expectedTargets.push_back({i, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(surfaces[i]))});
        for (int i = 1; i <= c.bound; ++i)
            expectedTargets.push_back({i, 0});
        for (const DeviceCall& call : Device().Filter(DeviceMethod::SetRenderTarget))
            seenTargets.push_back({call.Arg(0), call.Arg(1)});
        EXPECT_EQ(seenTargets, expectedTargets);

        if (c.bound < 0) {
            EXPECT_TRUE(refhost::HostCallLog().empty());
            EXPECT_EQ(g_renders, 0);
            const std::vector<ShownMessage> shown = messages_.Take();
            ASSERT_THAT(shown, testing::SizeIs(1));
            EXPECT_EQ(shown[0].title, "MRT_Sync Error");
            EXPECT_EQ(shown[0].text, "Camera " + std::to_string(c.camera) + " is not a camera number from 0 to 31");
            continue;
        }
        char mask[32];
        std::snprintf(mask, sizeof mask, "SyncMask(0x%lx)", 1ul << c.camera);
        EXPECT_EQ(refhost::HostCallLog(), (std::vector<std::string>{mask, "FastSync()"}));
        // Camera 31 is not made: the host renders nothing and calls no callback.
        EXPECT_EQ(g_renders, c.camera == 31 ? 0 : 1);
        if (g_renders == 1) {
            for (int i = 1; i <= 3; ++i)
                EXPECT_EQ(g_boundWhileRendering[i], i <= c.bound ? surfaces[i] : nullptr) << "target " << i;
        }
        EXPECT_THAT(messages_.Take(), testing::IsEmpty());
    }
    EXPECT_EQ(ReferenceCount(surfaces[1]), referencesBefore) << "every surface taken is given back";
    IDirect3DSurface9* stillBound = nullptr;
    refhost::RealDevice()->GetRenderTarget(1, &stillBound);
    EXPECT_EQ(stillBound, nullptr);
}

// The host's renderer draws an object whose pixel shader writes red, green and blue to outputs 0,
// 1 and 2: the camera's own target gets red, image 10 green and image 11 blue, and around the
// object each shows the backdrop the host cleared them to.
TEST_F(MrtDllTest, SyncFillsTheImagesWithTheShaderOutputs)
{
    std::string error;
    ASSERT_NE(refhost::AddDescribedEffect(1, refhost::ThreeOutputEffectDescription(), &error), nullptr) << error;
    refhost::MeshDescription cube;
    cube.size = 4.0f;
    ASSERT_TRUE(refhost::MakeObject(1, cube));
    refhost::SetObjectEffect(1, 1);
    refhost::SetObjectPosition(1, 0.0f, 0.0f, 10.0f);
    ASSERT_TRUE(refhost::MakeCamera(1, 256, 256));
    refhost::SetCameraBackdrop(1, kBackdrop);
    CALL(MRT_MakeRenderTarget, 10, 256, 256);
    CALL(MRT_MakeRenderTarget, 11, 256, 256);

    CALL(MRT_Sync, 1, 10, 11, 0);

    refhost::SurfacePixels camera, green, blue;
    ASSERT_TRUE(refhost::ReadCameraPixels(1, camera));
    ASSERT_TRUE(refhost::ReadTexturePixels(refhost::GetImagePointer(10), green));
    ASSERT_TRUE(refhost::ReadTexturePixels(refhost::GetImagePointer(11), blue));
    const struct {
        const char* target;
        const refhost::SurfacePixels& pixels;
        D3DCOLOR object;
    } expected[] = {{"render target 0", camera, 0xFFFF0000}, {"image 10", green, 0xFF00FF00},
                    {"image 11", blue, 0xFF0000FF}};
    for (const auto& e : expected) {
        EXPECT_EQ(Hex(e.pixels.At(128, 128) | 0xFF000000), Hex(e.object)) << e.target << " at the centre";
        EXPECT_EQ(Hex(e.pixels.At(4, 4) | 0xFF000000), Hex(kBackdrop)) << e.target << " in the corner";
    }
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

} // namespace
