#include "script_blocks.h"

#include <fstream>

namespace script {

namespace {

// Reads the indented blocks of `path`; with `onlyExamples`, only those right after "example:".
bool ReadBlocks(const std::string& path, bool onlyExamples, std::vector<ScriptBlock>& blocks)
{
    std::ifstream file(path);
    if (!file)
        return false;
    blocks.clear();
    std::string line, section;
    bool inBlock = false, exampleNext = false;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const bool indented = line.rfind("    ", 0) == 0;
        const bool blank = line.find_first_not_of(" \t") == std::string::npos;
        if (indented && !blank && (inBlock || exampleNext || !onlyExamples)) {
            if (!inBlock)
                blocks.push_back({path, number, section, {}});
            ScriptBlock& block = blocks.back();
            // Blank lines met since the block's last line belong to it now that it goes on.
            block.lines.resize(static_cast<size_t>(number - block.firstLine), "");
            block.lines.push_back(line.substr(4));
            inBlock = true;
            exampleNext = false;
            continue;
        }
        if (blank)
            continue;
        inBlock = false;
        exampleNext = line == "example:";
        if (line.rfind("## ", 0) == 0)
            section = line.substr(3);
    }
    return true;
}

} // namespace

bool ReadGuideBlocks(const std::string& path, std::vector<ScriptBlock>& blocks) { return ReadBlocks(path, false, blocks); }

bool ReadExampleBlocks(const std::string& path, std::vector<ScriptBlock>& blocks) { return ReadBlocks(path, true, blocks); }

std::string BlockText(const ScriptBlock& block)
{
    std::string text;
    for (const std::string& line : block.lines)
        text += line + "\n";
    return text;
}

} // namespace script
