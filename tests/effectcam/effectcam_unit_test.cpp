// Effect cameras white-box: the refusals, the fields the commands set, clear and keep, the view
// rebuild, the targets and the host calls they make, the object binding, the matrices handed to the
// effect and the render pass's device calls, against the recording device in the reference host.
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "draw_fixture.h"
#include "effectcam/camera_table.h"
#include "effectcam/camera_view.h"
#include "instancing_commands.h"
#include "matrices.h"
#include "plugin_state.h"
#include "reference_count.h"

extern "C" void __cdecl D3DDeviceLost();

namespace {

constexpr int kImage = 10;
constexpr int kSize = 32;

refhost::EffectParameter Parameter(const char* name, refhost::EffectParameterKind kind)
{
    refhost::EffectParameter p;
    p.name = name;
    p.kind = kind;
    return p;
}

class EfxCamTest : public DrawTest {
protected:
    // The device goes before the process ends: Wine can kill a process that exits while its device
    // is still drawing the last camera images.
    static void TearDownTestSuite() { refhost::Stop(); }

    static EfxCamRecord& Camera(int n) { return *CameraSlot(n); }

    // Object `object` (a cube of edge 2 at (0, 0, 10), with effect `object` drawing it in one colour,
    // or the effect `description`) and camera `camera` at the origin looking at it into `image`.
    HostEffect* MakeReadyCamera(int camera, int image, int object,
                                const refhost::EffectDescription& description = refhost::PlainEffectDescription())
    {
        HostEffect* effect = MakeEffect(object, description);
        MakeObject(object, object);
        refhost::SetObjectPosition(object, 0.0f, 0.0f, 10.0f);
        EfxCam_MakeNew(camera);
        EfxCam_SetToImage(camera, image, kSize, kSize);
        EfxCam_SetObject(camera, object);
        EfxCam_SetAspect(camera, 1.0f);
        EfxCam_SetFOV(camera, 1.0f);
        EfxCam_SetRange(camera, 1.0f, 100.0f);
        return effect;
    }
};

TEST_F(EfxCamTest, CommandsRefuseAbsentAndOutOfRangeCamerasWithTheirOwnTitles)
{
    const std::pair<const char*, std::function<void(int)>> commands[] = {
        {"EfxCam_Delete Error", [](int c) { EfxCam_Delete(c); }},
        {"EfxCam_SetBackdropEnabled Error", [](int c) { EfxCam_SetBackdropEnabled(c, 1); }},
        {"EfxCam_SetBackdropColor Error", [](int c) { EfxCam_SetBackdropColor(c, 1); }},
        {"EfxCam_SetAspect Error", [](int c) { EfxCam_SetAspect(c, 1.0f); }},
        {"EfxCam_SetFOV Error", [](int c) { EfxCam_SetFOV(c, 1.0f); }},
        {"EfxCam_SetRange Error", [](int c) { EfxCam_SetRange(c, 1.0f, 2.0f); }},
        {"EfxCam_SetPosition Error", [](int c) { EfxCam_SetPosition(c, 1.0f, 2.0f, 3.0f); }},
        {"EfxCam_SetRotation Error", [](int c) { EfxCam_SetRotation(c, 1.0f, 2.0f, 3.0f); }},
        {"EfxCam_SetView Error", [](int c) { EfxCam_SetView(c, 0, 0, 1, 1); }},
        {"EfxCam_SetToImage Error", [](int c) { EfxCam_SetToImage(c, kImage, kSize, kSize); }},
        {"EfxCam_SetToImage Error", [](int c) { EfxCam_SetToImageFormat(c, kImage, kSize, kSize, 0); }},
        {"EfxCam_SetMRTImage Error", [](int c) { EfxCam_SetMRTImage(c, 1, kImage); }},
        {"EfxCam_SetMRTImage Error", [](int c) { EfxCam_SetMRTImageFormat(c, 3, kImage, 0); }},
        {"EfxCam_SetObject Error", [](int c) { EfxCam_SetObject(c, 1); }},
    };
    for (int camera : {3, -1, 32, 0x7FFFFFFF, static_cast<int>(0x80000000)}) {
        for (const auto& [title, call] : commands) {
            call(camera);
            EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{{title, kNoSuchCameraText}}))
                << title << " on camera " << camera;
        }
        EXPECT_EQ(EfxCam_GetExist(camera), 0);
        if (camera != 3) {
            EfxCam_MakeNew(camera);
            EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{{"EfxCam_MakeNew Error", kNoSuchCameraText}}));
        }
    }
    EXPECT_TRUE(refhost::HostCallLog().empty()) << "a refused command reached the host";

    // The target index is checked before the camera; an existing camera cannot be made again.
    EfxCam_SetMRTImage(9, 0, kImage);
    EfxCam_SetMRTImageFormat(9, 4, kImage, 0);
    EfxCam_MakeNew(31);
    EfxCam_MakeNew(31);
    const std::string badIndex = "The specified TargetIndex is invalid, should range between 1 and 3";
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{{"EfxCam_SetMRTImage Error", badIndex},
                                                          {"EfxCam_SetMRTImage Error", badIndex},
                                                          {"EfxCam_MakeNew Error", "The Specified EfxCam Already Exists"}}));
    EXPECT_EQ(EfxCam_GetExist(31), 1);
}

