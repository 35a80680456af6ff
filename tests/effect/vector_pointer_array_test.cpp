// Vector arrays whose vectors lie scattered in memory: gathered into and scattered from the
// plugin's 3840-byte staging block on their way to and from the effect.
#include <vector>

#include "effect_fixture.h"

namespace {

class VectorPointerArrayTest : public EffectCommandTest {
protected:
    static constexpr float kGuard = -7.5f;

    // Every vector of "Lights", as the effect holds them.
    std::vector<D3DXVECTOR4> Lights()
    {
        std::vector<D3DXVECTOR4> lights(240);
        fx_->GetVectorArray("Lights", lights.data(), 240);
        return lights;
    }
};

TEST_F(VectorPointerArrayTest, SetGathersAndGetScattersSixteenByteVectors)
{
    // Vectors placed apart, with guard floats between them, listed out of memory order.
    std::vector<float> memory(40, kGuard);
    auto at = [&](int i) { return reinterpret_cast<D3DXVECTOR4*>(&memory[i]); };
    *at(1) = D3DXVECTOR4(1, 2, 3, 4);
    *at(10) = D3DXVECTOR4(5, 6, 7, 8);
    *at(20) = D3DXVECTOR4(9, 10, 11, 12);
    int32_t addresses[3] = {Address(at(20)), Address(at(1)), Address(at(10))};
    EXPECT_EQ(CALL(Shader_SetVectorPointerArray, effect_, Parameter("VectorArray"), Address(addresses), 16, 3), 0);
    D3DXVECTOR4 colors[8];
    fx_->GetVectorArray("VectorArray", colors, 8);
    EXPECT_TRUE(SameVector(*at(20), colors[0]));
    EXPECT_TRUE(SameVector(*at(1), colors[1]));
    EXPECT_TRUE(SameVector(*at(10), colors[2]));
    EXPECT_TRUE(SameVector(D3DXVECTOR4(0, 0, 0, 0), colors[3])) << "only three vectors were given";

    // Reading back to the same addresses writes the same vectors and nothing else.
    std::vector<float> before = memory;
    *at(1) = *at(10) = *at(20) = D3DXVECTOR4(0, 0, 0, 0);
    EXPECT_EQ(CALL(Shader_GetVectorPointerArray, effect_, Parameter("VectorArray"), Address(addresses), 16, 3), 0);
    EXPECT_EQ(memory, before);
}

TEST_F(VectorPointerArrayTest, BytesPerVectorSpacesTheStagedCopies)
{
    // Scatter with 8 bytes per vector: target i receives bytes 8i to 8i+7 of the packed vectors.
    D3DXVECTOR4 colors[2] = {D3DXVECTOR4(1, 2, 3, 4), D3DXVECTOR4(5, 6, 7, 8)};
    fx_->SetVectorArray("VectorArray", colors, 2);
    float targets[3][3];
    for (auto& t : targets)
        t[0] = t[1] = t[2] = kGuard;
    int32_t addresses[3] = {Address(targets[0]), Address(targets[1]), Address(targets[2])};
    CALL(Shader_GetVectorPointerArray, effect_, Parameter("VectorArray"), Address(addresses), 8, 3);
    float expected[3][3] = {{1, 2, kGuard}, {3, 4, kGuard}, {5, 6, kGuard}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(targets[i][j], expected[i][j]) << "target " << i << " float " << j;

    // Gather with 8 bytes per vector packs the pairs, which the effect then reads as whole vectors.
    float pairs[4][2] = {{1, 2}, {3, 4}, {5, 6}, {7, 8}};
    int32_t sources[4] = {Address(pairs[0]), Address(pairs[1]), Address(pairs[2]), Address(pairs[3])};
    CALL(Shader_SetVectorPointerArray, effect_, Parameter("VectorArray"), Address(sources), 8, 4);
    fx_->GetVectorArray("VectorArray", colors, 2);
    EXPECT_TRUE(SameVector(D3DXVECTOR4(1, 2, 3, 4), colors[0]));
    EXPECT_TRUE(SameVector(D3DXVECTOR4(5, 6, 7, 8), colors[1]));
}

TEST_F(VectorPointerArrayTest, AWholeStagingBlockOfVectorsIsAccepted)
{
    std::vector<D3DXVECTOR4> vectors(240);
    std::vector<int32_t> addresses(240);
    for (int i = 0; i < 240; ++i) {
        vectors[i] = D3DXVECTOR4(float(i), float(-i), 0.5f, 1.0f);
        addresses[i] = Address(&vectors[i]);
    }
    CALL(Shader_SetVectorPointerArray, effect_, Parameter("Lights"), Address(addresses.data()), 16, 240);
    std::vector<D3DXVECTOR4> lights = Lights();
    EXPECT_TRUE(SameVector(vectors[0], lights[0]));
    EXPECT_TRUE(SameVector(vectors[239], lights[239]));

    for (auto& v : vectors)
        v = D3DXVECTOR4(kGuard, kGuard, kGuard, kGuard);
    CALL(Shader_GetVectorPointerArray, effect_, Parameter("Lights"), Address(addresses.data()), 16, 240);
    EXPECT_TRUE(SameVector(lights[239], vectors[239]));
    EXPECT_TRUE(SameVector(lights[120], vectors[120]));
}

TEST_F(VectorPointerArrayTest, RequestsBeyondTheStagingBlockAreRefused)
{
    // Sets read from one vector, gets write to another: a refused set must not reach the effect, a
    // refused get must not write its target.
    D3DXVECTOR4 source(3, 3, 3, 3);
    D3DXVECTOR4 target(kGuard, kGuard, kGuard, kGuard);
    std::vector<int32_t> sources(300, Address(&source));
    std::vector<int32_t> targets(300, Address(&target));
    fx_->SetVectorArray("Lights", std::vector<D3DXVECTOR4>(240, D3DXVECTOR4(9, 9, 9, 9)).data(), 240);

    struct Request {
        int bytesPerVector, count;
        const char* why;
    };
    for (Request r : {Request{16, 241, "241 vectors"}, Request{17, 240, "4080 bytes"}, Request{48, 100, "4800 bytes"},
                      Request{4, 241, "the effect would move 241 vectors"}, Request{16, -1, "a negative count"},
                      Request{-16, 3, "a negative size"}}) {
        CALL(Shader_SetVectorPointerArray, effect_, Parameter("Lights"), Address(sources.data()), r.bytesPerVector,
             r.count);
        EXPECT_TRUE(SameVector(D3DXVECTOR4(9, 9, 9, 9), Lights()[0])) << r.why;
        CALL(Shader_GetVectorPointerArray, effect_, Parameter("Lights"), Address(targets.data()), r.bytesPerVector,
             r.count);
        EXPECT_TRUE(SameVector(D3DXVECTOR4(kGuard, kGuard, kGuard, kGuard), target)) << r.why;
    }

    // No address list at all.
    CALL(Shader_SetVectorPointerArray, effect_, Parameter("Lights"), 0, 16, 3);
    CALL(Shader_GetVectorPointerArray, effect_, Parameter("Lights"), 0, 16, 3);
    EXPECT_TRUE(SameVector(D3DXVECTOR4(9, 9, 9, 9), Lights()[0]));
}

TEST_F(VectorPointerArrayTest, ZeroAddressesInTheListAreSkipped)
{
    D3DXVECTOR4 a(1, 1, 1, 1), c(3, 3, 3, 3);
    int32_t addresses[3] = {Address(&a), 0, Address(&c)};
    fx_->SetVectorArray("VectorArray", std::vector<D3DXVECTOR4>(3, D3DXVECTOR4(8, 8, 8, 8)).data(), 3);
    CALL(Shader_SetVectorPointerArray, effect_, Parameter("VectorArray"), Address(addresses), 16, 3);
    D3DXVECTOR4 colors[3];
    fx_->GetVectorArray("VectorArray", colors, 3);
    EXPECT_TRUE(SameVector(a, colors[0]));
    EXPECT_TRUE(SameVector(D3DXVECTOR4(0, 0, 0, 0), colors[1])) << "a skipped vector is handed over as zeros";
    EXPECT_TRUE(SameVector(c, colors[2]));

    fx_->SetVectorArray("VectorArray", std::vector<D3DXVECTOR4>(3, D3DXVECTOR4(5, 5, 5, 5)).data(), 3);
    CALL(Shader_GetVectorPointerArray, effect_, Parameter("VectorArray"), Address(addresses), 16, 3);
    EXPECT_TRUE(SameVector(D3DXVECTOR4(5, 5, 5, 5), a));
    EXPECT_TRUE(SameVector(D3DXVECTOR4(5, 5, 5, 5), c));
}

} // namespace
