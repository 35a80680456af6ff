// A scene that is a guide: the guide's script blocks run in order, as the manual prints them,
// against the loaded plugin's command table. The scene performs the host steps (the comment lines
// of the scripts) and names the blocks it does not run. A host step the scene does not perform, a
// step or skipped block it names that the guide no longer has, a block the runner cannot run, a
// block during which Ryxo shows a message, or a script that stops early fails the scene, so the
// guide and the picture cannot drift apart.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "script_runner.h"

struct HostStep {
    std::string words; // the comment's words, exactly as the guide prints them
    std::function<script::HostStepAnswer(script::ScriptVariables&)> perform;
};

// A step that is simply performed, the script going on after it.
HostStep Step(std::string words, std::function<void(script::ScriptVariables&)> perform);

// Done, or Refused when the host failed (the run then stops there).
script::HostStepAnswer Performed(bool done);

struct GuideRun {
    std::string family;
    std::vector<script::ScriptBlock> blocks;
    size_t next = 0; // the next block to run
    script::ScriptVariables variables;
    std::vector<HostStep> steps;
    std::set<std::string> notRun;    // texts of blocks only parsed and bound (they would fail harmfully)
    std::set<std::string> performed; // words of the steps met
    std::set<std::string> skipped;   // texts of the blocks not run that were met
    bool ok = true;
};

// Reads <family>/guide.md of the source tree; false (said on stderr) when it cannot.
bool OpenGuide(GuideRun& run, const std::string& family);
// Runs the blocks from the next one up to the first block under the section headed `stopBefore`
// (all that are left when it is empty); false, said on stderr, when one fails.
bool RunGuide(GuideRun& run, const script::CommandIndex& commands, const std::string& stopBefore = "");
// True when every block ran and every step and skipped block the scene names was met.
bool FinishGuide(GuideRun& run);

// A variable's value as a number (0 when the script never set it).
double GuideNumber(GuideRun& run, const std::string& name);
