// FastSync: which cameras render, in what order the render list runs, where the pixels land,
// and how the view and projection follow the camera record.
#include <string>
#include <vector>

#include "scene_fixture.h"

namespace {

constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr D3DCOLOR kGreen = 0xFF00FF00;
constexpr D3DCOLOR kBlue = 0xFF0000FF;
constexpr D3DCOLOR kGrey = 0xFF404040;

// What each render-list callback saw: its name, the current camera, the view and projection
// the device held, and the render target it was drawing into.
struct CallbackVisit {
    char name;
    int camera;
    D3DXMATRIX view;
    D3DXMATRIX projection;
    IDirect3DSurface9* target;
};
std::vector<CallbackVisit> g_visits;

void Visit(char name)
{
    IDirect3DDevice9* device = refhost::RealDevice();
    CallbackVisit v{name, refhost::CoreData()->currentCamera, {}, {}, nullptr};
    device->GetTransform(D3DTS_VIEW, &v.view);
    device->GetTransform(D3DTS_PROJECTION, &v.projection);
    device->GetRenderTarget(0, &v.target);
    if (v.target)
        v.target->Release(); // only its identity is compared
    g_visits.push_back(v);
}

int __cdecl CallbackA() { Visit('A'); return 0; }
int __cdecl CallbackB() { Visit('B'); return 0; }

IDirect3DSurface9* LevelZero(IDirect3DTexture9* texture)
{
    IDirect3DSurface9* surface = nullptr;
    texture->GetSurfaceLevel(0, &surface);
    if (surface)
        surface->Release(); // the texture keeps it alive
    return surface;
}

refhost::MeshDescription Cube(D3DCOLOR colour, float size = 2.0f)
{
    refhost::MeshDescription meshDescription;
    meshDescription.size = size;
    meshDescription.colour = colour;
    return meshDescription;
}

class RenderTest : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        g_visits.clear();
        refhost::SetCameraBackdrop(0, kGrey);
    }
};

TEST_F(RenderTest, CallbacksRunInOrderOncePerMaskedCameraAfterTheCameraIsSet)
{
    ASSERT_TRUE(refhost::MakeCamera(1, 64, 64));
    ASSERT_TRUE(refhost::MakeCamera(2, 64, 64));
    ASSERT_TRUE(refhost::MakeCamera(3, 32, 32));
    refhost::AddToRenderList(reinterpret_cast<void*>(&CallbackA), 7500);
    refhost::AddToRenderList(reinterpret_cast<void*>(&CallbackB), 100);
    refhost::SetSyncMask((1u << 0) | (1u << 1) | (1u << 3));
    refhost::FastSync();

    std::string seen;
    for (const CallbackVisit& v : g_visits)
        seen += std::string(1, v.name) + std::to_string(v.camera) + " ";
    EXPECT_EQ(seen, "B0 A0 B1 A1 B3 A3 ");
    for (const CallbackVisit& v : g_visits) {
        SCOPED_TRACE(seen);
        const HostCameraData* data = refhost::GetCameraData(v.camera);
        EXPECT_EQ(v.view, data->view) << "plugins read the camera's view back from the device";
        EXPECT_EQ(v.projection, data->projection);
        // Camera 0 renders into the back buffer, the others into their own targets.
        EXPECT_EQ(v.target, v.camera == 0 ? refhost::CoreData()->referenceSurface
                                          : LevelZero(refhost::GetCameraTarget(v.camera)));
    }

    g_visits.clear();
    refhost::SetSyncMask(1u << 2);
    refhost::FastSync();
    ASSERT_EQ(g_visits.size(), 2u);
    EXPECT_EQ(g_visits[0].camera, 2);
    EXPECT_EQ(refhost::CoreData()->currentCamera, 2);

    g_visits.clear();
    refhost::RemoveFromRenderList(reinterpret_cast<void*>(&CallbackB));
    refhost::SetSyncMask(1u << 4); // no camera 4: nothing renders
    refhost::FastSync();
    EXPECT_TRUE(g_visits.empty());
}

