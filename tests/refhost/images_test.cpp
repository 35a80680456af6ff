// Images: render targets in the right format and pool, and the references of MakeRenderTarget's
// texture balanced whether the caller keeps the handed-out reference or not.
#include "effect_library.h"
#include "reference_count.h"
#include "effect_creation.h"
#include "scene_fixture.h"

namespace {

// Counts how often the object it is attached to lets it go: a texture releases its IUnknown
// private data when it is destroyed.
class DestructionWatch : public IUnknown {
public:
    int releases = 0;
    STDMETHOD(QueryInterface)(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 2; }
    STDMETHOD_(ULONG, Release)() override { ++releases; return 1; }
};

const GUID kWatchGuid = {0x5a1c0e11, 0x2b7d, 0x4c8e, {0x9a, 0x31, 0x6e, 0x10, 0x44, 0x0b, 0xd2, 0x7f}};

void Watch(IDirect3DTexture9* texture, DestructionWatch& watch)
{
    // With D3DSPD_IUNKNOWN the data is the interface itself; its size is that of a pointer.
    ASSERT_EQ(texture->SetPrivateData(kWatchGuid, static_cast<IUnknown*>(&watch), sizeof(IUnknown*),
                                      D3DSPD_IUNKNOWN), D3D_OK);
}

using ImagesTest = SceneTest;

TEST_F(ImagesTest, RenderTargetIsADefaultPoolTargetInTheReferenceFormatUnlessGiven)
{
    IDirect3DTexture9* texture = refhost::MakeRenderTarget(2, 64, 32, D3DFMT_UNKNOWN);
    ASSERT_NE(texture, nullptr);
    texture->Release();
    D3DSURFACE_DESC reference{}, desc{};
    refhost::CoreData()->referenceSurface->GetDesc(&reference);
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Format, reference.Format);
    EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(desc.Width, 64u);
    EXPECT_EQ(desc.Height, 32u);
    EXPECT_EQ(refhost::GetImagePointer(2), texture);
    EXPECT_EQ(refhost::GetImageExists(2), 1);

    texture = refhost::MakeRenderTarget(3, 16, 16, D3DFMT_A8R8G8B8);
    ASSERT_NE(texture, nullptr);
    texture->Release();
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);

    refhost::DeleteImage(2);
    EXPECT_EQ(refhost::GetImageExists(2), 0);
    EXPECT_EQ(refhost::GetImagePointer(2), nullptr);
    EXPECT_EQ(refhost::MakeRenderTarget(4, 0, 16, D3DFMT_UNKNOWN), nullptr);
    EXPECT_EQ(refhost::GetImageExists(4), 0);
}

TEST_F(ImagesTest, CallerThatKeepsTheTextureReleasesItBeforeDeleteEx)
{
    DestructionWatch watch;
    IDirect3DTexture9* kept = refhost::MakeRenderTarget(5, 32, 32, D3DFMT_UNKNOWN);
    ASSERT_NE(kept, nullptr);
    Watch(kept, watch);
    EXPECT_EQ(ReferenceCount(kept), 2u) << "the engine's reference and the caller's";
    kept->Release();
    EXPECT_EQ(watch.releases, 0);
    refhost::DeleteImage(5);
    EXPECT_EQ(watch.releases, 1) << "the texture is gone once DeleteEx released the engine's reference";
}

TEST_F(ImagesTest, CallerThatKeepsNothingLeavesItsReferenceToDeleteEx)
{
    DestructionWatch watch;
    Watch(refhost::MakeRenderTarget(6, 32, 32, D3DFMT_UNKNOWN), watch);
    refhost::DeleteImage(6);
    EXPECT_EQ(watch.releases, 1);
}

