// Turns the lines of a script block into statements. A line that is only a backtick comment is a
// host step (the engine's own work, which the host performs); a line starting with `rem` is a
// remark and is skipped.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "script_syntax.h"

namespace script {

// `lines` are the block's lines, the first of them line `firstLine` of its file. `spacedNames` are
// the command names holding a space ("poke vec4"), lower case: their two words make one name.
// False with `error` ("line N: ...") at the first line that cannot be read.
bool ParseScript(const std::vector<std::string>& lines, int firstLine, const std::set<std::string>& spacedNames,
                 Program& program, std::string& error);

} // namespace script
