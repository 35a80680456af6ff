// Parameter and technique handles as scripts get them, checked against the effect's own answers.
#include "effect_fixture.h"

namespace {

class ParameterHandleTest : public EffectCommandTest {};

TEST_F(ParameterHandleTest, ByNameAndBySemanticGiveTheEffectsHandles)
{
    for (auto [name, semantic] : {std::pair{"BoolValue", "ZOOBOOL"}, {"IntValue", "ZOOINT"}, {"FloatValue", "ZOOFLOAT"},
                                  {"VectorValue", "ZooVector"}, {"MatrixValue", "ZOOMATRIX"}}) {
        int byName = Parameter(name);
        EXPECT_NE(byName, 0) << name;
        EXPECT_EQ(byName, Address(fx_->GetParameterByName(nullptr, name))) << name;
        EXPECT_EQ(CALL(Shader_GetParameterBySemantic, effect_, 0, semantic), byName) << semantic;
    }
    EXPECT_EQ(Parameter("missing"), 0);
    EXPECT_EQ(CALL(Shader_GetParameterBySemantic, effect_, 0, "MISSING"), 0);
}

TEST_F(ParameterHandleTest, ElementsOfAnArray)
{
    int weights = Parameter("FloatArray");
    for (int i = 0; i < 6; ++i) {
        int element = CALL(Shader_GetParameterElement, effect_, weights, i);
        EXPECT_NE(element, 0) << "element " << i;
        EXPECT_EQ(element, Address(fx_->GetParameterElement(fx_->GetParameterByName(nullptr, "FloatArray"), i)));
    }
    EXPECT_EQ(CALL(Shader_GetParameterElement, effect_, weights, 6), 0) << "past the last element";

    // An element handle works with the scalar commands: it writes one slot of the array.
    CALL(Shader_SetFloat, effect_, CALL(Shader_GetParameterElement, effect_, weights, 3), 9);
    float stored[6] = {};
    fx_->GetFloatArray("FloatArray", stored, 6);
    EXPECT_EQ(stored[3], 9.0f);
    EXPECT_EQ(stored[2], 0.0f);
    EXPECT_EQ(stored[4], 0.0f);
}

TEST_F(ParameterHandleTest, TechniquesAreChosenByHandleOrName)
{
    int plain = Technique("First");
    int glow = Technique("Second");
    EXPECT_NE(plain, 0);
    EXPECT_NE(glow, 0);
    EXPECT_NE(plain, glow);
    EXPECT_EQ(glow, Address(fx_->GetTechniqueByName("Second")));
    EXPECT_EQ(Technique("Missing"), 0);

    EXPECT_EQ(CALL(Shader_GetCurrentTechnique, effect_), plain) << "the first technique is current at creation";
    EXPECT_EQ(CALL(Shader_SetTechnique, effect_, glow), 0);
    EXPECT_EQ(Address(fx_->GetCurrentTechnique()), glow);
    EXPECT_EQ(CALL(Shader_GetCurrentTechnique, effect_), glow);

    EXPECT_EQ(CALL(Shader_SetTechniqueName, effect_, "First"), 0);
    EXPECT_EQ(CALL(Shader_GetCurrentTechnique, effect_), plain);

    EXPECT_EQ(CALL(Shader_SetTechniqueName, effect_, "Missing"), 0);
    EXPECT_EQ(CALL(Shader_GetCurrentTechnique, effect_), plain) << "an unknown name must change nothing";
}

} // namespace
