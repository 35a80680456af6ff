// Effect 0 in a script: every effect command does nothing and gives 0. So does a pointer-style
// command given the address 0, or a string's value at 0, which never reach the effect.
#include <string>
#include <vector>

#include "effect_fixture.h"
#include "misaligned_call.h"

namespace {

class EffectZeroTest : public EffectCommandTest {};

TEST_F(EffectZeroTest, EveryCommandDoesNothingAndGivesZero)
{
    // Memory the commands would read or write if they went on: guards that must stay as they are.
    std::vector<float> guard(64, -7.5f);
    const std::vector<float> untouched = guard;
    const char* name = "FloatValue";
    uint32_t handle = Parameter("FloatValue");
    uint32_t g = Address(guard.data());
    uint32_t s = Address(name);
    int32_t vectorList[2] = {Address(&guard[0]), Address(&guard[8])};
    uint32_t list = Address(vectorList);
    const char* noText = nullptr;

    // The return buffer holds the matrix; no command with effect 0 may change it.
    D3DXMATRIX m = CountingMatrix(1);
    fx_->SetMatrix("MatrixValue", &m);
    CALL(Shader_GetMatrixVal, effect_, Parameter("MatrixValue"));

    struct Command {
        const char* exportName;
        std::vector<uint32_t> args; // after the effect
        uint32_t effect = 0;
    };
    const uint32_t one = FloatBits(1.0f);
    std::vector<Command> commands = {
        {"Shader_GetParameterByName", {0, s}}, {"Shader_GetParameterBySemantic", {0, s}},
        {"Shader_GetParameterElement", {handle, 0}}, {"Shader_GetTechniqueByName", {s}},
        {"Shader_GetCurrentTechnique", {}}, {"Shader_SetTechnique", {handle}}, {"Shader_SetTechniqueName", {s}},
        {"Shader_GetValue", {handle, g, 16}}, {"Shader_SetValue", {handle, g, 16}},
        {"Shader_GetBool", {handle, g}}, {"Shader_SetBool", {handle, 1}},
        {"Shader_GetInt", {handle, g}}, {"Shader_SetInt", {handle, 1}},
        {"Shader_GetFloat", {handle, g}}, {"Shader_SetFloat", {handle, 1}},
        {"Shader_GetVector", {handle, g}}, {"Shader_SetVector", {handle, g}},
        {"Shader_GetMatrix", {handle, g}}, {"Shader_SetMatrix", {handle, g}},
        {"Shader_GetMatrixTranspose", {handle, g}}, {"Shader_SetMatrixTranspose", {handle, g}},
        {"Shader_SetArrayRange", {handle, 0, 1}},
        {"Shader_GetBoolArray", {handle, g, 2}}, {"Shader_SetBoolArray", {handle, g, 2}},
        {"Shader_SetBoolArray", {uint32_t(Parameter("BoolArray")), 0, 4}, uint32_t(effect_)}, // Wine's framework would crash
        {"Shader_SetValue", {uint32_t(Parameter("Label")), uint32_t(Address(&noText)), 4}, uint32_t(effect_)}, // and on a text at 0
        {"Shader_GetIntArray", {handle, g, 2}}, {"Shader_SetIntArray", {handle, g, 2}},
        {"Shader_GetFloatArray", {handle, g, 2}}, {"Shader_SetFloatArray", {handle, g, 2}},
        {"Shader_GetVectorArray", {handle, g, 2}}, {"Shader_SetVectorArray", {handle, g, 2}},
        {"Shader_GetMatrixArray", {handle, g, 1}}, {"Shader_SetMatrixArray", {handle, g, 1}},
        {"Shader_GetMatrixTransposeArray", {handle, g, 1}}, {"Shader_SetMatrixTransposeArray", {handle, g, 1}},
        {"Shader_GetMatrixPointerArray", {handle, list, 2}}, {"Shader_SetMatrixPointerArray", {handle, list, 2}},
        {"Shader_GetMatrixTransposePointerArray", {handle, list, 2}},
        {"Shader_SetMatrixTransposePointerArray", {handle, list, 2}},
        {"Shader_GetVectorPointerArray", {handle, list, 16, 2}}, {"Shader_SetVectorPointerArray", {handle, list, 16, 2}},
        {"Shader_GetBoolVal", {handle}}, {"Shader_SetBoolVal", {handle, 1}},
        {"Shader_GetIntVal", {handle}}, {"Shader_SetIntVal", {handle, 1}},
        {"Shader_GetFloatVal", {handle}}, {"Shader_SetFloatVal", {handle, one}},
        {"Shader_GetVectorVal", {handle}}, {"Shader_GetMatrixVal", {handle}}, {"Shader_GetMatrixTransposeVal", {handle}},
        {"Shader_SetVectorVal", {handle, one, one, one, one}},
        {"Shader_SetMatrixVal", std::vector<uint32_t>(17, one)},
        {"Shader_SetMatrixTransposeVal", std::vector<uint32_t>(17, one)},
    };
    commands[commands.size() - 2].args[0] = handle;
    commands[commands.size() - 1].args[0] = handle;

    for (const Command& command : commands) {
        std::vector<uint32_t> args = {command.effect};
        args.insert(args.end(), command.args.begin(), command.args.end());
        const void* fn = reinterpret_cast<const void*>(Export(command.exportName));
        ASSERT_NE(fn, nullptr) << command.exportName;
        EXPECT_EQ(CallWithMisalignedStack(fn, args.data(), int(args.size())), 0u) << command.exportName;
        EXPECT_EQ(guard, untouched) << command.exportName << " wrote memory";
        for (int i = 0; i < 16; ++i)
            ASSERT_EQ(CALL_F(Shader_Return, i), float(i + 1)) << command.exportName << " changed float " << i;
    }

    // Nothing reached the real effect either.
    float scale = 0.0f;
    fx_->GetFloat("FloatValue", &scale);
    EXPECT_EQ(scale, 0.5f);
    EXPECT_EQ(fx_->GetCurrentTechnique(), fx_->GetTechniqueByName("First"));
}

} // namespace
