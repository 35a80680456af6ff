// Memory pokes through the built DLL: exactly their bytes, nothing around them.
#include <cstring>

#include <gtest/gtest.h>

#include "plugin_fixture.h"

namespace {

class PokeTest : public RyxoDllTest {
protected:
    // Guard floats on both sides of the written area show any stray write.
    static constexpr float kGuard = -7.5f;
    float block_[20];
    void SetUp() override
    {
        RyxoDllTest::SetUp();
        std::fill(std::begin(block_), std::end(block_), kGuard);
    }
    int Target() { return Address(&block_[1]); }
    void ExpectGuardsFrom(int firstUntouched)
    {
        EXPECT_EQ(block_[0], kGuard);
        for (int i = firstUntouched; i < 20; ++i)
            EXPECT_EQ(block_[i], kGuard) << "float " << i << " was overwritten";
    }
};

TEST_F(PokeTest, VectorsWriteTheirFloatsInArgumentOrder)
{
    EXPECT_EQ(CALL(PokeVector2, Target(), 1.0f, 2.0f), 0);
    EXPECT_EQ(block_[1], 1.0f);
    EXPECT_EQ(block_[2], 2.0f);
    ExpectGuardsFrom(3);

    std::fill(std::begin(block_), std::end(block_), kGuard);
    CALL(PokeVector3, Target(), 1.0f, 2.0f, 3.0f);
    EXPECT_EQ(block_[3], 3.0f);
    ExpectGuardsFrom(4);

    std::fill(std::begin(block_), std::end(block_), kGuard);
    CALL(PokeVector4, Target(), 1.0f, 2.0f, 3.0f, -4.25f);
    EXPECT_EQ(block_[4], -4.25f);
    ExpectGuardsFrom(5);
}

TEST_F(PokeTest, MatrixIsLaidOutRowsFirst)
{
    CALL(PokeMatrix4, Target(), 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 5.0f,
         6.0f, 7.0f, 1.0f);
    D3DMATRIX m;
    std::memcpy(&m, &block_[1], sizeof m);
    EXPECT_EQ(m._11, 1.0f);
    EXPECT_EQ(m._22, 1.0f);
    EXPECT_EQ(m._33, 1.0f);
    EXPECT_EQ(m._41, 5.0f);
    EXPECT_EQ(m._42, 6.0f);
    EXPECT_EQ(m._43, 7.0f);
    EXPECT_EQ(m._44, 1.0f);
    EXPECT_EQ(m._14, 0.0f);
    ExpectGuardsFrom(17);
}

TEST_F(PokeTest, AddressZeroIsIgnored)
{
    EXPECT_EQ(CALL(PokeVector2, 0, 1.0f, 2.0f), 0);
    EXPECT_EQ(CALL(PokeVector3, 0, 1.0f, 2.0f, 3.0f), 0);
    EXPECT_EQ(CALL(PokeVector4, 0, 1.0f, 2.0f, 3.0f, 4.0f), 0);
    EXPECT_EQ(CALL(PokeMatrix4, 0, 1.0f, 2.0f, 3.0f, 4.0f, 1.0f, 2.0f, 3.0f, 4.0f, 1.0f, 2.0f, 3.0f, 4.0f, 1.0f,
                   2.0f, 3.0f, 4.0f),
              0);
}

} // namespace
