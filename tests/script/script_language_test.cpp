// The script language as the runner takes it, one construct a row: the script and the value a
// variable holds after it, run against the loaded Ryxo.dll.
#include <gtest/gtest.h>

#include "plugin_fixture.h"
#include "script_runner.h"

namespace {

struct LanguageCase {
    const char* construct;
    std::vector<std::string> lines;
    const char* variable;
    double expected;
};

const LanguageCase kLanguage[] = {
    {"precedence, integer division", {"n = 2 + 3 * 4 - 10 / 3"}, "n", 11},
    {"a float operand makes a float", {"x# = 7 / 2.0"}, "x#", 3.5},
    {"a float stored in an integer goes toward zero", {"n = -2.7"}, "n", -2},
    {"power before the sign", {"x# = -2.0 ^ 2"}, "x#", -4},
    {"mod", {"n = 17 mod 5"}, "n", 2},
    {"hexadecimal and binary", {"n = 0xFF + %101"}, "n", 260},
    {"a hexadecimal colour wraps to 32 bits", {"n = 0xFFFFFFFF"}, "n", -1},
    {"comparisons and logic give 1 or 0", {"n = (3 < 4) and not (2 >= 5)"}, "n", 1},
    {"or, xor, and comparisons as numbers", {"n = (1 <> 1 or 2 = 2) * 10 + (3 xor 4)"}, "n", 10},
    {"strings join and compare", {"a$ = \"Ry\" + \"xo\"", "n = a$ = \"Ryxo\""}, "n", 1},
    {"sin and cos take degrees", {"x# = sin(30) + cos(60)"}, "x#", 1},
    {"atan2 gives degrees", {"x# = atan2(-1, 1)"}, "x#", -45},
    {"sqrt, abs, exp", {"x# = sqrt(16) + abs(-2.5) + exp(0)"}, "x#", 7.5},
    {"int goes toward zero", {"n = int(-7.9)"}, "n", -7},
    {"if, elseif, else, endif",
     {"n = 5", "if n < 3", "r = 1", "elseif n < 10 then", "r = 2", "else", "r = 3", "endif"}, "r", 2},
    {"a one-line if with else", {"if 0 then r = 1 else r = 2"}, "r", 2},
    {"for counting down by a step", {"for i = 10 to 1 step -3", "s = s + i", "next i"}, "s", 22},
    {"for with a float counter", {"for x# = 0 to 1 step 0.25", "n = n + 1", "next"}, "n", 5},
    {"for not entered leaves the counter at first", {"for i = 5 to 1", "s = 1", "next i", "n = i + s"}, "n", 5},
    {"for stops before counting past the smallest integer",
     {"for i = -2147483640 to -2147483647 step -5", "n = n + 1", "next i"}, "n", 2},
    {"do, loop and exit", {"do", "n = n + 1", "if n = 7 then exit", "loop"}, "n", 7},
    {"while, endwhile", {"n = 1", "while n < 100", "n = n * 3 + 1", "endwhile"}, "n", 121},
    {"repeat, until", {"repeat", "n = n + 2", "until n >= 9"}, "n", 10},
    {"exit leaves the inner loop only",
     {"for i = 1 to 3", "for j = 1 to 10", "if j = 2 then exit", "c = c + 1", "next j", "next i"}, "c", 3},
    {"comments, remarks, strings and blank lines are not read for commands",
     {"` a host step", "rem n = 9 GeoInst_Nothing(", "", "a$ = \"GeoInst_Nothing(1\"", "n = 4 ` four GeoInst_Nothing("},
     "n", 4},
    {"end stops the script", {"n = 1", "end", "n = 2"}, "n", 1},
    {"commands as statements and values, integers given to floats",
     {"set = GeoInst_MakeNew()", "GeoInst_SetMaxInstanceCount set, 4", "GeoInst_SetPosition set, 2, 1.5, -2, 3",
      "x# = GeoInst_GetPositionX(set, 2) + GeoInst_GetPositionY(set, 2)", "GeoInst_Delete set"},
     "x#", -0.5},
    {"a float result in an integer variable", {"c = CubeTex_MakeNew(16, 1)", "n = CubeTex_GetFar(c) / 1000",
                                               "CubeTex_Delete c"}, "n", 10},
};

using ScriptLanguageTest = RyxoDllTest;

TEST_F(ScriptLanguageTest, EachConstructGivesItsValue)
{
    const script::CommandIndex commands = script::IndexCommands(plugin_.commands);
    for (const LanguageCase& c : kLanguage) {
        SCOPED_TRACE(c.construct);
        script::ScriptVariables variables;
        script::Program program;
        std::string error;
        ASSERT_TRUE(script::PrepareLines(c.lines, commands, variables, program, error)) << error;
        const script::RunResult result = script::RunScript(program, variables, nullptr);
        ASSERT_TRUE(result.ok) << result.error;
        const script::Value* value = script::FindVariable(variables, c.variable);
        ASSERT_NE(value, nullptr);
        EXPECT_NEAR(value->type == script::ValueType::Float ? value->real : value->integer, c.expected, 1e-5);
    }
    EXPECT_THAT(messages_.Take(), ::testing::IsEmpty());
}

// Poke Vec4 (a command name of two words) writes what the script gives at an address it holds;
// a host step sees the variables and can end the loop around it.
TEST_F(ScriptLanguageTest, SpacedCommandNamesAndHostSteps)
{
    const script::CommandIndex commands = script::IndexCommands(plugin_.commands);
    alignas(16) float memory[4] = {};
    script::ScriptVariables variables;
    script::SetVariable(variables, "mem", Address(memory));
    script::Program program;
    std::string error;
    ASSERT_TRUE(script::PrepareLines({"poke   vec4 mem, 1, 0.5, -2, 4", "do", "` the frame", "n = n + 1", "loop"},
                                     commands, variables, program, error))
        << error;
    int frames = 0;
    const script::RunResult result = script::RunScript(
        program, variables, [&](const script::Statement& step, script::ScriptVariables& seen, std::string&) {
            EXPECT_EQ(step.text, "the frame");
            EXPECT_EQ(script::FindVariable(seen, "n")->integer, frames);
            return ++frames == 3 ? script::HostStepAnswer::LeaveLoop : script::HostStepAnswer::Done;
        });
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(frames, 3);
    EXPECT_EQ(script::FindVariable(variables, "n")->integer, 2);
    EXPECT_EQ(memory[0], 1.0f);
    EXPECT_EQ(memory[1], 0.5f);
    EXPECT_EQ(memory[2], -2.0f);
    EXPECT_EQ(memory[3], 4.0f);
}

} // namespace
