// GeoInst_Update: the drawn instances packed into the instance buffer.
#include <algorithm>
#include <cstring>
#include <random>
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

// A record made by hand, owning instance data in which every byte tells its instance and place:
// byte i of instance n's vertex is (n x 7 + i) mod 256.
struct HandMadeSet {
    GeoInstRecord record{};

    HandMadeSet(int max, int stride)
    {
        const size_t bytes = static_cast<size_t>(max + 1) * stride;
        record.transforms.reset(static_cast<GeoInstTransform*>(std::calloc(max + 1, sizeof(GeoInstTransform))));
        record.instanceData.reset(static_cast<std::byte*>(std::malloc(bytes)));
        record.excludedBits.reset(static_cast<uint32_t*>(std::calloc(ExclusionWords(max), 4)));
        for (size_t i = 0; i < bytes; ++i)
            record.instanceData[i] = std::byte((i / stride * 7 + i % stride) & 0xFF);
        record.stride = stride;
        record.maxInstanceCount = max;
        record.instanceDataBytes = static_cast<uint32_t>(bytes);
    }
    void Exclude(int n)
    {
        record.transforms[n].excluded = 1;
        MarkExcluded(record, n, true);
        ++record.excludedInstances;
    }
    // What the upload must write: the included vertices among 1 to count, in order, packed, cut to
    // `room` vertices.
    std::vector<std::byte> Packed(int count, int room) const
    {
        std::vector<std::byte> out;
        const size_t stride = static_cast<size_t>(record.stride);
        for (int n = 1; n <= count && out.size() < room * stride; ++n)
            if (record.transforms[n].excluded == 0)
                out.insert(out.end(), record.instanceData.get() + n * stride,
                           record.instanceData.get() + (n + 1) * stride);
        return out;
    }
};

TEST(PackDrawnInstances, WithNothingExcludedCopiesOneBlockWithinTheRoom)
{
    HandMadeSet set(5, 4);
    std::byte out[4 * 4 + 1];
    std::fill(std::begin(out), std::end(out), std::byte{0xEE});
    EXPECT_EQ(PackDrawnInstances(set.record, 5, out, 3 * 4), 3);
    EXPECT_EQ(out[0], std::byte{7});
    EXPECT_EQ(out[4], std::byte{14});
    EXPECT_EQ(out[8], std::byte{21});
    EXPECT_EQ(out[12], std::byte{0xEE}) << "instances 4 and 5 had no room";
}

TEST(PackDrawnInstances, NeverWritesPastTheRoomGiven)
{
    HandMadeSet set(5, 4);
    set.Exclude(2);
    std::byte out[4 * 4 + 1];
    std::fill(std::begin(out), std::end(out), std::byte{0xEE});
    EXPECT_EQ(PackDrawnInstances(set.record, 5, out, 3 * 4), 3);
    const std::vector<std::byte> expected = set.Packed(5, 3);
    EXPECT_EQ(std::vector<std::byte>(out, out + 12), expected) << "instances 1, 3 and 4";
    EXPECT_EQ(out[12], std::byte{0xEE}) << "instance 5 had no room";
}

// Exclusion patterns as runs: an excluded run, an included run, and so on, each 0 to a few hundred
// long, from mostly short runs (several exclusions in every 32 instances) to mostly long ones.
std::vector<bool> ExclusionPattern(std::mt19937& random, int count, bool firstExcluded, bool lastExcluded)
{
    const int style = std::uniform_int_distribution<int>(0, 2)(random);
    auto runLength = [&](bool excludedRun) {
        // Style 0: every run short; 1: long included runs, short excluded ones; 2: anything to 40.
        const int shortest = 0, longest = style == 0 ? 3 : style == 1 ? (excludedRun ? 3 : 300) : 40;
        return std::uniform_int_distribution<int>(shortest, longest)(random);
    };
    std::vector<bool> excluded(count + 1, false);
    int n = 1;
    bool excludedRun = firstExcluded;
    while (n <= count) {
        int run = runLength(excludedRun);
        if (n == 1 && firstExcluded)
            run = std::max(run, 1);
        for (; run > 0 && n <= count; --run, ++n)
            excluded[n] = excludedRun;
        excludedRun = !excludedRun;
    }
    excluded[1] = firstExcluded;
    if (lastExcluded)
        excluded[count] = true;
    return excluded;
}

