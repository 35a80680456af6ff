// Drawing the render queue, call by call: which sets are drawn for which camera, the streams,
// frequencies, indices and draws of one set, the textures handed to the effect, the stream reset
// after every queue walk, and the messages of failing device calls.
#include <algorithm>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "draw_fixture.h"
#include "instancing/instance_set_draw.h"
#include "instancing_commands.h"

namespace {

constexpr int kObject = 1;
constexpr int kEffect = 1;

constexpr UINT kIndexedData = 0x40000000;
constexpr UINT kInstanceData = 0x80000001;

// The stream calls after every queue walk.
const std::vector<DeviceMethod> kStreamReset = {DeviceMethod::SetStreamSource, DeviceMethod::SetStreamSourceFreq,
                                                DeviceMethod::SetStreamSourceFreq};

class GeoInstDrawTest : public DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        MakeEffect(kEffect, refhost::InstancingEffectDescription());
        MakeObject(kObject, kEffect);
    }

    // The geometry calls of the last sync: declaration, indices, streams, frequencies, draws.
    std::vector<DeviceCall> GeometryCalls()
    {
        return Device().Filter({DeviceMethod::SetVertexDeclaration, DeviceMethod::SetIndices,
                                DeviceMethod::SetStreamSource, DeviceMethod::SetStreamSourceFreq,
                                DeviceMethod::DrawIndexedPrimitive, DeviceMethod::DrawPrimitive});
    }

    size_t Draws() { return Device().Count(DeviceMethod::DrawIndexedPrimitive); }

    std::vector<DeviceMethod> LastThreeMethods()
    {
        const std::vector<DeviceMethod> methods = Device().Methods();
        if (methods.size() < 3)
            return methods;
        return std::vector<DeviceMethod>(methods.end() - 3, methods.end());
    }

    // The instance buffers bound to stream 1 by the last sync, in order (the reset's null left out).
    std::vector<IDirect3DVertexBuffer9*> InstanceStreams()
    {
        std::vector<IDirect3DVertexBuffer9*> out;
        for (const DeviceCall& c : Device().Filter(DeviceMethod::SetStreamSource))
            if (c.Arg(0) == 1 && c.Arg(1) != 0)
                out.push_back(reinterpret_cast<IDirect3DVertexBuffer9*>(static_cast<uintptr_t>(c.Arg(1))));
        return out;
    }

    void ExpectOnlyTheStreamReset(const char* why)
    {
        EXPECT_EQ(Device().Methods(), kStreamReset) << why;
        auto calls = Device().Calls();
        ASSERT_EQ(calls.size(), 3u);
        EXPECT_EQ(calls[0].args, (std::vector<uint32_t>{1, 0, 0, 0}));
        EXPECT_EQ(calls[1].args, (std::vector<uint32_t>{0, 1}));
        EXPECT_EQ(calls[2].args, (std::vector<uint32_t>{1, 1}));
    }
};

uint32_t Address(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

TEST_F(GeoInstDrawTest, OneSetIsOneInstancedDrawBetweenItsStreamsAndTheReset)
{
    const int handle = MakeSet(kObject, 100);
    const GeoInstRecord& set = Set(handle);
    const HostMesh* mesh = refhost::GetLimbMesh(kObject, 0);
    ASSERT_EQ(mesh->primitiveCount, 12);
    ASSERT_NE(mesh->drawBuffer->indexBuffer, nullptr);

    SyncCamera(0);
    const std::vector<DeviceCall> calls = GeometryCalls();
    struct Want {
        DeviceMethod method;
        std::vector<uint32_t> args;
    } want[] = {
        {DeviceMethod::SetVertexDeclaration, {Address(set.vertexDeclaration.ptr())}},
        {DeviceMethod::SetIndices, {Address(mesh->drawBuffer->indexBuffer)}},
        {DeviceMethod::SetStreamSource, {0, Address(mesh->drawBuffer->vertexBuffer), 0, uint32_t(mesh->vertexSize)}},
        {DeviceMethod::SetStreamSourceFreq, {0, kIndexedData | 100}},
        {DeviceMethod::SetStreamSource, {1, Address(set.instanceBuffer.ptr()), 0, 64}},
        {DeviceMethod::SetStreamSourceFreq, {1, kInstanceData}},
        {DeviceMethod::DrawIndexedPrimitive, {D3DPT_TRIANGLELIST, 0, 0, uint32_t(mesh->vertexCount), 0, 12}},
        {DeviceMethod::SetStreamSource, {1, 0, 0, 0}},
        {DeviceMethod::SetStreamSourceFreq, {0, 1}},
        {DeviceMethod::SetStreamSourceFreq, {1, 1}},
    };
    ASSERT_EQ(calls.size(), std::size(want)) << Describe(calls);
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].method, want[i].method) << "call " << i << "\n" << Describe(calls);
        EXPECT_EQ(calls[i].args, want[i].args) << "call " << i << ": " << Describe(calls[i]);
        EXPECT_EQ(calls[i].result, D3D_OK) << Describe(calls[i]);
    }
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());

    // The mesh's render states and the clip-plane switch come after the streams, before the draw.
    const std::vector<DeviceMethod> methods = Device().Methods();
    auto first = [&](DeviceMethod m) { return std::find(methods.begin(), methods.end(), m) - methods.begin(); };
    auto last = [&](DeviceMethod m) { return methods.rend() - std::find(methods.rbegin(), methods.rend(), m) - 1; };
    const auto draw = first(DeviceMethod::DrawIndexedPrimitive);
    EXPECT_GT(first(DeviceMethod::SetRenderState), first(DeviceMethod::SetStreamSourceFreq) + 1);
    EXPECT_LT(last(DeviceMethod::SetRenderState), draw);
    EXPECT_EQ(Device().LastRenderState(D3DRS_CLIPPLANEENABLE), DWORD(FALSE));
    EXPECT_TRUE(Device().LastRenderState(D3DRS_CULLMODE)) << "the mesh render states were applied";
}

