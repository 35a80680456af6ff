// GeoInst_Update: the drawn instances packed into the instance buffer.
#include <algorithm>
#include <cstring>
#include <vector>

#include "com_object.h"
#include "instancing/instance_upload.h"
#include "instancing_commands.h"
#include "unit_fixture.h"

namespace {

using UploadTest = InstancingUnitTest;

// Marks instance n's vertex with n in every float, so packed vertices tell which instance they are.
void MarkInstances(int set, int count)
{
    for (int n = 1; n <= count; ++n) {
        float m[16];
        std::fill(std::begin(m), std::end(m), float(n));
        GeoInst_SetWorldMatrixPtr(set, n, ScriptAddress(m));
    }
}

std::vector<int> InstancesIn(const std::vector<std::byte>& bytes, int stride, int count)
{
    std::vector<int> out;
    for (int i = 0; i < count; ++i) {
        float first, last;
        std::memcpy(&first, bytes.data() + i * stride, 4);
        std::memcpy(&last, bytes.data() + i * stride + 60, 4);
        out.push_back(first == last ? int(first) : -1);
    }
    return out;
}

TEST_F(UploadTest, ExcludedInstancesAreLeftOutAndTheRestPacked)
{
    int set = MakeBoundSet(8);
    GeoInstRecord& record = Set(set);
    UseReadableInstanceBuffer(record);
    MarkInstances(set, 8);
    GeoInst_SetInstanceCount(set, 5);
    GeoInst_SetExcluded(set, 3, 1);
    GeoInst_Update(set);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 4);
    EXPECT_EQ(InstancesIn(InstanceBufferBytes(record, 4 * 64), 64, 4), (std::vector<int>{1, 2, 4, 5}));

    GeoInst_SetInstanceCount(set, 8);
    GeoInst_SetExcluded(set, 1, 1);
    GeoInst_SetExcluded(set, 8, 1);
    GeoInst_SetExcluded(set, 3, 0);
    GeoInst_SetExcluded(set, 6, 1);
    GeoInst_Update(set);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 5);
    EXPECT_EQ(InstancesIn(InstanceBufferBytes(record, 5 * 64), 64, 5), (std::vector<int>{2, 3, 4, 5, 7}));
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(UploadTest, IncludingEveryInstanceAgainUploadsThemAllInOrder)
{
    int set = MakeBoundSet(6);
    GeoInstRecord& record = Set(set);
    UseReadableInstanceBuffer(record);
    MarkInstances(set, 6);
    GeoInst_SetInstanceCount(set, 6);
    GeoInst_SetExcluded(set, 2, 1);
    GeoInst_SetExcluded(set, 2, 5); // non-zero to non-zero: still one excluded instance
    GeoInst_SetExcluded(set, 6, 1);
    EXPECT_EQ(record.excludedInstances, 2);
    GeoInst_SetExcluded(set, 2, 0);
    GeoInst_SetExcluded(set, 6, 0);
    EXPECT_EQ(record.excludedInstances, 0);
    GeoInst_Update(set);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 6);
    EXPECT_EQ(InstancesIn(InstanceBufferBytes(record, 6 * 64), 64, 6), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST_F(UploadTest, ResizingRecountsTheExcludedInstances)
{
    int set = MakeBoundSet(6);
    GeoInstRecord& record = Set(set);
    GeoInst_SetExcluded(set, 2, 1);
    GeoInst_SetExcluded(set, 5, 1);
    GeoInst_SetMaxInstanceCount(set, 4); // instance 5 and its flag are gone
    EXPECT_EQ(record.excludedInstances, 1);
    GeoInst_SetMaxInstanceCount(set, 8); // the kept flag of instance 2 stays
    EXPECT_EQ(record.excludedInstances, 1);
    EXPECT_EQ(GeoInst_GetExcluded(set, 2), 1);
}

TEST(PackDrawnInstances, WithNothingExcludedCopiesOneBlockWithinTheRoom)
{
    GeoInstTransform transforms[6] = {};
    std::byte data[6 * 4];
    for (int i = 0; i < 24; ++i)
        data[i] = std::byte(i / 4);
    GeoInstRecord set{};
    set.stride = 4;
    set.transforms = transforms;
    set.instanceData = data;
    std::byte out[4 * 4 + 1];
    std::fill(std::begin(out), std::end(out), std::byte{0xEE});
    EXPECT_EQ(PackDrawnInstances(set, 5, out, 3 * 4), 3);
    EXPECT_EQ(out[0], std::byte{1});
    EXPECT_EQ(out[4], std::byte{2});
    EXPECT_EQ(out[8], std::byte{3});
    EXPECT_EQ(out[12], std::byte{0xEE}) << "instances 4 and 5 had no room";
}

TEST_F(UploadTest, NothingToDrawGivesDrawCountZero)
{
    int set = MakeBoundSet(3);
    GeoInst_SetInstanceCount(set, 3);
    GeoInst_Update(set);
    ASSERT_EQ(GeoInst_GetDrawCount(set), 3);
    for (int n = 1; n <= 3; ++n)
        GeoInst_SetExcluded(set, n, 1);
    GeoInst_Update(set);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 0);
    GeoInst_SetInstanceCount(set, 0);
    for (int n = 1; n <= 3; ++n)
        GeoInst_SetExcluded(set, n, 0);
    GeoInst_Update(set);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 0);
}