TEST_F(RenderTest, CallbacksOfAnUnloadedModuleLeaveTheRenderList)
{
    refhost::AddToRenderList(reinterpret_cast<void*>(&CallbackA), 1);
    refhost::RemoveRenderCallbacksOf(GetModuleHandleA("kernel32.dll"));
    refhost::FastSync();
    EXPECT_EQ(g_visits.size(), 1u) << "a callback of another module stays";
    g_visits.clear();
    refhost::RemoveRenderCallbacksOf(GetModuleHandleA(nullptr));
    refhost::FastSync();
    EXPECT_TRUE(g_visits.empty());
}

TEST_F(RenderTest, ObjectAppearsWhereProjectedAndMovesWithItsPosition)
{
    ASSERT_TRUE(refhost::MakeObject(1, Cube(kRed)));
    refhost::SetObjectPosition(1, 0, 0, 10);
    refhost::FastSync();
    CameraFrame frame(0);
    EXPECT_TRUE(ColourNear(kRed, frame.At(kSize / 2, kSize / 2)));
    EXPECT_TRUE(ColourNear(kGrey, frame.At(10, 10)));

    // The front face at z 9 spans 1/9 of the distance; with a 60 degree lens that is
    // 1 / (9 tan 30) of the half width: x 3 lands at 128 + 128 * 3 / (9 tan 30) = 202.
    refhost::SetObjectPosition(1, 3, 0, 10);
    refhost::FastSync();
    frame = CameraFrame(0);
    EXPECT_TRUE(ColourNear(kGrey, frame.At(kSize / 2, kSize / 2)));
    EXPECT_TRUE(ColourNear(kRed, frame.At(202, kSize / 2)));
    // The cube's left side, seen from the camera, reaches back to x 2 at z 11: pixel 168.
    EXPECT_TRUE(ColourNear(kRed, frame.At(170, kSize / 2)));
    EXPECT_TRUE(ColourNear(kGrey, frame.At(166, kSize / 2)));
    // Screen y grows downwards.
    refhost::SetObjectPosition(1, 0, 3, 10);
    refhost::FastSync();
    EXPECT_TRUE(ColourNear(kRed, CameraFrame(0).At(kSize / 2, kSize - 202)));

    refhost::HideObject(1);
    refhost::FastSync();
    EXPECT_TRUE(ColourNear(kGrey, CameraFrame(0).At(kSize / 2, kSize - 202)));
}

TEST_F(RenderTest, ViewFollowsPositionAndAnglesAsTheCubeFaceTableNeedsThem)
{
    struct Row { float ax, ay, az; D3DXVECTOR3 along, up; };
    const Row rows[] = {
        {0, 90, 0, {1, 0, 0}, {0, 1, 0}},   {0, -90, 0, {-1, 0, 0}, {0, 1, 0}},
        {-90, 0, 0, {0, 1, 0}, {0, 0, -1}}, {90, 0, 0, {0, -1, 0}, {0, 0, 1}},
        {0, 0, 0, {0, 0, 1}, {0, 1, 0}},    {0, 180, 0, {0, 0, -1}, {0, 1, 0}},
    };
    HostCameraData* camera = refhost::GetCameraData(0);
    const D3DXVECTOR3 position(5, -2, 7);
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.ax << " " << row.ay << " " << row.az);
        camera->positionX = position.x;
        camera->positionY = position.y;
        camera->positionZ = position.z;
        camera->angleX = row.ax;
        camera->angleY = row.ay;
        camera->angleZ = row.az;
        refhost::FastSync(); // rebuilds the view from the fields
        D3DXVECTOR3 ahead = position + row.along, above = position + row.up, a, u;
        D3DXVec3TransformCoord(&a, &ahead, &camera->view);
        D3DXVec3TransformCoord(&u, &above, &camera->view);
        EXPECT_NEAR(a.x, 0, 1e-5); EXPECT_NEAR(a.y, 0, 1e-5); EXPECT_NEAR(a.z, 1, 1e-5);
        EXPECT_NEAR(u.x, 0, 1e-5); EXPECT_NEAR(u.y, 1, 1e-5); EXPECT_NEAR(u.z, 0, 1e-5);
    }
}

