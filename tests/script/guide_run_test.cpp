// What makes a demo scene that runs a guide fail: one row per way the guide and the scene can drift
// apart, run against the loaded Ryxo.dll with blocks given in place of a guide file.
#include <gtest/gtest.h>

#include "guide_run.h"
#include "message_answers.h"
#include "ref_host.h"
#include "script_runner.h"

namespace {

struct DriftCase {
    const char* what;
    std::vector<std::vector<std::string>> blocks;
    std::vector<std::string> stepsPerformed; // the host steps the scene knows
    std::vector<std::string> notRun;         // texts of the blocks the scene does not run
    bool passes;
};

const DriftCase kDrift[] = {
    {"a guide the scene follows", {{"` make the set", "set = GeoInst_MakeNew()"}, {"GeoInst_Delete set"}},
     {"make the set"}, {}, true},
    {"a host step the scene does not perform", {{"` paint the sky"}}, {}, {}, false},
    {"a host step the scene knows and the guide lost", {{"n = 1"}}, {"make the set"}, {}, false},
    {"a line the runner cannot bind", {{"GeoInst_SetScale 1, 2, 3, 4"}}, {}, {}, false},
    {"a block during which Ryxo shows a message", {{"EfxCam_SetFOV 3, 1.0"}}, {}, {}, false},
    {"a block marked not run is only bound", {{"EfxCam_SetFOV 3, 1.0"}}, {}, {"EfxCam_SetFOV 3, 1.0\n"}, true},
    {"a block marked not run that the guide lost", {{"n = 1"}}, {}, {"EfxCam_Sync\n"}, false},
    {"a script that ends before its last block", {{"end"}, {"n = 1"}}, {}, {}, false},
};

// Not the DLL tests' fixture: its own watcher would race the demo's for the boxes.
class GuideRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(refhost::Start());
        refhost::ResetScene();
        std::string error;
        ASSERT_TRUE(refhost::LoadPlugin("Ryxo.dll", plugin_, error)) << error;
    }
    void TearDown() override { refhost::UnloadPlugin(plugin_); }

    refhost::LoadedPlugin plugin_;
};

TEST_F(GuideRunTest, AScenePassesOnlyWhenItsGuideRunsAsPrinted)
{
    const script::CommandIndex commands = script::IndexCommands(plugin_.commands);
    StartAnsweringMessages();
    for (const DriftCase& c : kDrift) {
        SCOPED_TRACE(c.what);
        GuideRun run;
        run.family = "test";
        for (const std::vector<std::string>& lines : c.blocks)
            run.blocks.push_back({"guide.md", 1, "Setting up", lines});
        for (const std::string& words : c.stepsPerformed)
            run.steps.push_back(Step(words, [](script::ScriptVariables&) {}));
        run.notRun.insert(c.notRun.begin(), c.notRun.end());
        const bool ran = RunGuide(run, commands);
        EXPECT_EQ(ran && FinishGuide(run), c.passes);
    }
    StopAnsweringMessages();
}

} // namespace