TEST_F(GeoInstDrawTest, EveryEffectPassIsOneDraw)
{
    refhost::InstancingEffectOptions twoPasses;
    twoPasses.passes = 2;
    MakeEffect(2, refhost::InstancingEffectDescription(twoPasses));
    MakeObject(2, 2);
    MakeSet(2, 10);
    SyncCamera(0);
    ASSERT_EQ(Draws(), 2u);
    for (const DeviceCall& draw : Device().Filter(DeviceMethod::DrawIndexedPrimitive))
        EXPECT_EQ(draw.Arg(5), 12u) << "each pass draws the whole mesh";
}

TEST_F(GeoInstDrawTest, MeshWithoutIndicesDrawsThroughTheSequentialIndexBuffer)
{
    refhost::MeshDescription meshDescription;
    meshDescription.indexed = false;
    MakeObject(2, kEffect, meshDescription);
    const HostMesh* mesh = refhost::GetLimbMesh(2, 0);
    ASSERT_EQ(mesh->drawBuffer->indexBuffer, nullptr);
    const GeoInstRecord& set = Set(MakeSet(2, 3));
    ASSERT_NE(set.sequentialIndexBuffer, nullptr);

    SyncCamera(0);
    auto indices = Device().Filter(DeviceMethod::SetIndices);
    ASSERT_EQ(indices.size(), 1u);
    EXPECT_EQ(indices[0].Arg(0), Address(set.sequentialIndexBuffer.ptr()));
    auto draws = Device().Filter(DeviceMethod::DrawIndexedPrimitive);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].Arg(3), uint32_t(mesh->vertexCount)) << "NumVertices is the mesh's vertex count";
    EXPECT_EQ(draws[0].Arg(5), uint32_t(mesh->primitiveCount));
    EXPECT_EQ(Device().Count(DeviceMethod::DrawPrimitive), 0u);
}

TEST_F(GeoInstDrawTest, CameraMaskBitIsTheCameraNumberModulo32)
{
    const int handle = MakeSet(kObject, 2);
    struct Case {
        uint32_t mask;
        int camera;
        bool drawn;
    } cases[] = {
        {0xFFFFFFFF, 0, true}, {1, 0, true},           {1, 1, false},         {1, 32, true},
        {1, 33, false},        {0xFFFFFFFE, 0, false}, {0xFFFFFFFE, 1, true}, {0xFFFFFFFE, 64, false},
        {0x80000000, 31, true}, {0x80000000, -1, true}, {0, 0, false},
    };
    for (const Case& c : cases) {
        GeoInst_SetCameraMask(handle, static_cast<int>(c.mask));
        SyncCamera(c.camera);
        EXPECT_EQ(Draws(), c.drawn ? 1u : 0u) << "mask " << std::hex << c.mask << std::dec << ", camera " << c.camera;
        EXPECT_EQ(LastThreeMethods(), kStreamReset);
    }
}

