// Every script block of the manual's pages, read from the source tree, parses and binds through
// the runner against Ryxo.dll's own table: the `example:` blocks of each family's command pages
// (fragments, each on its own), each family's guide (its blocks sharing their variables) and the
// page on the language itself. This is the manual's one check of its scripts: a block naming a
// command the table has not, or calling one with values no row takes, fails here with its file and
// line.
#include <fstream>

#include <gtest/gtest.h>

#include "plugin_fixture.h"
#include "script_runner.h"

namespace {

std::vector<std::string> Families()
{
    std::ifstream list(std::string(RYXO_SOURCE_DIR) + "/families.txt");
    std::vector<std::string> families;
    for (std::string line; std::getline(list, line);)
        if (!line.empty() && line[0] != '#')
            families.push_back(line);
    return families;
}

using ManualScriptsTest = RyxoDllTest;

TEST_F(ManualScriptsTest, EveryExampleAndGuideBlockParsesAndBinds)
{
    const script::CommandIndex commands = script::IndexCommands(plugin_.commands);
    const std::vector<std::string> families = Families();
    ASSERT_EQ(families.size(), 5u);
    int examples = 0;
    for (const std::string& family : families) {
        const std::string folder = std::string(RYXO_SOURCE_DIR) + "/" + family;
        std::vector<script::ScriptBlock> blocks;
        ASSERT_TRUE(script::ReadExampleBlocks(folder + "/manual.md", blocks)) << family;
        examples += static_cast<int>(blocks.size());
        for (const script::ScriptBlock& block : blocks) {
            script::ScriptVariables variables;
            script::Program program;
            std::string error;
            EXPECT_TRUE(script::PrepareBlock(block, commands, variables, program, error)) << error;
        }
        ASSERT_TRUE(script::ReadGuideBlocks(folder + "/guide.md", blocks)) << family;
        EXPECT_FALSE(blocks.empty()) << family;
        script::ScriptVariables guideVariables;
        for (const script::ScriptBlock& block : blocks) {
            script::Program program;
            std::string error;
            EXPECT_TRUE(script::PrepareBlock(block, commands, guideVariables, program, error)) << error;
        }
    }
    std::vector<script::ScriptBlock> blocks;
    ASSERT_TRUE(script::ReadGuideBlocks(std::string(RYXO_SOURCE_DIR) + "/plugin/manual/script_language.md", blocks));
    EXPECT_FALSE(blocks.empty());
    for (const script::ScriptBlock& block : blocks) {
        script::ScriptVariables variables;
        script::Program program;
        std::string error;
        EXPECT_TRUE(script::PrepareBlock(block, commands, variables, program, error)) << error;
    }
    // One example for each of the 163 rows' commands at least (overloads share one).
    EXPECT_GE(examples, 150);
}

TEST_F(ManualScriptsTest, ARefusedBlockNamesItsFileAndLine)
{
    const script::ScriptBlock block{"instancing/guide.md", 20, "", {"n = 1", "", "GeoInst_Nothing n"}};
    script::ScriptVariables variables;
    script::Program program;
    std::string error;
    EXPECT_FALSE(script::PrepareBlock(block, script::IndexCommands(plugin_.commands), variables, program, error));
    EXPECT_EQ(error, "instancing/guide.md, line 22: unknown command GeoInst_Nothing");
}

} // namespace
