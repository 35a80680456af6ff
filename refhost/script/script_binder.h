// Gives every expression of a parsed script its type and every command call its row of the
// plugin's command table, chosen by the name, the form (a statement or a value) and the count and
// types of the values given; gives variables their slots.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "plugin_loader.h"
#include "script_syntax.h"
#include "script_variables.h"

namespace script {

struct CommandIndex {
    std::map<std::string, std::vector<const refhost::CommandEntry*>> rows; // lower-case name -> its rows
    std::set<std::string> spacedNames;                                      // lower-case names with a space
    // The lower-case family prefixes of the names ("geoinst_"): a variable named so is a mistyped
    // command, refused rather than read as a variable holding 0.
    std::set<std::string> prefixes;
};

// The index of a loaded plugin's table; `commands` must outlive it.
CommandIndex IndexCommands(const std::vector<refhost::CommandEntry>& commands);

// The parameter letters of a row (L, F or S each), without its result letter.
std::string ParameterTypes(const refhost::CommandEntry& row);

// False with `error` ("line N: ...") at the first call no row takes or value of the wrong type.
bool BindScript(Program& program, const CommandIndex& commands, ScriptVariables& variables, std::string& error);

} // namespace script