TEST_F(UploadTest, CustomLayoutsUploadWholeInstanceVertices)
{
    int set = MakeBoundSet(4);
    GeoInst_DeclareCustomElements(set, 1);
    GeoInst_AddCustomElement(set, 3);
    GeoInst_FinishCustomElements(set);
    GeoInstRecord& record = Set(set);
    ASSERT_EQ(record.stride, 76);
    UseReadableInstanceBuffer(record);
    MarkInstances(set, 4);
    for (int n = 1; n <= 4; ++n)
        GeoInst_SetCustomData3(set, n, 1, float(10 * n), float(10 * n + 1), float(10 * n + 2));
    GeoInst_SetInstanceCount(set, 4);
    GeoInst_SetExcluded(set, 2, 1);
    GeoInst_Update(set);
    auto bytes = InstanceBufferBytes(record, 3 * 76);
    EXPECT_EQ(InstancesIn(bytes, 76, 3), (std::vector<int>{1, 3, 4}));
    float custom[3];
    std::memcpy(custom, bytes.data() + 76 + 64, sizeof(custom));
    EXPECT_EQ(custom[0], 30.0f);
    EXPECT_EQ(custom[2], 32.0f);
}

TEST_F(UploadTest, UnusualExclusionFlagsStillUploadEveryDrawnInstance)
{
    int set = MakeBoundSet(6);
    GeoInstRecord& record = Set(set);
    UseReadableInstanceBuffer(record);
    MarkInstances(set, 6);
    GeoInst_SetInstanceCount(set, 6);
    GeoInst_Update(set);
    // Flags 2 and 3 both exclude, yet every change counts: the draw count drifts to 4.
    GeoInst_SetExcluded(set, 2, 2);
    GeoInst_SetExcluded(set, 2, 3);
    ASSERT_EQ(GeoInst_GetDrawCount(set), 4);
    GeoInst_Update(set);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 5);
    EXPECT_EQ(InstancesIn(InstanceBufferBytes(record, 5 * 64), 64, 5), (std::vector<int>{1, 3, 4, 5, 6}));
}

TEST_F(UploadTest, AnUploadCutShortByTheStorageDoesNotLimitTheNextOne)
{
    // A finished layout without rows keeps 16 bytes per instance; a new declaration with rows says
    // 64 while the storage still holds 16-byte instances, so an upload then reaches no instance.
    int set = MakeBoundSet(4);
    GeoInst_DeclareCustomElements(set, 0);
    GeoInst_AddCustomElement(set, 4);
    GeoInst_FinishCustomElements(set);
    GeoInst_SetInstanceCount(set, 4);
    GeoInst_DeclareCustomElements(set, 1);
    GeoInst_Update(set);
    ASSERT_EQ(GeoInst_GetDrawCount(set), 0);

    // Storage made for the 64-byte layout: the next upload packs all four instances again.
    GeoInst_SetMaxInstanceCount(set, 4);
    GeoInstRecord& record = Set(set);
    UseReadableInstanceBuffer(record);
    MarkInstances(set, 4);
    GeoInst_Update(set);
    EXPECT_EQ(GeoInst_GetDrawCount(set), 4);
    EXPECT_EQ(InstancesIn(InstanceBufferBytes(record, 4 * 64), 64, 4), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(UploadTest, WithoutAnInstanceBufferTheUploadIsRefused)
{
    int set = GeoInst_MakeNew();
    GeoInst_Update(set);
    EXPECT_EQ(messages_.Take(),
              (std::vector<ShownMessage>{{"GeoInst_Update Error", "The GeoInst has no instance buffer: give it a max "
                                                                  "instance count with GeoInst_SetMaxInstanceCount"}}));
    EXPECT_EQ(GeoInst_GetDrawCount(set), 0);
    EXPECT_EQ(Set(set).drawCountValid, 0);
}

// An instance buffer whose lock always fails.
class UnlockableBuffer final : public ComObject<IDirect3DVertexBuffer9> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9**) override { return D3DERR_INVALIDCALL; }
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, const void*, DWORD, DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, void*, DWORD*) override { return D3DERR_INVALIDCALL; }
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID) override { return D3DERR_INVALIDCALL; }
    DWORD STDMETHODCALLTYPE SetPriority(DWORD) override { return 0; }
    DWORD STDMETHODCALLTYPE GetPriority() override { return 0; }
    void STDMETHODCALLTYPE PreLoad() override {}
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT STDMETHODCALLTYPE Lock(UINT, UINT, void** data, DWORD) override
    {
        ++locks;
        *data = nullptr;
        return D3DERR_INVALIDCALL;
    }
    HRESULT STDMETHODCALLTYPE Unlock() override
    {
        ++unlocks;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) override
    {
        *desc = {};
        return D3D_OK;
    }
    int locks = 0;
    int unlocks = 0;
};

