#include "guide_run.h"

#include <cstdio>

#include "message_answers.h"

HostStep Step(std::string words, std::function<void(script::ScriptVariables&)> perform)
{
    return {std::move(words), [perform = std::move(perform)](script::ScriptVariables& variables) {
                perform(variables);
                return script::HostStepAnswer::Done;
            }};
}

script::HostStepAnswer Performed(bool done)
{
    return done ? script::HostStepAnswer::Done : script::HostStepAnswer::Refused;
}

bool OpenGuide(GuideRun& run, const std::string& family)
{
    // RYXO_SOURCE_DIR: the source tree, set by the build.
    const std::string path = std::string(RYXO_SOURCE_DIR) + "/" + family + "/guide.md";
    run.family = family;
    if (!script::ReadGuideBlocks(path, run.blocks) || run.blocks.empty()) {
        std::fprintf(stderr, "demo: cannot read the script blocks of %s\n", path.c_str());
        run.ok = false;
    }
    return run.ok;
}

bool RunGuide(GuideRun& run, const script::CommandIndex& commands, const std::string& stopBefore)
{
    const script::HostSteps steps = [&run](const script::Statement& step, script::ScriptVariables& variables,
                                           std::string& error) {
        for (const HostStep& known : run.steps)
            if (known.words == step.text) {
                run.performed.insert(step.text);
                const script::HostStepAnswer answer = known.perform(variables);
                if (answer == script::HostStepAnswer::Refused)
                    error = "the host could not perform \"" + step.text + "\"";
                return answer;
            }
        error = "the scene does not perform the host step \"" + step.text + "\"";
        return script::HostStepAnswer::Refused;
    };
    for (; run.ok && run.next < run.blocks.size(); ++run.next) {
        const script::ScriptBlock& block = run.blocks[run.next];
        if (!stopBefore.empty() && block.section == stopBefore)
            break;
        script::Program program;
        std::string error;
        if (!script::PrepareBlock(block, commands, run.variables, program, error)) {
            std::fprintf(stderr, "demo: %s guide: %s\n", run.family.c_str(), error.c_str());
            run.ok = false;
            break;
        }
        if (run.notRun.count(script::BlockText(block))) {
            run.skipped.insert(script::BlockText(block));
            continue;
        }
        TakeAnsweredMessages(); // what came before is not this block's
        const script::RunResult result = script::RunScript(program, run.variables, steps);
        if (!result.ok || result.ended) {
            std::fprintf(stderr, "demo: %s guide, %s, %s\n", run.family.c_str(), block.file.c_str(),
                         result.ok ? "the script ended before its last block" : result.error.c_str());
            run.ok = false;
        }
        for (const std::string& message : TakeAnsweredMessages()) {
            std::fprintf(stderr, "demo: %s guide, %s, the block of line %d showed \"%s\"\n", run.family.c_str(),
                         block.file.c_str(), block.firstLine, message.c_str());
            run.ok = false;
        }
    }
    return run.ok;
}

bool FinishGuide(GuideRun& run)
{
    if (!run.ok)
        return false; // the failure is said already; what was not met follows from it
    if (run.next != run.blocks.size()) {
        std::fprintf(stderr, "demo: %s guide: the scene left blocks unrun\n", run.family.c_str());
        run.ok = false;
    }
    for (const HostStep& step : run.steps)
        if (!run.performed.count(step.words)) {
            std::fprintf(stderr, "demo: %s guide: no script line asks for the step \"%s\"\n", run.family.c_str(),
                         step.words.c_str());
            run.ok = false;
        }
    for (const std::string& block : run.notRun)
        if (!run.skipped.count(block)) {
            std::fprintf(stderr, "demo: %s guide: the guide has no block\n%s", run.family.c_str(), block.c_str());
            run.ok = false;
        }
    return run.ok;
}

double GuideNumber(GuideRun& run, const std::string& name)
{
    const script::Value* value = script::FindVariable(run.variables, name);
    if (!value)
        return 0.0;
    return value->type == script::ValueType::Float ? value->real : value->integer;
}