TEST_F(GeoInstDrawTest, HiddenEmptyAndMeshlessSetsAreSkippedButTheStreamsAreStillReset)
{
    const int hidden = MakeSet(kObject, 2);
    GeoInst_SetHidden(hidden, 1);
    SyncCamera(0);
    ExpectOnlyTheStreamReset("a hidden set");
    GeoInst_SetHidden(hidden, 0);
    SyncCamera(0);
    EXPECT_EQ(Draws(), 1u);
    GeoInst_Delete(hidden);

    const int empty = MakeSet(kObject, 0);
    ASSERT_EQ(GeoInst_GetDrawCount(empty), 0);
    SyncCamera(0);
    ExpectOnlyTheStreamReset("draw count 0");

    const int everyOneExcluded = MakeSet(kObject, 2);
    GeoInst_SetExcluded(everyOneExcluded, 1, 1);
    GeoInst_SetExcluded(everyOneExcluded, 2, 1);
    ASSERT_EQ(GeoInst_GetDrawCount(everyOneExcluded), 0);
    SyncCamera(0);
    ExpectOnlyTheStreamReset("every instance excluded");

    GeoInst_MakeNew(); // no mesh
    SyncCamera(0);
    ExpectOnlyTheStreamReset("a set without a mesh");
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(GeoInstDrawTest, EmptyQueueOnlyResetsTheStreams)
{
    SyncCamera(0);
    ExpectOnlyTheStreamReset("nothing to draw");
}

TEST_F(GeoInstDrawTest, SetsAreDrawnInRenderQueueOrder)
{
    const int a = MakeSet(kObject, 1);
    const int b = MakeSet(kObject, 2);
    const int c = MakeSet(kObject, 3);
    SyncCamera(0);
    EXPECT_EQ(InstanceStreams(), (std::vector{Set(a).instanceBuffer.ptr(), Set(b).instanceBuffer.ptr(), Set(c).instanceBuffer.ptr()}));
    auto frequencies = Device().StreamFrequencies();
    EXPECT_EQ(frequencies[0], (StreamFrequencySet{0, kIndexedData | 1}));
    EXPECT_EQ(frequencies[2], (StreamFrequencySet{0, kIndexedData | 2}));
    EXPECT_EQ(frequencies[4], (StreamFrequencySet{0, kIndexedData | 3}));

    GeoInst_SetRenderPriority(c, 5);
    GeoInst_SetRenderPriority(b, 1);
    GeoInst_SortRenderQueue();
    SyncCamera(0);
    EXPECT_EQ(InstanceStreams(), (std::vector{Set(c).instanceBuffer.ptr(), Set(b).instanceBuffer.ptr(), Set(a).instanceBuffer.ptr()}));
}

TEST_F(GeoInstDrawTest, MeshWithoutEffectOrWithAnEffectThatCannotBeginIsSkippedWithoutMessage)
{
    const int handle = MakeSet(kObject, 2);
    // Begin fails: no pass is drawn. (The framework's End of an effect that has not begun does
    // nothing, so whether End follows cannot be seen here.)
    Com<ID3DXEffect> failing = MakeEffectThatCannotBegin();
    HostEffect& record = *Set(handle).mesh->effect;
    ID3DXEffect* own = std::exchange(record.effect, failing.ptr());
    SyncCamera(0);
    record.effect = own;
    EXPECT_EQ(Draws(), 0u);
    EXPECT_EQ(LastThreeMethods(), kStreamReset);

    refhost::SetObjectEffect(kObject, 0); // the host takes the effect away after binding
    SyncCamera(0);
    ExpectOnlyTheStreamReset("no effect");
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(GeoInstDrawTest, SetWithoutInstanceBufferOrDeclarationIsSkippedWithoutMessage)
{
    const int handle = MakeSet(kObject, 2);
    GeoInstRecord& set = Set(handle);

    // No stream 1 but a draw count: a refused GeoInst_SetMaxInstanceCount no longer leaves a set
    // so, but the draw does not count on that.
    set.instanceBuffer.reset();
    set.instanceBufferBytes = 0;
    ASSERT_EQ(GeoInst_GetDrawCount(handle), 2);
    messages_.Take();
    SyncCamera(0);
    ExpectOnlyTheStreamReset("no instance buffer");
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());

    // The declaration for a new layout could not be made.
    GeoInst_SetMaxInstanceCount(handle, 2);
    GeoInst_Update(handle);
    ASSERT_NE(set.instanceBuffer, nullptr);
    Device().FailCall(DeviceMethod::CreateVertexDeclaration, 1);
    GeoInst_DeleteCustomElements(handle);
    ASSERT_EQ(set.vertexDeclaration, nullptr);
    messages_.Take();
    SyncCamera(0);
    ExpectOnlyTheStreamReset("no vertex declaration");
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(GeoInstDrawTest, FailingDeviceCallsShowTheirMessageAndTheDrawGoesOn)
{
    refhost::InstancingEffectOptions twoPasses;
    twoPasses.passes = 2;
    MakeEffect(2, refhost::InstancingEffectDescription(twoPasses));
    MakeObject(2, 2);
    MakeSet(2, 4);

    struct Case {
        DeviceMethod method;
        int nth;
        const char* text;
    } cases[] = {
        {DeviceMethod::SetVertexDeclaration, 1, "Failed to set Vertex Declaration"},
        {DeviceMethod::SetIndices, 1, "Failed to set Index Buffer"},
        {DeviceMethod::SetStreamSource, 1, "Failed to set stream source 0"},
        {DeviceMethod::SetStreamSourceFreq, 1, "Failed to set stream source freq 0"},
        {DeviceMethod::SetStreamSource, 2, "Failed to set stream source 1"},
        {DeviceMethod::SetStreamSourceFreq, 2, "Failed to set stream source freq 1"},
        {DeviceMethod::DrawIndexedPrimitive, 2, "Failed to draw primitive"},
    };
    for (const Case& c : cases) {
        Device().ClearFailures();
        Device().FailCall(c.method, c.nth);
        SyncCamera(0);
        EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{{"GeoInst_Draw Error", c.text}}))
            << "failing call " << c.nth << " of " << DeviceMethodName(c.method);
        EXPECT_EQ(Draws(), 2u) << "drawing goes on after " << c.text;
        EXPECT_EQ(LastThreeMethods(), kStreamReset);
    }

    // A lasting fault shows its message for every pass of every sync.
    Device().ClearFailures();
    Device().FailCall(DeviceMethod::DrawIndexedPrimitive, 0);
    SyncCamera(0);
    SyncCamera(0);
    EXPECT_THAT(messages_.Take(), testing::SizeIs(4));
    Device().ClearFailures();
}