TEST_F(EfxCamTest, MakeNewAndDeleteSetClearAndKeepTheirFields)
{
    EfxCam_MakeNew(4);
    EfxCamRecord& c = Camera(4);
    EXPECT_EQ(c.exists, 1);
    EXPECT_EQ(c.backdropEnabled, 1);
    EXPECT_EQ(c.backdropColor, 0u);
    EXPECT_TRUE(c.aspect == 0.0f && c.fieldOfView == 0.0f && c.nearRange == 0.0f && c.farRange == 0.0f)
        << "a camera never used has no projection settings";
    EXPECT_TRUE(c.main.image == 0 && c.mesh == nullptr) << "nor an image or an object";
    EXPECT_EQ(c.viewDirty + c.projectionDirty, 2);
    EfxCam_SetBackdropColor(4, 0x12345678);
    EfxCam_SetAspect(4, 1.5f);
    EfxCam_SetRange(4, 2.0f, 50.0f);
    EfxCam_SetFOV(4, 0.5f);
    EfxCam_SetPosition(4, 1.0f, 2.0f, 3.0f);
    EfxCam_SetRotation(4, 10.0f, 20.0f, 30.0f);
    EfxCam_SetToImage(4, kImage, 64, 48);
    EXPECT_EQ(c.viewport.Width, 64u);
    EfxCam_SetView(4, 10, 20, 5, 8); // right < left: the 32-bit wrap is stored
    const D3DVIEWPORT9 expectedView = {10, 20, 0xFFFFFFFBu, 0xFFFFFFF4u, 0.0f, 1.0f};
    EXPECT_EQ(std::memcmp(&c.viewport, &expectedView, sizeof expectedView), 0);

    EfxCam_Delete(4);
    EXPECT_EQ(c.exists + c.backdropEnabled + static_cast<int>(c.backdropColor) + c.main.image, 0);
    EXPECT_TRUE(c.aspect == 0.0f && c.fieldOfView == 0.0f && c.nearRange == 0.0f && c.farRange == 0.0f);
    EXPECT_EQ(refhost::GetImageExists(kImage), 0);

    // Made again: the old position, rotation and view port, fresh backdrop and dirty flags.
    c.viewDirty = c.projectionDirty = 0;
    EfxCam_MakeNew(4);
    EXPECT_EQ(c.backdropEnabled, 1);
    EXPECT_EQ(c.backdropColor, 0u);
    EXPECT_EQ(c.lookAt[2] + c.up[1], 2.0f);
    EXPECT_EQ(c.viewDirty + c.projectionDirty, 2);
    EXPECT_EQ(c.position[1] + c.rotation[2], 32.0f);
    EXPECT_EQ(std::memcmp(&c.viewport, &expectedView, sizeof expectedView), 0);
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(EfxCamTest, ViewRebuildLooksWhereTheRotationPointsAndOnlyRebuildsWhatIsDirty)
{
    // Rotation (x, y, z) and the viewing direction it gives; z is never used.
    const float cases[][6] = {{0, 90, 0, 1, 0, 0}, {45, 0, 0, 0, -0.70710677f, 0.70710677f}, {0, 0, 75, 0, 0, 1}};
    EfxCam_MakeNew(0);
    EfxCamRecord& c = Camera(0);
    EfxCam_SetAspect(0, 2.0f);
    EfxCam_SetFOV(0, 0.8f);
    EfxCam_SetRange(0, 0.5f, 40.0f);
    EfxCam_SetPosition(0, 1.0f, 2.0f, 3.0f);
    for (const auto& k : cases) {
        EfxCam_SetRotation(0, k[0], k[1], k[2]);
        RebuildCameraView(c);
        const D3DXVECTOR3 eye(1, 2, 3), at(1 + k[3], 2 + k[4], 3 + k[5]), up(0, 1, 0);
        D3DXMATRIX view, projection;
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.8f, 2.0f, 0.5f, 40.0f);
        EXPECT_TRUE(MatrixNear(view, c.view) && MatrixNear(projection, c.projection) &&
                    MatrixNear(view * projection, c.viewProjection) &&
                    std::abs(c.lookAt[1] - at.y) + std::abs(c.lookAt[2] - at.z) < 1e-6f)
            << "rotation " << k[0] << ", " << k[1] << ", " << k[2];
        EXPECT_EQ(c.viewDirty + c.projectionDirty, 0);
    }
    // Clean flags keep the matrices; a range change rebuilds the projection but not the view.
    c.view._11 = c.projection._11 = 7.0f;
    RebuildCameraView(c);
    EXPECT_EQ(c.view._11 + c.projection._11, 14.0f);
    EfxCam_SetRange(0, 0.5f, 80.0f);
    RebuildCameraView(c);
    EXPECT_TRUE(c.view._11 == 7.0f && c.projection._11 != 7.0f);
}

