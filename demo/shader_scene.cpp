#include "shader_scene.h"

#include <cmath>
#include <cstdio>

#include "effect_files.h"
#include "guide_run.h"
#include "ref_host.h"
#include "scene_checks.h"

namespace {

// Left: set by value. Middle: set through memory. Right: drawn by the effect's second technique.
constexpr int kByValue = 1, kThroughMemory = 2, kSwitched = 3;
constexpr float kObjectX[] = {0.0f, -4.0f, 0.0f, 4.0f}; // by object number
constexpr D3DCOLOR kBackdrop = 0xFF182028;

// The colours the front faces must show (the shade of a face turned to the camera is 1).
constexpr D3DCOLOR kOrangeDimmed = 0xFFBF6913; // (1.0, 0.55, 0.1) x 0.75
constexpr D3DCOLOR kGreen = 0xFF33CC59;        // (0.2, 0.8, 0.35) x 1
constexpr D3DCOLOR kTealInverted = 0xFF26CCBF; // 1 - (0.85, 0.2, 0.25)

// The memory the script owns: a vector (16 bytes) and a matrix (64 bytes).
alignas(16) float gScriptMemory[20];

bool MakeCube(int object)
{
    if (!LoadDemoEffect(object, "shader_cubes.fx"))
        return false;
    refhost::MeshDescription cube;
    cube.size = 2.0f;
    if (!refhost::MakeObject(object, cube))
        return false;
    refhost::SetObjectEffect(object, object);
    refhost::SetObjectPosition(object, kObjectX[object], 0.0f, 0.0f);
    return true;
}

// Checks the pixel where a point of an object (in the object's own space, before the effect's
// Shape) lands in camera 0's picture.
void CheckPixel(SceneCheck& check, const refhost::SurfacePixels& picture, int object, float x, float y, float z,
                D3DCOLOR expected, const char* what)
{
    check.Pixel(PixelAtPoint(picture, 0, D3DXVECTOR3(kObjectX[object] + x, y, z)), expected, what);
}

std::vector<HostStep> HostSteps()
{
    return {
        {"objects 1, 2 and 3: cubes of edge 2 at x = -4, 0 and 4, each with its own copy of effects/shader_cubes.fx",
         [](script::ScriptVariables&) {
             bool made = true;
             for (int object : {kByValue, kThroughMemory, kSwitched})
                 made = MakeCube(object) && made;
             return Performed(made);
         }},
        Step("the host's camera 0 at 0, 3, -10, looking at the middle cube, with a dark slate backdrop, 0xFF182028",
             [](script::ScriptVariables&) {
                 refhost::SetCameraBackdrop(0, kBackdrop);
                 refhost::SetCameraPosition(0, 0.0f, 3.0f, -10.0f);
                 refhost::PointCamera(0, 0.0f, 0.0f, 0.0f);
             }),
        Step("mem: the address of 80 bytes of memory the script owns (made with the host's memory commands)",
             [](script::ScriptVariables& variables) {
                 script::SetVariable(variables, "mem", static_cast<double>(reinterpret_cast<intptr_t>(gScriptMemory)));
             }),
        Step("draw the frame with the host's own command",
             [](script::ScriptVariables&) { refhost::FastSync(); }),
        // The demo's 80 bytes live as long as the program: there is nothing to free.
        Step("free the 80 bytes at mem with the host's memory commands", [](script::ScriptVariables&) {}),
        Step("delete the objects and their effects with the host's commands as usual", [](script::ScriptVariables&) {
            for (int object : {kByValue, kThroughMemory, kSwitched}) {
                refhost::DeleteObject(object);
                refhost::DeleteEffect(object);
            }
        }),
    };
}

} // namespace

bool RenderShaderScene(const refhost::LoadedPlugin& plugin, const std::string& outDir)
{
    refhost::ResetScene();
    const script::CommandIndex commands = script::IndexCommands(plugin.commands);
    GuideRun run;
    run.steps = HostSteps();
    const bool ran = OpenGuide(run, "effect") && RunGuide(run, commands, "Cleaning up");

    // The values read back as the script set them.
    SceneCheck check("shader parameters scene");
    auto readsBack = [&](const char* name, double expected) { return std::fabs(GuideNumber(run, name) - expected) < 1e-5; };
    check.That(readsBack("glow#", 0.75), "the left cube's brightness does not read back as 0.75");
    check.That(readsBack("green#", 0.8), "the middle cube's colour does not read back with green 0.8");
    check.That(readsBack("wide#", 1.6), "the middle cube's shape does not read back 1.6 wide");
    check.That(GuideNumber(run, "current") != 0 && GuideNumber(run, "current") == GuideNumber(run, "inverted"),
               "the right cube's effect is not on its second technique");

    // The pixels: each front face in its colour, the stretched parts drawn, the backdrop between.
    refhost::SurfacePixels picture;
    check.That(refhost::ReadCameraPixels(0, picture), "camera 0 could not be read back");
    CheckPixel(check, picture, kByValue, 0.0f, 0.0f, -1.0f, kOrangeDimmed, "left cube, colour x brightness");
    CheckPixel(check, picture, kByValue, 0.0f, 1.6f, 0.0f, kOrangeDimmed, "left cube above a plain cube's height");
    CheckPixel(check, picture, kThroughMemory, 0.0f, 0.0f, -1.0f, kGreen, "middle cube, colour from memory");
    CheckPixel(check, picture, kThroughMemory, 1.4f, 0.0f, 0.0f, kGreen, "middle cube past a plain cube's width");
    CheckPixel(check, picture, kThroughMemory, 0.0f, 1.6f, 0.0f, kBackdrop, "above the middle cube");
    CheckPixel(check, picture, kSwitched, 0.0f, 0.0f, -1.0f, kTealInverted, "right cube, second technique");
    CheckPixel(check, picture, kSwitched, -2.0f, 0.0f, -1.0f, kBackdrop, "between the middle and right cubes");

    const std::string path = outDir + "/shader_parameters.png";
    const bool saved = refhost::SavePng(path.c_str(), picture);
    std::printf("demo: three cubes whose effect parameters the script set -> %s%s%s\n", path.c_str(),
                saved ? "" : " (not written)", check.Passed() ? "" : " (pixel checks failed)");
    RunGuide(run, commands);
    const bool finished = FinishGuide(run);
    refhost::ResetScene();
    return ran && finished && saved && check.Passed();
}
