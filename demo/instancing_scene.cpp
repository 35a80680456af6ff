#include "instancing_scene.h"

#include <cmath>
#include <cstdio>

#include "cube_scene.h"
#include "demo_plugin.h"
#include "effect_library.h"
#include "ref_host.h"

namespace {

constexpr int kObject = 1;
constexpr int kEffect = 1;
constexpr int kSide = 100; // kSide x kSide instances
constexpr float kSpacing = 1.0f;

struct Rgb {
    float r, g, b;
};

// A hue from 0 to 1 round the colour wheel, at full saturation and the given brightness.
Rgb Hue(float h, float brightness)
{
    h = h - std::floor(h);
    const float x = h * 6.0f;
    const int sector = static_cast<int>(x) % 6;
    const float f = x - std::floor(x);
    Rgb c{};
    switch (sector) {
    case 0: c = {1, f, 0}; break;
    case 1: c = {1 - f, 1, 0}; break;
    case 2: c = {0, 1, f}; break;
    case 3: c = {0, 1 - f, 1}; break;
    case 4: c = {f, 0, 1}; break;
    default: c = {1, 0, 1 - f}; break;
    }
    return {c.r * brightness, c.g * brightness, c.b * brightness};
}

} // namespace

bool RenderInstancingScene(const refhost::LoadedPlugin& plugin, const std::string& outDir)
{
    refhost::ResetScene();
    refhost::InstancingEffectOptions options;
    options.instanceColor = true;
    std::string error;
    ID3DXEffect* effect =
        refhost::CreateRuntimeEffect(refhost::RealDevice(), refhost::InstancingEffectDescription(options), &error);
    if (!effect) {
        std::fprintf(stderr, "demo: instancing effect: %s\n", error.c_str());
        return false;
    }
    refhost::AddEffect(kEffect, effect);
    effect->Release();
    refhost::MeshDescription cube;
    cube.size = 1.0f;
    if (!refhost::MakeObject(kObject, cube))
        return false;
    refhost::SetObjectEffect(kObject, kEffect);
    refhost::HideObject(kObject); // only its instances show

    const int set = CallCommand(plugin, "GeoInst_MakeNew");
    CallCommand(plugin, "GeoInst_DeclareCustomElements", set, 1);
    CallCommand(plugin, "GeoInst_AddCustomElement", set, 4);
    CallCommand(plugin, "GeoInst_FinishCustomElements", set);
    CallCommand(plugin, "GeoInst_SetMesh", set, kObject, 0);
    CallCommand(plugin, "GeoInst_SetMaxInstanceCount", set, kSide * kSide);
    CallCommand(plugin, "GeoInst_SetInstanceCount", set, kSide * kSide);

    // A rippling field: height and colour follow the distance from the centre, each cube turned
    // along the slope and sized by its height.
    int n = 1;
    for (int row = 0; row < kSide; ++row) {
        for (int column = 0; column < kSide; ++column, ++n) {
            const float x = (column - (kSide - 1) / 2.0f) * kSpacing;
            const float z = (row - (kSide - 1) / 2.0f) * kSpacing;
            const float distance = std::sqrt(x * x + z * z);
            const float wave = std::sin(distance * 0.35f) * std::exp(-distance * 0.02f);
            const float y = 4.0f * wave;
            CallCommand(plugin, "GeoInst_SetPosition", set, n, x, y, z);
            CallCommand(plugin, "GeoInst_SetRotation", set, n, 25.0f * wave, distance * 7.0f, 0.0f);
            CallCommand(plugin, "GeoInst_SetScaleUniform", set, n, 55.0f + 30.0f * (wave + 1.0f) * 0.5f);
            CallCommand(plugin, "GeoInst_UpdateInstance", set, n);
            // A checkerboard of brightness keeps neighbouring cubes apart.
            const float checker = ((row + column) & 1) ? 0.78f : 1.0f;
            const Rgb c = Hue(distance / 60.0f + 0.15f * wave, checker * (0.55f + 0.45f * (wave + 1.0f) * 0.5f));
            CallCommand(plugin, "GeoInst_SetCustomData4", set, n, 1, c.r, c.g, c.b, 1.0f);
        }
    }
    CallCommand(plugin, "GeoInst_Update", set);
    const int drawn = CallCommand(plugin, "GeoInst_GetDrawCount", set);

    refhost::SetCameraBackdrop(0, 0xFF101820);
    refhost::SetCameraPosition(0, 0.0f, 44.0f, -84.0f);
    refhost::SetCameraRotation(0, 30.0f, 0.0f, 0.0f);
    refhost::SetSyncMask(1);
    refhost::FastSync();

    const std::string path = outDir + "/instancing_10000.png";
    const bool saved = refhost::SaveCameraPng(0, path.c_str());
    std::printf("demo: %d instances in one instance set -> %s%s\n", drawn, path.c_str(), saved ? "" : " (not written)");
    const bool mirrored = RenderMirrorBall(plugin, outDir);
    CallCommand(plugin, "GeoInst_Delete", set);
    refhost::ResetScene();
    return saved && mirrored;
}
