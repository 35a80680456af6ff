// Per-instance transforms, the world matrix built from them, and custom data.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "instancing/instance_transform.h"
#include "instancing_commands.h"
#include "unit_fixture.h"

namespace {

using TransformTest = InstancingUnitTest;

const D3DXMATRIX& MatrixOf(int set, int n)
{
    return *reinterpret_cast<const D3DXMATRIX*>(static_cast<uintptr_t>(GeoInst_GetWorldMatrixPtr(set, n)));
}

// The rotation's sine and cosine as the C runtime gives them: the angle in radians rounded to
// single precision (which matters for large angles), its sine and cosine too. The builder's own
// sines may differ from them in the last bit.
float Radians(float degrees)
{
    const float r = degrees * 0.0174532924f;
    return r;
}
float Sin(float degrees) { return static_cast<float>(std::sin(static_cast<double>(Radians(degrees)))); }
float Cos(float degrees) { return static_cast<float>(std::cos(static_cast<double>(Radians(degrees)))); }

void ExpectMatrix(const D3DXMATRIX& actual, const float (&expected)[16], float tolerance = 0.0f)
{
    for (int i = 0; i < 16; ++i) {
        if (tolerance == 0.0f)
            EXPECT_EQ(actual.m[i / 4][i % 4], expected[i]) << "_" << i / 4 + 1 << i % 4 + 1;
        else
            EXPECT_NEAR(actual.m[i / 4][i % 4], expected[i], tolerance) << "_" << i / 4 + 1 << i % 4 + 1;
    }
}

TEST_F(TransformTest, ScaleIsStoredAsAFactorAndReadAsPercent)
{
    int set = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(set, 3);
    EXPECT_EQ(GeoInst_SetScale(set, 2, 100, 50, 200), 0);
    const GeoInstTransform& t = Set(set).transforms[2];
    EXPECT_EQ(t.scale[0], 1.0f);
    EXPECT_EQ(t.scale[1], 0.5f);
    EXPECT_EQ(t.scale[2], 2.0f);
    EXPECT_EQ(AsFloat(GeoInst_GetScaleY(set, 2)), 50.0f);
    EXPECT_EQ(GeoInst_SetScaleUniform(set, 3, 150), 0);
    const GeoInstTransform& u = Set(set).transforms[3];
    EXPECT_EQ(u.scale[0], 150.0f * 0.01f);
    EXPECT_EQ(u.scale[1], u.scale[0]);
    EXPECT_EQ(u.scale[2], u.scale[0]);
    EXPECT_EQ(AsFloat(GeoInst_GetScaleZ(set, 3)), 150.0f * 0.01f * 100.0f);

    GeoInst_SetPosition(set, 1, 1.5f, -2.0f, 3.25f);
    GeoInst_SetRotation(set, 1, 10.0f, 20.0f, -30.0f);
    EXPECT_EQ(AsFloat(GeoInst_GetPositionX(set, 1)), 1.5f);
    EXPECT_EQ(AsFloat(GeoInst_GetPositionY(set, 1)), -2.0f);
    EXPECT_EQ(AsFloat(GeoInst_GetPositionZ(set, 1)), 3.25f);
    EXPECT_EQ(AsFloat(GeoInst_GetAngleX(set, 1)), 10.0f);
    EXPECT_EQ(AsFloat(GeoInst_GetAngleY(set, 1)), 20.0f);
    EXPECT_EQ(AsFloat(GeoInst_GetAngleZ(set, 1)), -30.0f);
}

TEST_F(TransformTest, InstanceNumbersOutsideOneToMaxFailEveryCheck)
{
    int set = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(set, 4);
    GeoInst_DeclareCustomElements(set, 1);
    GeoInst_AddCustomElement(set, 4);
    GeoInst_FinishCustomElements(set);
    float source[16] = {};
    for (int n : {0, 5}) {
        EXPECT_EQ(GeoInst_SetPosition(set, n, 1, 2, 3), 1);
        EXPECT_EQ(GeoInst_SetRotation(set, n, 1, 2, 3), 1);
        EXPECT_EQ(GeoInst_SetScale(set, n, 1, 2, 3), 1);
        EXPECT_EQ(GeoInst_SetScaleUniform(set, n, 1), 1);
        EXPECT_EQ(AsFloat(GeoInst_GetAngleY(set, n)), 0.0f);
        EXPECT_EQ(GeoInst_UpdateInstance(set, n), 1);
        EXPECT_EQ(GeoInst_GetWorldMatrixPtr(set, n), 0);
        EXPECT_EQ(GeoInst_SetWorldMatrixPtr(set, n, ScriptAddress(source)), 1);
        EXPECT_EQ(GeoInst_SetCustomData4(set, n, 1, 1, 2, 3, 4), 1);
        EXPECT_EQ(AsFloat(GeoInst_GetCustomDataX(set, n, 1)), 0.0f);
        EXPECT_EQ(GeoInst_GetCustomDataPtr(set, n, 1, 0), 0);
        EXPECT_EQ(GeoInst_SetCustomDataPtr(set, n, 1, ScriptAddress(source)), 1);
    }
    EXPECT_THAT(messages_.Take(), testing::IsEmpty());
}

TEST_F(TransformTest, NoRotationGivesScaleThenTranslation)
{
    int set = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(set, 2);
    GeoInst_SetPosition(set, 1, 10, 20, 30);
    GeoInst_SetScaleUniform(set, 1, 100);
    ASSERT_EQ(GeoInst_UpdateInstance(set, 1), 0);
    ExpectMatrix(MatrixOf(set, 1), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1});