TEST_F(EfxCamTest, TargetsMakeReleaseAndRecountInTheirOrder)
{
    D3DSURFACE_DESC reference{};
    refhost::CoreData()->referenceSurface->GetDesc(&reference);
    const std::string fmt = std::to_string(reference.Format);
    refhost::MakeImage(7, 4, 4, 0); // an unrelated image under the number is replaced
    refhost::MakeImage(9, 4, 4, 0); // under an extra target's number it is left to the host
    EfxCam_MakeNew(2);
    EfxCamRecord& c = Camera(2);
    struct Step {
        std::function<void()> command;
        std::vector<std::string> hostCalls;
        int extraTargetCount;
    };
    const Step steps[] = {
        {[] { EfxCam_SetToImage(2, 7, 64, 32); }, {"DeleteEx(7)", "MakeRenderTarget(7, 64, 32, " + fmt + ")"}, 0},
        {[] { EfxCam_SetMRTImage(2, 2, 9); }, {"MakeRenderTarget(9, 64, 32, " + fmt + ")"}, 0},
        {[] { EfxCam_SetMRTImageFormat(2, 1, 8, D3DFMT_A8R8G8B8); }, {"MakeRenderTarget(8, 64, 32, 21)"}, 2},
        {[] { EfxCam_SetMRTImage(2, 1, 0); }, {"DeleteEx(8)"}, 0},
        {[] { EfxCam_SetMRTImage(2, 1, 8); }, {"MakeRenderTarget(8, 64, 32, " + fmt + ")"}, 2},
        {[] { EfxCam_SetMRTImage(2, 1, 14); }, {"DeleteEx(8)", "MakeRenderTarget(14, 64, 32, " + fmt + ")"}, 2},
        // Its own number: released and deleted, then made again; the extra targets keep their size.
        {[] { EfxCam_SetToImageFormat(2, 7, 16, 16, D3DFMT_A8R8G8B8); }, {"DeleteEx(7)", "MakeRenderTarget(7, 16, 16, 21)"}, 2},
        // Another number: the image drawn into before is deleted; format 0 is the reference format.
        {[] { EfxCam_SetToImageFormat(2, 13, 16, 16, 0); }, {"DeleteEx(7)", "MakeRenderTarget(13, 16, 16, " + fmt + ")"}, 2},
        {[] { EfxCam_SetToImage(2, 0, 0, 0); }, {"DeleteEx(13)", "DeleteEx(14)", "DeleteEx(9)"}, 0},
    };
    for (const Step& step : steps) {
        refhost::ClearHostCallLog();
        step.command();
        EXPECT_EQ(refhost::HostCallLog(), step.hostCalls);
        EXPECT_EQ(c.extraTargetCount, step.extraTargetCount);
    }
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
    EXPECT_EQ(c.main.image + c.width + c.main.format + c.extra[1].image, 0);

    // Without a main target no extra one; a texture the host does not make is not kept.
    EfxCam_SetMRTImage(2, 1, 8);
    EfxCam_SetToImage(2, 11, 0, 0);
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{
        {"EfxCam_SetMRTImage Error", "Must call EfxCam_SetToImage to setup main target before calling this command"},
        {"EfxCam_SetToImage Error", "Image 11 could not be made a 0 x 0 render target"}}));
    EXPECT_TRUE(c.main.image == 0 && !c.main.texture && !c.main.surface);

    // The same number for two targets is the host's affair: each target gives back its own.
    EfxCam_SetToImage(2, 7, 8, 8);
    EfxCam_SetMRTImage(2, 1, 7);
    EfxCam_SetMRTImage(2, 3, 12);
    refhost::ClearHostCallLog();
    EfxCam_Delete(2);
    EXPECT_EQ(refhost::HostCallLog(), (std::vector<std::string>{"DeleteEx(7)", "DeleteEx(7)", "DeleteEx(12)"}));
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(EfxCamTest, TargetsUnderNegativeImageNumbersAreGivenBackLikeAnyOther)
{
    EfxCam_MakeNew(2);
    EfxCam_SetToImageFormat(2, -7, 16, 16, D3DFMT_A8R8G8B8);
    EfxCam_SetMRTImage(2, 1, -8);
    refhost::ClearHostCallLog();
    EfxCam_SetMRTImage(2, 1, 0);
    EfxCam_SetToImageFormat(2, 5, 16, 16, D3DFMT_A8R8G8B8);
    EXPECT_EQ(refhost::HostCallLog(),
              (std::vector<std::string>{"DeleteEx(-8)", "DeleteEx(-7)", "MakeRenderTarget(5, 16, 16, 21)"}));
    EXPECT_EQ(Camera(2).extraTargetCount, 0);
}

