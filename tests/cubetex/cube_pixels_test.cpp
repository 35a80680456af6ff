// What cube textures show, through the built Ryxo.dll in the reference host: a room of six walls
// in their own colours around the origin, one white marker block in front of each wall. Every
// face is read back and compared with where the Direct3D cube-map convention puts each wall and
// marker; the saved DDS file and a reflecting sphere are checked the same way.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "effect_creation.h"
#include "effect_library.h"
#include "pixel_checks.h"
#include "plugin_fixture.h"
#include "ref_host.h"

namespace {

constexpr int kEdge = 64;
constexpr D3DCOLOR kWalls[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFFFF00FF, 0xFF00FFFF};
constexpr D3DCOLOR kMarker = 0xFFFFFFFF;
constexpr int kWallObject = 10, kMarkerObject = 20;

struct Vec {
    float x, y, z;
};
// Face axes in D3DCUBEMAP_FACES order, and for each the two axes across it.
constexpr Vec kAxes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
Vec Across(int face, int which)
{
    const int axis = face / 2;
    const int other = (axis + 1 + which) % 3;
    return {other == 0 ? 1.0f : 0.0f, other == 1 ? 1.0f : 0.0f, other == 2 ? 1.0f : 0.0f};
}
Vec Add(Vec a, Vec b, float s) { return {a.x + b.x * s, a.y + b.y * s, a.z + b.z * s}; }

// Where a direction lands in a cube map, by the Direct3D convention: the face of the largest
// component, and the texel (x right, y down) from the two others.
struct Texel {
    int face, x, y;
};
Texel Lookup(Vec d)
{
    const float ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
    int face;
    float ma, sc, tc;
    if (ax >= ay && ax >= az)
        face = d.x > 0 ? 0 : 1, ma = ax, sc = d.x > 0 ? -d.z : d.z, tc = -d.y;
    else if (ay >= az)
        face = d.y > 0 ? 2 : 3, ma = ay, sc = d.x, tc = d.y > 0 ? d.z : -d.z;
    else
        face = d.z > 0 ? 4 : 5, ma = az, sc = d.z > 0 ? d.x : -d.x, tc = -d.y;
    auto texel = [](float s) { return static_cast<int>((s + 1) * 0.5f * kEdge); };
    return {face, texel(sc / ma), texel(tc / ma)};
}

// The marker in front of wall `face`, four units along both axes across it; its front is 7 away.
Vec MarkerCentre(int face) { return Add(Add(Add({0, 0, 0}, kAxes[face], 8), Across(face, 0), 4), Across(face, 1), 4); }
Vec MarkerFront(int face) { return Add(MarkerCentre(face), kAxes[face], -1); }

class CubePixelsTest : public RyxoDllTest {
protected:
    void SetUp() override
    {
        RyxoDllTest::SetUp();
        refhost::MeshDescription wall;
        wall.shape = refhost::Shape::Plane;
        wall.size = 40.0f;
        wall.texCoordSets = 1;
        refhost::MeshDescription marker;
        marker.size = 2.0f;
        for (int face = 0; face < 6; ++face) {
            ASSERT_TRUE(refhost::MakeObject(kWallObject + face, wall));
            const Vec at = Add({0, 0, 0}, kAxes[face], 10);
            refhost::SetObjectPosition(kWallObject + face, at.x, at.y, at.z);
            // The plane faces -Z: turned so every wall faces the origin.
            const float turns[6][2] = {{0, 90}, {0, -90}, {-90, 0}, {90, 0}, {0, 0}, {0, 180}};
            refhost::SetObjectRotation(kWallObject + face, turns[face][0], turns[face][1], 0);
            refhost::SetObjectColour(kWallObject + face, kWalls[face]);
            ASSERT_TRUE(refhost::MakeObject(kMarkerObject + face, marker));
            const Vec m = MarkerCentre(face);
            refhost::SetObjectPosition(kMarkerObject + face, m.x, m.y, m.z);
            refhost::SetObjectColour(kMarkerObject + face, kMarker);
        }
    }
    void TearDown() override
    {
        for (int cube : cubes_)
            CALL(CubeTex_Delete, cube);
        refhost::ResetScene();
        RyxoDllTest::TearDown();
    }

    int MakeCube(int mipmapGeneration = 0)
    {
        const int cube = CALL(CubeTex_MakeNew, kEdge, mipmapGeneration);
        EXPECT_NE(cube, 0);
        cubes_.push_back(cube);
        return cube;
    }

