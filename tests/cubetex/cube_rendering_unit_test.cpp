// Cube face rendering through a borrowed host camera: the host calls and their order, the camera
// as the host sees it inside each face render and after the command, render targets, counters.
#include <functional>
#include <string>
#include <vector>

#include "cube_fixture.h"
#include "cubetex/cube_face_render.h"

namespace {

// The camera fields cube rendering writes, as the host sees them.
struct CameraFields {
    int32_t renderIntoSurface, group1, group2, group3;
    IDirect3DSurface9* surface;
    float x, y, z, angleX, angleY, angleZ, aspect, fieldOfView, nearRange, farRange;
    bool operator==(const CameraFields&) const = default;
};

CameraFields Fields(const HostCameraData& c)
{
    return {c.renderIntoSurface, c.surfaceGroup1, c.surfaceGroup2, c.surfaceGroup3, c.surface,
            c.positionX,         c.positionY,     c.positionZ,     c.angleX,        c.angleY,
            c.angleZ,            c.aspect,        c.fieldOfView,   c.nearRange,     c.farRange};
}

// What the render list saw of the camera being rendered, one entry per render.
std::vector<CameraFields> g_seen;
int __cdecl RecordCamera()
{
    g_seen.push_back(Fields(*refhost::GetCameraData(refhost::CoreData()->currentCamera)));
    return 0;
}

class CubeRenderingTest : public CubeTest {
protected:
    void SetUp() override
    {
        CubeTest::SetUp();
        ASSERT_TRUE(refhost::MakeObject(1, {})); // one cube: 12 primitives in one draw call
        ASSERT_TRUE(refhost::MakeCamera(3, 64, 48));
        refhost::AddToRenderList(reinterpret_cast<void*>(&RecordCamera), 100);
        // Camera 3 as a script may have left it, render-into-surface group included.
        HostCameraData& c = *refhost::GetCameraData(3);
        c.renderIntoSurface = 0, c.surfaceGroup1 = 7, c.surfaceGroup2 = 8, c.surfaceGroup3 = 9;
        c.positionX = 4, c.positionY = 5, c.positionZ = 6, c.angleX = 10, c.angleY = 20, c.angleZ = 30;
        c.aspect = 1.5f, c.fieldOfView = 45, c.nearRange = 2, c.farRange = 500;
        before_ = Fields(c);
        g_seen.clear();
    }

    // Runs `command`, then checks that the camera and render target 0 are as before.
    template <typename Command>
    void RunAndCheckRestored(Command command)
    {
        Com<IDirect3DSurface9> target;
        refhost::RealDevice()->GetRenderTarget(0, target.put());
        refhost::ClearHostCallLog();
        Device().ClearLog();
        command();
        EXPECT_EQ(Fields(*refhost::GetCameraData(3)), before_) << "the camera was not restored";
        Com<IDirect3DSurface9> after;
        refhost::RealDevice()->GetRenderTarget(0, after.put());
        EXPECT_EQ(after.ptr(), target.ptr()) << "render target 0 was not restored";
    }

    CameraFields before_{};
};

std::vector<std::string> ExpectedHostCalls(std::vector<int> faces)
{
    std::vector<std::string> calls = {"SyncMask(0x8)", "SetAspect(3, 1)"};
    for (size_t i = 0; i < faces.size(); ++i)
        calls.insert(calls.end(), {"FastSync()", "GetStatistic(1)", "GetStatistic(5)"});
    return calls;
}

TEST_F(CubeRenderingTest, SyncRendersEveryFaceFromTheCubePointAndPutsTheCameraBack)
{
    const int cube = MakeCube(32);
    CubeTex_SetPosition(cube, 1.0f, 2.0f, 3.0f);
    CubeTex_SetRange(cube, 0.5f, 200.0f);
    RunAndCheckRestored([&] { CubeTex_Sync(cube, 3); });

    EXPECT_EQ(refhost::HostCallLog(), ExpectedHostCalls({0, 1, 2, 3, 4, 5}));
    ASSERT_EQ(g_seen.size(), 6u);
    for (int face = 0; face < 6; ++face) {
        const CameraFields& seen = g_seen[face];
        const CubeFaceAngles& angles = kCubeFaceAngles[face];
        // Inside the render: the cube's point and range, a square 90-degree lens, the face as target.
        const CameraFields expected{1, 0, 0, 0, Face(cube, face).ptr(), 1, 2, 3, angles.x, angles.y, angles.z,
                                    1.0f, 90.0f, 0.5f, 200.0f};
        EXPECT_EQ(seen, expected) << "face " << face;
    }
    EXPECT_EQ(CubeTex_GetDrawPrimitives(), 6 * 12);
    EXPECT_EQ(CubeTex_GetDrawCalls(), 6);
    // Render target 0 saved first and put back last; no further target touched.
    const auto targets = Device().Filter({DeviceMethod::GetRenderTarget, DeviceMethod::SetRenderTarget});
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0].method, DeviceMethod::GetRenderTarget);
    EXPECT_EQ(targets[1].args, (std::vector<uint32_t>{0, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(
                                                             targets[0].object))}));
    EXPECT_EQ(refhost::SyncMask(), 0x8u) << "the sync mask stays as the command set it";
}

