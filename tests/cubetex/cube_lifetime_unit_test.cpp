// Cube textures applied to host objects, and what deletion and a lost device leave behind: entry
// values, host call order, reference counts, device bindings.
#include <string>
#include <vector>

#include "cube_fixture.h"
#include "effect_creation.h"
#include "effect_library.h"
#include "cubetex/cube_list.h"
#include "plugin_state.h"

extern "C" void __cdecl D3DDeviceLost();

namespace {

class CubeLifetimeTest : public CubeTest {
protected:
    // Object `object`: `limbs` limbs with two texture stages each, every entry showing `image`.
    void MakeObject(int object, int limbs, int image = 0)
    {
        refhost::MeshDescription description;
        description.limbs = limbs;
        description.textureStages = 2;
        description.image = image;
        ASSERT_TRUE(refhost::MakeObject(object, description));
    }
    static HostTextureStage& Entry(int object, int limb, int stage)
    {
        return refhost::GetLimbMesh(object, limb)->textureStages[stage];
    }
    int MakeCubeLarge() { return MakeCube(256); }
    static IDirect3DBaseTexture9* Texture(int handle) { return Cube(handle).texture.ptr(); }
};

// The cube entry values, with `texture` shown at `stage`.
void ExpectCubeEntry(const HostTextureStage& entry, int stage, IDirect3DBaseTexture9* texture, const char* what)
{
    EXPECT_EQ(entry.texture, texture) << what;
    EXPECT_EQ(entry.image, 0) << what;
    EXPECT_EQ(entry.secondTexture, nullptr) << what;
    EXPECT_EQ(entry.deviceStage, stage) << what;
    EXPECT_EQ(entry.colorOp, D3DTOP_MODULATE) << what;
    EXPECT_EQ(entry.colorArg1, static_cast<DWORD>(D3DTA_TEXTURE)) << what;
    EXPECT_EQ(entry.colorArg2, static_cast<DWORD>(D3DTA_CURRENT)) << what;
    EXPECT_EQ(entry.textureMode, 2) << what;
}

TEST_F(CubeLifetimeTest, ApplyingKeepsEveryReferenceCountBalanced)
{
    // Image numbers may be negative: -7 is an image like the others.
    IDirect3DTexture9* images[] = {refhost::MakeImage(5, 4, 4, 0xFFFF0000), refhost::MakeImage(6, 4, 4, 0xFF00FF00),
                                   refhost::MakeImage(-7, 4, 4, 0xFF0000FF)};
    const int a = MakeCube(), b = MakeCube();
    const ULONG imageRefs = ReferenceCount(images[0]), cubeRefs = ReferenceCount(Texture(a));

    // Whole object over a host image, then another cube over the first.
    MakeObject(1, 2, 5);
    CubeTex_ApplyObject(a, 1, 1);
    for (int limb = 0; limb < 2; ++limb)
        ExpectCubeEntry(Entry(1, limb, 1), 1, Texture(a), "object over an image");
    EXPECT_EQ(Entry(1, 0, 0).image, 5) << "other stages are left alone";
    CubeTex_ApplyObject(b, 1, 1);
    ExpectCubeEntry(Entry(1, 1, 1), 1, Texture(b), "object over a cube");

    // One limb of three showing images 5, 6, -7: the others get theirs back, in limb order.
    MakeObject(2, 3);
    for (int limb = 0; limb < 3; ++limb)
        refhost::TextureLimbStage(2, limb, 0, limb < 2 ? 5 + limb : -7);
    refhost::ClearHostCallLog();
    CubeTex_ApplyLimb(a, 2, 1, 0);
    EXPECT_EQ(refhost::HostCallLog(), (std::vector<std::string>{"TextureLimbStage(2, 1, 0, 0)",
                                                                "SetTextureStage(2, 0, 0)",
                                                                "TextureLimbStage(2, 0, 0, 5)",
                                                                "TextureLimbStage(2, 2, 0, -7)"}));
    EXPECT_EQ(Entry(2, 0, 0).image, 5);
    EXPECT_EQ(Entry(2, 0, 0).texture, images[0]);
    EXPECT_EQ(Entry(2, 2, 0).image, -7);
    ExpectCubeEntry(Entry(2, 1, 0), 0, Texture(a), "limb over an image");

    // A limb showing a cube keeps it when another limb gets another cube.
    CubeTex_ApplyLimb(b, 2, 2, 0);
    ExpectCubeEntry(Entry(2, 1, 0), 0, Texture(a), "the other limb's cube");
    ExpectCubeEntry(Entry(2, 2, 0), 0, Texture(b), "limb over an image, again");
    EXPECT_EQ(Entry(2, 0, 0).image, 5);

    EXPECT_EQ(ReferenceCount(images[0]), imageRefs);
    EXPECT_EQ(ReferenceCount(images[2]), imageRefs);
    EXPECT_EQ(ReferenceCount(Texture(a)), cubeRefs);
    EXPECT_EQ(ReferenceCount(Texture(b)), cubeRefs);
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(CubeLifetimeTest, DeletionLeavesNothingPointingAtTheTexture)
{
    const int doomed = MakeCube(), kept = MakeCube();
    MakeObject(1, 2);
    MakeObject(2, 1);
    CubeTex_ApplyObject(doomed, 1, 0);
    CubeTex_ApplyLimb(kept, 1, 1, 1);
    CubeTex_ApplyObject(doomed, 2, 0);
    refhost::DeleteObject(2); // the host no longer has it: skipped
    IDirect3DDevice9* device = refhost::RealDevice();
    device->SetTexture(3, Texture(doomed));
    device->SetTexture(4, Texture(kept));
    CubeTex_DrawToFace(doomed, 2);
    device->SetRenderTarget(1, Face(doomed, 3).ptr());

    const void* doomedTexture = Texture(doomed);
    CubeTex_Delete(doomed);
    // A texture made later at the same address is no cube's: the host's entries may own it.
    EXPECT_FALSE(IsLiveCubeTexture(doomedTexture));
    EXPECT_TRUE(IsLiveCubeTexture(Texture(kept)));
    Com<IDirect3DBaseTexture9> bound;
    device->GetTexture(3, bound.put());
    EXPECT_EQ(bound.ptr(), nullptr);
    device->GetTexture(4, bound.put());
    EXPECT_EQ(bound.ptr(), Texture(kept)) << "another cube's binding stays";
    Com<IDirect3DSurface9> target, backBuffer;
    device->GetRenderTarget(0, target.put());
    device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.put());
    EXPECT_EQ(target.ptr(), backBuffer.ptr()) << "the back buffer is render target 0 again";
    EXPECT_TRUE(FAILED(device->GetRenderTarget(1, target.put())) || !target) << "render target 1 is unbound";
    for (int limb = 0; limb < 2; ++limb) {
        EXPECT_EQ(Entry(1, limb, 0).texture, nullptr) << "limb " << limb;
        EXPECT_EQ(Entry(1, limb, 0).image, 0);
    }
    ExpectCubeEntry(Entry(1, 1, 1), 1, Texture(kept), "the kept cube's entry");
    EXPECT_EQ(LiveCubeTextures().size(), 1u);
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
    EXPECT_EQ(CubeTex_GetResolution(doomed), 0);
    EXPECT_THAT(messages_.Take(), testing::SizeIs(1)) << "the deleted handle is refused";
    device->SetTexture(4, nullptr);
}

TEST_F(CubeLifetimeTest, DeletionTakesTheTextureOutOfTheEffectsOfItsObjects)
{
    // The host's renderer hands stage textures to the mesh's effect, which holds references of its
    // own: deletion empties those parameters and leaves the effect's other textures alone.
    std::string error;
    ID3DXEffect* fx = refhost::CreateDescribedEffect(refhost::RealDevice(), refhost::PlainEffectDescription(), &error);
    ASSERT_NE(fx, nullptr) << error;
    refhost::AddEffect(1, fx);
    MakeObject(1, 1);
    refhost::SetObjectEffect(1, 1);
    const int cube = MakeCube(), kept = MakeCube();
    CubeTex_ApplyObject(cube, 1, 0);
    D3DXHANDLE parameter = fx->GetParameterByName(nullptr, "DiffuseTexture");
    fx->SetTexture(parameter, Texture(cube));
    CubeTex_Delete(cube);
    Com<IDirect3DBaseTexture9> shown;
    fx->GetTexture(parameter, shown.put());
    EXPECT_EQ(shown.ptr(), nullptr);
    fx->SetTexture(parameter, Texture(kept));
    CubeTex_ApplyObject(kept, 1, 1);
    const ULONG keptRefs = ReferenceCount(Texture(kept));
    CubeTex_Delete(MakeCube());
    EXPECT_EQ(ReferenceCount(Texture(kept)), keptRefs);
    fx->Release();
}

TEST_F(CubeLifetimeTest, DeviceLossReleasesEveryCubeAndClearsItsEntries)
{
    IDirect3DDevice9* device = refhost::RealDevice();
    // The host's depth buffer for 256 x 256 targets is made before counting (camera 0 draws into the
    // back buffer with its own).
    ASSERT_TRUE(refhost::MakeCamera(1, 256, 256));
    refhost::FastSync();
    const UINT before = device->GetAvailableTextureMem();
    const int a = MakeCubeLarge(), b = MakeCubeLarge();
    ASSERT_LT(device->GetAvailableTextureMem(), before);
    MakeObject(1, 1);
    CubeTex_ApplyObject(a, 1, 0);
    CubeTex_ApplyObject(b, 1, 1);
    CubeTex_Sync(b, 0);

    Plugin().host.ChangeDisplayMode = nullptr; // only then does the plugin react to a lost device
    D3DDeviceLost();
    EXPECT_TRUE(LiveCubeTextures().empty());
    // Wine hands unbound textures back only when the next draw applies the device's state.
    refhost::FastSync();
    EXPECT_EQ(AvailableTextureMemory(before), before) << "every cube texture was released";
    EXPECT_EQ(Entry(1, 0, 0).texture, nullptr);
    EXPECT_EQ(Entry(1, 0, 1).texture, nullptr);
    EXPECT_EQ(CubeTex_GetDrawCalls(), 6) << "the counters are not the list's";
    EXPECT_EQ(CubeTex_GetFar(a), 0);
    EXPECT_THAT(messages_.Take(), testing::SizeIs(1));
}

} // namespace
