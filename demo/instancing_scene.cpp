#include "instancing_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cube_scene.h"
#include "demo_plugin.h"
#include "effect_files.h"
#include "ref_host.h"
#include "scene_checks.h"

namespace {

constexpr int kObject = 1;
constexpr int kEffect = 1;
constexpr int kSide = 100; // kSide x kSide instances
constexpr D3DCOLOR kBackdrop = 0xFF101820;

struct Instance {
    float x, y, z;             // position
    float pitch, yaw;          // rotation, degrees
    float size;                // scale, percent
    float red, green, blue;    // colour
};

// Instance (row, column) of the field, worked out as the instancing guide's script does: a ripple
// round the centre; the colour runs from blue at the centre to red at the edge, brighter on the
// crests.
Instance FieldInstance(int row, int column)
{
    Instance i{};
    i.x = column - 49.5f;
    i.z = row - 49.5f;
    const float d = std::sqrt(i.x * i.x + i.z * i.z);
    const float wave = std::sin(d * 0.35f) * std::exp(0.0f - d * 0.02f);
    i.y = 4.0f * wave;
    i.pitch = 25.0f * wave;
    i.yaw = d * 7.0f;
    i.size = 55.0f + 15.0f * wave + 15.0f;
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

} // namespace

bool RenderInstancingScene(const refhost::LoadedPlugin& plugin, const std::string& outDir)
{
    refhost::ResetScene();
    if (!LoadDemoEffect(kEffect, "instancing_field.fx"))
        return false;
    refhost::MeshDescription cube;
    cube.size = 1.0f;
    if (!refhost::MakeObject(kObject, cube))
        return false;
    refhost::SetObjectEffect(kObject, kEffect);
    refhost::HideObject(kObject); // only its instances show

    const int set = RunCommand(plugin, "GeoInst_MakeNew");
    RunCommand(plugin, "GeoInst_DeclareCustomElements", set, 1);
    RunCommand(plugin, "GeoInst_AddCustomElement", set, 4);
    RunCommand(plugin, "GeoInst_FinishCustomElements", set);
    RunCommand(plugin, "GeoInst_SetMesh", set, kObject, 0);
    RunCommand(plugin, "GeoInst_SetMaxInstanceCount", set, kSide * kSide);
    RunCommand(plugin, "GeoInst_SetInstanceCount", set, kSide * kSide);

    // Each instance, numbered from 1: placed, turned, sized and coloured as the guide's script does.
    for (int row = 0; row < kSide; ++row) {
        for (int column = 0; column < kSide; ++column) {
            const int n = row * kSide + column + 1;
            const Instance i = FieldInstance(row, column);
            RunCommand(plugin, "GeoInst_SetPosition", set, n, i.x, i.y, i.z);
            RunCommand(plugin, "GeoInst_SetRotation", set, n, i.pitch, i.yaw, 0.0f);
            RunCommand(plugin, "GeoInst_SetScaleUniform", set, n, i.size);
            RunCommand(plugin, "GeoInst_UpdateInstance", set, n);
            RunCommand(plugin, "GeoInst_SetCustomData4", set, n, 1, i.red, i.green, i.blue, 1.0f);
        }
    }
    RunCommand(plugin, "GeoInst_Update", set);
    const int drawn = RunCommand(plugin, "GeoInst_GetDrawCount", set);

    refhost::SetCameraBackdrop(0, kBackdrop);
    refhost::SetCameraPosition(0, 0.0f, 44.0f, -84.0f);
    refhost::SetCameraRotation(0, 30.0f, 0.0f, 0.0f);
    refhost::SetSyncMask(1);
    refhost::FastSync();

    // Each checked cube shows its own colour where its centre lands (the effect reads the rows and
    // the colour from the texture coordinates the set gives); the sky above the field is empty.
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
    const bool mirrored = RenderMirrorBall(plugin, outDir);
    RunCommand(plugin, "GeoInst_Delete", set);
    refhost::ResetScene();
    return saved && check.Passed() && mirrored;
}