TEST_F(RenderTest, ProjectionFollowsFieldOfViewAspectAndRange)
{
    HostCameraData* camera = refhost::GetCameraData(0);
    camera->fieldOfView = 90.0f;
    camera->nearRange = 0.5f;
    camera->farRange = 200.0f;
    refhost::SetCameraAspect(0, 2.0f);
    // SetAspect rebuilds the projection at once, before any render.
    EXPECT_NEAR(camera->projection._11, 0.5f, 1e-5);  // 1 / (tan 45 * 2)
    EXPECT_NEAR(camera->projection._22, 1.0f, 1e-5);
    EXPECT_NEAR(camera->projection._33, 200.0f / 199.5f, 1e-5);
    EXPECT_NEAR(camera->projection._43, -0.5f * 200.0f / 199.5f, 1e-5);
    EXPECT_FLOAT_EQ(camera->projection._34, 1.0f);

    camera->fieldOfView = 60.0f;
    camera->aspect = 1.0f;
    refhost::FastSync();
    EXPECT_NEAR(camera->projection._22, 1.0f / std::tan(D3DX_PI / 6), 1e-5);
    EXPECT_NEAR(camera->projection._11, camera->projection._22, 1e-6);
}

TEST_F(RenderTest, PointTurnsTheCameraToFaceThePoint)
{
    refhost::SetCameraPosition(0, 1, 1, 1);
    refhost::PointCamera(0, 11, 1, 11);
    const HostCameraData* camera = refhost::GetCameraData(0);
    EXPECT_NEAR(camera->angleY, 45.0f, 1e-4);
    EXPECT_NEAR(camera->angleX, 0.0f, 1e-4);
    refhost::PointCamera(0, 1, 11, 1);
    EXPECT_NEAR(camera->angleX, -90.0f, 1e-4);

    refhost::PointCamera(0, -4, 6, 9);
    D3DXVECTOR3 target(-4, 6, 9), v;
    D3DXVec3TransformCoord(&v, &target, &camera->view);
    EXPECT_NEAR(v.x, 0, 1e-4);
    EXPECT_NEAR(v.y, 0, 1e-4);
    EXPECT_GT(v.z, 0);

    // An object at the pointed-at place shows in the middle of the picture.
    ASSERT_TRUE(refhost::MakeObject(1, Cube(kGreen)));
    refhost::SetObjectPosition(1, -4, 6, 9);
    refhost::FastSync();
    EXPECT_TRUE(ColourNear(kGreen, CameraFrame(0).At(kSize / 2, kSize / 2)));
}

TEST_F(RenderTest, RenderIntoSurfaceSwitchSendsTheCameraIntoThatSurface)
{
    ASSERT_TRUE(refhost::MakeCamera(1, 64, 64));
    IDirect3DTexture9* image = refhost::MakeRenderTarget(20, 128, 128, D3DFMT_UNKNOWN);
    ASSERT_NE(image, nullptr);
    image->Release(); // kept nothing
    ASSERT_TRUE(refhost::MakeObject(1, Cube(kRed)));
    refhost::SetObjectPosition(1, 0, 0, 10);
    refhost::SetSyncMask(1u << 1);
    refhost::SetCameraBackdrop(1, kBlue);
    refhost::FastSync();

    HostCameraData* camera = refhost::GetCameraData(1);
    camera->renderIntoSurface = 1;
    camera->surface = LevelZero(refhost::GetImagePointer(20));
    refhost::SetCameraBackdrop(1, kGreen);
    refhost::AddToRenderList(reinterpret_cast<void*>(&CallbackA), 1);
    refhost::FastSync();
    ASSERT_EQ(g_visits.size(), 1u);
    EXPECT_EQ(g_visits[0].target, camera->surface);

    refhost::SurfacePixels pixels;
    ASSERT_TRUE(refhost::ReadTexturePixels(refhost::GetImagePointer(20), pixels));
    ASSERT_EQ(pixels.width, 128);
    EXPECT_TRUE(ColourNear(kGreen, pixels.At(2, 2)));
    EXPECT_TRUE(ColourNear(kRed, pixels.At(64, 64)));
    // The camera's own target kept the previous render.
    EXPECT_TRUE(ColourNear(kBlue, CameraFrame(1).At(2, 2)));
    camera->renderIntoSurface = 0;
    camera->surface = nullptr;
}