TEST_F(CubeRenderingTest, FaceMasksRenderTheirFacesOnlyAndStoreTheAspect)
{
    const int cube = MakeCube(), other = MakeCube();
    CubeTex_Sync(other, 3); // counters of an earlier command are not carried over
    struct Case {
        int mask;
        std::vector<int> faces;
    };
    const Case cases[] = {{5, {0, 2}}, {0, {}}, {0x40 | 0x20, {5}}, {-1, {0, 1, 2, 3, 4, 5}}};
    for (const Case& c : cases) {
        g_seen.clear();
        RunAndCheckRestored([&] { CubeTex_SyncFaces(cube, 3, c.mask); });
        EXPECT_EQ(refhost::HostCallLog(), ExpectedHostCalls(c.faces)) << "mask " << c.mask;
        ASSERT_EQ(g_seen.size(), c.faces.size());
        for (size_t i = 0; i < c.faces.size(); ++i) {
            EXPECT_EQ(g_seen[i].surface, Face(cube, c.faces[i]).ptr()) << "mask " << c.mask;
            EXPECT_EQ(g_seen[i].angleX, kCubeFaceAngles[c.faces[i]].x);
            EXPECT_EQ(g_seen[i].angleY, kCubeFaceAngles[c.faces[i]].y);
        }
        EXPECT_EQ(CubeTex_GetDrawCalls(), static_cast<int>(c.faces.size())) << "mask " << c.mask;
        EXPECT_EQ(CubeTex_GetDrawPrimitives(), static_cast<int>(12 * c.faces.size()));
    }
}

TEST_F(CubeRenderingTest, FurtherTargetsFollowTheChainAndAreUnboundAfterwards)
{
    const int cube = MakeCube(), c1 = MakeCube(), c2 = MakeCube(), c3 = MakeCube();
    auto address = [](IDirect3DSurface9* s) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(s)); };
    struct Case {
        int further[3];
        int used; // how many of them become render targets 1, 2, 3
        int mask;
    };
    const Case cases[] = {
        {{0, 0, 0}, 0, 63}, {{c1, 0, c3}, 1, 63}, {{0, c2, c3}, 0, 63}, {{c1, c2, c3}, 3, 5}, {{c1, c2, 0}, 2, 0}};
    for (const Case& c : cases) {
        RunAndCheckRestored([&] {
            if (c.mask == 63)
                CubeTex_SyncMRT(cube, c.further[0], c.further[1], c.further[2], 3);
            else
                CubeTex_SyncFacesMRT(cube, c.further[0], c.further[1], c.further[2], 3, c.mask);
        });
        std::vector<std::vector<uint32_t>> expected;
        for (int face = 0; face < 6; ++face) {
            if (!(c.mask & (1 << face)))
                continue;
            for (int k = 0; k < c.used; ++k)
                expected.push_back({static_cast<uint32_t>(k + 1), address(Face(c.further[k], face).ptr())});
        }
        const auto sets = Device().Filter(DeviceMethod::SetRenderTarget);
        ASSERT_EQ(sets.size(), expected.size() + 1 + c.used) << "chain of " << c.used;
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(sets[i].args, expected[i]) << "bind " << i << " of chain " << c.used;
        EXPECT_EQ(sets[expected.size()].args[0], 0u) << "render target 0 comes back before the unbinding";
        for (int k = 0; k < c.used; ++k)
            EXPECT_EQ(sets[expected.size() + 1 + k].args, (std::vector<uint32_t>{static_cast<uint32_t>(k + 1), 0u}));
        EXPECT_EQ(CubeTex_GetDrawCalls(), __builtin_popcount(c.mask)) << "each face counts once";
    }
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(CubeRenderingTest, RenderingCommandsRefuseBadCamerasAndFurtherCubesBeforeRendering)
{
    const int cube = MakeCube(), gone = MakeCube();
    CubeTex_Delete(gone);
    const ShownMessage noCamera{"CubeTex_Sync Error", "The Specified Camera Does Not Exist"};
    struct Case {
        std::function<void()> call;
        ShownMessage message;
    };
    const Case cases[] = {
        {[&] { CubeTex_Sync(cube, 32); }, noCamera},
        {[&] { CubeTex_Sync(cube, -1); }, noCamera},
        {[&] { CubeTex_Sync(cube, 5); }, noCamera}, // the host has no camera 5
        {[&] { CubeTex_SyncFaces(cube, 40, 1); }, {"CubeTex_SyncFaces Error", noCamera.text}},
        {[&] { CubeTex_SyncMRT(cube, gone, 0, 0, 3); }, {"CubeTex_SyncMRT Error", "The Specified CubeTex Does Not Exist"}},
        {[&] { CubeTex_SyncFacesMRT(cube, cube, 0, 77, 3, 63); },
         {"CubeTex_SyncFacesMRT Error", "The Specified CubeTex Does Not Exist"}},
        {[&] { CubeTex_DrawToFace(cube, 6); }, {"CubeTex_DrawToFace Error", "The Specified Face Must Be 0 To 5"}},
        {[&] { CubeTex_DrawToFace(cube, -1); }, {"CubeTex_DrawToFace Error", "The Specified Face Must Be 0 To 5"}},
    };
    for (const Case& c : cases) {
        RunAndCheckRestored(c.call);
        EXPECT_EQ(messages_.Take(), std::vector<ShownMessage>{c.message}) << c.message.title;
        EXPECT_TRUE(refhost::HostCallLog().empty()) << c.message.title;
        EXPECT_TRUE(Device().Calls().empty()) << c.message.title;
    }
}

} // namespace
