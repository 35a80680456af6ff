#include "effect_fixture.h"

#include <sstream>
#include <string>

#include "effect_creation.h"
#include "effect_library.h"
#include "ref_host.h"

namespace {

refhost::EffectDescription TestEffect()
{
    refhost::EffectDescription d = refhost::ParameterZooDescription();
    refhost::EffectParameter lights;
    lights.name = "Lights";
    lights.kind = refhost::EffectParameterKind::Vector;
    lights.elements = 240;
    d.parameters.push_back(lights);
    return d;
}

} // namespace

void EffectCommandTest::SetUp()
{
    RyxoDllTest::SetUp();
    if (HasFatalFailure())
        return;
    refhost::ResetScene();
    std::string error;
    HostEffect* record = refhost::AddDescribedEffect(kEffectNumber, TestEffect(), &error);
    ASSERT_NE(record, nullptr) << error;
    fx_ = record->effect;
    refhost::MeshDescription meshDescription;
    meshDescription.limbs = 2;
    ASSERT_TRUE(refhost::MakeObject(kObject, meshDescription));
    refhost::SetObjectEffect(kObject, kEffectNumber);
    effect_ = CALL(Object_GetShaderPtr, kObject, 0);
    ASSERT_EQ(effect_, Address(fx_)) << "Object_GetShaderPtr must give the effect of the object's limb";
}

void EffectCommandTest::TearDown()
{
    refhost::ResetScene();
    RyxoDllTest::TearDown();
}

D3DXMATRIX CountingMatrix(float first)
{
    D3DXMATRIX m;
    for (int i = 0; i < 16; ++i)
        m.m[i / 4][i % 4] = first + float(i);
    return m;
}

::testing::AssertionResult SameMatrix(const D3DXMATRIX& expected, const D3DXMATRIX& actual)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (expected.m[r][c] != actual.m[r][c]) {
                std::ostringstream why;
                why << "_" << r + 1 << c + 1 << ": expected " << expected.m[r][c] << ", saw " << actual.m[r][c];
                return ::testing::AssertionFailure() << why.str();
            }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SameVector(const D3DXVECTOR4& expected, const D3DXVECTOR4& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected (" << expected.x << ", " << expected.y << ", " << expected.z
                                         << ", " << expected.w << "), saw (" << actual.x << ", " << actual.y << ", "
                                         << actual.z << ", " << actual.w << ")";
}
