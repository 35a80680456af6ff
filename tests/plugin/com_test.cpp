// The COM holder's rules, against an object that counts its references.
#include <gtest/gtest.h>

#include <d3d9.h>

#include "com.h"
#include "com_object.h"

namespace {

// A query object that records when it is destroyed; its count is what Release returns.
class CountedQuery final : public ComObject<IDirect3DQuery9> {
public:
    explicit CountedQuery(bool* destroyed) : destroyed_(destroyed) {}
    ~CountedQuery() override { *destroyed_ = true; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9**) override { return E_NOTIMPL; }
    D3DQUERYTYPE STDMETHODCALLTYPE GetType() override { return D3DQUERYTYPE_EVENT; }
    DWORD STDMETHODCALLTYPE GetDataSize() override { return 0; }
    HRESULT STDMETHODCALLTYPE Issue(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetData(void*, DWORD, DWORD) override { return S_OK; }

private:
    bool* destroyed_;
};

HRESULT CreateQuery(bool* destroyed, IDirect3DQuery9** out)
{
    *out = new CountedQuery(destroyed);
    return S_OK;
}

TEST(ComTest, AdoptShareCopyMoveResetAndRef)
{
    bool destroyed = false;
    auto* query = new CountedQuery(&destroyed);
    {
        Com<IDirect3DQuery9> adopted = Com<IDirect3DQuery9>::Adopt(query);
        EXPECT_EQ(query->References(), 1u) << "adopting takes over the caller's reference";
        Com<IDirect3DQuery9> shared = Com<IDirect3DQuery9>::Share(query);
        EXPECT_EQ(query->References(), 2u) << "sharing adds one";
        Com<IDirect3DQuery9> copy = shared;
        EXPECT_EQ(query->References(), 3u) << "a copy holds its own";
        Com<IDirect3DQuery9> moved = std::move(copy);
        EXPECT_EQ(query->References(), 3u) << "a move hands the reference over";
        EXPECT_EQ(copy, nullptr);
        copy = moved;
        EXPECT_EQ(query->References(), 4u);
        copy = copy; // self-assignment keeps the count
        EXPECT_EQ(query->References(), 4u);
        moved.reset();
        EXPECT_EQ(query->References(), 3u);
        IDirect3DQuery9* handedOut = shared.ref();
        EXPECT_EQ(query->References(), 4u) << "ref() hands out a new reference";
        handedOut->Release();
        EXPECT_EQ(shared.ptr(), query) << "ptr() lends without counting";
        EXPECT_EQ(query->References(), 3u);
    }
    EXPECT_TRUE(destroyed) << "the last holder released the last reference";
}

TEST(ComTest, PutReleasesTheOldObjectAndAdoptsTheNewOne)
{
    bool firstDestroyed = false, secondDestroyed = false;
    Com<IDirect3DQuery9> holder;
    ASSERT_EQ(CreateQuery(&firstDestroyed, holder.put()), S_OK);
    ASSERT_TRUE(holder);
    ASSERT_EQ(CreateQuery(&secondDestroyed, holder.put()), S_OK);
    EXPECT_TRUE(firstDestroyed);
    EXPECT_FALSE(secondDestroyed);
    EXPECT_EQ(static_cast<CountedQuery*>(holder.ptr())->References(), 1u);
    holder = nullptr;
    EXPECT_TRUE(secondDestroyed);
}

TEST(ComTest, AbandonLetsGoWithoutReleasing)
{
    bool destroyed = false;
    auto* query = new CountedQuery(&destroyed);
    query->AddRef(); // the test's own, to look at the object afterwards
    {
        auto holder = Com<IDirect3DQuery9>::Adopt(query);
        holder.abandon();
        EXPECT_EQ(holder, nullptr);
    }
    EXPECT_EQ(query->References(), 2u) << "the abandoned reference was never released";
    query->Release();
    query->Release();
    EXPECT_TRUE(destroyed);
}

// Lends itself to a holder while it is being destroyed, as a destructor that hands `this` on does.
class SelfLendingObject final : public ComObject<IUnknown> {
public:
    explicit SelfLendingObject(int* destructions) : destructions_(destructions) {}
    ~SelfLendingObject() override
    {
        if (++*destructions_ == 1)
            Com<IUnknown>::Share(this);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }

private:
    int* destructions_;
};

TEST(ComTest, AReferenceTakenAndGivenBackByTheDestructorDoesNotDeleteAgain)
{
    int destructions = 0;
    EXPECT_EQ((new SelfLendingObject(&destructions))->Release(), 0u);
    EXPECT_EQ(destructions, 1);
}

} // namespace
