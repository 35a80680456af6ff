// Instance sets drawn by the reference host's own renderer through the built Ryxo.dll: FastSync
// calls GeoInst_Sync for each camera, and the camera's target is read back. Every instance must
// land where its position, rotation and scale put it, in its own colour, and nothing else may.
#include <cmath>
#include <cstdio>
#include <string>

#include "effect_library.h"
#include "misaligned_call.h"
#include "plugin_fixture.h"
#include "ref_host.h"

namespace {

constexpr int kSize = 256;
constexpr D3DCOLOR kBackdrop = 0xFF404040;
constexpr int kObject = 1;
constexpr int kEffect = 1;

std::string Hex(D3DCOLOR colour)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(colour));
    return text;
}

::testing::AssertionResult ColourNear(D3DCOLOR expected, D3DCOLOR actual, int tolerance = 3)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int e = (expected >> shift) & 0xFF, a = (actual >> shift) & 0xFF;
        if (std::abs(e - a) > tolerance)
            return ::testing::AssertionFailure() << "expected " << Hex(expected) << ", saw " << Hex(actual);
    }
    return ::testing::AssertionSuccess();
}

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
            Call("GeoInst_Delete", set);
        refhost::ResetScene();
        RyxoDllTest::TearDown();
    }

    // Host effect `effect` and host object `object`: a cube of edge 2 (or `meshDescription`) showing it. The
    // object itself is hidden, so only the instance sets drawn from its mesh show.
    ID3DXEffect* MakeEffectObject(int object, int effect, const refhost::InstancingEffectOptions& options,
                                  refhost::MeshDescription meshDescription = {})
    {
        std::string error;
        ID3DXEffect* fx = refhost::CreateRuntimeEffect(refhost::RealDevice(),
                                                    refhost::InstancingEffectDescription(options), &error);
        EXPECT_NE(fx, nullptr) << error;
        if (!fx)
            return nullptr;
        refhost::AddEffect(effect, fx);
        fx->Release();
        meshDescription.size = 2.0f;
        EXPECT_TRUE(refhost::MakeObject(object, meshDescription));
        refhost::SetObjectEffect(object, effect);
        refhost::HideObject(object);
        return fx;
    }

    // A set of `count` instances on limb 0 of `object`, with a four-float colour per instance
    // when `coloured`; nothing uploaded yet.
    int MakeSet(int object, int count, bool coloured)
    {
        const int set = Call("GeoInst_MakeNew");
        sets_.push_back(set);
        if (coloured) {
            Call("GeoInst_DeclareCustomElements", set, 1);
            Call("GeoInst_AddCustomElement", set, 4);
            Call("GeoInst_FinishCustomElements", set);
        }
        Call("GeoInst_SetMesh", set, object, 0);
        Call("GeoInst_SetMaxInstanceCount", set, count);
        Call("GeoInst_SetInstanceCount", set, count);
        return set;
    }

    void Place(int set, int n, float x, float y, float z, float scalePercent = 100.0f)
    {
        Call("GeoInst_SetPosition", set, n, x, y, z);
        Call("GeoInst_SetScaleUniform", set, n, scalePercent);
        Call("GeoInst_UpdateInstance", set, n);
    }

    D3DCOLOR At(int camera, Pixel p) { return refhost::ReadCameraPixel(camera, p.x, p.y); }

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
        Call("GeoInst_SetPosition", set, n, x, y, kDepth);
        Call("GeoInst_SetRotation", set, n, 10.0f * (n % 4), 15.0f * (n % 3), 20.0f * (n % 5));
        Call("GeoInst_SetScaleUniform", set, n, 60.0f + 5.0f * (n % 6));
        Call("GeoInst_UpdateInstance", set, n);
        Call("GeoInst_SetCustomData4", set, n, 1, r, g, b, 1.0f);
        instances.push_back({x, y, Colour(r, g, b)});
    }
    Call("GeoInst_SetExcluded", set, 8, 1);
    Call("GeoInst_Update", set);
    ASSERT_EQ(Call("GeoInst_GetDrawCount", set), kCount - 1);

    refhost::FastSync();
    for (int n = 1; n <= kCount; ++n) {
        const Instance& i = instances[n - 1];
        const Pixel centre = Project(i.x, i.y, kDepth - 0.6f);
        const D3DCOLOR expected = n == 8 ? kBackdrop : i.colour;
        EXPECT_TRUE(ColourNear(expected, At(0, centre))) << "instance " << n << " at pixel " << centre.x << ", "
                                                         << centre.y << (n == 8 ? " (excluded)" : "");
        // Half way to the next column there is nothing.
        const Pixel gap = Project(i.x + kSpacing / 2, i.y + kSpacing / 2, kDepth);
        EXPECT_TRUE(ColourNear(kBackdrop, At(0, gap))) << "gap beside instance " << n;
    }
    EXPECT_EQ(refhost::GetStatistic(5), 0) << "the host drew none of its own objects";

    // Included again and uploaded, the instance shows.
    Call("GeoInst_SetExcluded", set, 8, 0);
    Call("GeoInst_Update", set);
    refhost::FastSync();
    const Pixel eighth = Project(instances[7].x, instances[7].y, kDepth - 0.6f);
    EXPECT_TRUE(ColourNear(instances[7].colour, At(0, eighth)));
}