TEST_F(RenderTest, StatisticsCountThePrimitivesAndDrawCallsOfTheLastRender)
{
    refhost::MeshDescription twoLimbs = Cube(kRed);
    twoLimbs.limbs = 2;
    ASSERT_TRUE(refhost::MakeObject(1, twoLimbs));                 // 2 draws of 12 triangles
    refhost::MeshDescription plane;
    plane.shape = refhost::Shape::Plane;
    plane.indexed = false;
    ASSERT_TRUE(refhost::MakeObject(2, plane));                    // 1 draw of 2 triangles
    ASSERT_TRUE(refhost::MakeObject(3, Cube(kBlue)));
    refhost::HideObject(3);                                        // hidden: not drawn
    refhost::FastSync();
    EXPECT_EQ(refhost::GetStatistic(1), 26);
    EXPECT_EQ(refhost::GetStatistic(5), 3);

    ASSERT_TRUE(refhost::MakeCamera(1, 32, 32));
    refhost::SetSyncMask(3);
    refhost::FastSync();
    EXPECT_EQ(refhost::GetStatistic(1), 52) << "both cameras of the render count";
    EXPECT_EQ(refhost::GetStatistic(5), 6);

    refhost::DeleteObject(1);
    refhost::SetSyncMask(1);
    refhost::FastSync();
    EXPECT_EQ(refhost::GetStatistic(1), 2);
    EXPECT_EQ(refhost::GetStatistic(5), 1);
    EXPECT_EQ(refhost::GetStatistic(2), 0);
}

TEST_F(RenderTest, DisablingDepthClearsTheFlagsOfEveryLimbAndIsLoggedInOrder)
{
    ASSERT_TRUE(refhost::MakeObject(1, Cube(kRed)));                // near and small
    refhost::SetObjectPosition(1, 0, 0, 5);
    refhost::MeshDescription distant = Cube(kGreen, 8.0f);
    distant.limbs = 2;
    ASSERT_TRUE(refhost::MakeObject(2, distant));                       // far, big, drawn later
    refhost::SetObjectPosition(2, 0, 0, 20);
    refhost::FastSync();
    EXPECT_TRUE(ColourNear(kRed, CameraFrame(0).At(kSize / 2, kSize / 2)));

    refhost::ClearHostCallLog();
    refhost::DisableZRead(2);
    for (int limb = 0; limb < 2; ++limb) {
        EXPECT_EQ(refhost::GetLimbMesh(2, limb)->depthRead, 0);
        EXPECT_EQ(refhost::GetLimbMesh(2, limb)->depthWrite, 1);
    }
    refhost::FastSync();
    EXPECT_TRUE(ColourNear(kGreen, CameraFrame(0).At(kSize / 2, kSize / 2)))
        << "without the depth test the far object is drawn over the near one";

    refhost::DisableZWrite(1);
    EXPECT_EQ(refhost::GetLimbMesh(1, 0)->depthRead, 1);
    EXPECT_EQ(refhost::GetLimbMesh(1, 0)->depthWrite, 0);
    refhost::DisableZDepth(1);
    EXPECT_EQ(refhost::GetLimbMesh(1, 0)->depthRead, 0);
    EXPECT_EQ(refhost::GetLimbMesh(1, 0)->depthWrite, 0);
    EXPECT_EQ(refhost::HostCallLog(),
              (std::vector<std::string>{"DisableZRead(2)", "FastSync()", "DisableZWrite(1)", "DisableZDepth(1)"}));
}