TEST_F(EfxCamTest, SetObjectTakesTheFirstMeshAndTheFirstEightTextureParametersInOrder)
{
    refhost::EffectDescription nine = refhost::PlainEffectDescription();
    nine.parameters.insert(nine.parameters.begin(), Parameter("Before", refhost::EffectParameterKind::Texture));
    for (const char* name : {"T1", "T2", "T3", "T4", "T5", "T6", "T7"})
        nine.parameters.push_back(Parameter(name, refhost::EffectParameterKind::Texture));
    HostEffect* effect = MakeReadyCamera(1, kImage, 5, nine);
    refhost::ClearHostCallLog();
    EfxCam_SetObject(1, 5);
    EXPECT_EQ(refhost::HostCallLog(), (std::vector<std::string>{"DisableZDepth(5)", "DisableZRead(5)", "DisableZWrite(5)"}));
    const EfxCamRecord& c = Camera(1);
    ASSERT_EQ(c.textureParameterCount, 8);
    const char* expected[] = {"Before", "DiffuseTexture", "T1", "T2", "T3", "T4", "T5", "T6"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(c.textureParameters[i], effect->effect->GetParameterByName(nullptr, expected[i])) << expected[i];
    EXPECT_EQ(c.mesh, refhost::GetLimbMesh(5, 0));
    EXPECT_EQ(c.worldMatrix, &refhost::GetObjectRecord(5)->world);

    // Unknown objects and objects without an effect are refused; the camera keeps its object.
    refhost::MakeObject(6, {});
    EfxCam_SetObject(1, 77);
    EfxCam_SetObject(1, 6);
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{
        {"EfxCam_SetObject Error", "Object 77 does not exist"},
        {"EfxCam_SetObject Error", "The object must have an effect applied before calling this command"}}));
    EXPECT_EQ(c.object, 5);
}