    GeoInst_SetPosition(set, 2, 1, 2, 3);
    ASSERT_EQ(GeoInst_UpdateInstance(set, 2), 0);
    // A scale never set is 0 in every axis.
    ExpectMatrix(MatrixOf(set, 2), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 1});

    GeoInst_SetScale(set, 2, 200, 50, 300);
    GeoInst_UpdateInstance(set, 2);
    ExpectMatrix(MatrixOf(set, 2), {2, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 3, 0, 1, 2, 3, 1});
}

TEST_F(TransformTest, SingleAxisRotationsUseTheSineAndCosine)
{
    int set = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(set, 3);
    for (int n = 1; n <= 3; ++n)
        GeoInst_SetScaleUniform(set, n, 100);
    GeoInst_SetRotation(set, 1, 0, 90, 0);
    GeoInst_SetRotation(set, 2, 30, 0, 0);
    GeoInst_SetRotation(set, 3, 0, 0, -45);
    for (int n = 1; n <= 3; ++n)
        GeoInst_UpdateInstance(set, n);
    const float s90 = Sin(90), c90 = Cos(90), s30 = Sin(30), c30 = Cos(30), s45 = Sin(-45), c45 = Cos(-45);
    const float lastBit = 6e-8f;
    ExpectMatrix(MatrixOf(set, 1), {c90, 0, -s90, 0, 0, 1, 0, 0, s90, 0, c90, 0, 0, 0, 0, 1}, lastBit);
    ExpectMatrix(MatrixOf(set, 2), {1, 0, 0, 0, 0, c30, s30, 0, 0, -s30, c30, 0, 0, 0, 0, 1}, lastBit);
    ExpectMatrix(MatrixOf(set, 3), {c45, s45, 0, 0, -s45, c45, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, lastBit);
    // About (0, 0, -1), (0, 1, 0), (1, 0, 0): a vertex on +X turns to -Z.
    ExpectMatrix(MatrixOf(set, 1), {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1}, 1e-6f);
}

TEST_F(TransformTest, RotationsComposeXThenYThenZBeforeTranslation)
{
    int set = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(set, 2);
    GeoInst_SetRotation(set, 1, 90, 0, 90);
    GeoInst_SetScale(set, 1, 100, 200, 100);
    GeoInst_SetPosition(set, 1, 5, 6, 7);
    GeoInst_UpdateInstance(set, 1);
    // Rx(90) x Rz(90) = rows (0, 1, 0), (0, 0, 1), (1, 0, 0); the second row then scaled by 2.
    ExpectMatrix(MatrixOf(set, 1), {0, 1, 0, 0, 0, 0, 2, 0, 1, 0, 0, 0, 5, 6, 7, 1}, 1e-6f);

    D3DXMATRIX rx, ry, rz, expected;
    D3DXMatrixRotationX(&rx, 20 * 0.0174532924f);
    D3DXMatrixRotationY(&ry, 35 * 0.0174532924f);
    D3DXMatrixRotationZ(&rz, -70 * 0.0174532924f);
    expected = rx * ry * rz;
    GeoInst_SetRotation(set, 2, 20, 35, -70);
    GeoInst_SetScaleUniform(set, 2, 100);
    GeoInst_UpdateInstance(set, 2);
    const D3DXMATRIX& m = MatrixOf(set, 2);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_NEAR(m.m[row][column], expected.m[row][column], 1e-6f) << row << column;
}

TEST_F(TransformTest, RotationLeavesTheFourthColumnOfAWrittenMatrix)
{
    int set = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(set, 1);
    const float written[16] = {9, 9, 9, 7, 9, 9, 9, 8, 9, 9, 9, 6, 9, 9, 9, 5};
    ASSERT_EQ(GeoInst_SetWorldMatrixPtr(set, 1, ScriptAddress(written)), 0);
    EXPECT_EQ(GeoInst_SetWorldMatrixPtr(set, 1, 0), 1) << "a null source is refused";
    ExpectMatrix(MatrixOf(set, 1), written);
    GeoInst_SetRotation(set, 1, 0, 0, 90);
    GeoInst_SetScaleUniform(set, 1, 100);
    GeoInst_UpdateInstance(set, 1);
    const D3DXMATRIX& m = MatrixOf(set, 1);
    EXPECT_EQ(m._14, 7.0f);
    EXPECT_EQ(m._24, 8.0f);
    EXPECT_EQ(m._34, 6.0f);
    EXPECT_EQ(m._44, 1.0f);
    GeoInst_SetRotation(set, 1, 0, 0, 0);
    GeoInst_UpdateInstance(set, 1);
    EXPECT_EQ(MatrixOf(set, 1)._14, 0.0f) << "no rotation writes the whole identity";
}

// The matrix as the builder made it with D3DXMatrixMultiply: the first turned axis's 3 x 3 part
// written, each further one multiplied on, then translation and row scales. The closed form must
// stay within 1e-6 of it.
void MultipliedWorldMatrix(const GeoInstTransform& t, D3DXMATRIX& m)
{
    bool rotated = false;
    for (int axis = 0; axis < 3; ++axis) {
        if (t.angle[axis] == 0.0f)
            continue;
        const float s = Sin(t.angle[axis]), c = Cos(t.angle[axis]);
        const float turns[3][3][3] = {{{1, 0, 0}, {0, c, s}, {0, -s, c}},
                                      {{c, 0, -s}, {0, 1, 0}, {s, 0, c}},
                                      {{c, s, 0}, {-s, c, 0}, {0, 0, 1}}};
        D3DXMATRIX factor;
        D3DXMatrixIdentity(&factor);
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                factor.m[row][column] = turns[axis][row][column];
        if (rotated) {
            D3DXMatrixMultiply(&m, &m, &factor);
            continue;
        }
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                m.m[row][column] = factor.m[row][column];
        rotated = true;
    }
    if (!rotated)
        D3DXMatrixIdentity(&m);
    m._41 = t.position[0];
    m._42 = t.position[1];
    m._43 = t.position[2];
    m._44 = 1.0f;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            m.m[row][column] *= t.scale[row];
}

// An angle as scripts give them: the round ones, small, large and very large, or exactly 0.
float ScriptAngle(std::mt19937& random)
{
    // With the last angles of the fast sines and the first beyond them, either way.
    static const float kRound[] = {0, 90, -90, 180, -180, 270, -360, 360, 45, 720, 1e-3f,
                                   kFastTurnLimitDegrees, -kFastTurnLimitDegrees,
                                   std::nextafter(kFastTurnLimitDegrees, INFINITY),
                                   -std::nextafter(kFastTurnLimitDegrees, INFINITY)};
    switch (std::uniform_int_distribution<int>(0, 5)(random)) {
    case 0: return 0.0f;
    case 1: return kRound[std::uniform_int_distribution<size_t>(0, std::size(kRound) - 1)(random)];
    case 2: return std::uniform_real_distribution<float>(-720.0f, 720.0f)(random);
    case 3: {
        // Any magnitude up to the largest float, either sign.
        const float magnitude = std::pow(10.0f, std::uniform_real_distribution<float>(-6.0f, 38.0f)(random));
        return std::uniform_int_distribution<int>(0, 1)(random) ? magnitude : -magnitude;
    }
    default: return std::uniform_real_distribution<float>(-1e6f, 1e6f)(random);
    }
}

TEST(WorldMatrix, ClosedFormStaysWithinOneMillionthOfTheMultipliedRotations)
{
    std::mt19937 random(18);
    std::uniform_real_distribution<float> anyScale(-4.0f, 4.0f), anyPlace(-1000.0f, 1000.0f);
    int zeroAngleCases = 0;
    for (int i = 0; i < 5000; ++i) {
        GeoInstTransform t{};
        for (int axis = 0; axis < 3; ++axis) {
            t.angle[axis] = ScriptAngle(random);
            t.position[axis] = anyPlace(random);
            t.scale[axis] = i % 7 == 0 ? 1.0f : anyScale(random);
        }
        zeroAngleCases += t.angle[0] == 0.0f || t.angle[1] == 0.0f || t.angle[2] == 0.0f;
        // Column 4 holds what a direct write left there.
        D3DXMATRIX built, expected;
        for (int e = 0; e < 16; ++e)
            built.m[e / 4][e % 4] = expected.m[e / 4][e % 4] = anyPlace(random);
        BuildWorldMatrix(t, built);
        MultipliedWorldMatrix(t, expected);

        SCOPED_TRACE(::testing::Message() << "angles " << t.angle[0] << ", " << t.angle[1] << ", " << t.angle[2]
                                          << " scales " << t.scale[0] << ", " << t.scale[1] << ", " << t.scale[2]);
        // The largest of the turned rows: the position and column 4 are far larger and would hide
        // a sine off in its sixth digit.
        float largest = 0.0f;
        for (int e = 0; e < 12; ++e)
            largest = std::max(largest, e % 4 == 3 ? largest : std::fabs(expected.m[e / 4][e % 4]));
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                ASSERT_LE(std::fabs(built.m[row][column] - expected.m[row][column]), 1e-6f * largest)
                    << "_" << row + 1 << column + 1 << ": " << built.m[row][column] << " against "
                    << expected.m[row][column];
        for (int e = 3; e < 16; e += 4)
            ASSERT_EQ(built.m[e / 4][e % 4], expected.m[e / 4][e % 4]) << "column 4, row " << e / 4 + 1;
        for (int column = 0; column < 3; ++column)
            ASSERT_EQ(built.m[3][column], expected.m[3][column]) << "row 4";
    }
    EXPECT_GT(zeroAngleCases, 1000) << "the zero-angle branches must be well covered";

    // NaN and infinite angles: the C runtime's sine and cosine of them are NaN, so every element
    // that axis's factor enters is NaN (N below, rows 1 to 3); the others stay finite, and column 4
    // and row 4 are kept as for any turn.
    const struct {
        float x, y, z;
        const char* nan;
    } kNotFinite[] = {{NAN, 30, 40, "... NNN NNN"}, {0, INFINITY, 0, "NNN NNN NNN"}, {20, 0, -INFINITY, "NN. NN. NN."}};
    for (const auto& row : kNotFinite) {
        const GeoInstTransform t{0, {1, 2, 3}, {row.x, row.y, row.z}, {1, 1, 1}};
        D3DXMATRIX built;
        std::fill(&built.m[0][0], &built.m[0][0] + 16, 9.0f);
        BuildWorldMatrix(t, built);
        for (int e = 0; e < 12; ++e)
            EXPECT_EQ(std::isnan(built.m[e / 4][e % 4]), e % 4 == 3 ? false : row.nan[e / 4 * 4 + e % 4] == 'N')
                << row.x << ", " << row.y << ", " << row.z << ": _" << e / 4 + 1 << e % 4 + 1;
        EXPECT_EQ(built._14 + built._24 + built._34 + built._41 + built._42 + built._43 + built._44, 9 * 3 + 1 + 2 + 3 + 1.0f);
    }
}

TEST(WorldMatrix, NoRotationIsTheExactScaledIdentity)
{
    // The zero-angle path writes the same bits as before: the scales on the diagonal, every other
    // element of rows 1 to 3 zero times its scale (so -0 for a negative scale).
    for (const float scale : {1.0f, -2.5f, 0.0f, 3e38f}) {
        GeoInstTransform t{};
        t.scale[0] = scale;
        t.scale[1] = 0.5f;
        t.scale[2] = -scale;
        t.position[1] = 7.0f;
        D3DXMATRIX built, expected;
        std::fill(&built.m[0][0], &built.m[0][0] + 16, 9.0f);
        BuildWorldMatrix(t, built);
        MultipliedWorldMatrix(t, expected);
        EXPECT_EQ(std::memcmp(&built, &expected, sizeof built), 0) << "scale " << scale;
    }
}

TEST_F(TransformTest, TransformCommandsNeedTheMatrixRows)
{
    int set = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(set, 2);
    GeoInst_DeclareCustomElements(set, 0);
    GeoInst_AddCustomElement(set, 4);
    EXPECT_EQ(GeoInst_SetPosition(set, 1, 1, 2, 3), 1) << "the declaration alone drops the rows";
    GeoInst_FinishCustomElements(set);
    EXPECT_EQ(GeoInst_SetPosition(set, 1, 1, 2, 3), 1);
    EXPECT_EQ(AsFloat(GeoInst_GetPositionX(set, 1)), 0.0f);
    EXPECT_EQ(GeoInst_UpdateInstance(set, 1), 1);
    EXPECT_EQ(GeoInst_GetWorldMatrixPtr(set, 1), 0);
    EXPECT_EQ(GeoInst_SetCustomData4(set, 1, 1, 1, 2, 3, 4), 0);
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataW(set, 1, 1)), 4.0f);

    // A new declaration switches the custom data off before any finish.
    GeoInst_DeclareCustomElements(set, 1);
    EXPECT_EQ(Set(set).stride, 64);
    EXPECT_EQ(GeoInst_SetCustomData4(set, 1, 1, 5, 6, 7, 8), 1);
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataW(set, 1, 1)), 0.0f);
}