    // A face read back: made render target 0 by CubeTex_DrawToFace, copied to system memory.
    refhost::SurfacePixels ReadFace(int cube, int face)
    {
        CALL(CubeTex_DrawToFace, cube, face);
        IDirect3DDevice9* device = refhost::RealDevice();
        IDirect3DSurface9* surface = nullptr;
        refhost::SurfacePixels pixels;
        if (device->GetRenderTarget(0, &surface) != D3D_OK || !surface) {
            ADD_FAILURE() << "CubeTex_DrawToFace left no render target 0";
            return pixels;
        }
        EXPECT_TRUE(refhost::ReadSurfacePixels(surface, pixels));
        surface->Release();
        device->SetRenderTarget(0, refhost::CoreData()->referenceSurface);
        return pixels;
    }

    // Every face shows its wall (`walls`) at its centre and its marker where the convention puts it,
    // and not where a flipped face would.
    void ExpectRoom(int cube, const D3DCOLOR (&walls)[6], const char* what)
    {
        for (int face = 0; face < 6; ++face) {
            const refhost::SurfacePixels pixels = ReadFace(cube, face);
            ASSERT_EQ(pixels.width, kEdge);
            EXPECT_TRUE(ColourNear(walls[face], pixels.At(kEdge / 2, kEdge / 2))) << what << ": face " << face;
            const Texel marker = Lookup(MarkerFront(face));
            ASSERT_EQ(marker.face, face);
            EXPECT_TRUE(ColourNear(kMarker, pixels.At(marker.x, marker.y))) << what << ": marker on face " << face;
            EXPECT_TRUE(ColourNear(walls[face], pixels.At(kEdge - 1 - marker.x, marker.y))) << what << ": mirrored, face " << face;
            EXPECT_TRUE(ColourNear(walls[face], pixels.At(marker.x, kEdge - 1 - marker.y))) << what << ": upside down, face " << face;
        }
    }

