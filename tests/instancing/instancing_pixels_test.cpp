// Instance sets drawn by the reference host's own renderer through the built Ryxo.dll: FastSync
// calls GeoInst_Sync for each camera, and the camera's target is read back. Every instance must
// land where its position, rotation and scale put it, in its own colour, and nothing else may.
#include <cmath>
#include <string>

#include "effect_creation.h"
#include "effect_library.h"
#include "misaligned_call.h"
#include "pixel_checks.h"
#include "plugin_fixture.h"
#include "ref_host.h"
#include "scoped_recording_device.h"

namespace {

constexpr int kSize = 256;
constexpr D3DCOLOR kBackdrop = 0xFF404040;
constexpr int kObject = 1;
constexpr int kEffect = 1;

// Where a world point lands in a 256 x 256 camera at the origin looking along +Z with a 60 degree
// lens: x right, y down.
struct Pixel {
    int x, y;
};
Pixel Project(float x, float y, float z)
{
    const float scale = (kSize / 2) / (z * std::tan(30.0f * 3.14159265f / 180.0f));
    return {static_cast<int>(std::lround(kSize / 2 + x * scale)), static_cast<int>(std::lround(kSize / 2 - y * scale))};
}

D3DCOLOR Colour(float r, float g, float b)
{
    return D3DCOLOR_XRGB(static_cast<int>(r * 255 + 0.5f), static_cast<int>(g * 255 + 0.5f),
                         static_cast<int>(b * 255 + 0.5f));
}

// The plugin's render callback, called by the host with a stack only 4-byte aligned.
const void* g_syncExport = nullptr;
int __cdecl SyncOnMisalignedStack()
{
    return static_cast<int>(CallWithMisalignedStack(g_syncExport, nullptr, 0));
}

class InstancingPixelsTest : public RyxoDllTest {
protected:
    void SetUp() override
    {
        RyxoDllTest::SetUp();
        refhost::ResetScene();
        refhost::SetCameraBackdrop(0, kBackdrop);
    }
    void TearDown() override
    {
        for (int set : sets_)
            CALL(GeoInst_Delete, set);
        refhost::ResetScene();
        RyxoDllTest::TearDown();
    }

    // Host effect `effect` and host object `object`: a cube of edge 2 (or `meshDescription`) showing it. The
    // object itself is hidden, so only the instance sets drawn from its mesh show.
    ID3DXEffect* MakeEffectObject(int object, int effect, const refhost::InstancingEffectOptions& options,
                                  refhost::MeshDescription meshDescription = {})
    {
        std::string error;
        HostEffect* record = refhost::AddDescribedEffect(effect, refhost::InstancingEffectDescription(options), &error);
        EXPECT_NE(record, nullptr) << error;
        if (!record)
            return nullptr;
        meshDescription.size = 2.0f;
        EXPECT_TRUE(refhost::MakeObject(object, meshDescription));
        refhost::SetObjectEffect(object, effect);
        refhost::HideObject(object);
        return record->effect;
    }

    // A set of `count` instances on limb 0 of `object`, with a four-float colour per instance
    // when `coloured`; nothing uploaded yet.
    int MakeSet(int object, int count, bool coloured)
    {
        const int set = CALL(GeoInst_MakeNew);
        sets_.push_back(set);
        if (coloured) {
            CALL(GeoInst_DeclareCustomElements, set, 1);
            CALL(GeoInst_AddCustomElement, set, 4);
            CALL(GeoInst_FinishCustomElements, set);
        }
        CALL(GeoInst_SetMesh, set, object, 0);
        CALL(GeoInst_SetMaxInstanceCount, set, count);
        CALL(GeoInst_SetInstanceCount, set, count);
        return set;
    }

    void Place(int set, int n, float x, float y, float z, float scalePercent = 100.0f)
    {
        CALL(GeoInst_SetPosition, set, n, x, y, z);
        CALL(GeoInst_SetScaleUniform, set, n, scalePercent);
        CALL(GeoInst_UpdateInstance, set, n);
    }

    static D3DCOLOR At(const CameraFrame& frame, Pixel p) { return frame.At(p.x, p.y); }