TEST_F(UploadTest, AFailedLockChangesNothing)
{
    int set = MakeBoundSet(4);
    GeoInst_SetInstanceCount(set, 4);
    GeoInst_Update(set);
    GeoInst_SetInstanceCount(set, 2);
    GeoInstRecord& record = Set(set);
    auto* failing = new UnlockableBuffer;
    record.instanceBuffer = Com<IDirect3DVertexBuffer9>::Adopt(failing);
    GeoInst_Update(set);
    EXPECT_EQ(failing->locks, 1);
    EXPECT_EQ(failing->unlocks, 0);
    EXPECT_EQ(messages_.Take(), (std::vector<ShownMessage>{{"GeoInst_Update Error", "Failed to lock the instance buffer"}}));
    EXPECT_EQ(GeoInst_GetDrawCount(set), 4);
    EXPECT_EQ(record.drawCountValid, 0);
}

TEST(PackDrawnInstances, NeverWritesPastTheRoomGiven)
{
    GeoInstTransform transforms[6] = {};
    std::byte data[6 * 4];
    for (int i = 0; i < 24; ++i)
        data[i] = std::byte(i / 4);
    GeoInstRecord set{};
    set.stride = 4;
    set.transforms = transforms;
    set.instanceData = data;
    transforms[2].excluded = 1;
    set.excludedInstances = 1;
    std::byte out[4 * 4 + 1];
    std::fill(std::begin(out), std::end(out), std::byte{0xEE});
    EXPECT_EQ(PackDrawnInstances(set, 5, out, 3 * 4), 3);
    EXPECT_EQ(out[0], std::byte{1});
    EXPECT_EQ(out[4], std::byte{3});
    EXPECT_EQ(out[8], std::byte{4});
    EXPECT_EQ(out[12], std::byte{0xEE}) << "instance 5 had no room";
}

TEST(PackDrawnInstances, ManyShortRunsPackInstanceByInstanceWithinTheRoom)
{
    // Half the instances excluded at random takes the copy without a branch per run, for the
    // default 64-byte layout and any other stride: the result must be the same packing.
    constexpr int kCount = 40;
    for (int stride : {64, 20}) {
        for (int roomInstances : {kCount, 7}) {
            SCOPED_TRACE(::testing::Message() << "stride " << stride << ", room " << roomInstances);
            std::vector<GeoInstTransform> transforms(kCount + 1);
            std::vector<std::byte> data(static_cast<size_t>(kCount + 1) * stride);
            for (size_t i = 0; i < data.size(); ++i)
                data[i] = std::byte(i / stride);
            GeoInstRecord set{};
            set.stride = stride;
            set.transforms = transforms.data();
            set.instanceData = data.data();
            std::vector<int> drawn;
            uint32_t bits = 0x9E3779B9u;
            for (int n = 1; n <= kCount; ++n) {
                bits = bits * 1664525u + 1013904223u;
                transforms[n].excluded = (bits >> 28) & 1;
                set.excludedInstances += transforms[n].excluded;
                if (!transforms[n].excluded)
                    drawn.push_back(n);
            }
            ASSERT_GE(set.excludedInstances * 8, kCount) << "the pattern must take the short-run copy";
            std::vector<std::byte> out(static_cast<size_t>(kCount + 1) * stride, std::byte{0xEE});
            const int expected = std::min<int>(static_cast<int>(drawn.size()), roomInstances);
            EXPECT_EQ(PackDrawnInstances(set, kCount, out.data(), static_cast<uint32_t>(roomInstances * stride)),
                      expected);
            for (int i = 0; i < expected; ++i)
                EXPECT_EQ(out[static_cast<size_t>(i) * stride + stride - 1], std::byte(drawn[i])) << "slot " << i;
            EXPECT_EQ(out[static_cast<size_t>(roomInstances) * stride], std::byte{0xEE}) << "nothing past the room";
        }
    }
}

} // namespace
