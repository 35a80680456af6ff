// Ryxo's draws stand on their own: an engine need not set its device states again between objects,
// so Ryxo may find the device as the host's last object left it. Each row leaves one such state
// (through a render-list callback drawn just before Ryxo's, or just before EfxCam_Sync), and every
// kind of draw Ryxo makes (an instance set in the host's camera 0, a cube face, an effect camera's
// image and its extra target) must read back exactly as it does after a plain host.
#include <functional>
#include <string>
#include <vector>

#include "effect_creation.h"
#include "effect_library.h"
#include "plugin_fixture.h"
#include "ref_host.h"

namespace {

constexpr int kSetObject = 1, kCameraObject = 2, kExtraTargetObject = 3, kCubeHolder = 4;
constexpr int kCameraImage = 10, kExtraMainImage = 11, kExtraImage = 12;
constexpr int kCubeCamera = 1;
constexpr int kSize = 32;

struct LeftState {
    const char* what;
    std::function<void(IDirect3DDevice9*)> leave;
    std::function<void(IDirect3DDevice9*)> putBack; // to a plain host's value, for the next row
};

using RS = D3DRENDERSTATETYPE;
std::function<void(IDirect3DDevice9*)> States(std::vector<std::pair<RS, DWORD>> states)
{
    return [states](IDirect3DDevice9* d) {
        for (auto [state, value] : states)
            d->SetRenderState(state, value);
    };
}

const LeftState kLeftStates[] = {
    {"blending on, adding nothing", States({{D3DRS_ALPHABLENDENABLE, TRUE}, {D3DRS_SRCBLEND, D3DBLEND_ZERO}, {D3DRS_DESTBLEND, D3DBLEND_ONE}}),
     States({{D3DRS_ALPHABLENDENABLE, FALSE}, {D3DRS_SRCBLEND, D3DBLEND_ONE}, {D3DRS_DESTBLEND, D3DBLEND_ZERO}})},
    {"culling off", States({{D3DRS_CULLMODE, D3DCULL_NONE}}), States({{D3DRS_CULLMODE, D3DCULL_CCW}})},
    {"front faces culled", States({{D3DRS_CULLMODE, D3DCULL_CW}}), States({{D3DRS_CULLMODE, D3DCULL_CCW}})},
    {"no colour channel written", States({{D3DRS_COLORWRITEENABLE, 0}, {D3DRS_COLORWRITEENABLE1, 0}}),
     States({{D3DRS_COLORWRITEENABLE, 0xF}, {D3DRS_COLORWRITEENABLE1, 0xF}})},
    {"wireframe", States({{D3DRS_FILLMODE, D3DFILL_WIREFRAME}}), States({{D3DRS_FILLMODE, D3DFILL_SOLID}})},
    {"an alpha test no pixel passes", States({{D3DRS_ALPHATESTENABLE, TRUE}, {D3DRS_ALPHAFUNC, D3DCMP_NEVER}}),
     States({{D3DRS_ALPHATESTENABLE, FALSE}, {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS}})},
    {"texture stage 0 disabled",
     [](IDirect3DDevice9* d) { d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE); },
     [](IDirect3DDevice9* d) { d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE); }},
    {"stream 0 drawn three times, stream 1 per instance",
     [](IDirect3DDevice9* d) {
         d->SetStreamSourceFreq(0, D3DSTREAMSOURCE_INDEXEDDATA | 3u);
         d->SetStreamSourceFreq(1, D3DSTREAMSOURCE_INSTANCEDATA | 1u);
     },
     [](IDirect3DDevice9* d) {
         d->SetStreamSourceFreq(0, 1);
         d->SetStreamSourceFreq(1, 1);
     }},
};

const LeftState* gLeaving = nullptr; // the row the host's last object stands for, or none

// Drawn by the host after its own objects and before Ryxo's instance sets (order 7500).
int __cdecl LastHostObjectLeavesItsState()
{
    if (gLeaving)
        gLeaving->leave(refhost::RealDevice());
    return 0;
}

int DifferingPixels(const refhost::SurfacePixels& a, const refhost::SurfacePixels& b)
{
    if (a.width != b.width || a.height != b.height)
        return -1;
    int differing = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        for (int shift = 0; shift < 32; shift += 8)
            if (std::abs(int((a.pixels[i] >> shift) & 0xFF) - int((b.pixels[i] >> shift) & 0xFF)) > 2) {
                ++differing;
                break;
            }
    return differing;
}

class HostileStatesTest : public RyxoDllTest {
protected:
    // The least kind host: objects get their buffers when the host first draws them.
    void SetUp() override
    {
        RyxoDllTest::SetUp();
        refhost::SetBuffersAtMake(false);
    }

    void TearDown() override
    {
        gLeaving = nullptr;
        refhost::ResetScene();
        RyxoDllTest::TearDown();
    }

    bool MakeObject(int object, const refhost::EffectDescription& effect, float z)
    {
        std::string error;
        refhost::MeshDescription cube;
        cube.size = 2.0f;
        if (!refhost::AddDescribedEffect(object, effect, &error) || !refhost::MakeObject(object, cube)) {
            ADD_FAILURE() << "object " << object << ": " << error;
            return false;
        }
        refhost::SetObjectEffect(object, object);
        refhost::SetObjectPosition(object, 0.0f, 0.0f, z);
        return true;
    }

