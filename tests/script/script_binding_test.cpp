// How the runner binds a command call to a row of Ryxo.dll's table (by name, form, count and
// types), and the message that stops a script it cannot run, naming the line.
#include <gtest/gtest.h>

#include "plugin_fixture.h"
#include "script_runner.h"

namespace {

struct OverloadCase {
    const char* line;
    const char* row; // the row chosen
};

const OverloadCase kOverloads[] = {
    {"GeoInst_SetScale 1, 1, 50", "GeoInst_SetScale%LLF%GeoInst_SetScaleUniform%"},
    {"GeoInst_SetScale 1, 1, 50, 60, 70.5", "GeoInst_SetScale%LLFFF%GeoInst_SetScale%"},
    {"GeoInst_SetCustomData 1, 1, 1, 0.5", "GeoInst_SetCustomData%LLLF%GeoInst_SetCustomData1%"},
    {"GeoInst_SetCustomData 1, 1, 1, 0.5, 1, 0, 1", "GeoInst_SetCustomData%LLLFFFF%GeoInst_SetCustomData4%"},
    {"MRT_MakeRenderTarget 40, 320, 240", "MRT_MakeRenderTarget%LLL%MRT_MakeRenderTarget%"},
    {"MRT_MakeRenderTarget 40, 320, 240, 21", "MRT_MakeRenderTarget%LLLL%MRT_MakeRenderTargetFormat%"},
    {"c = CubeTex_MakeNew(256, 0)", "CubeTex_MakeNew[%LLL%CubeTex_MakeNew%"},
    {"EfxCam_SetToImage 0, 2, 256, 256, 21", "EfxCam_SetToImage%LLLLL%EfxCam_SetToImageFormat%"},
    {"GeoInst_Delete (1)", "GeoInst_Delete%L%GeoInst_Delete%"}, // one value in parentheses is a value
};


struct ErrorCase {
    const char* what;
    std::vector<std::string> lines;
    const char* message;
};

const ErrorCase kErrors[] = {
    {"unknown command", {"n = 1", "GeoInst_Frobnicate 1"}, "line 2: unknown command GeoInst_Frobnicate"},
    {"an engine command is not Ryxo's", {"print \"hello\""}, "line 1: unknown command print"},
    {"a count no row takes", {"GeoInst_SetScale 1, 2, 3, 4"}, "line 1: GeoInst_SetScale takes 3 or 5 values, not 4"},
    {"a float for an integer", {"GeoInst_SetScale 1, 2.5, 3"},
     "line 1: value 2 of GeoInst_SetScale is a float where an integer is taken (int() makes a whole number of it)"},
    {"a number for a string", {"CubeTex_Save 1, 2"}, "line 1: value 2 of CubeTex_Save is an integer where a string is taken"},
    {"a string for a float", {"Shader_SetFloatVal 1, 2, \"x\""},
     "line 1: value 3 of Shader_SetFloatVal is a string where a float is taken"},
    {"no result used as a value", {"n = GeoInst_Delete(1)"}, "line 1: GeoInst_Delete gives no value and cannot be used as one"},
    {"a result as a statement", {"GeoInst_MakeNew"}, "line 1: GeoInst_MakeNew gives a value: use it as one, x = GeoInst_MakeNew(...)"},
    {"a command without parentheses as a value", {"n = GeoInst_MakeNew"},
     "line 1: GeoInst_MakeNew is a command, not a variable: a value needs parentheses, GeoInst_MakeNew(...)"},
    {"a maths function's count", {"x# = atan2(1)"}, "line 1: atan2 takes 2 values, not 1"},
    {"a statement's values in parentheses", {"GeoInst_SetMesh(1, 1, 0)"},
     "line 1: GeoInst_SetMesh as a statement takes its values without parentheses: GeoInst_SetMesh a, b"},
    {"empty parentheses as a statement", {"GeoInst_MakeNew()"},
     "line 1: GeoInst_MakeNew() is a value, not a statement: x = GeoInst_MakeNew() (a command without a result is "
     "written without parentheses)"},
    {"a value missing between commas", {"GeoInst_SetScale 1,, 80"}, "line 1: a value is missing between commas"},
    {"a call not closed", {"n = GeoInst_GetDrawCount(1"},
     "line 1: the values of GeoInst_GetDrawCount are not closed by ')'"},
    {"a for line without to", {"for i = 1", "next i"},
     "line 1: a for line reads: for variable = first to last [step size]"},
    {"for without next", {"for i = 1 to 3", "n = i"}, "line 1: 'for i' has no 'next'"},
    {"next of another loop", {"for i = 1 to 3", "next j"}, "line 2: 'next' does not match 'for i' of line 1"},
    {"a closer without its block", {"n = 1", "endif"}, "line 2: 'endif' has no block open to close here"},
    {"exit outside a loop", {"exit"}, "line 1: 'exit' outside a loop"},
    {"an open parenthesis", {"n = (1 + 2"}, "line 1: a parenthesis is not closed"},
    {"a missing operand", {"n = 1 +"}, "line 1: a value is missing at the end of the line"},
    {"an open string", {"a$ = \"Ryxo"}, "line 1: a string is not closed"},
    {"a character the language has not", {"n = 1; m = 2"}, "line 1: unexpected character ';'"},
    {"a number too large", {"n = 0x1FFFFFFFF"}, "line 1: the hexadecimal number 0x1FFFFFFFF does not fit in 32 bits"},
    {"a number in a string variable", {"a$ = 1"}, "line 1: an integer cannot be stored in a$, which holds text"},
    {"a string with a number", {"n = \"a\" * 2"}, "line 1: a string and a number cannot be combined (a string and an integer)"},
    {"division by zero while running", {"n = 0", "n = 1 / n"}, "line 2: division by zero"},
    {"a float step on an integer counter", {"n = 1", "for i = 1 to 3 step 0.5", "next i"},
     "line 2: i counts in whole numbers and cannot step by a float: count with i# or give a whole step "
     "(int() makes one)"},
    {"a step of 0 while running", {"s = 0", "for i = 1 to 3 step s", "next i"},
     "line 2: the step of 'for i' is 0, so the loop would never end"},
    {"a float step too small to move its counter", {"for x# = 1000 to 2000 step 0.00001", "next"},
     "line 1: the step of 'for x#' is too small to move it, so the loop would never end"},
    {"a two-word name the table has not", {"Poke Vec5 1, 2"}, "line 1: unknown command Poke Vec5"},
    {"a variable named like a command", {"n = GeoInst_Count"},
     "line 1: unknown command GeoInst_Count (a name starting GeoInst_ is taken for a command)"},
};

using ScriptBindingTest = RyxoDllTest;

TEST_F(ScriptBindingTest, EachOverloadIsChosenByCountAndTypes)
{
    const script::CommandIndex commands = script::IndexCommands(plugin_.commands);
    for (const OverloadCase& c : kOverloads) {
        SCOPED_TRACE(c.line);
        script::ScriptVariables variables;
        script::Program program;
        std::string error;
        ASSERT_TRUE(script::PrepareLines({c.line}, commands, variables, program, error)) << error;
        const script::Expression& call = program[0].expressions[0];
        ASSERT_NE(call.command, nullptr);
        EXPECT_EQ(call.command->row, c.row);
    }
}

TEST_F(ScriptBindingTest, WhatCannotRunStopsWithAMessageNamingTheLine)
{
    const script::CommandIndex commands = script::IndexCommands(plugin_.commands);
    for (const ErrorCase& c : kErrors) {
        SCOPED_TRACE(c.what);
        script::ScriptVariables variables;
        script::Program program;
        std::string error;
        if (script::PrepareLines(c.lines, commands, variables, program, error)) {
            const script::RunResult result = script::RunScript(program, variables, nullptr);
            EXPECT_FALSE(result.ok);
            error = result.error;
        }
        EXPECT_EQ(error, c.message);
    }
    EXPECT_THAT(messages_.Take(), ::testing::IsEmpty());
}

// A name with rows of both forms: a statement is matched against the rows without a result only,
// a value against those with one, and a refusal names the counts of the form used.
TEST(ScriptBindingFormsTest, EachFormTakesTheCountsOfItsOwnRows)
{
    const std::vector<refhost::CommandEntry> table = {{.name = "GeoInst_Both", .returnsValue = true, .types = "LL"},
                                                      {.name = "GeoInst_Both", .returnsValue = false, .types = "LL"}};
    const script::CommandIndex commands = script::IndexCommands(table);
    const std::pair<const char*, const char*> kLines[] = {
        {"GeoInst_Both 1", "line 1: GeoInst_Both takes 2 values, not 1"},
        {"x = GeoInst_Both(1, 2)", "line 1: GeoInst_Both takes 1 values, not 2"}};
    for (const auto& [line, message] : kLines) {
        script::ScriptVariables variables;
        script::Program program;
        std::string error;
        script::PrepareLines({line}, commands, variables, program, error);
        EXPECT_EQ(error, message) << line;
    }
}

} // namespace
