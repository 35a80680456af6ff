#include "cube_scene.h"

#include <algorithm>
#include <cstdio>

#include "demo_plugin.h"
#include "effect_files.h"
#include "ref_host.h"
#include "scene_checks.h"

namespace {

constexpr int kBall = 2;
constexpr int kBallEffect = 2;
constexpr float kBallRadius = 8.0f;
constexpr float kBallHeight = 16.0f;
constexpr int kCubeEdge = 256;
constexpr int kFrames = 4;
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
    refhost::MeshDescription ball;
    ball.shape = refhost::Shape::Sphere;
    ball.size = 2.0f * kBallRadius;
    ball.sphereRings = 40;
    ball.sphereSegments = 64;
    ball.textureStages = 1;
    // The ball mirrors its cube texture through mirror_ball.fx, which finds the cube on the ball's
    // texture stage 0.
    if (!LoadDemoEffect(kBallEffect, "mirror_ball.fx") || !refhost::MakeObject(kBall, ball))
        return false;
    refhost::SetObjectEffect(kBall, kBallEffect);
    refhost::SetObjectPosition(kBall, 0.0f, kBallHeight, 0.0f);

    const int cube = RunCommand(plugin, "CubeTex_MakeNew", kCubeEdge, 0);
    if (!cube)
        return false;
    RunCommand(plugin, "CubeTex_SetPosition", cube, 0.0f, kBallHeight, 0.0f);
    RunCommand(plugin, "CubeTex_SetRange", cube, 0.5f, 500.0f);
    RunCommand(plugin, "CubeTex_ApplyObject", cube, kBall, 0);
    // Closer than the field's own picture. The ball mirrors a warm sky under the blue one camera 0
    // shows, so its outline stands out.
    if (!refhost::MakeCamera(kCubeCamera, 64, 64))
        return false;
    refhost::SetCameraBackdrop(kCubeCamera, kSky);
    refhost::SetCameraBackdrop(0, 0xFF4A6A90);
    refhost::SetCameraPosition(0, 0.0f, 30.0f, -50.0f);
    refhost::SetCameraRotation(0, 20.0f, 0.0f, 0.0f);

    for (int frame = 0; frame < kFrames; ++frame) {
        // The ball turns a little each frame; the field around it is what its faces see, so it is
        // hidden while they are rendered.
        refhost::SetObjectRotation(kBall, 0.0f, 20.0f * frame, 0.0f);
        refhost::HideObject(kBall);
        RunCommand(plugin, "CubeTex_Sync", cube, kCubeCamera);
        refhost::ShowObject(kBall);
        refhost::SetSyncMask(1);
        refhost::FastSync();
    }

    const std::string png = outDir + "/cube_reflection.png";
    const std::string dds = outDir + "/cube_reflection_map.dds";
    // The ball's upper front, turned up towards the sky above the field, mirrors the cube's sky.
    SceneCheck check("mirror ball scene");
    refhost::SurfacePixels picture;
    if (check.That(refhost::ReadCameraPixels(0, picture), "camera 0 could not be read back")) {
        const D3DXVECTOR3 upperFront(0.0f, kBallHeight + 0.8f * kBallRadius, -0.6f * kBallRadius);
        check.Pixel(PixelAtPoint(picture, 0, upperFront), kSky, "the ball's upper front mirroring the sky", 6);
        // Its lower front mirrors what lies straight below the ball, the field's blue centre; seen
        // through, unmirrored, the same spot would show the orange far side of the field.
        const D3DXVECTOR3 lowerFront(0.0f, kBallHeight - 0.6f * kBallRadius, -0.8f * kBallRadius);
        check.That(BluishShare(picture, lowerFront) > 0.3f, "the ball's lower front does not mirror the field's blue centre");
    }
    const bool saved = refhost::SavePng(png.c_str(), picture);
    RunCommand(plugin, "CubeTex_Save", cube, dds.c_str());
    std::FILE* file = std::fopen(dds.c_str(), "rb");
    const bool ddsSaved = file != nullptr;
    if (file)
        std::fclose(file);
    std::printf("demo: mirror ball, its %d x %d cube map rendered each frame -> %s%s, %s%s%s\n", kCubeEdge,
                kCubeEdge, png.c_str(), saved ? "" : " (not written)", dds.c_str(),
                ddsSaved ? "" : " (not written)", check.Passed() ? "" : " (pixel checks failed)");
    RunCommand(plugin, "CubeTex_Delete", cube);
    refhost::DeleteObject(kBall);
    refhost::DeleteCamera(kCubeCamera);
    refhost::DeleteEffect(kBallEffect);
    return saved && ddsSaved && check.Passed();
}