    std::vector<int> sets_;
};

TEST_F(InstancingPixelsTest, ManyInstancesLandAtTheirPlacesInTheirColours)
{
    refhost::InstancingEffectOptions options;
    options.instanceColor = true;
    MakeEffectObject(kObject, kEffect, options);

    // A 6 x 4 grid at depth 30, each with its own colour, scale and turn; instance 8 excluded.
    constexpr int kColumns = 6, kRows = 4, kCount = kColumns * kRows;
    constexpr float kDepth = 30.0f, kSpacing = 4.0f;
    const int set = MakeSet(kObject, kCount, true);
    struct Instance {
        float x, y;
        D3DCOLOR colour;
    };
    std::vector<Instance> instances;
    for (int n = 1; n <= kCount; ++n) {
        const int column = (n - 1) % kColumns, row = (n - 1) / kColumns;
        const float x = (column - (kColumns - 1) / 2.0f) * kSpacing;
        const float y = ((kRows - 1) / 2.0f - row) * kSpacing;
        const float r = (column + 1) / float(kColumns), g = (row + 1) / float(kRows), b = (n % 3) / 2.0f;
        CALL(GeoInst_SetPosition, set, n, x, y, kDepth);
        CALL(GeoInst_SetRotation, set, n, 10.0f * (n % 4), 15.0f * (n % 3), 20.0f * (n % 5));
        CALL(GeoInst_SetScaleUniform, set, n, 60.0f + 5.0f * (n % 6));
        CALL(GeoInst_UpdateInstance, set, n);
        CALL(GeoInst_SetCustomData4, set, n, 1, r, g, b, 1.0f);
        instances.push_back({x, y, Colour(r, g, b)});
    }
    CALL(GeoInst_SetExcluded, set, 8, 1);
    CALL(GeoInst_Update, set);
    ASSERT_EQ(CALL(GeoInst_GetDrawCount, set), kCount - 1);

    refhost::FastSync();
    CameraFrame camera0(0);
    for (int n = 1; n <= kCount; ++n) {
        const Instance& i = instances[n - 1];
        const Pixel centre = Project(i.x, i.y, kDepth - 0.6f);
        const D3DCOLOR expected = n == 8 ? kBackdrop : i.colour;
        EXPECT_TRUE(ColourNear(expected, At(camera0, centre))) << "instance " << n << " at pixel " << centre.x << ", "
                                                         << centre.y << (n == 8 ? " (excluded)" : "");
        // Half way to the next column there is nothing.
        const Pixel gap = Project(i.x + kSpacing / 2, i.y + kSpacing / 2, kDepth);
        EXPECT_TRUE(ColourNear(kBackdrop, At(camera0, gap))) << "gap beside instance " << n;
    }
    EXPECT_EQ(refhost::GetStatistic(5), 0) << "the host drew none of its own objects";

    // Included again and uploaded, the instance shows.
    CALL(GeoInst_SetExcluded, set, 8, 0);
    CALL(GeoInst_Update, set);
    refhost::FastSync();
    camera0 = CameraFrame(0);
    const Pixel eighth = Project(instances[7].x, instances[7].y, kDepth - 0.6f);
    EXPECT_TRUE(ColourNear(instances[7].colour, At(camera0, eighth)));
}

TEST_F(InstancingPixelsTest, RotationAndScaleShapeEachInstance)
{
    refhost::InstancingEffectOptions options;
    options.instanceColor = true;
    MakeEffectObject(kObject, kEffect, options);
    const int set = MakeSet(kObject, 2, true);

    // Instance 1: a bar 6 long and 1 high, turned 45 degrees about Z (counter-clockwise as seen
    // from the camera), at the centre; its front face is at depth 19.
    CALL(GeoInst_SetPosition, set, 1, 0.0f, 0.0f, 20.0f);
    CALL(GeoInst_SetRotation, set, 1, 0.0f, 0.0f, 45.0f);
    CALL(GeoInst_SetScale, set, 1, 300.0f, 50.0f, 100.0f);
    CALL(GeoInst_UpdateInstance, set, 1);
    CALL(GeoInst_SetCustomData4, set, 1, 1, 1.0f, 0.0f, 0.0f, 1.0f);
    // Instance 2: a cube of edge 1 (scale 50%) far to the left, turned about Y.
    CALL(GeoInst_SetPosition, set, 2, -6.0f, 0.0f, 20.0f);
    CALL(GeoInst_SetRotation, set, 2, 0.0f, 30.0f, 0.0f);
    CALL(GeoInst_SetScaleUniform, set, 2, 50.0f);
    CALL(GeoInst_UpdateInstance, set, 2);
    CALL(GeoInst_SetCustomData4, set, 2, 1, 0.0f, 1.0f, 0.0f, 1.0f);
    CALL(GeoInst_Update, set);
    refhost::FastSync();
    CameraFrame camera0(0);

    const float d = 2.5f / std::sqrt(2.0f);
    EXPECT_TRUE(ColourNear(0xFFFF0000, At(camera0, Project(d, d, 19.0f)))) << "up and right along the bar";
    EXPECT_TRUE(ColourNear(0xFFFF0000, At(camera0, Project(-d, -d, 19.0f)))) << "down and left along the bar";
    EXPECT_TRUE(ColourNear(kBackdrop, At(camera0, Project(d, -d, 19.0f)))) << "across the bar";
    EXPECT_TRUE(ColourNear(kBackdrop, At(camera0, Project(2.5f, 0.0f, 19.0f)))) << "unturned, the bar would be here";

    EXPECT_TRUE(ColourNear(0xFF00FF00, At(camera0, Project(-6.0f, 0.0f, 19.5f))));
    EXPECT_TRUE(ColourNear(0xFF00FF00, At(camera0, Project(-6.0f, 0.4f, 19.5f))));
    EXPECT_TRUE(ColourNear(kBackdrop, At(camera0, Project(-6.0f, 0.7f, 19.5f)))) << "scale 50% makes the edge 1";
}

TEST_F(InstancingPixelsTest, HiddenSetsAndCameraMasksDecideWhereSetsAppear)
{
    ASSERT_TRUE(refhost::MakeCamera(1, kSize, kSize));
    refhost::SetCameraBackdrop(1, kBackdrop);
    refhost::InstancingEffectOptions plain;
    ID3DXEffect* fx = MakeEffectObject(kObject, kEffect, plain);
    const D3DXVECTOR4 yellow(1, 1, 0, 1);
    fx->SetVector("Color", &yellow);

    const int everywhere = MakeSet(kObject, 1, false);
    Place(everywhere, 1, -3.0f, 0.0f, 20.0f);
    CALL(GeoInst_Update, everywhere);
    const int cameraZeroOnly = MakeSet(kObject, 1, false);
    Place(cameraZeroOnly, 1, 0.0f, 0.0f, 20.0f);
    CALL(GeoInst_Update, cameraZeroOnly);
    CALL(GeoInst_SetCameraMask, cameraZeroOnly, 1);
    const int hidden = MakeSet(kObject, 1, false);
    Place(hidden, 1, 3.0f, 0.0f, 20.0f);
    CALL(GeoInst_Update, hidden);
    CALL(GeoInst_SetHidden, hidden, 1);

    refhost::SetSyncMask(0x3);
    refhost::FastSync();
    CameraFrame camera0(0);
    CameraFrame camera1(1);
    const Pixel left = Project(-3.0f, 0.0f, 19.0f), middle = Project(0.0f, 0.0f, 19.0f), right = Project(3.0f, 0.0f, 19.0f);
    EXPECT_TRUE(ColourNear(0xFFFFFF00, At(camera0, left)));
    EXPECT_TRUE(ColourNear(0xFFFFFF00, At(camera1, left)));
    EXPECT_TRUE(ColourNear(0xFFFFFF00, At(camera0, middle))) << "mask 1 draws in camera 0";
    EXPECT_TRUE(ColourNear(kBackdrop, At(camera1, middle))) << "mask 1 does not draw in camera 1";
    EXPECT_TRUE(ColourNear(kBackdrop, At(camera0, right))) << "hidden";
    EXPECT_TRUE(ColourNear(kBackdrop, At(camera1, right))) << "hidden";

    CALL(GeoInst_SetHidden, hidden, 0);
    CALL(GeoInst_SetCameraMask, cameraZeroOnly, 2);
    refhost::FastSync();
    camera0 = CameraFrame(0);
    camera1 = CameraFrame(1);
    EXPECT_TRUE(ColourNear(0xFFFFFF00, At(camera0, right)));
    EXPECT_TRUE(ColourNear(kBackdrop, At(camera0, middle)));
    EXPECT_TRUE(ColourNear(0xFFFFFF00, At(camera1, middle)));
}

TEST_F(InstancingPixelsTest, MeshWithoutIndicesDrawsThroughTheSequentialIndexBuffer)
{
    refhost::MeshDescription meshDescription;
    meshDescription.indexed = false;
    refhost::InstancingEffectOptions plain;
    ID3DXEffect* fx = MakeEffectObject(kObject, kEffect, plain, meshDescription);
    ASSERT_EQ(refhost::GetLimbMesh(kObject, 0)->drawBuffer->indexBuffer, nullptr);
    const D3DXVECTOR4 cyan(0, 1, 1, 1);
    fx->SetVector("Color", &cyan);

    const int set = MakeSet(kObject, 3, false);
    for (int n = 1; n <= 3; ++n)
        Place(set, n, -4.0f + 4.0f * (n - 1), 2.0f, 20.0f);
    CALL(GeoInst_Update, set);
    refhost::FastSync();
    CameraFrame camera0(0);
    for (int n = 1; n <= 3; ++n)
        EXPECT_TRUE(ColourNear(0xFF00FFFF, At(camera0, Project(-4.0f + 4.0f * (n - 1), 2.0f, 19.0f)))) << "instance " << n;
    EXPECT_TRUE(ColourNear(kBackdrop, At(camera0, Project(-2.0f, 2.0f, 19.0f))));
}

TEST_F(InstancingPixelsTest, TwoPassEffectDrawsEveryInstanceTwice)
{
    refhost::InstancingEffectOptions twoPasses;
    twoPasses.passes = 2;
    ID3DXEffect* fx = MakeEffectObject(kObject, kEffect, twoPasses);
    const D3DXVECTOR4 red(1, 0, 0, 1), blue(0, 0, 1, 0);
    fx->SetVector("Color", &red);
    fx->SetVector("SecondPassColor", &blue);

    const int set = MakeSet(kObject, 2, false);
    Place(set, 1, -2.0f, 0.0f, 20.0f);
    Place(set, 2, 2.0f, 0.0f, 20.0f);
    CALL(GeoInst_Update, set);
    refhost::FastSync();
    CameraFrame camera0(0);
    // The second pass adds blue onto the first pass's red.
    EXPECT_TRUE(ColourNear(0xFFFF00FF, At(camera0, Project(-2.0f, 0.0f, 19.0f))));
    EXPECT_TRUE(ColourNear(0xFFFF00FF, At(camera0, Project(2.0f, 0.0f, 19.0f))));
    EXPECT_TRUE(ColourNear(kBackdrop, At(camera0, Project(0.0f, 0.0f, 19.0f))));
}

TEST_F(InstancingPixelsTest, SetWhoseObjectTheHostDeletedIsSkippedUntilANewObjectIsLinked)
{
    refhost::InstancingEffectOptions plain;
    ID3DXEffect* fx = MakeEffectObject(kObject, kEffect, plain);
    const D3DXVECTOR4 yellow(1, 1, 0, 1);
    fx->SetVector("Color", &yellow);
    const int set = MakeSet(kObject, 2, false);
    Place(set, 1, -3.0f, 0.0f, 20.0f);
    Place(set, 2, 3.0f, 0.0f, 20.0f);
    CALL(GeoInst_Update, set);
    const Pixel left = Project(-3.0f, 0.0f, 19.0f), right = Project(3.0f, 0.0f, 19.0f);
    refhost::FastSync();
    ASSERT_TRUE(ColourNear(0xFFFFFF00, At(CameraFrame(0), left)));

    // The host frees the object, its meshes and draw buffers; the set still names them. Frames go
    // on without a crash or a message, and without the set.
    refhost::DeleteObject(kObject);
    for (int frame = 0; frame < 3; ++frame) {
        refhost::FastSync();
        const CameraFrame camera0(0);
        EXPECT_TRUE(ColourNear(kBackdrop, At(camera0, left))) << "frame " << frame;
        EXPECT_TRUE(ColourNear(kBackdrop, At(camera0, right))) << "frame " << frame;
    }
    EXPECT_EQ(CALL(GeoInst_GetDrawPrimitives, set), 0) << "no mesh, no primitives";
    EXPECT_EQ(CALL(GeoInst_GetDrawCount, set), 2) << "the uploaded instances are kept";
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());

