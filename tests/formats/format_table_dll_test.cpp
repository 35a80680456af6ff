// The reference's format table (plugin/manual/formats.tsv), row by row, through the built Ryxo.dll
// in the reference host. A row claims that the device here accepts a D3DFORMAT for one use:
//   render-target  an effect camera's main and extra target (EfxCam_SetToImageFormat,
//                  EfxCam_SetMRTImageFormat) and an MRT_Sync image (MRT_MakeRenderTargetFormat)
//                  are made in that format and take both the backdrop clear and the object's draw;
//   cube           CubeTex_MakeNewFormat makes a cube in it, CubeTex_GetFormat and
//                  CubeTex_CheckFormatSupport say so, and CubeTex_Sync renders into its faces;
//   blend-query    MRT_PostPixelFormatSupport answers 1.
// Texels are compared as raw bytes in the target's own format, so any colour format can be judged:
// the object (black) must differ from the backdrop (white), and the backdrop must not be all zeros.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "effect_creation.h"
#include "effect_library.h"
#include "plugin_fixture.h"
#include "ref_host.h"

namespace {

struct KnownFormat {
    const char* name;
    D3DFORMAT number;
    int bytesPerTexel;
};

// The colour formats a row may name, so that a name and its number cannot disagree.
constexpr KnownFormat kKnownFormats[] = {
    {"A8R8G8B8", D3DFMT_A8R8G8B8, 4},        {"X8R8G8B8", D3DFMT_X8R8G8B8, 4},
    {"R5G6B5", D3DFMT_R5G6B5, 2},            {"X1R5G5B5", D3DFMT_X1R5G5B5, 2},
    {"A1R5G5B5", D3DFMT_A1R5G5B5, 2},        {"A4R4G4B4", D3DFMT_A4R4G4B4, 2},
    {"R3G3B2", D3DFMT_R3G3B2, 1},            {"A8", D3DFMT_A8, 1},
    {"X4R4G4B4", D3DFMT_X4R4G4B4, 2},        {"A2B10G10R10", D3DFMT_A2B10G10R10, 4},
    {"A8B8G8R8", D3DFMT_A8B8G8R8, 4},        {"X8B8G8R8", D3DFMT_X8B8G8R8, 4},
    {"G16R16", D3DFMT_G16R16, 4},            {"A2R10G10B10", D3DFMT_A2R10G10B10, 4},
    {"A16B16G16R16", D3DFMT_A16B16G16R16, 8}, {"L8", D3DFMT_L8, 1},
    {"L16", D3DFMT_L16, 2},                  {"R16F", D3DFMT_R16F, 2},
    {"G16R16F", D3DFMT_G16R16F, 4},          {"A16B16G16R16F", D3DFMT_A16B16G16R16F, 8},
    {"R32F", D3DFMT_R32F, 4},                {"G32R32F", D3DFMT_G32R32F, 8},
    {"A32B32G32R32F", D3DFMT_A32B32G32R32F, 16},
};

struct FormatRow {
    int line;
    std::string use, name;
    int number;
};

std::vector<FormatRow> ReadFormatTable(const char* path, std::string& problem)
{
    std::ifstream in(path);
    if (!in) {
        problem = std::string("cannot read ") + path;
        return {};
    }
    std::vector<FormatRow> rows;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (number == 1) {
            if (line != "use\tname\tnumber\tnote")
                problem = "the first line is not the heading use, name, number, note";
            continue;
        }
        std::istringstream fields(line);
        FormatRow row{number, "", "", 0};
        std::string numberText;
        if (!std::getline(fields, row.use, '\t') || !std::getline(fields, row.name, '\t') ||
            !std::getline(fields, numberText, '\t')) {
            problem = "line " + std::to_string(number) + " has fewer than three fields";
            return {};
        }
        row.number = std::atoi(numberText.c_str());
        rows.push_back(row);
    }
    return rows;
}

const KnownFormat* Known(const std::string& name)
{
    for (const KnownFormat& format : kKnownFormats)
        if (name == format.name)
            return &format;
    return nullptr;
}

// Texel (x, y) of a render-target surface as raw bytes, copied to system memory in its own format.
std::vector<uint8_t> TexelBytes(IDirect3DSurface9* surface, int x, int y, int bytesPerTexel)
{
    D3DSURFACE_DESC desc{};
    IDirect3DSurface9* copy = nullptr;
    std::vector<uint8_t> bytes;
    if (FAILED(surface->GetDesc(&desc)) ||
        FAILED(refhost::RealDevice()->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                                  D3DPOOL_SYSTEMMEM, &copy, nullptr)))
        return bytes;
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(refhost::RealDevice()->GetRenderTargetData(surface, copy)) &&
        SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        const auto* texel = static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch + x * bytesPerTexel;
        bytes.assign(texel, texel + bytesPerTexel);
        copy->UnlockRect();
    }
    copy->Release();
    return bytes;
}

constexpr int kEdge = 64;
constexpr int kObject = 1, kHostCamera = 1, kEfxCam = 0;
constexpr int kMainImage = 10, kExtraImage = 11, kMrtImage = 12;

class FormatTableDllTest : public RyxoDllTest {
protected:
    void TearDown() override
    {
        refhost::ResetScene();
        RyxoDllTest::TearDown();
    }

