#include "instancing_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cube_scene.h"
#include "effect_files.h"
#include "guide_run.h"
#include "ref_host.h"
#include "scene_checks.h"

namespace {

constexpr int kObject = 1;
constexpr int kEffect = 1;
constexpr int kSide = 100; // kSide x kSide instances
constexpr D3DCOLOR kBackdrop = 0xFF101820;
constexpr float kRadiansPerDegree = 3.14159265f / 180.0f;

struct Instance {
    float x, y, z;          // position
    float red, green, blue; // colour
};

// Where the guide's script puts instance (row, column) and the colour it gives it, for the checks:
// a ripple round the centre; the colour runs from blue at the centre to red at the edge, brighter
// on the crests.
Instance FieldInstance(int row, int column)
{
    Instance i{};
    i.x = column - 49.5f;
    i.z = row - 49.5f;
    const float d = std::sqrt(i.x * i.x + i.z * i.z);
    const float wave = std::sin(d * 20.0f * kRadiansPerDegree) * std::exp(0.0f - d * 0.02f);
    i.y = 4.0f * wave;
    const float bright = 0.55f + 0.225f * wave + 0.225f;
    const float t = d / 71.0f;
    i.red = bright * t;
    i.green = bright * 0.5f;
    i.blue = bright - bright * t;
    return i;
}

D3DCOLOR ColourOf(const Instance& i)
{
    auto channel = [](float v) { return static_cast<D3DCOLOR>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    return 0xFF000000 | channel(i.red) << 16 | channel(i.green) << 8 | channel(i.blue);
}

// The frame the guide's main loop draws: each checked cube shows its own colour where its centre
// lands (the effect reads the rows and the colour from the texture coordinates the set gives); the
// sky above the field is empty.
bool DrawAndCheckField(GuideRun& run, const std::string& outDir)
{
    refhost::FastSync();
    const int drawn = static_cast<int>(GuideNumber(run, "drawn"));
    SceneCheck check("instancing scene");
    refhost::SurfacePixels picture;
    check.That(drawn == kSide * kSide, "the set does not draw every instance");
    if (check.That(refhost::ReadCameraPixels(0, picture), "camera 0 could not be read back")) {
        // Cubes no crest of the ripple hides from the camera (row, column).
        const int checked[][2] = {{50, 80}, {20, 20}, {1, 50}, {2, 75}, {0, 10}, {10, 60}};
        for (const auto& [row, column] : checked) {
            const Instance i = FieldInstance(row, column);
            check.Pixel(PixelAtPoint(picture, 0, D3DXVECTOR3(i.x, i.y, i.z)), ColourOf(i), "a cube's colour at its centre");
        }
        check.Pixel(picture.At(picture.width / 2, 2), kBackdrop, "the sky above the field");
    }
    const std::string path = outDir + "/instancing_10000.png";
    const bool saved = refhost::SavePng(path.c_str(), picture);
    std::printf("demo: %d instances in one instance set -> %s%s%s\n", drawn, path.c_str(), saved ? "" : " (not written)",
                check.Passed() ? "" : " (pixel checks failed)");
    return saved && check.Passed();
}

} // namespace

bool RenderInstancingScene(const refhost::LoadedPlugin& plugin, const std::string& outDir)
{
    refhost::ResetScene();
    const script::CommandIndex commands = script::IndexCommands(plugin.commands);
    GuideRun run;
    bool drew = false;
    run.steps = {
        {"object 1: a cube of edge 1 at 0, 0, 0 with effects/instancing_field.fx (effect 1) applied to it",
         [](script::ScriptVariables&) {
             refhost::MeshDescription cube;
             cube.size = 1.0f;
             const bool made = LoadDemoEffect(kEffect, "instancing_field.fx") && refhost::MakeObject(kObject, cube);
             refhost::SetObjectEffect(kObject, kEffect);
             return Performed(made);
         }},
        // The engine's sync command: the frame makes the object's buffers, which the set's binding needs.
        Step("the host draws one frame, in which camera 0 sees object 1: the engine makes the object's vertex buffer",
             [](script::ScriptVariables&) { refhost::FastSync(); }),
        Step("hide object 1: only its instances are to show", [](script::ScriptVariables&) { refhost::HideObject(kObject); }),
        Step("camera 0: backdrop colour 0xFF101820, at 0, 44, -84, turned 30 degrees down towards the field",
             [](script::ScriptVariables&) {
                 refhost::SetCameraBackdrop(0, kBackdrop);
                 refhost::SetCameraPosition(0, 0.0f, 44.0f, -84.0f);
                 refhost::SetCameraRotation(0, 30.0f, 0.0f, 0.0f);
             }),
        Step("the host draws the frame: camera 0 renders, and the set is drawn with it",
             [&](script::ScriptVariables&) { drew = DrawAndCheckField(run, outDir); }),
        // The demo's player quits after the first frame.
        Step("quit = 1 once the player has pressed Escape (the engine's key command)",
             [](script::ScriptVariables& variables) { script::SetVariable(variables, "quit", 1); }),
        Step("delete object 1 and effect 1 with the host's commands", [](script::ScriptVariables&) {
            refhost::DeleteObject(kObject);
            refhost::DeleteEffect(kEffect);
        }),
    };
    // The field stays while the mirror ball's guide hangs its ball above it.
    const bool ok = OpenGuide(run, "instancing") && RunGuide(run, commands, "Cleaning up");
    const bool mirrored = ok && RenderMirrorBall(plugin, outDir);
    RunGuide(run, commands);
    const bool finished = FinishGuide(run);
    refhost::ResetScene();
    return ok && drew && mirrored && finished;
}