    // Linked to another object with the same effect, the same instances draw again.
    ASSERT_TRUE(refhost::MakeObject(kObject + 1, refhost::MeshDescription{.size = 2.0f}));
    refhost::SetObjectEffect(kObject + 1, kEffect);
    refhost::HideObject(kObject + 1);
    CALL(GeoInst_SetMesh, set, kObject + 1, 0);
    refhost::FastSync();
    const CameraFrame camera0(0);
    EXPECT_TRUE(ColourNear(0xFFFFFF00, At(camera0, left)));
    EXPECT_TRUE(ColourNear(0xFFFFFF00, At(camera0, right)));
    EXPECT_EQ(CALL(GeoInst_GetDrawPrimitives, set), 2 * 12);
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(InstancingPixelsTest, AMillionInstancesInOneSetDrawWithOneCallAndEveryQuarterShows)
{
    // A 1000 x 1000 field of small squares at depth 100, each a little wider than the spacing so the
    // field is closed; about a fifth of a pixel each. The four quarters have four colours, so every
    // range of instance numbers, up to the millionth, must have been uploaded and drawn.
    refhost::InstancingEffectOptions options;
    options.instanceColor = true;
    refhost::MeshDescription square;
    square.shape = refhost::Shape::Plane;
    MakeEffectObject(kObject, kEffect, options, square);
    constexpr int kSide = 1000, kCount = kSide * kSide;
    constexpr float kDepth = 100.0f, kWidth = 80.0f, kSpacing = kWidth / kSide;
    const int set = MakeSet(kObject, kCount, true);
    ASSERT_EQ(CALL(GeoInst_GetMaxInstanceCount, set), kCount);

    using PositionFn = int(__cdecl*)(int, int, float, float, float);
    auto setPosition = reinterpret_cast<PositionFn>(reinterpret_cast<void*>(Export("GeoInst_SetPosition")));
    auto setScale = reinterpret_cast<int(__cdecl*)(int, int, float)>(reinterpret_cast<void*>(Export("GeoInst_SetScaleUniform")));
    auto updateInstance = reinterpret_cast<int(__cdecl*)(int, int)>(reinterpret_cast<void*>(Export("GeoInst_UpdateInstance")));
    using ColourFn = int(__cdecl*)(int, int, int, float, float, float, float);
    auto setColour = reinterpret_cast<ColourFn>(reinterpret_cast<void*>(Export("GeoInst_SetCustomData4")));
    ASSERT_TRUE(setPosition && setScale && updateInstance && setColour);
    const float quarterColours[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}};
    for (int n = 1; n <= kCount; ++n) {
        const int column = (n - 1) % kSide, row = (n - 1) / kSide;
        setPosition(set, n, (column - (kSide - 1) / 2.0f) * kSpacing, ((kSide - 1) / 2.0f - row) * kSpacing, kDepth);
        setScale(set, n, 100.0f * 1.25f * kSpacing / 2.0f); // the plane's side is 2
        updateInstance(set, n);
        const float* c = quarterColours[(row >= kSide / 2) * 2 + (column >= kSide / 2)];
        setColour(set, n, 1, c[0], c[1], c[2], 1.0f);
    }
    CALL(GeoInst_Update, set);
    ASSERT_EQ(CALL(GeoInst_GetDrawCount, set), kCount);
    EXPECT_EQ(CALL(GeoInst_GetDrawPrimitives, set), 2 * kCount);
    // The instance data is one block at the layout's stride: the rows and one colour, 80 bytes.
    EXPECT_EQ(static_cast<uint32_t>(CALL(GeoInst_GetWorldMatrixPtr, set, kCount)) -
                  static_cast<uint32_t>(CALL(GeoInst_GetWorldMatrixPtr, set, 1)),
              (kCount - 1) * 80u);

