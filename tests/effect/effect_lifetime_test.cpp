// What the host does around an effect a script holds: a lost device leaves the effect, its handles
// and its values as they were; a deleted object has no effect to give.
#include "effect_fixture.h"
#include "ref_host.h"

namespace {

class EffectLifetimeTest : public EffectCommandTest {};

TEST_F(EffectLifetimeTest, ALostDeviceKeepsTheEffectItsHandlesAndValues)
{
    const int colour = Parameter("VectorValue");
    const int second = Technique("Second");
    CALL(Shader_SetVectorVal, effect_, colour, 0.25f, 0.5f, 0.75f, 1.0f);
    CALL(Shader_SetFloatVal, effect_, Parameter("FloatValue"), 2.5f);
    CALL(Shader_SetTechnique, effect_, second);

    ASSERT_EQ(refhost::ResetDevice(), D3D_OK);

    EXPECT_EQ(CALL(Object_GetShaderPtr, kObject, 0), effect_) << "the same effect";
    EXPECT_EQ(Parameter("VectorValue"), colour) << "the same parameter handle";
    EXPECT_EQ(Technique("Second"), second) << "the same technique handle";
    CALL(Shader_GetVectorVal, effect_, colour);
    EXPECT_EQ(CALL_F(Shader_Return, 2), 0.75f);
    EXPECT_EQ(CALL_F(Shader_GetFloatVal, effect_, Parameter("FloatValue")), 2.5f);
    EXPECT_EQ(CALL(Shader_GetCurrentTechnique, effect_), second);
}

TEST_F(EffectLifetimeTest, ADeletedObjectGivesZero)
{
    refhost::DeleteObject(kObject);
    EXPECT_EQ(CALL(Object_GetShaderPtr, kObject, 0), 0);
    EXPECT_EQ(CALL(Object_GetShaderPtr, kObject, 1), 0);
}

} // namespace