TEST_F(InstancingPixelsTest, RotationAndScaleShapeEachInstance)
{
    refhost::InstancingEffectOptions options;
    options.instanceColor = true;
    MakeEffectObject(kObject, kEffect, options);
    const int set = MakeSet(kObject, 2, true);

    // Instance 1: a bar 6 long and 1 high, turned 45 degrees about Z (counter-clockwise as seen
    // from the camera), at the centre; its front face is at depth 19.
    Call("GeoInst_SetPosition", set, 1, 0.0f, 0.0f, 20.0f);
    Call("GeoInst_SetRotation", set, 1, 0.0f, 0.0f, 45.0f);
    Call("GeoInst_SetScale", set, 1, 300.0f, 50.0f, 100.0f);
    Call("GeoInst_UpdateInstance", set, 1);
    Call("GeoInst_SetCustomData4", set, 1, 1, 1.0f, 0.0f, 0.0f, 1.0f);
    // Instance 2: a cube of edge 1 (scale 50%) far to the left, turned about Y.
    Call("GeoInst_SetPosition", set, 2, -6.0f, 0.0f, 20.0f);
    Call("GeoInst_SetRotation", set, 2, 0.0f, 30.0f, 0.0f);
    Call("GeoInst_SetScaleUniform", set, 2, 50.0f);
    Call("GeoInst_UpdateInstance", set, 2);
    Call("GeoInst_SetCustomData4", set, 2, 1, 0.0f, 1.0f, 0.0f, 1.0f);
    Call("GeoInst_Update", set);
    refhost::FastSync();

    const float d = 2.5f / std::sqrt(2.0f);
    EXPECT_TRUE(ColourNear(0xFFFF0000, At(0, Project(d, d, 19.0f)))) << "up and right along the bar";
    EXPECT_TRUE(ColourNear(0xFFFF0000, At(0, Project(-d, -d, 19.0f)))) << "down and left along the bar";
    EXPECT_TRUE(ColourNear(kBackdrop, At(0, Project(d, -d, 19.0f)))) << "across the bar";
    EXPECT_TRUE(ColourNear(kBackdrop, At(0, Project(2.5f, 0.0f, 19.0f)))) << "unturned, the bar would be here";

    EXPECT_TRUE(ColourNear(0xFF00FF00, At(0, Project(-6.0f, 0.0f, 19.5f))));
    EXPECT_TRUE(ColourNear(0xFF00FF00, At(0, Project(-6.0f, 0.4f, 19.5f))));
    EXPECT_TRUE(ColourNear(kBackdrop, At(0, Project(-6.0f, 0.7f, 19.5f)))) << "scale 50% makes the edge 1";
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
    Call("GeoInst_Update", everywhere);
    const int cameraZeroOnly = MakeSet(kObject, 1, false);
    Place(cameraZeroOnly, 1, 0.0f, 0.0f, 20.0f);
    Call("GeoInst_Update", cameraZeroOnly);
    Call("GeoInst_SetCameraMask", cameraZeroOnly, 1);
    const int hidden = MakeSet(kObject, 1, false);
    Place(hidden, 1, 3.0f, 0.0f, 20.0f);
    Call("GeoInst_Update", hidden);
    Call("GeoInst_SetHidden", hidden, 1);

    refhost::SetSyncMask(0x3);
    refhost::FastSync();
    const Pixel left = Project(-3.0f, 0.0f, 19.0f), middle = Project(0.0f, 0.0f, 19.0f), right = Project(3.0f, 0.0f, 19.0f);
    EXPECT_TRUE(ColourNear(0xFFFFFF00, At(0, left)));
    EXPECT_TRUE(ColourNear(0xFFFFFF00, At(1, left)));
    EXPECT_TRUE(ColourNear(0xFFFFFF00, At(0, middle))) << "mask 1 draws in camera 0";
    EXPECT_TRUE(ColourNear(kBackdrop, At(1, middle))) << "mask 1 does not draw in camera 1";
    EXPECT_TRUE(ColourNear(kBackdrop, At(0, right))) << "hidden";
    EXPECT_TRUE(ColourNear(kBackdrop, At(1, right))) << "hidden";

    Call("GeoInst_SetHidden", hidden, 0);
    Call("GeoInst_SetCameraMask", cameraZeroOnly, 2);
    refhost::FastSync();
    EXPECT_TRUE(ColourNear(0xFFFFFF00, At(0, right)));
    EXPECT_TRUE(ColourNear(kBackdrop, At(0, middle)));
    EXPECT_TRUE(ColourNear(0xFFFFFF00, At(1, middle)));
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
    Call("GeoInst_Update", set);
    refhost::FastSync();
    for (int n = 1; n <= 3; ++n)
        EXPECT_TRUE(ColourNear(0xFF00FFFF, At(0, Project(-4.0f + 4.0f * (n - 1), 2.0f, 19.0f)))) << "instance " << n;
    EXPECT_TRUE(ColourNear(kBackdrop, At(0, Project(-2.0f, 2.0f, 19.0f))));
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
    Call("GeoInst_Update", set);
    refhost::FastSync();
    // The second pass adds blue onto the first pass's red.
    EXPECT_TRUE(ColourNear(0xFFFF00FF, At(0, Project(-2.0f, 0.0f, 19.0f))));
    EXPECT_TRUE(ColourNear(0xFFFF00FF, At(0, Project(2.0f, 0.0f, 19.0f))));
    EXPECT_TRUE(ColourNear(kBackdrop, At(0, Project(0.0f, 0.0f, 19.0f))));
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
    Call("GeoInst_Update", set);
    const Pixel left = Project(-3.0f, 0.0f, 19.0f), right = Project(3.0f, 0.0f, 19.0f);
    refhost::FastSync();
    ASSERT_TRUE(ColourNear(0xFFFFFF00, At(0, left)));

    // The host frees the object, its meshes and draw buffers; the set still names them. Frames go
    // on without a crash or a message, and without the set.
    refhost::DeleteObject(kObject);
    for (int frame = 0; frame < 3; ++frame) {
        refhost::FastSync();
        EXPECT_TRUE(ColourNear(kBackdrop, At(0, left))) << "frame " << frame;
        EXPECT_TRUE(ColourNear(kBackdrop, At(0, right))) << "frame " << frame;
    }
    EXPECT_EQ(Call("GeoInst_GetDrawPrimitives", set), 0) << "no mesh, no primitives";
    EXPECT_EQ(Call("GeoInst_GetDrawCount", set), 2) << "the uploaded instances are kept";
    EXPECT_TRUE(messages_.Take().empty());

    // Linked to another object with the same effect, the same instances draw again.
    ASSERT_TRUE(refhost::MakeObject(kObject + 1, refhost::MeshDescription{.size = 2.0f}));
    refhost::SetObjectEffect(kObject + 1, kEffect);
    refhost::HideObject(kObject + 1);
    Call("GeoInst_SetMesh", set, kObject + 1, 0);
    refhost::FastSync();
    EXPECT_TRUE(ColourNear(0xFFFFFF00, At(0, left)));
    EXPECT_TRUE(ColourNear(0xFFFFFF00, At(0, right)));
    EXPECT_EQ(Call("GeoInst_GetDrawPrimitives", set), 2 * 12);
    EXPECT_TRUE(messages_.Take().empty());
}

