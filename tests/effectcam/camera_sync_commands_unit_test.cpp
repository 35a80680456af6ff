// The render pass, call by call on the recording device: the masked cameras drawn in order, the
// host's targets given back, and the cameras skipped because their object, image or effect is gone.
#include <cstring>
#include <string>
#include <utility>

#include "effectcam_fixture.h"

namespace {

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

} // namespace
