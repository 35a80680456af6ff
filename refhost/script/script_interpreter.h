// Runs a bound script: its statements in order, commands called through their rows' exports.
#pragma once

#include <functional>
#include <string>

#include "script_syntax.h"
#include "script_variables.h"

namespace script {

// What the host did with a host step.
enum class HostStepAnswer {
    Done,      // performed; the script goes on
    LeaveLoop, // performed, and the loop around it ends (a game's main loop when the game ends)
    Refused,   // not a step the host knows: the run stops with the error given
};

// Performs the host step (the words of its comment lines) with the script's variables at hand.
using HostSteps = std::function<HostStepAnswer(const Statement& step, ScriptVariables& variables, std::string& error)>;

struct RunResult {
    bool ok = true;
    bool ended = false; // an `end` statement stopped the script
    std::string error;  // "line N: ..." when not ok
};

// Runs `program`. Without `hostSteps` the host steps do nothing.
RunResult RunScript(const Program& program, ScriptVariables& variables, const HostSteps& hostSteps);

} // namespace script