TEST_F(InstancingPixelsTest, RenderCallbackDrawsFromAStackAlignedToFourBytesOnly)
{
    refhost::InstancingEffectOptions options;
    options.instanceColor = true;
    MakeEffectObject(kObject, kEffect, options);
    const int set = MakeSet(kObject, 2, true);
    for (int n = 1; n <= 2; ++n) {
        Call("GeoInst_SetPosition", set, n, n == 1 ? -2.0f : 2.0f, 0.0f, 20.0f);
        Call("GeoInst_SetRotation", set, n, 5.0f, 10.0f, 15.0f);
        Call("GeoInst_SetScaleUniform", set, n, 100.0f);
        Call("GeoInst_UpdateInstance", set, n);
        Call("GeoInst_SetCustomData4", set, n, 1, 0.0f, n == 1 ? 1.0f : 0.5f, 1.0f, 1.0f);
    }
    Call("GeoInst_Update", set);

    // The host calls the callback itself: put a caller with a misaligned stack in its place.
    g_syncExport = reinterpret_cast<const void*>(Export("GeoInst_Sync"));
    ASSERT_NE(g_syncExport, nullptr);
    refhost::RemoveFromRenderList(const_cast<void*>(g_syncExport));
    refhost::AddToRenderList(reinterpret_cast<void*>(&SyncOnMisalignedStack), 7500);
    refhost::FastSync();
    EXPECT_TRUE(ColourNear(0xFF00FFFF, At(0, Project(-2.0f, 0.0f, 18.9f))));
    EXPECT_TRUE(ColourNear(Colour(0.0f, 0.5f, 1.0f), At(0, Project(2.0f, 0.0f, 18.9f))));
}

} // namespace
