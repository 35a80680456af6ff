#include "cube_scene.h"

#include <cstdio>

#include "demo_plugin.h"
#include "ref_host.h"

namespace {

constexpr int kBall = 2;
constexpr float kBallHeight = 16.0f;
constexpr int kCubeEdge = 256;
constexpr int kFrames = 4;
// The host camera the cube faces are rendered through: its backdrop is the sky the ball mirrors.
constexpr int kCubeCamera = 1;

} // namespace

bool RenderMirrorBall(const refhost::LoadedPlugin& plugin, const std::string& outDir)
{
    refhost::MeshDescription ball;
    ball.shape = refhost::Shape::Sphere;
    ball.size = 16.0f;
    ball.sphereRings = 40;
    ball.sphereSegments = 64;
    ball.textureStages = 1;
    if (!refhost::MakeObject(kBall, ball))
        return false;
    refhost::SetObjectPosition(kBall, 0.0f, kBallHeight, 0.0f);

    const int cube = CallCommand(plugin, "CubeTex_MakeNew", kCubeEdge, 0);
    if (!cube)
        return false;
    CallCommand(plugin, "CubeTex_SetPosition", cube, 0.0f, kBallHeight, 0.0f);
    CallCommand(plugin, "CubeTex_SetRange", cube, 0.5f, 500.0f);
    CallCommand(plugin, "CubeTex_ApplyObject", cube, kBall, 0);
    // Closer than the field's own picture. The ball mirrors a warm sky under the blue one camera 0
    // shows, so its outline stands out.
    if (!refhost::MakeCamera(kCubeCamera, 64, 64))
        return false;
    refhost::SetCameraBackdrop(kCubeCamera, 0xFFC08A50);
    refhost::SetCameraBackdrop(0, 0xFF4A6A90);
    refhost::SetCameraPosition(0, 0.0f, 30.0f, -50.0f);
    refhost::SetCameraRotation(0, 20.0f, 0.0f, 0.0f);

    for (int frame = 0; frame < kFrames; ++frame) {
        // The ball turns a little each frame; the field around it is what its faces see, so it is
        // hidden while they are rendered.
        refhost::SetObjectRotation(kBall, 0.0f, 20.0f * frame, 0.0f);
        refhost::HideObject(kBall);
        CallCommand(plugin, "CubeTex_Sync", cube, kCubeCamera);
        refhost::ShowObject(kBall);
        refhost::SetSyncMask(1);
        refhost::FastSync();
    }

    const std::string png = outDir + "/cube_reflection.png";
    const std::string dds = outDir + "/cube_reflection_map.dds";
    const bool saved = refhost::SaveCameraPng(0, png.c_str());
    CallCommand(plugin, "CubeTex_Save", cube, dds.c_str());
    std::FILE* file = std::fopen(dds.c_str(), "rb");
    const bool ddsSaved = file != nullptr;
    if (file)
        std::fclose(file);
    std::printf("demo: mirror ball, its %d x %d cube map rendered each frame -> %s%s, %s%s\n", kCubeEdge,
                kCubeEdge, png.c_str(), saved ? "" : " (not written)", dds.c_str(),
                ddsSaved ? "" : " (not written)");
    CallCommand(plugin, "CubeTex_Delete", cube);
    refhost::DeleteObject(kBall);
    refhost::DeleteCamera(kCubeCamera);
    return saved && ddsSaved;
}