    void MakeEffectCamera(int camera, int object, int image)
    {
        CALL(EfxCam_MakeNew, camera);
        CALL(EfxCam_SetToImage, camera, image, kSize, kSize);
        CALL(EfxCam_SetObject, camera, object);
        CALL(EfxCam_SetBackdropColor, camera, static_cast<int>(0xFF202020));
        CALL(EfxCam_SetAspect, camera, 1.0f);
        CALL(EfxCam_SetFOV, camera, 1.0f);
        CALL(EfxCam_SetRange, camera, 1.0f, 100.0f);
    }

    // Camera 0 and cube faces see the instance set's one cube at the origin from 6 units before
    // it; effect cameras 0 and 1, at the origin, see their objects 10 units along +Z.
    void MakeScene()
    {
        refhost::EffectDescription instanced = refhost::InstancingEffectDescription();
        refhost::EffectDescription plain = refhost::PlainEffectDescription();
        ASSERT_TRUE(MakeObject(kSetObject, instanced, 0.0f) && MakeObject(kCameraObject, plain, 10.0f) &&
                    MakeObject(kExtraTargetObject, refhost::ThreeOutputEffectDescription(), 10.0f));
        refhost::MeshDescription holder;
        holder.textureStages = 1;
        ASSERT_TRUE(refhost::MakeObject(kCubeHolder, holder));
        refhost::SetCameraPosition(0, 0.0f, 0.0f, -6.0f);
        refhost::FastSync(); // the host makes the objects' buffers as it first draws them
        for (int object : {kSetObject, kCameraObject, kExtraTargetObject, kCubeHolder})
            refhost::HideObject(object);

        set_ = CALL(GeoInst_MakeNew);
        CALL(GeoInst_SetMesh, set_, kSetObject, 0);
        CALL(GeoInst_SetMaxInstanceCount, set_, 1);
        CALL(GeoInst_SetInstanceCount, set_, 1);
        CALL(GeoInst_SetScaleUniform, set_, 1, 100.0f);
        CALL(GeoInst_UpdateInstance, set_, 1);
        CALL(GeoInst_Update, set_);
        refhost::AddToRenderList(reinterpret_cast<void*>(&LastHostObjectLeavesItsState), 0);

        ASSERT_TRUE(refhost::MakeCamera(kCubeCamera, kSize, kSize));
        cube_ = CALL(CubeTex_MakeNew, kSize, 0);
        ASSERT_NE(cube_, 0);
        CALL(CubeTex_SetPosition, cube_, 0.0f, 0.0f, -6.0f);
        CALL(CubeTex_ApplyObject, cube_, kCubeHolder, 0);

        MakeEffectCamera(0, kCameraObject, kCameraImage);
        MakeEffectCamera(1, kExtraTargetObject, kExtraMainImage);
        CALL(EfxCam_SetMRTImage, 1, 1, kExtraImage);
        EXPECT_TRUE(messages_.Take().empty()) << "the scene is made without a message";
    }

    // The four pictures: camera 0 with the instance set, the cube's +Z face, effect camera 0's
    // image and effect camera 1's extra target.
    std::vector<refhost::SurfacePixels> Draw(const LeftState* leaving)
    {
        IDirect3DDevice9* device = refhost::RealDevice();
        std::vector<refhost::SurfacePixels> pictures(4);
        gLeaving = leaving;
        refhost::SetSyncMask(1);
        refhost::FastSync();
        refhost::ReadCameraPixels(0, pictures[0]);
        CALL(CubeTex_Sync, cube_, kCubeCamera);
        auto* cube = static_cast<IDirect3DCubeTexture9*>(refhost::GetLimbMesh(kCubeHolder, 0)->textureStages[0].texture);
        IDirect3DSurface9* face = nullptr;
        if (cube && SUCCEEDED(cube->GetCubeMapSurface(D3DCUBEMAP_FACE_POSITIVE_Z, 0, &face))) {
            refhost::ReadSurfacePixels(face, pictures[1]);
            face->Release();
        }
        gLeaving = nullptr;
        for (int camera : {0, 1}) {
            if (leaving)
                leaving->leave(device);
            CALL(EfxCam_SyncMask, 1 << camera);
            CALL(EfxCam_Sync);
        }
        refhost::ReadTexturePixels(refhost::GetImagePointer(kCameraImage), pictures[2]);
        refhost::ReadTexturePixels(refhost::GetImagePointer(kExtraImage), pictures[3]);
        if (leaving)
            leaving->putBack(device);
        return pictures;
    }

    int set_ = 0;
    int cube_ = 0;
};

TEST_F(HostileStatesTest, EveryDrawMakesThePictureOfAPlainHostWhateverStateTheLastHostObjectLeft)
{
    MakeScene();
    const char* draws[] = {"instance set in camera 0", "cube face +Z", "effect camera", "effect camera's extra target"};
    const std::vector<refhost::SurfacePixels> plain = Draw(nullptr);
    for (size_t d = 0; d < plain.size(); ++d) {
        // Each plain picture shows its draw at the centre over a backdrop in the corner.
        ASSERT_GT(plain[d].width, 0) << draws[d] << " could not be read back";
        EXPECT_NE(plain[d].At(plain[d].width / 2, plain[d].height / 2), plain[d].At(0, 0)) << draws[d] << " drew nothing";
    }
    for (const LeftState& row : kLeftStates) {
        const std::vector<refhost::SurfacePixels> pictures = Draw(&row);
        for (size_t d = 0; d < plain.size(); ++d)
            EXPECT_EQ(DifferingPixels(pictures[d], plain[d]), 0) << draws[d] << " after a host object left " << row.what;
    }
    EXPECT_TRUE(messages_.Take().empty());
    CALL(GeoInst_Delete, set_);
    CALL(CubeTex_Delete, cube_);
}

} // namespace