TEST_F(GeoInstDrawTest, MeshTexturesGoToTheEffectsTextureParametersInOrder)
{
    // Three texture parameters, two texture-stage entries: only the first two are bound.
    refhost::EffectDescription description = refhost::InstancingEffectDescription();
    for (const char* name : {"SecondTexture", "ThirdTexture"}) {
        refhost::EffectParameter texture;
        texture.name = name;
        texture.kind = refhost::EffectParameterKind::Texture;
        description.parameters.push_back(texture);
    }
    HostEffect* effect = MakeEffect(2, description);
    IDirect3DTexture9* first = refhost::MakeImage(11, 4, 4, 0xFFFF0000);
    IDirect3DTexture9* second = refhost::MakeImage(12, 4, 4, 0xFF00FF00);
    IDirect3DTexture9* third = refhost::MakeImage(13, 4, 4, 0xFF0000FF);
    refhost::MeshDescription meshDescription;
    meshDescription.textureStages = 2;
    MakeObject(2, 2, meshDescription);
    refhost::TextureLimbStage(2, 0, 0, 11);
    refhost::TextureLimbStage(2, 0, 1, 12);

    const GeoInstRecord& set = Set(MakeSet(2, 1));
    ASSERT_EQ(set.textureParameterCount, 3);
    ID3DXEffect* fx = effect->effect;
    // A texture the draw must not replace.
    fx->SetTexture(set.textureParameters[2], third);

    BindMeshTextures(fx, set.mesh, set.textureParameters, set.textureParameterCount);
    auto textureOf = [&](int i) {
        IDirect3DBaseTexture9* t = nullptr;
        fx->GetTexture(set.textureParameters[i], &t);
        if (t) t->Release();
        return t;
    };
    EXPECT_EQ(textureOf(0), first);
    EXPECT_EQ(textureOf(1), second);
    EXPECT_EQ(textureOf(2), third);

    // The draw binds them too, and clears the device stages the mesh does not use.
    fx->SetTexture(set.textureParameters[0], nullptr);
    SyncCamera(0);
    EXPECT_EQ(textureOf(0), first);
    auto cleared = Device().Filter(DeviceMethod::SetTexture);
    ASSERT_EQ(cleared.size(), 6u);
    EXPECT_EQ(cleared[0].Arg(0), 2u);
}

} // namespace
