#include "cube_scene.h"

#include <algorithm>
#include <cstdio>

#include "guide_run.h"
#include "effect_files.h"
#include "ref_host.h"
#include "scene_checks.h"

namespace {

constexpr int kBall = 2;
constexpr int kBallEffect = 2;
constexpr float kBallRadius = 8.0f;
constexpr float kBallHeight = 16.0f;
constexpr int kCubeEdge = 256;
// The host camera the cube faces are rendered through: its backdrop is the sky the ball mirrors.
constexpr int kCubeCamera = 1;
constexpr D3DCOLOR kSky = 0xFFC08A50;

// The share of the 15 x 15 pixels round the point's place in camera 0's picture that are clearly
// more blue than red (the field's centre is blue, its far side orange, the cube's sky warm).
float BluishShare(const refhost::SurfacePixels& picture, const D3DXVECTOR3& point)
{
    int x0 = 0, y0 = 0, bluish = 0;
    if (!PixelPlace(picture, 0, point, &x0, &y0))
        return 0.0f;
    for (int y = y0 - 7; y <= y0 + 7; ++y)
        for (int x = x0 - 7; x <= x0 + 7; ++x) {
            const D3DCOLOR c = picture.At(std::clamp(x, 0, picture.width - 1), std::clamp(y, 0, picture.height - 1));
            bluish += (c & 0xFF) > ((c >> 16) & 0xFF) + 40 ? 1 : 0;
        }
    return bluish / 225.0f;
}

} // namespace

bool RenderMirrorBall(const refhost::LoadedPlugin& plugin, const std::string& outDir)
{
    const script::CommandIndex commands = script::IndexCommands(plugin.commands);
    GuideRun run;
    run.steps = {
        {"object 2: a sphere of diameter 16 at 0, 16, 0 with one texture stage and effects/mirror_ball.fx applied",
         [](script::ScriptVariables&) {
             refhost::MeshDescription ball;
             ball.shape = refhost::Shape::Sphere;
             ball.size = 2.0f * kBallRadius;
             ball.sphereRings = 40;
             ball.sphereSegments = 64;
             ball.textureStages = 1;
             // The ball mirrors its cube texture through mirror_ball.fx, which finds the cube on
             // the ball's texture stage 0.
             const bool made = LoadDemoEffect(kBallEffect, "mirror_ball.fx") && refhost::MakeObject(kBall, ball);
             refhost::SetObjectEffect(kBall, kBallEffect);
             refhost::SetObjectPosition(kBall, 0.0f, kBallHeight, 0.0f);
             return Performed(made);
         }},
        {"camera 1: a host camera of 64 x 64 whose backdrop colour, a warm orange, is the sky the ball mirrors",
         [](script::ScriptVariables&) {
             const bool made = refhost::MakeCamera(kCubeCamera, 64, 64);
             refhost::SetCameraBackdrop(kCubeCamera, kSky);
             return Performed(made);
         }},
        // Closer than the field's own picture. The ball mirrors a warm sky under the blue one
        // camera 0 shows, so its outline stands out.
        Step("host camera 0 at 0, 30, -50, pitched 20 degrees down, with a blue backdrop",
             [](script::ScriptVariables&) {
                 refhost::SetCameraBackdrop(0, 0xFF4A6A90);
                 refhost::SetCameraPosition(0, 0.0f, 30.0f, -50.0f);
                 refhost::SetCameraRotation(0, 20.0f, 0.0f, 0.0f);
             }),
        Step("turn object 2 to 20 * frame degrees about Y, then hide it",
             [](script::ScriptVariables& variables) {
                 const script::Value* frame = script::FindVariable(variables, "frame");
                 refhost::SetObjectRotation(kBall, 0.0f, 20.0f * float(frame ? frame->integer : 0), 0.0f);
                 refhost::HideObject(kBall);
             }),
        Step("show object 2 again, set the host's sync mask to camera 0 alone and draw the frame",
             [](script::ScriptVariables&) {
                 refhost::ShowObject(kBall);
                 refhost::SetSyncMask(1);
                 refhost::FastSync();
             }),
        Step("delete object 2 and camera 1", [](script::ScriptVariables&) {
            refhost::DeleteObject(kBall);
            refhost::DeleteCamera(kCubeCamera);
            refhost::DeleteEffect(kBallEffect);
        }),
    };
    // After the clean-up the cube is gone, and the command would show its message.
    run.notRun = {"CubeTex_SyncFaces cube, 1, 1 + 2\n"};

    SceneCheck check("mirror ball scene");
    const bool ran = OpenGuide(run, "cubetex") && RunGuide(run, commands, "Cleaning up");
    check.That(GuideNumber(run, "cube") != 0, "CubeTex_MakeNew gave no cube");
    // The ball's upper front, turned up towards the sky above the field, mirrors the cube's sky.
    refhost::SurfacePixels picture;
    if (check.That(refhost::ReadCameraPixels(0, picture), "camera 0 could not be read back")) {
        const D3DXVECTOR3 upperFront(0.0f, kBallHeight + 0.8f * kBallRadius, -0.6f * kBallRadius);
        check.Pixel(PixelAtPoint(picture, 0, upperFront), kSky, "the ball's upper front mirroring the sky", 6);
        // Its lower front mirrors what lies straight below the ball, the field's blue centre; seen
        // through, unmirrored, the same spot would show the orange far side of the field.
        const D3DXVECTOR3 lowerFront(0.0f, kBallHeight - 0.6f * kBallRadius, -0.8f * kBallRadius);
        check.That(BluishShare(picture, lowerFront) > 0.3f, "the ball's lower front does not mirror the field's blue centre");
    }
    const std::string png = outDir + "/cube_reflection.png";
    const bool saved = refhost::SavePng(png.c_str(), picture);

    // The guide saves the cube map under a plain file name: into the demo's output folder.
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(outDir.c_str());
    RunGuide(run, commands);
    SetCurrentDirectoryA(previous);
    const std::string dds = outDir + "/cube_reflection_map.dds";
    std::FILE* file = std::fopen(dds.c_str(), "rb");
    const bool ddsSaved = file != nullptr;
    if (file)
        std::fclose(file);
    std::printf("demo: mirror ball, its %d x %d cube map rendered each frame -> %s%s, %s%s%s\n", kCubeEdge,
                kCubeEdge, png.c_str(), saved ? "" : " (not written)", dds.c_str(),
                ddsSaved ? "" : " (not written)", check.Passed() ? "" : " (pixel checks failed)");
    return ran && FinishGuide(run) && saved && ddsSaved && check.Passed();
}
