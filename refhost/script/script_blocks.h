// The script blocks of the manual's pages: every block of a guide (lines indented four spaces),
// and the `example:` blocks of a family's command pages.
#pragma once

#include <string>
#include <vector>

namespace script {

struct ScriptBlock {
    std::string file;
    int firstLine = 0;              // line number of lines[0] in the file
    std::string section;            // the "## " heading the block stands under
    std::vector<std::string> lines; // without their four-space indent; blank lines inside kept
};

// Every indented block of a guide (<family>/guide.md), in order. False when the file cannot be read.
bool ReadGuideBlocks(const std::string& path, std::vector<ScriptBlock>& blocks);
// The block after each "example:" line of a family's command pages (<family>/manual.md).
bool ReadExampleBlocks(const std::string& path, std::vector<ScriptBlock>& blocks);

// The block's lines as one text, for comparing a block with the one a scene expects.
std::string BlockText(const ScriptBlock& block);

} // namespace script