TEST_F(TransformTest, AMatrixWriteNeverLeavesTheInstanceData)
{
    // A finished layout without rows (16 bytes per instance), then a new declaration that turns
    // the rows on: the stride says 64 while the storage still holds 16-byte instances.
    int set = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(set, 4);
    GeoInst_DeclareCustomElements(set, 0);
    GeoInst_AddCustomElement(set, 4);
    GeoInst_FinishCustomElements(set);
    GeoInst_DeclareCustomElements(set, 1);
    const GeoInstRecord& record = Set(set);
    ASSERT_EQ(record.instanceDataBytes, 5u * 16);
    for (int n = 1; n <= 4; ++n) {
        GeoInst_SetScaleUniform(set, n, 100);
        EXPECT_EQ(GeoInst_UpdateInstance(set, n), 1) << n;
        EXPECT_EQ(GeoInst_GetWorldMatrixPtr(set, n), 0) << n;
    }
}

TEST_F(TransformTest, CustomDataFillsOnlyTheElementsComponents)
{
    int set = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(set, 3);
    GeoInst_DeclareCustomElements(set, 1);
    GeoInst_AddCustomElement(set, 2);
    GeoInst_AddCustomElement(set, 3);
    GeoInst_FinishCustomElements(set);
    const int n = 2;
    EXPECT_EQ(GeoInst_SetCustomData4(set, n, 1, 1, 2, 3, 4), 0);
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataX(set, n, 1)), 1.0f);
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataY(set, n, 1)), 2.0f);
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataZ(set, n, 1)), 0.0f) << "element 1 has two components";
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataX(set, n, 2)), 0.0f) << "values beyond the components are dropped";

    EXPECT_EQ(GeoInst_SetCustomData3(set, n, 2, 5, 6, 7), 0);
    EXPECT_EQ(GeoInst_SetCustomData1(set, n, 2, 8), 0);
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataX(set, n, 2)), 8.0f);
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataY(set, n, 2)), 6.0f) << "components beyond the values are kept";
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataZ(set, n, 2)), 7.0f);
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataW(set, n, 2)), 0.0f);

    const std::byte* vertex = Set(set).instanceData.get() + n * 84;
    auto address = [](const std::byte* p) { return ScriptAddress(p); };
    EXPECT_EQ(GeoInst_GetWorldMatrixPtr(set, n), address(vertex)) << "the bytes GeoInst_Update sends";
    EXPECT_EQ(GeoInst_GetCustomDataPtr(set, n, 1, 12345), address(vertex + 64));
    EXPECT_EQ(GeoInst_GetCustomDataPtr(set, n, 2, 0), address(vertex + 72));
    const float source[3] = {-1, -2, -3};
    EXPECT_EQ(GeoInst_SetCustomDataPtr(set, n, 2, ScriptAddress(source)), address(vertex + 72));
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataZ(set, n, 2)), -3.0f);
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataY(set, n, 1)), 2.0f) << "element 1 untouched";

    EXPECT_EQ(GeoInst_SetCustomData2(set, n, 0, 1, 1), 1);
    EXPECT_EQ(GeoInst_SetCustomData2(set, n, 3, 1, 1), 1);
    EXPECT_EQ(GeoInst_GetCustomDataPtr(set, n, 3, 0), 0);
    EXPECT_EQ(GeoInst_SetCustomDataPtr(set, n, 1, 0), 1) << "a null source is refused";

    // An element of no components takes no bytes: its x is the x of the element after it.
    int zero = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(zero, 1);
    GeoInst_DeclareCustomElements(zero, 1);
    GeoInst_AddCustomElement(zero, 0);
    GeoInst_AddCustomElement(zero, 2);
    GeoInst_FinishCustomElements(zero);
    EXPECT_EQ(GeoInst_SetCustomData2(zero, 1, 1, 5, 6), 0);
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataX(zero, 1, 2)), 5.0f);
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataY(zero, 1, 2)), 0.0f) << "only x is written";
    EXPECT_EQ(AsFloat(GeoInst_GetCustomDataY(zero, 1, 1)), 0.0f);
}

TEST_F(TransformTest, CustomDataNeedsAFinishedLayout)
{
    int set = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(set, 3);
    GeoInst_DeclareCustomElements(set, 1);
    GeoInst_AddCustomElement(set, 2);
    EXPECT_EQ(GeoInst_SetCustomData2(set, 1, 1, 1, 2), 1);
    EXPECT_EQ(GeoInst_GetCustomDataPtr(set, 1, 1, 0), 0);
}

TEST_F(TransformTest, ElementsAddedAfterTheFinishCannotReachPastTheStride)
{
    int set = GeoInst_MakeNew();
    GeoInst_SetMaxInstanceCount(set, 2);
    GeoInst_DeclareCustomElements(set, 1);
    GeoInst_AddCustomElement(set, 4);
    GeoInst_FinishCustomElements(set);
    GeoInst_AddCustomElement(set, 4); // not part of the storage's layout
    EXPECT_EQ(GeoInst_SetCustomData4(set, 2, 2, 1, 2, 3, 4), 1);
    EXPECT_EQ(GeoInst_GetCustomDataPtr(set, 2, 2, 0), 0);
    EXPECT_EQ(GeoInst_SetCustomData4(set, 2, 1, 1, 2, 3, 4), 0);
}

} // namespace