TEST(PackDrawnInstances, RandomExclusionPatternsPackTheSameBytesAsAnInstanceByInstanceCopy)
{
    std::mt19937 random(1018);
    int fewExcluded = 0, manyExcluded = 0;
    for (int pattern = 0; pattern < 400; ++pattern) {
        static constexpr int kStrides[] = {64, 64, 64, 20, 76, 128};
        const int stride = kStrides[pattern % std::size(kStrides)];
        const int max = std::uniform_int_distribution<int>(1, 1500)(random);
        const int count = std::uniform_int_distribution<int>(std::max(1, max - 40), max)(random);
        const bool firstExcluded = pattern % 2 == 0, lastExcluded = pattern % 4 < 2;
        HandMadeSet set(max, stride);
        const std::vector<bool> excluded = ExclusionPattern(random, count, firstExcluded, lastExcluded);
        for (int n = 1; n <= count; ++n)
            if (excluded[n])
                set.Exclude(n);
        // Instances past the count are excluded or not at random: they must never be read.
        for (int n = count + 1; n <= max; ++n)
            if (random() % 2)
                set.Exclude(n);
        (set.record.excludedInstances * 16 >= count ? manyExcluded : fewExcluded) += 1;
        const int room = pattern % 5 == 0 ? std::uniform_int_distribution<int>(0, count)(random) : count;
        SCOPED_TRACE(::testing::Message() << "pattern " << pattern << ": stride " << stride << ", count " << count
                                          << ", room " << room << ", excluded " << set.record.excludedInstances);

        std::vector<std::byte> out(static_cast<size_t>(count + 1) * stride, std::byte{0xEE});
        const int copied = PackDrawnInstances(set.record, count, out.data(), static_cast<uint32_t>(room * stride));
        const std::vector<std::byte> expected = set.Packed(count, room);
        ASSERT_EQ(copied * stride, static_cast<int>(expected.size()));
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), out.begin())) << "the packed bytes differ";
        ASSERT_TRUE(std::all_of(out.begin() + room * stride, out.end(), [](std::byte b) { return b == std::byte{0xEE}; }))
            << "written past the room";
    }
    EXPECT_GT(fewExcluded, 50);
    EXPECT_GT(manyExcluded, 50);
}

TEST_F(UploadTest, TheUploadFollowsExclusionsKeptThroughAResize)
{
    // The bitmap the upload reads is kept by GeoInst_SetExcluded and rebuilt when the storage is
    // re-sized: the packed bytes are those of the flags as the script sees them.
    std::mt19937 random(18);
    int set = MakeBoundSet(300);
    MarkInstances(set, 300);
    for (int n = 1; n <= 300; ++n)
        GeoInst_SetExcluded(set, n, random() % 3 == 0 ? 1 : 0);
    GeoInst_SetMaxInstanceCount(set, 200);
    GeoInst_SetMaxInstanceCount(set, 260);
    GeoInstRecord& record = Set(set);
    UseReadableInstanceBuffer(record);
    GeoInst_SetExcluded(set, 1, 1);
    GeoInst_SetExcluded(set, 260, 1);
    GeoInst_SetExcluded(set, 259, 0);
    GeoInst_SetInstanceCount(set, 260);
    std::vector<int> drawn;
    for (int n = 1; n <= 260; ++n)
        if (GeoInst_GetExcluded(set, n) == 0)
            drawn.push_back(n <= 200 ? n : 0); // instances 201 to 260 came back zero-filled
    GeoInst_Update(set);
    ASSERT_EQ(GeoInst_GetDrawCount(set), static_cast<int>(drawn.size()));
    EXPECT_EQ(InstancesIn(InstanceBufferBytes(record, static_cast<UINT>(drawn.size()) * 64), 64,
                          static_cast<int>(drawn.size())),
              drawn);
}

} // namespace
