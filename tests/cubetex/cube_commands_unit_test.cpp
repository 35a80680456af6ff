// Cube texture commands on their own: creation, the handle checks, the values a cube keeps, the
// format query, and the file writer on formats no cube is made in here.
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>

#include "cube_fixture.h"
#include "cubetex/cube_dds_file.h"
#include "cubetex/cube_list.h"

// This program's operator new can be made to fail once, for the record that cannot be allocated.
// GCC cannot see that the replacement pairs malloc with free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

// The next allocation through operator new fails; the one after it succeeds again.
bool g_failNextAllocation = false;

} // namespace

void* operator new(std::size_t size)
{
    if (g_failNextAllocation) {
        g_failNextAllocation = false;
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

constexpr const char* kNoSuchCube = "The Specified CubeTex Does Not Exist";

D3DFORMAT ReferenceFormat()
{
    D3DSURFACE_DESC desc{};
    refhost::CoreData()->referenceSurface->GetDesc(&desc);
    return desc.Format;
}

// Whether the card renders cubes of `format`, asked of the device itself: which formats a card
// renders cubes in is the card's choice.
bool CardRendersCubesIn(D3DFORMAT format)
{
    IDirect3DDevice9* device = refhost::RealDevice();
    IDirect3D9* d3d = nullptr;
    device->GetDirect3D(&d3d);
    D3DDISPLAYMODE mode{};
    device->GetDisplayMode(0, &mode);
    const HRESULT result =
        d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, D3DUSAGE_RENDERTARGET, D3DRTYPE_CUBETEXTURE, format);
    d3d->Release();
    return SUCCEEDED(result);
}

TEST_F(CubeTest, CreationMakesARenderTargetCubeInTheResolvedFormat)
{
    // wined3d renders no A1R5G5B5 cubes, DXVK does: a card that cannot gets D3DX's nearest format.
    const D3DFORMAT madeForA1R5G5B5 = CardRendersCubesIn(D3DFMT_A1R5G5B5) ? D3DFMT_A1R5G5B5 : D3DFMT_A8R8G8B8;
    struct Case {
        int resolution, mipmapGeneration, format;
        D3DFORMAT expectedFormat;
        DWORD expectedUsage;
        UINT expectedLevelsAsked;
    };
    const Case cases[] = {
        {32, 0, 0, ReferenceFormat(), D3DUSAGE_RENDERTARGET, 1},
        {64, 1, 0, ReferenceFormat(), D3DUSAGE_RENDERTARGET | D3DUSAGE_AUTOGENMIPMAP, 0},
        {16, 0, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DUSAGE_RENDERTARGET, 1},
        // Where the card cannot render cubes in the format, D3DX makes the nearest one it can, and
        // the format query reports the faces' format, not the one asked for.
        {16, 0, D3DFMT_A1R5G5B5, madeForA1R5G5B5, D3DUSAGE_RENDERTARGET, 1},
    };
    for (const Case& c : cases) {
        Device().ClearLog();
        const int handle = c.format ? CubeTex_MakeNewFormat(c.resolution, c.mipmapGeneration, c.format)
                                    : CubeTex_MakeNew(c.resolution, c.mipmapGeneration);
        ASSERT_NE(handle, 0) << "resolution " << c.resolution;
        const auto created = Device().Filter(DeviceMethod::CreateCubeTexture);
        ASSERT_EQ(created.size(), 1u);
        EXPECT_EQ(created[0].args, (std::vector<uint32_t>{static_cast<uint32_t>(c.resolution), c.expectedLevelsAsked,
                                                          c.expectedUsage, static_cast<uint32_t>(c.expectedFormat),
                                                          D3DPOOL_DEFAULT}));
        const CubeTexRecord& cube = Cube(handle);
        EXPECT_EQ(cube.texture.ptr(), created[0].object);
        EXPECT_EQ(CubeTex_GetFormat(handle), static_cast<int>(c.expectedFormat));
        D3DSURFACE_DESC faces{};
        ASSERT_EQ(cube.texture->GetLevelDesc(0, &faces), D3D_OK);
        EXPECT_EQ(CubeTex_GetFormat(handle), static_cast<int>(faces.Format)) << "asked for format " << c.format;
        EXPECT_EQ(CubeTex_GetResolution(handle), c.resolution);
        EXPECT_EQ(CubeTex_GetMipmapGeneration(handle), c.mipmapGeneration);
        if (c.mipmapGeneration == 1) {
            EXPECT_EQ(cube.texture->GetAutoGenFilterType(), D3DTEXF_LINEAR);
            CubeTex_SetMipFilter(handle, D3DTEXF_POINT);
            EXPECT_EQ(cube.texture->GetAutoGenFilterType(), D3DTEXF_POINT) << "the filter the levels are made with";
        }
        // A new cube stands at the origin with the default range.
        const int values[] = {CubeTex_GetPositionX(handle), CubeTex_GetPositionY(handle), CubeTex_GetPositionZ(handle),
                              CubeTex_GetNear(handle), CubeTex_GetFar(handle)};
        const float expected[] = {0.0f, 0.0f, 0.0f, 1.0f, 10000.0f};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(values[i], std::bit_cast<int>(expected[i])) << "value " << i;
    }
    EXPECT_EQ(LiveCubeTextures().size(), std::size(cases));
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(CubeTest, CreationFailuresShowOneMessageAndReturnZero)
{
    const ShownMessage failure{"CubeTex_MakeNew() ERROR", "Failed To Create The Requested Cubemap Texture!"};
    // The device refuses the texture.
    Device().FailCall(DeviceMethod::CreateCubeTexture, 1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(CubeTex_MakeNew(16, 0), 0);
    EXPECT_EQ(messages_.Take(), std::vector<ShownMessage>{failure});

    // A cube no 32-bit game holds in one piece (2 GB) is refused before the device is asked.
    Device().ClearLog();
    EXPECT_EQ(CubeTex_MakeNew(8192, 1), 0);
    EXPECT_TRUE(Device().Filter(DeviceMethod::CreateCubeTexture).empty());
    const std::vector<ShownMessage> shown = messages_.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, failure.title);
    EXPECT_THAT(shown[0].text, testing::StartsWith("A cube of resolution 8192 needs "));

    // No memory is left for the record: the texture made for it is released again.
    recorder_.reset();
    IDirect3DDevice9* device = refhost::RealDevice();
    const UINT before = device->GetAvailableTextureMem();
    g_failNextAllocation = true;
    EXPECT_EQ(CubeTex_MakeNewFormat(512, 0, D3DFMT_A8R8G8B8), 0);
    g_failNextAllocation = false;
    EXPECT_EQ(messages_.Take(), std::vector<ShownMessage>{failure});
    EXPECT_EQ(AvailableTextureMemory(before), before) << "the texture was not released";
    EXPECT_TRUE(LiveCubeTextures().empty());
}

TEST_F(CubeTest, EveryCommandRefusesAHandleThatIsNoLiveCube)
{
    const int deleted = MakeCube();
    CubeTex_Delete(deleted);
    const int live = MakeCube();
    CubeTex_SetPosition(live, 1.0f, 2.0f, 3.0f);
    messages_.Take();

    struct Command {
        const char* name;
        std::function<int(int)> call;
    };
    const Command commands[] = {
        {"CubeTex_Delete", [](int h) { return CubeTex_Delete(h); }},
        {"CubeTex_SetMipFilter", [](int h) { return CubeTex_SetMipFilter(h, D3DTEXF_POINT); }},
        {"CubeTex_GenerateMipSubLevels", [](int h) { return CubeTex_GenerateMipSubLevels(h); }},
        {"CubeTex_ApplyObject", [](int h) { return CubeTex_ApplyObject(h, 1, 0); }},
        {"CubeTex_ApplyLimb", [](int h) { return CubeTex_ApplyLimb(h, 1, 0, 0); }},
        {"CubeTex_Save", [](int h) { return CubeTex_Save(h, "refused.dds"); }},
        {"CubeTex_DrawToFace", [](int h) { return CubeTex_DrawToFace(h, 0); }},
        {"CubeTex_Sync", [](int h) { return CubeTex_Sync(h, 0); }},
        {"CubeTex_SyncFaces", [](int h) { return CubeTex_SyncFaces(h, 0, 63); }},
        {"CubeTex_SyncMRT", [](int h) { return CubeTex_SyncMRT(h, 0, 0, 0, 0); }},
        {"CubeTex_SyncFacesMRT", [](int h) { return CubeTex_SyncFacesMRT(h, 0, 0, 0, 0, 63); }},
        {"CubeTex_SetPosition", [](int h) { return CubeTex_SetPosition(h, 5.0f, 5.0f, 5.0f); }},
        {"CubeTex_SetRange", [](int h) { return CubeTex_SetRange(h, 2.0f, 3.0f); }},
        {"CubeTex_GetPositionX", [](int h) { return CubeTex_GetPositionX(h); }},
        {"CubeTex_GetPositionY", [](int h) { return CubeTex_GetPositionY(h); }},
        {"CubeTex_GetPositionZ", [](int h) { return CubeTex_GetPositionZ(h); }},
        {"CubeTex_GetNear", [](int h) { return CubeTex_GetNear(h); }},
        {"CubeTex_GetFar", [](int h) { return CubeTex_GetFar(h); }},
        {"CubeTex_GetResolution", [](int h) { return CubeTex_GetResolution(h); }},
        {"CubeTex_GetFormat", [](int h) { return CubeTex_GetFormat(h); }},
        {"CubeTex_GetMipmapGeneration", [](int h) { return CubeTex_GetMipmapGeneration(h); }},
    };
    // Never made, garbage, deleted, and the address just inside a live record.
    const int handles[] = {0, 0x12345678, -1, deleted, live + 4};
    refhost::ClearHostCallLog();
    Device().ClearLog();
    for (const Command& command : commands)
        for (int handle : handles) {
            EXPECT_EQ(command.call(handle), 0) << command.name << " with " << handle;
            EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{{std::string(command.name) + " Error", kNoSuchCube}}))
                << command.name << " with " << handle;
        }
    EXPECT_TRUE(refhost::HostCallLog().empty()) << "a refused command called the host";
    EXPECT_TRUE(Device().Calls().empty()) << "a refused command used the device";
    EXPECT_EQ(CubeTex_GetPositionZ(live), std::bit_cast<int>(3.0f)) << "the live cube was left alone";
}