    std::vector<int> cubes_;
};

TEST_F(CubePixelsTest, EachFaceShowsItsWallTheWayTheCubeMapConventionPutsIt)
{
    const int cube = MakeCube();
    CALL(CubeTex_Sync, cube, 0);
    ExpectRoom(cube, kWalls, "CubeTex_Sync");
    EXPECT_EQ(CALL(CubeTex_GetDrawCalls), 6 * 12) << "every wall and marker, once per face";
    EXPECT_EQ(CALL(CubeTex_GetDrawPrimitives), 6 * (6 * 2 + 6 * 12));

    // Walls repainted; faces 0 and 2 only are rendered again.
    D3DCOLOR repainted[6];
    for (int face = 0; face < 6; ++face) {
        refhost::SetObjectColour(kWallObject + face, 0xFF808080);
        repainted[face] = face == 0 || face == 2 ? 0xFF808080 : kWalls[face];
    }
    CALL(CubeTex_SyncFaces, cube, 0, 5);
    ExpectRoom(cube, repainted, "CubeTex_SyncFaces mask 5");
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(CubePixelsTest, InstanceSetsAreDrawnIntoTheFaces)
{
    std::string error;
    ID3DXEffect* fx = refhost::CreateDescribedEffect(refhost::RealDevice(), refhost::InstancingEffectDescription(), &error);
    ASSERT_NE(fx, nullptr) << error;
    refhost::AddEffect(1, fx);
    fx->Release();
    refhost::MeshDescription block;
    block.size = 2.0f;
    ASSERT_TRUE(refhost::MakeObject(1, block));
    refhost::SetObjectEffect(1, 1);
    refhost::HideObject(1);
    const int set = CALL(GeoInst_MakeNew);
    CALL(GeoInst_SetMesh, set, 1, 0);
    CALL(GeoInst_SetMaxInstanceCount, set, 1);
    CALL(GeoInst_SetInstanceCount, set, 1);
    CALL(GeoInst_SetPosition, set, 1, 0.0f, 0.0f, 5.0f); // straight ahead on +Z
    CALL(GeoInst_SetScaleUniform, set, 1, 100.0f);
    CALL(GeoInst_UpdateInstance, set, 1);
    CALL(GeoInst_Update, set);

    const int cube = MakeCube();
    CALL(CubeTex_Sync, cube, 0);
    EXPECT_TRUE(ColourNear(0xFFFFFFFF, ReadFace(cube, 4).At(kEdge / 2, kEdge / 2))) << "the instance, white, on +Z";
    EXPECT_TRUE(ColourNear(kWalls[5], ReadFace(cube, 5).At(kEdge / 2, kEdge / 2))) << "nothing on -Z";
    CALL(GeoInst_Delete, set);
}

TEST_F(CubePixelsTest, SyncMrtFillsTheSameFaceOfEveryCube)
{
    // The +Z wall's effect writes one colour to render target 0 and another to render target 1.
    refhost::EffectDescription description = refhost::PlainEffectDescription();
    description.parameters.push_back({"Color2", "", refhost::EffectParameterKind::Vector, 0, {0, 1, 0, 1}});
    description.parameters[4].initial = {1, 0, 1, 1}; // Color: magenta
    ASSERT_EQ(description.parameters[4].name, "Color");
    refhost::EffectPass& pass = description.techniques[0].passes[0];
    pass.pixelShader = "float4 Color;\n"
                       "float4 Color2;\n"
                       "struct Out { float4 first : COLOR0; float4 second : COLOR1; };\n"
                       "Out main() { Out o; o.first = Color; o.second = Color2; return o; }\n";
    std::string error;
    ID3DXEffect* fx = refhost::CreateDescribedEffect(refhost::RealDevice(), description, &error);
    ASSERT_NE(fx, nullptr) << error;
    refhost::AddEffect(1, fx);
    fx->Release();
    refhost::SetObjectEffect(kWallObject + 4, 1);

    const int cube = MakeCube(), second = MakeCube();
    CALL(CubeTex_SyncMRT, cube, second, 0, 0, 0);
    EXPECT_TRUE(ColourNear(0xFFFF00FF, ReadFace(cube, 4).At(kEdge / 2, kEdge / 2))) << "first output";
    EXPECT_TRUE(ColourNear(0xFF00FF00, ReadFace(second, 4).At(kEdge / 2, kEdge / 2))) << "second output";
    EXPECT_TRUE(ColourNear(kWalls[0], ReadFace(cube, 0).At(kEdge / 2, kEdge / 2))) << "the other faces as with CubeTex_Sync";
    EXPECT_EQ(CALL(CubeTex_GetDrawCalls), 6 * 12);
    IDirect3DSurface9* further = nullptr;
    refhost::RealDevice()->GetRenderTarget(1, &further);
    EXPECT_EQ(further, nullptr) << "render target 1 is unbound afterwards";
    if (further)
        further->Release();
}

TEST_F(CubePixelsTest, AnObjectWithTheCubeAppliedReflectsTheWalls)
{
    const int cube = MakeCube();
    CALL(CubeTex_Sync, cube, 0);
    refhost::MeshDescription ball;
    ball.shape = refhost::Shape::Sphere;
    ball.size = 4.0f;
    ball.sphereRings = 32;
    ball.sphereSegments = 48;
    ball.textureStages = 1;
    ASSERT_TRUE(refhost::MakeObject(1, ball));
    CALL(CubeTex_ApplyObject, cube, 1, 0);
    refhost::SetCameraPosition(0, 0.0f, 0.0f, -8.0f);
    refhost::FastSync();

    // Seen from -Z: the middle of the ball mirrors the wall behind the camera; half way to its
    // left and right rims the normal is turned 45 degrees, so they mirror the side walls.
    const float scale = 128.0f / std::tan(30.0f * 3.14159265f / 180.0f);
    const int rim = static_cast<int>(std::lround(128 + 1.414f / 6.586f * scale));
    const CameraFrame frame(0);
    EXPECT_TRUE(ColourNear(kWalls[5], frame.At(128, 128))) << "centre";
    EXPECT_TRUE(ColourNear(kWalls[0], frame.At(rim, 128))) << "right";
    EXPECT_TRUE(ColourNear(kWalls[1], frame.At(256 - rim, 128))) << "left";
    EXPECT_TRUE(ColourNear(kWalls[2], frame.At(128, 256 - rim))) << "top";
    EXPECT_TRUE(ColourNear(kWalls[3], frame.At(128, rim))) << "bottom";
}

// The DDS file as bytes.
std::vector<uint8_t> ReadFile(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
uint32_t Word(const std::vector<uint8_t>& bytes, size_t offset)
{
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

TEST_F(CubePixelsTest, SaveWritesADdsCubeMapOfEveryFaceAndLevel)
{
    const int cube = MakeCube(), chained = MakeCube(1);
    CALL(CubeTex_Sync, cube, 0);
    CALL(CubeTex_Sync, chained, 0);
    std::remove("cube_saved.dds");
    std::remove("cube_saved.png");
    CALL(CubeTex_Save, cube, "cube_saved.dds");
    CALL(CubeTex_Save, chained, "cube_saved.png"); // another extension: still DDS data

    struct Saved {
        const char* name;
        uint32_t levels;
    };
    for (const Saved& saved : {Saved{"cube_saved.dds", 1}, Saved{"cube_saved.png", 7}}) {
        const std::vector<uint8_t> file = ReadFile(saved.name);
        size_t levelTexels = 0;
        for (uint32_t level = 0, edge = kEdge; level < saved.levels; ++level, edge /= 2)
            levelTexels += edge * edge;
        ASSERT_EQ(file.size(), 128 + 6 * levelTexels * 4) << saved.name;
        EXPECT_EQ(Word(file, 0), 0x20534444u) << "DDS magic";
        EXPECT_EQ(Word(file, 4), 124u);
        EXPECT_EQ(Word(file, 12), static_cast<uint32_t>(kEdge)); // height
        EXPECT_EQ(Word(file, 16), static_cast<uint32_t>(kEdge)); // width
        EXPECT_EQ(Word(file, 28), saved.levels);
        EXPECT_EQ(Word(file, 80) & 0x40u, 0x40u) << "RGB pixel format";
        EXPECT_EQ(Word(file, 88), 32u);
        EXPECT_EQ(Word(file, 92), 0xFF0000u) << "red mask";
        EXPECT_EQ(Word(file, 108) & 0x1008u, 0x1008u) << "texture, complex";
        EXPECT_EQ(Word(file, 112), 0xFE00u) << "cube map with all six faces";
        for (int face = 0; face < 6; ++face) {
            const size_t faceStart = 128 + face * levelTexels * 4;
            auto texel = [&](int x, int y) { return Word(file, faceStart + (y * kEdge + x) * 4) | 0xFF000000; };
            const Texel marker = Lookup(MarkerFront(face));
            EXPECT_TRUE(ColourNear(kWalls[face], texel(kEdge / 2, kEdge / 2))) << saved.name << " face " << face;
            EXPECT_TRUE(ColourNear(kMarker, texel(marker.x, marker.y))) << saved.name << " marker " << face;
            EXPECT_TRUE(ColourNear(kWalls[face], texel(kEdge - 1 - marker.x, marker.y)));
            if (saved.levels > 1) {
                // The last level of the chain: one texel, mostly the wall's colour.
                const uint32_t last = Word(file, faceStart + (levelTexels - 1) * 4) | 0xFF000000;
                const int channel = (kWalls[face] & 0xFF0000) ? 16 : (kWalls[face] & 0xFF00) ? 8 : 0;
                EXPECT_GT(int((last >> channel) & 0xFF), 0x80) << "smallest level of face " << face;
            }
        }
    }

    // Where D3DX cannot save cubes (as here): a generated chain of a format without four 8-bit
    // channels is saved as its top level alone, L8 has no description in the file, so no file, and
    // neither has a cube whose face is above 64 MiB (2900 x 2900 x 8 bytes).
    const struct {
        D3DFORMAT format;
        int edge, mipmaps;
        size_t bytes;
    } others[] = {{D3DFMT_R5G6B5, kEdge, 1, 128 + 6 * kEdge * kEdge * 2},
                  {D3DFMT_L8, kEdge, 1, 0},
                  {D3DFMT_A16B16G16R16F, kEdge, 0, 128 + 6 * kEdge * kEdge * 8},
                  {D3DFMT_A16B16G16R16F, 2900, 0, 0}};
    for (const auto& other : others) {
        const int made = CALL(CubeTex_MakeNewFormat, other.edge, other.mipmaps, static_cast<int>(other.format));
        if (!made && other.edge == 2900) {
            // 385 MB in one piece: refused where the address space has no such piece left, as in
            // DXVK's process here, whose Vulkan device keeps its memory in the same space.
            const std::vector<ShownMessage> refusal = messages_.Take();
            ASSERT_EQ(refusal.size(), 1u);
            EXPECT_THAT(refusal[0].text, testing::StartsWith("A cube of resolution 2900 needs 385 MB in one piece"));
            continue;
        }
        cubes_.push_back(made);
        ASSERT_EQ(CALL(CubeTex_GetFormat, cubes_.back()), static_cast<int>(other.format));
        std::remove("cube_other.dds");
        CALL(CubeTex_Save, cubes_.back(), "cube_other.dds");
        EXPECT_EQ(ReadFile("cube_other.dds").size(), other.bytes) << "format " << other.format;
    }

    // A path that cannot be written: nothing is written and nothing breaks.
    CALL(CubeTex_Save, cube, "no_such_folder\\cube.dds");
    EXPECT_TRUE(ReadFile("no_such_folder\\cube.dds").empty());
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(CubePixelsTest, CommandsAnswerThroughTheDllAsScriptsSeeThem)
{
    EXPECT_EQ(CALL(CubeTex_GetDrawCalls) | CALL(CubeTex_GetDrawPrimitives), 0) << "nothing rendered yet";
    const int cube = MakeCube(), other = MakeCube();
    CALL(CubeTex_SetPosition, cube, 1.5f, -2.0f, 3.25f);
    CALL(CubeTex_SetRange, cube, 0.5f, 200.0f);
    CALL(CubeTex_Delete, other); // the first cube outlives the second
    EXPECT_EQ(CALL(CubeTex_GetPositionX, cube), 1069547520) << "1.5 as its bit pattern";
    EXPECT_EQ(CALL_F(CubeTex_GetPositionY, cube), -2.0f);
    EXPECT_EQ(CALL_F(CubeTex_GetPositionZ, cube), 3.25f);
    EXPECT_EQ(CALL_F(CubeTex_GetNear, cube), 0.5f);
    EXPECT_EQ(CALL_F(CubeTex_GetFar, cube), 200.0f);
    EXPECT_EQ(CALL(CubeTex_GetResolution, cube), kEdge);
    EXPECT_EQ(CALL(CubeTex_GetMipmapGeneration, cube), 0);
    EXPECT_EQ(CALL(CubeTex_CheckFormatSupport, static_cast<int>(D3DFMT_X8R8G8B8)), 2);
    CALL(CubeTex_SetMipFilter, cube, static_cast<int>(D3DTEXF_POINT));
    CALL(CubeTex_GenerateMipSubLevels, cube);
    refhost::MeshDescription limbs;
    limbs.limbs = 2;
    limbs.textureStages = 1;
    ASSERT_TRUE(refhost::MakeObject(1, limbs));
    CALL(CubeTex_ApplyLimb, cube, 1, 1, 0);
    EXPECT_EQ(refhost::GetLimbMesh(1, 1)->textureStages[0].textureMode, 2);
    CALL(CubeTex_SyncFacesMRT, cube, 0, 0, 0, 0, 1);
    EXPECT_EQ(CALL(CubeTex_GetDrawCalls), 14);
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());

    CALL(CubeTex_Delete, cube);
    cubes_ = {};
    EXPECT_EQ(refhost::GetLimbMesh(1, 1)->textureStages[0].texture, nullptr);
    EXPECT_EQ(CALL(CubeTex_GetFormat, cube), 0);
    EXPECT_EQ(messages_.Take(),
              (std::vector<ShownMessage>{{"CubeTex_GetFormat Error", "The Specified CubeTex Does Not Exist"}}));
}

} // namespace

TEST_F(CubePixelsTest, SavingCubesLargerThanTheDriverCanHoldNeverCrashes)
{
    // Two 4096 cubes with generated chains are more than the software driver holds, yet wined3d
    // reported the second made, and reading that one back in one piece once brought the process
    // down; DXVK crashed inside CreateCubeTexture when its memory ran out. 512 MB each, they are
    // refused before the device is asked wherever the largest free piece of the address space is
    // smaller (in every small 32-bit process here); a cube that is made saves whole or not at all.
    constexpr uint64_t kEdgeOfHuge = 4096;
    for (int i = 0; i < 2; ++i)
        if (const int cube = CALL(CubeTex_MakeNew, static_cast<int>(kEdgeOfHuge), 1))
            cubes_.push_back(cube);
    const std::vector<ShownMessage> refusals = messages_.Take();
    EXPECT_EQ(refusals.size() + cubes_.size(), 2u);
    for (const ShownMessage& refusal : refusals)
        EXPECT_THAT(refusal.text, testing::StartsWith("A cube of resolution 4096 needs 512 MB in one piece"));
    uint64_t chainTexels = 0;
    for (uint64_t edge = kEdgeOfHuge; edge >= 1; edge /= 2)
        chainTexels += edge * edge;
    for (int cube : cubes_) {
        std::remove("huge_cube.dds");
        CALL(CubeTex_Save, cube, "huge_cube.dds");
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size("huge_cube.dds", error);
        EXPECT_TRUE(error || size == 128 + 6 * chainTexels * 4) << "a whole DDS file or none, not " << size << " bytes";
    }
    std::remove("huge_cube.dds");
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}