TEST_F(RenderTest, TextureStagesShowTheirImageOnEveryLimbOrOne)
{
    ASSERT_NE(refhost::MakeImage(5, 8, 8, kGreen), nullptr);
    ASSERT_NE(refhost::MakeImage(6, 8, 8, kBlue), nullptr);
    refhost::MeshDescription meshDescription;
    meshDescription.shape = refhost::Shape::Plane;
    meshDescription.size = 2.0f;
    meshDescription.limbs = 2;
    meshDescription.limbSpacing = 3.0f;
    meshDescription.texCoordSets = 1;
    meshDescription.textureStages = 1;
    ASSERT_TRUE(refhost::MakeObject(1, meshDescription));
    refhost::SetObjectPosition(1, -1.5f, 0, 5);
    refhost::FastSync();
    const int left = kSize / 2 - 40, right = kSize / 2 + 40, middle = kSize / 2;
    CameraFrame frame(0);
    EXPECT_TRUE(ColourNear(0xFFFFFFFF, frame.At(left, middle)));
    EXPECT_TRUE(ColourNear(0xFFFFFFFF, frame.At(right, middle)));

    refhost::SetTextureStage(1, 0, 5);
    for (int limb = 0; limb < 2; ++limb) {
        EXPECT_EQ(refhost::GetLimbMesh(1, limb)->textureStages[0].image, 5);
        EXPECT_EQ(refhost::GetLimbMesh(1, limb)->textureStages[0].texture, refhost::GetImagePointer(5));
    }
    refhost::FastSync();
    frame = CameraFrame(0);
    EXPECT_TRUE(ColourNear(kGreen, frame.At(left, middle)));
    EXPECT_TRUE(ColourNear(kGreen, frame.At(right, middle)));

    refhost::TextureLimbStage(1, 1, 0, 6);
    EXPECT_EQ(refhost::GetLimbMesh(1, 0)->textureStages[0].image, 5);
    EXPECT_EQ(refhost::GetLimbMesh(1, 1)->textureStages[0].image, 6);
    refhost::FastSync();
    frame = CameraFrame(0);
    EXPECT_TRUE(ColourNear(kGreen, frame.At(left, middle)));
    EXPECT_TRUE(ColourNear(kBlue, frame.At(right, middle)));

    refhost::TextureLimbStage(1, 0, 0, 0);
    EXPECT_EQ(refhost::GetLimbMesh(1, 0)->textureStages[0].image, 0);
    EXPECT_EQ(refhost::GetLimbMesh(1, 0)->textureStages[0].texture, nullptr);
    refhost::FastSync();
    EXPECT_TRUE(ColourNear(0xFFFFFFFF, CameraFrame(0).At(left, middle)));

    // A stage past the mesh's entries gets entries up to it.
    refhost::SetTextureStage(1, 2, 6);
    EXPECT_EQ(refhost::GetLimbMesh(1, 0)->textureStageCount, 3);
    EXPECT_EQ(refhost::GetLimbMesh(1, 0)->textureStages[2].image, 6);
    EXPECT_EQ(refhost::GetLimbMesh(1, 0)->textureStages[2].deviceStage, 2);
    EXPECT_EQ(refhost::GetLimbMesh(1, 0)->textureStages[1].image, 0);

    // Deleting an image takes it off every stage that showed it.
    refhost::DeleteImage(6);
    EXPECT_EQ(refhost::GetLimbMesh(1, 1)->textureStages[0].texture, nullptr);
    EXPECT_EQ(refhost::GetLimbMesh(1, 1)->textureStages[0].image, 0);
}

TEST_F(RenderTest, ColourComesFromTheMaterialWhenTheMeshUsesIt)
{
    refhost::MeshDescription meshDescription = Cube(kRed);
    ASSERT_TRUE(refhost::MakeObject(1, meshDescription));
    refhost::SetObjectPosition(1, 0, 0, 10);
    HostMesh* mesh = refhost::GetLimbMesh(1, 0);
    mesh->usesMaterial = 1;
    mesh->material.Diffuse = {0.0f, 0.0f, 1.0f, 1.0f};
    refhost::FastSync();
    EXPECT_TRUE(ColourNear(kBlue, CameraFrame(0).At(kSize / 2, kSize / 2)));
    mesh->usesMaterial = 0;
    refhost::FastSync();
    EXPECT_TRUE(ColourNear(kRed, CameraFrame(0).At(kSize / 2, kSize / 2)));
}

} // namespace