TEST_F(ImagesTest, ImageDeletedWhileItsHolderStillDrawsIntoItLeavesTheHolderItsReferences)
{
    DestructionWatch watch;
    IDirect3DTexture9* kept = refhost::MakeRenderTarget(6, 32, 32, D3DFMT_UNKNOWN);
    Watch(kept, watch);
    IDirect3DSurface9* surface = nullptr;
    kept->GetSurfaceLevel(0, &surface);
    refhost::DeleteImage(6);
    EXPECT_EQ(watch.releases, 0) << "the holder's texture and surface references keep it alive";
    surface->Release();
    kept->Release();
    EXPECT_EQ(watch.releases, 1);
}

TEST_F(ImagesTest, DeviceResetWhileAHolderStillDrawsIntoAnImageLeavesTheHolderItsReferences)
{
    DestructionWatch watch;
    IDirect3DTexture9* kept = refhost::MakeRenderTarget(6, 32, 32, D3DFMT_UNKNOWN);
    Watch(kept, watch);
    IDirect3DSurface9* surface = nullptr;
    kept->GetSurfaceLevel(0, &surface);
    EXPECT_EQ(refhost::ResetDevice(), D3DERR_INVALIDCALL) << "the holder's default-pool texture is alive";
    surface->Release();
    ASSERT_EQ(watch.releases, 0) << "the holder's texture reference keeps it alive";
    kept->Release();
    EXPECT_EQ(watch.releases, 1);
    EXPECT_EQ(refhost::ResetDevice(), D3D_OK);
}

TEST_F(ImagesTest, DeletingAnImageTakesItOutOfTheEffectsThatShowIt)
{
    // The renderer hands an image to the texture parameter of an object's effect, which holds a
    // reference of its own; a caller that kept the handed-out reference gives it back, then deletes.
    // The engine's reference and the effect's make two, the same count as a handed-out reference
    // nobody kept: the engine must not mistake one for the other and free the texture under the effect.
    DestructionWatch watch;
    HostEffect* record = refhost::AddDescribedEffect(1, refhost::ParameterZooDescription());
    ASSERT_NE(record, nullptr);
    ID3DXEffect* effect = record->effect;
    IDirect3DTexture9* kept = refhost::MakeRenderTarget(5, 32, 32, D3DFMT_UNKNOWN);
    ASSERT_NE(kept, nullptr);
    Watch(kept, watch);
    ASSERT_EQ(effect->SetTexture("TextureA", kept), D3D_OK);
    kept->Release();
    refhost::DeleteImage(5);
    EXPECT_EQ(watch.releases, 1) << "gone once no parameter shows it";
    IDirect3DBaseTexture9* shown = reinterpret_cast<IDirect3DBaseTexture9*>(1);
    EXPECT_EQ(effect->GetTexture("TextureA", &shown), D3D_OK);
    EXPECT_EQ(shown, nullptr) << "the parameter no longer points at the freed texture";
}

TEST_F(ImagesTest, ReplacingOrResettingImagesFreesTheirTextures)
{
    DestructionWatch first, plain, target;
    Watch(refhost::MakeRenderTarget(7, 16, 16, D3DFMT_UNKNOWN), first);
    Watch(refhost::MakeRenderTarget(7, 16, 16, D3DFMT_UNKNOWN), target);
    EXPECT_EQ(first.releases, 1) << "making an image again replaces the old one";
    Watch(refhost::MakeImage(8, 4, 4, 0xFFFFFFFF), plain);
    refhost::ResetScene();
    EXPECT_EQ(target.releases, 1);
    EXPECT_EQ(plain.releases, 1);
    EXPECT_EQ(refhost::GetImageExists(7), 0);
}

TEST_F(ImagesTest, PlainImageHoldsItsColour)
{
    IDirect3DTexture9* texture = refhost::MakeImage(9, 8, 4, 0x80123456);
    ASSERT_NE(texture, nullptr);
    refhost::SurfacePixels pixels;
    ASSERT_TRUE(refhost::ReadTexturePixels(texture, pixels));
    EXPECT_EQ(pixels.width, 8);
    EXPECT_EQ(pixels.height, 4);
    EXPECT_EQ(pixels.At(7, 3), 0x80123456u);
    EXPECT_EQ(ReferenceCount(texture), 1u) << "a plain image hands out no reference";
}

} // namespace