    ScopedRecordingDevice recorder;
    refhost::FastSync();
    const std::vector<DeviceCall> draws = recorder->Filter(DeviceMethod::DrawIndexedPrimitive);
    ASSERT_EQ(draws.size(), 1u) << "one draw call for the whole set";
    EXPECT_EQ(draws[0].Arg(5), 2u) << "the square's two triangles, repeated by the stream frequency";
    bool instanceStreamSeen = false;
    for (const DeviceCall& c : recorder->Filter(DeviceMethod::SetStreamSource)) {
        if (c.Arg(0) != 1 || c.Arg(1) == 0)
            continue;
        instanceStreamSeen = true;
        D3DVERTEXBUFFER_DESC description{};
        reinterpret_cast<IDirect3DVertexBuffer9*>(static_cast<uintptr_t>(c.Arg(1)))->GetDesc(&description);
        EXPECT_EQ(description.Size, kCount * 80u) << "the instance buffer holds exactly the drawn instances";
    }
    EXPECT_TRUE(instanceStreamSeen);
    EXPECT_EQ(recorder->Filter(DeviceMethod::SetStreamSourceFreq)[0].Arg(1), 0x40000000u | kCount);

    const CameraFrame camera0(0);
    const float quarter = kWidth / 4;
    EXPECT_TRUE(ColourNear(0xFFFF0000, At(camera0, Project(-quarter, quarter, kDepth)))) << "top left";
    EXPECT_TRUE(ColourNear(0xFF00FF00, At(camera0, Project(quarter, quarter, kDepth)))) << "top right";
    EXPECT_TRUE(ColourNear(0xFF0000FF, At(camera0, Project(-quarter, -quarter, kDepth)))) << "bottom left";
    EXPECT_TRUE(ColourNear(0xFFFFFFFF, At(camera0, Project(quarter, -quarter, kDepth)))) << "bottom right, up to the millionth";
    EXPECT_TRUE(ColourNear(kBackdrop, At(camera0, Project(kWidth / 2 + 3, 0, kDepth)))) << "beside the field";
    EXPECT_TRUE(ColourNear(kBackdrop, At(camera0, Project(0, kWidth / 2 + 3, kDepth)))) << "above the field";
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(InstancingPixelsTest, RenderCallbackDrawsFromAStackAlignedToFourBytesOnly)
{
    refhost::InstancingEffectOptions options;
    options.instanceColor = true;
    MakeEffectObject(kObject, kEffect, options);
    const int set = MakeSet(kObject, 2, true);
    for (int n = 1; n <= 2; ++n) {
        CALL(GeoInst_SetPosition, set, n, n == 1 ? -2.0f : 2.0f, 0.0f, 20.0f);
        CALL(GeoInst_SetRotation, set, n, 5.0f, 10.0f, 15.0f);
        CALL(GeoInst_SetScaleUniform, set, n, 100.0f);
        CALL(GeoInst_UpdateInstance, set, n);
        CALL(GeoInst_SetCustomData4, set, n, 1, 0.0f, n == 1 ? 1.0f : 0.5f, 1.0f, 1.0f);
    }
    CALL(GeoInst_Update, set);

    // The host calls the callback itself: put a caller with a misaligned stack in its place.
    g_syncExport = reinterpret_cast<const void*>(Export("GeoInst_Sync"));
    ASSERT_NE(g_syncExport, nullptr);
    refhost::RemoveFromRenderList(const_cast<void*>(g_syncExport));
    refhost::AddToRenderList(reinterpret_cast<void*>(&SyncOnMisalignedStack), 7500);
    refhost::FastSync();
    CameraFrame camera0(0);
    EXPECT_TRUE(ColourNear(0xFF00FFFF, At(camera0, Project(-2.0f, 0.0f, 18.9f))));
    EXPECT_TRUE(ColourNear(Colour(0.0f, 0.5f, 1.0f), At(camera0, Project(2.0f, 0.0f, 18.9f))));
}

} // namespace