    // A cube of edge 4 ten units ahead of the origin, drawn black into every output of its effect,
    // and host camera 1 at the origin looking at it, clearing to white.
    void MakeScene()
    {
        std::string error;
        HostEffect* effect = refhost::AddDescribedEffect(kObject, refhost::ThreeOutputEffectDescription(), &error);
        ASSERT_NE(effect, nullptr) << error;
        const D3DXVECTOR4 black(0, 0, 0, 1);
        for (const char* output : {"Color0", "Color1", "Color2"})
            effect->effect->SetVector(output, &black);
        ASSERT_TRUE(refhost::MakeObject(kObject, refhost::MeshDescription{.size = 4.0f}));
        refhost::SetObjectEffect(kObject, kObject);
        refhost::SetObjectPosition(kObject, 0.0f, 0.0f, 10.0f);
        ASSERT_TRUE(refhost::MakeCamera(kHostCamera, kEdge, kEdge));
        refhost::SetCameraBackdrop(kHostCamera, 0xFFFFFFFF);
    }

    // The surface shows the format, the backdrop at a corner and something else at the centre.
    void ExpectDrawn(IDirect3DSurface9* surface, const KnownFormat& format, const std::string& what)
    {
        ASSERT_NE(surface, nullptr) << what;
        D3DSURFACE_DESC desc{};
        surface->GetDesc(&desc);
        EXPECT_EQ(desc.Format, format.number) << what;
        const std::vector<uint8_t> centre = TexelBytes(surface, desc.Width / 2, desc.Height / 2, format.bytesPerTexel);
        const std::vector<uint8_t> corner = TexelBytes(surface, 1, 1, format.bytesPerTexel);
        ASSERT_EQ(corner.size(), static_cast<size_t>(format.bytesPerTexel)) << what << ": not read back";
        EXPECT_NE(corner, std::vector<uint8_t>(corner.size(), 0)) << what << ": the backdrop clear is missing";
        EXPECT_NE(centre, corner) << what << ": the object is missing";
    }

    void ExpectImageDrawn(int image, const KnownFormat& format, const std::string& what)
    {
        IDirect3DTexture9* texture = refhost::GetImagePointer(image);
        ASSERT_NE(texture, nullptr) << what << ": image " << image << " was not made";
        IDirect3DSurface9* surface = nullptr;
        texture->GetSurfaceLevel(0, &surface);
        ExpectDrawn(surface, format, what);
        if (surface)
            surface->Release();
    }

    void ProveRenderTarget(const KnownFormat& format)
    {
        const int number = static_cast<int>(format.number);
        CALL(EfxCam_MakeNew, kEfxCam);
        CALL(EfxCam_SetToImageFormat, kEfxCam, kMainImage, kEdge, kEdge, number);
        CALL(EfxCam_SetMRTImageFormat, kEfxCam, 1, kExtraImage, number);
        CALL(EfxCam_SetObject, kEfxCam, kObject);
        CALL(EfxCam_SetAspect, kEfxCam, 1.0f);
        CALL(EfxCam_SetFOV, kEfxCam, 1.0f);
        CALL(EfxCam_SetRange, kEfxCam, 1.0f, 100.0f);
        CALL(EfxCam_SetBackdropColor, kEfxCam, static_cast<int>(0xFFFFFFFF));
        CALL(EfxCam_Sync);
        ExpectImageDrawn(kMainImage, format, "EfxCam_SetToImageFormat");
        ExpectImageDrawn(kExtraImage, format, "EfxCam_SetMRTImageFormat");
        CALL(EfxCam_Delete, kEfxCam);

        CALL(MRT_MakeRenderTargetFormat, kMrtImage, kEdge, kEdge, number);
        CALL(MRT_Sync, kHostCamera, kMrtImage, 0, 0);
        ExpectImageDrawn(kMrtImage, format, "MRT_MakeRenderTargetFormat");
        refhost::DeleteImage(kMrtImage);
    }

    void ProveCube(const KnownFormat& format)
    {
        const int number = static_cast<int>(format.number);
        EXPECT_EQ(CALL(CubeTex_CheckFormatSupport, number), 2);
        const int cube = CALL(CubeTex_MakeNewFormat, kEdge / 2, 0, number);
        ASSERT_NE(cube, 0) << "CubeTex_MakeNewFormat";
        EXPECT_EQ(CALL(CubeTex_GetFormat, cube), number);
        CALL(CubeTex_Sync, cube, kHostCamera);
        // The +Z face, made render target 0 and read back.
        CALL(CubeTex_DrawToFace, cube, 4);
        IDirect3DSurface9* face = nullptr;
        refhost::RealDevice()->GetRenderTarget(0, &face);
        ExpectDrawn(face, format, "CubeTex_Sync into face +Z");
        if (face)
            face->Release();
        refhost::RealDevice()->SetRenderTarget(0, refhost::CoreData()->referenceSurface);
        CALL(CubeTex_Delete, cube);
    }
};

TEST_F(FormatTableDllTest, EveryListedFormatWorksForItsUse)
{
    std::string problem;
    const std::vector<FormatRow> rows = ReadFormatTable(RYXO_FORMATS_TSV, problem);
    ASSERT_TRUE(problem.empty()) << problem;
    ASSERT_FALSE(rows.empty());
    MakeScene();
    for (const FormatRow& row : rows) {
        SCOPED_TRACE("formats.tsv line " + std::to_string(row.line) + ": " + row.use + " " + row.name);
        const KnownFormat* format = Known(row.name);
        ASSERT_NE(format, nullptr) << "not a colour format this test knows";
        ASSERT_EQ(row.number, static_cast<int>(format->number)) << "the number is not the format's";
        if (row.use == "render-target")
            ProveRenderTarget(*format);
        else if (row.use == "cube")
            ProveCube(*format);
        else if (row.use == "blend-query")
            EXPECT_EQ(CALL(MRT_PostPixelFormatSupport, row.number), 1);
        else
            ADD_FAILURE() << "unknown use";
        EXPECT_THAT(messages_.Take(), testing::IsEmpty());
    }
}

} // namespace
