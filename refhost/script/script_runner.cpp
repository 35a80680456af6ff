#include "script_runner.h"

namespace script {

bool PrepareLines(const std::vector<std::string>& lines, const CommandIndex& commands, ScriptVariables& variables,
                  Program& program, std::string& error)
{
    return ParseScript(lines, 1, commands.spacedNames, program, error) &&
           BindScript(program, commands, variables, error);
}

bool PrepareBlock(const ScriptBlock& block, const CommandIndex& commands, ScriptVariables& variables, Program& program,
                  std::string& error)
{
    if (ParseScript(block.lines, block.firstLine, commands.spacedNames, program, error) &&
        BindScript(program, commands, variables, error))
        return true;
    error = block.file + ", " + error;
    return false;
}

} // namespace script
