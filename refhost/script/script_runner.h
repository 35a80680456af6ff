// A script block from the manual, parsed and bound against a loaded plugin's command table.
#pragma once

#include <string>

#include "script_binder.h"
#include "script_blocks.h"
#include "script_interpreter.h"
#include "script_parser.h"

namespace script {

// Parses and binds `block`; false with `error` naming the file and line when it cannot run.
bool PrepareBlock(const ScriptBlock& block, const CommandIndex& commands, ScriptVariables& variables, Program& program,
                  std::string& error);

// Parses and binds `lines` (line 1 first); the tests' way of writing a script inline.
bool PrepareLines(const std::vector<std::string>& lines, const CommandIndex& commands, ScriptVariables& variables,
                  Program& program, std::string& error);

} // namespace script