TEST_F(EfxCamTest, SyncDrawsTheMaskedCamerasInOrderAndGivesTheHostItsTargetsBack)
{
    MakeReadyCamera(0, kImage, 1);
    MakeReadyCamera(2, kImage + 1, 2);
    EfxCam_SetMRTImage(2, 1, kImage + 2);
    MakeReadyCamera(3, kImage + 3, 3); // not in the mask
    EfxCam_MakeNew(4);                 // an image but no object, and
    EfxCam_SetToImage(4, kImage + 4, kSize, kSize);
    MakeReadyCamera(5, kImage + 5, 5); // an object but no image: neither is drawn
    EfxCam_SetToImage(5, 0, 0, 0);
    EfxCam_SetBackdropEnabled(0, 0);
    Device().SetLogged(DeviceMethod::GetDepthStencilSurface, true);
    IDirect3DSurface9 *target = nullptr, *depth = nullptr;
    Device().GetRenderTarget(0, &target);
    Device().GetDepthStencilSurface(&depth);

    using M = DeviceMethod;
    const std::vector<M> open = {M::GetRenderTarget, M::GetDepthStencilSurface, M::SetDepthStencilSurface, M::BeginScene};
    const std::vector<M> close = {M::EndScene, M::SetDepthStencilSurface, M::SetRenderTarget};
    const std::vector<M> draw = {M::SetTransform, M::SetTransform, M::SetTransform, M::SetFVF, M::SetIndices,
                                 M::SetStreamSource, M::SetStreamSourceFreq, M::DrawIndexedPrimitive};
    auto join = [](std::initializer_list<std::vector<M>> parts) {
        std::vector<M> all;
        for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    struct Case {
        uint32_t mask;
        std::vector<M> expected;
    };
    const Case cases[] = {
        {0, {}},
        {2, join({open, close})},
        {0x30, join({open, close})},
        {5, join({open, {M::SetRenderTarget, M::SetViewport}, draw,
                  {M::SetRenderTarget, M::SetRenderTarget, M::SetViewport, M::Clear}, draw, {M::SetRenderTarget}, close})},
    };
    const D3DVIEWPORT9 hostPort{2, 3, 20, 10, 0.0f, 1.0f};
    for (const Case& k : cases) {
        EfxCam_SyncMask(static_cast<int>(k.mask));
        Device().SetViewport(&hostPort);
        Device().ClearLog();
        EfxCam_Sync();
        std::vector<M> seen;
        for (M m : Device().Methods())
            if (m != M::SetRenderState && m != M::SetSamplerState && m != M::SetTextureStageState && m != M::SetTexture)
                seen.push_back(m);
        EXPECT_EQ(seen, k.expected) << "mask " << k.mask << "\n" << Describe(Device().Calls());
    }
    // Mask 5: camera 2's targets, a backdrop clear of its view port, the saved surfaces back.
    const auto targets = Device().Filter(M::SetRenderTarget);
    ASSERT_EQ(targets.size(), 5u);
    EXPECT_EQ(targets[1].args, (std::vector<uint32_t>{0, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(Camera(2).main.surface.ptr()))}));
    EXPECT_EQ(targets[2].args, (std::vector<uint32_t>{1, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(Camera(2).extra[0].surface.ptr()))}));
    EXPECT_EQ(targets[3].args, (std::vector<uint32_t>{1, 0}));
    EXPECT_EQ(targets[4].args, (std::vector<uint32_t>{0, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(target))}));
    EXPECT_EQ(Device().Filter(M::SetDepthStencilSurface).front().Arg(0), 0u);
    EXPECT_EQ(Device().Filter(M::SetDepthStencilSurface).back().Arg(0), static_cast<uint32_t>(reinterpret_cast<uintptr_t>(depth)));
    const auto clear = Device().Filter(M::Clear).at(0);
    EXPECT_EQ(clear.args, (std::vector<uint32_t>{0, D3DCLEAR_TARGET, 0, 0x3F800000u, 0}));
    EXPECT_EQ(Device().LastRenderState(D3DRS_CLIPPLANEENABLE), 0u);
    IDirect3DSurface9 *targetAfter = nullptr, *depthAfter = nullptr;
    Device().GetRenderTarget(0, &targetAfter);
    Device().GetDepthStencilSurface(&depthAfter);
    EXPECT_TRUE(targetAfter == target && depthAfter == depth);
    // The last camera's transforms stay; the view port is the host target's whole surface.
    using Kept = std::pair<D3DTRANSFORMSTATETYPE, const D3DMATRIX*>;
    for (auto [state, matrix] : {Kept{D3DTS_WORLD, Camera(2).worldMatrix}, Kept{D3DTS_VIEW, &Camera(2).view},
                                 Kept{D3DTS_PROJECTION, &Camera(2).projection}}) {
        D3DMATRIX kept{};
        Device().GetTransform(state, &kept);
        EXPECT_EQ(std::memcmp(&kept, matrix, sizeof kept), 0) << "transform " << state;
    }
    D3DVIEWPORT9 port{};
    D3DSURFACE_DESC whole{};
    Device().GetViewport(&port);
    target->GetDesc(&whole);
    EXPECT_TRUE(port.X == 0 && port.Y == 0 && port.Width == whole.Width && port.Height == whole.Height)
        << port.X << ", " << port.Y << ", " << port.Width << " x " << port.Height;
    for (IDirect3DSurface9* s : {target, depth, targetAfter, depthAfter})
        if (s) s->Release();
}