TEST_F(CubeTest, FormatSupportAnswersTwoOneOrZero)
{
    struct Case {
        D3DFORMAT format;
        HRESULT answer;
        int expected;
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, D3D_OK, 2},
        {D3DFMT_A16B16G16R16F, 0x0876086F, 1}, // D3DOK_NOAUTOGEN
        {D3DFMT_R32F, D3DERR_NOTAVAILABLE, 0},
        {D3DFMT_A8R8G8B8, E_FAIL, 0},
    };
    for (const Case& c : cases) {
        Device().Direct3D()->ClearFormatOverrides();
        // Answered only for a render-target query.
        Device().Direct3D()->OverrideFormat(c.format, c.answer, D3DUSAGE_RENDERTARGET);
        EXPECT_EQ(CubeTex_CheckFormatSupport(c.format), c.expected) << "format " << c.format;
    }
    Device().Direct3D()->ClearFormatOverrides();
    EXPECT_EQ(CubeTex_CheckFormatSupport(D3DFMT_X8R8G8B8), 2) << "the device renders into X8R8G8B8 cubes";
    EXPECT_EQ(CubeTex_CheckFormatSupport(D3DFMT_DXT1), 0);
}

TEST_F(CubeTest, TheFileWriterTakesFormatsNoCubeIsMadeInHere)
{
    // The card here makes no render-target cube in these formats, but the writer reads a managed
    // cube the same way: a generated chain in full only for four 8-bit channels.
    const struct {
        D3DFORMAT format;
        uintmax_t levelTexels, bytesPerTexel;
    } cases[] = {{D3DFMT_X8B8G8R8, 256 + 64 + 16 + 4 + 1, 4}, {D3DFMT_A1R5G5B5, 256, 2}};
    for (const auto& c : cases) {
        Com<IDirect3DCubeTexture9> cube;
        ASSERT_EQ(Device().CreateCubeTexture(16, 0, D3DUSAGE_AUTOGENMIPMAP, c.format, D3DPOOL_MANAGED, cube.put(),
                                              nullptr),
                  D3D_OK);
        EXPECT_TRUE(WriteCubeDds(&Device(), cube.ptr(), "writer.dds")) << "format " << c.format;
        std::error_code error;
        EXPECT_EQ(std::filesystem::file_size("writer.dds", error), 128 + 6 * c.levelTexels * c.bytesPerTexel);
        std::remove("writer.dds");
    }
}

} // namespace