TEST_F(EfxCamTest, SyncSkipsDeletedUndrawnObjectsAndEffectsThatCannotBeginAndDrawsCamera31UnderTheAllOnesMask)
{
    MakeReadyCamera(0, kImage, 1);
    MakeReadyCamera(31, kImage + 1, 2);
    MakeReadyCamera(5, kImage + 2, 3);
    HostEffect* breaking = MakeReadyCamera(6, kImage + 3, 4);
    MakeReadyCamera(7, kImage + 4, 7);
    ASSERT_TRUE(refhost::MakeObject(7, {})); // made again, never drawn: the host has no buffers yet
    refhost::SetObjectEffect(7, 7);
    EfxCam_SetObject(7, 7);
    refhost::DeleteObject(1);            // its mesh and record are freed
    refhost::DeleteImage(kImage + 1);    // camera 31 keeps drawing into the texture it holds
    refhost::SetObjectEffect(3, 0);      // its effect is taken away
    Com<ID3DXEffect> failing = MakeEffectThatCannotBegin(); // its effect cannot begin: not drawn
    ID3DXEffect* own = std::exchange(breaking->effect, failing.ptr());
    Camera(6).effect = failing.ptr();
    EfxCam_SyncMask(-1);
    Device().ClearLog();
    EfxCam_Sync();
    breaking->effect = Camera(6).effect = own;
    EXPECT_EQ(Device().Count(DeviceMethod::DrawIndexedPrimitive), 1u) << "only camera 31 can still draw";
    // Camera 6 binds its target before its effect fails; camera 31's comes next.
    EXPECT_EQ(Device().Filter(DeviceMethod::SetRenderTarget).at(1).Arg(1),
              static_cast<uint32_t>(reinterpret_cast<uintptr_t>(Camera(31).main.surface.ptr())));
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(EfxCamTest, DeviceLossWithTheSetupLibraryUnboundEmptiesTheTableAndSelectsEveryCamera)
{
    MakeReadyCamera(7, kImage, 1);
    IDirect3DTexture9* texture = Camera(7).main.texture.ptr();
    const ULONG held = ReferenceCount(texture);
    EfxCam_SyncMask(1 << 7);
    D3DDeviceLost(); // setup library bound: nothing changes
    EXPECT_EQ(EfxCam_GetExist(7), 1);
    EXPECT_TRUE(Camera(7).main.texture.ptr() == texture && Camera(7).object == 1 && Camera(7).fieldOfView == 1.0f)
        << "the camera keeps its image, object and lens";
    EXPECT_EQ(CameraSyncMask(), 1u << 7);
    auto changeDisplayMode = Plugin().host.ChangeDisplayMode;
    Plugin().host.ChangeDisplayMode = nullptr;
    D3DDeviceLost();
    Plugin().host.ChangeDisplayMode = changeDisplayMode;
    EXPECT_EQ(EfxCam_GetExist(7), 0);
    EXPECT_EQ(CameraSyncMask(), 0xFFFFFFFFu);
    EXPECT_EQ(ReferenceCount(texture), held - 2) << "the camera's texture and surface references were given back";
    EXPECT_EQ(refhost::GetImageExists(kImage), 1) << "the host's image is the host's";
}

TEST_F(EfxCamTest, TheEffectReceivesTheCameraMatrixFamily)
{
    refhost::EffectDescription all = refhost::PlainEffectDescription();
    for (const char* name : {"WorldView", "WorldViewProjection", "WorldInverse", "ViewInverse", "WorldViewInverse",
                             "WorldT", "ViewT", "ProjT", "WorldViewT", "ViewProjTranspose", "WorldViewProjTranspose",
                             "WorldIT", "ViewIT", "WorldViewIT"})
        all.parameters.push_back(Parameter(name, refhost::EffectParameterKind::Matrix));
    for (const char* name : {"EyePos", "ViewPos"})
        all.parameters.push_back(Parameter(name, refhost::EffectParameterKind::Vector));
    for (const char* name : {"AlphaFactor", "Time", "SinTime"})
        all.parameters.push_back(Parameter(name, refhost::EffectParameterKind::Float));
    HostEffect* record = MakeReadyCamera(0, kImage, 1, all);
    ID3DXEffect* fx = record->effect;
    for (int i = 0; i < kHostEffectMatrixCount; ++i)
        ASSERT_NE(record->matrixHandles[i], nullptr) << "matrix handle " << i;
    EfxCam_SetPosition(0, 1.0f, 2.0f, 3.0f);

    struct Case {
        int transposed;
        float scaleX;     // 0 makes the world singular
        int alphaOverride;
        float alpha;      // expected afterwards (the parameter starts at 0.25)
    };
    for (const Case& k : {Case{0, 2.0f, 1, 128 / 255.0f}, Case{1, 0.0f, 0, 0.25f}}) {
        record->expectsTransposed = k.transposed;
        refhost::SetObjectScale(1, k.scaleX, 1.0f, 1.0f);
        refhost::SetObjectColour(1, 0x80FFFFFF);
        refhost::GetLimbMesh(1, 0)->hasDiffuseColor = static_cast<int8_t>(k.alphaOverride);
        fx->SetFloat(record->alphaFactor, 0.25f);
        fx->SetFloat(record->zeroFloat1, 5.0f);
        fx->SetFloat(record->zeroFloat2, 5.0f);
        EfxCam_Sync();

        D3DXMATRIX m[kHostEffectMatrixCount];
        const D3DXVECTOR3 eye(1, 2, 3), at(1, 2, 4), up(0, 1, 0);
        m[kWorld] = refhost::GetObjectRecord(1)->world;
        D3DXMatrixLookAtLH(&m[kView], &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&m[kProjection], 1.0f, 1.0f, 1.0f, 100.0f);
        m[kViewProjection] = m[kView] * m[kProjection];
        m[kWorldView] = m[kWorld] * m[kView];
        m[kWorldViewProjection] = m[kWorldView] * m[kProjection];
        const int inverses[][2] = {{kWorld, kWorldInverse}, {kView, kViewInverse}, {kWorldView, kWorldViewInverse}};
        for (const auto& [from, to] : inverses)
            if (!D3DXMatrixInverse(&m[to], nullptr, &m[from]))
                m[to] = D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
        for (int i = 0; i < 9; ++i) {
            D3DXMatrixTranspose(&m[9 + i], &m[i]);
            if (k.transposed)
                std::swap(m[i], m[9 + i]);
        }
        for (int i = 0; i < kHostEffectMatrixCount; ++i) {
            D3DXMATRIX seen;
            fx->GetMatrix(record->matrixHandles[i], &seen);
            EXPECT_TRUE(MatrixNear(m[i], seen)) << "matrix handle " << i << " with transpose flag " << k.transposed;
        }
        D3DXVECTOR4 eye1, eye2;
        fx->GetVector(record->eyePosition, &eye1);
        fx->GetVector(record->eyePosition2, &eye2);
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(std::abs((&eye1.x)[i] - (i + 1.0f) + (i == 3 ? 3.0f : 0.0f)) < 1e-4f && (&eye2.x)[i] == (&eye1.x)[i])
                << "eye component " << i << ": " << (&eye1.x)[i];
        float alpha = -1, zero1 = -1, zero2 = -1;
        fx->GetFloat(record->alphaFactor, &alpha);
        fx->GetFloat(record->zeroFloat1, &zero1);
        fx->GetFloat(record->zeroFloat2, &zero2);
        EXPECT_FLOAT_EQ(alpha, k.alpha);
        EXPECT_EQ(zero1 + zero2, 0.0f);
    }
}

} // namespace
