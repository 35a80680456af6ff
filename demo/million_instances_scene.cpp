#include "million_instances_scene.h"

#include <cmath>
#include <cstdio>
#include <random>

#include "effect_files.h"
#include "ref_host.h"
#include "typed_command.h"

namespace {

constexpr int kObject = 2;
constexpr int kEffect = 2;
constexpr int kInstances = 1000000;
constexpr int kArms = 4;
constexpr float kRadius = 300.0f;

} // namespace

bool RenderMillionInstancesScene(const refhost::LoadedPlugin& plugin, const std::string& outDir)
{
    refhost::ResetScene();
    // A reset scene has an empty render list, and the plugin registers its render callback only
    // once in its life (at its first set, in the scene before): put it back as that scene had it.
    refhost::AddToRenderList(reinterpret_cast<void*>(plugin.Export("GeoInst_Sync")), 7500);
    // The same effect file as the instancing field: the same layout, a colour per instance.
    if (!LoadDemoEffect(kEffect, "instancing_field.fx"))
        return false;
    refhost::MeshDescription cube;
    cube.size = 1.0f;
    if (!refhost::MakeObject(kObject, cube))
        return false;
    refhost::SetObjectEffect(kObject, kEffect);
    refhost::FastSync(); // the host makes the object's buffers when it first draws it
    refhost::HideObject(kObject);

    const int set = FIND_COMMAND(plugin, GeoInst_MakeNew)();
    FIND_COMMAND(plugin, GeoInst_DeclareCustomElements)(set, 1);
    FIND_COMMAND(plugin, GeoInst_AddCustomElement)(set, 4);
    FIND_COMMAND(plugin, GeoInst_FinishCustomElements)(set);
    FIND_COMMAND(plugin, GeoInst_SetMesh)(set, kObject, 0);
    FIND_COMMAND(plugin, GeoInst_SetMaxInstanceCount)(set, kInstances);
    FIND_COMMAND(plugin, GeoInst_SetInstanceCount)(set, kInstances);

    // The commands called once per instance, looked up once: a million name look-ups would cost more
    // than the work itself.
    const auto setPosition = FIND_COMMAND(plugin, GeoInst_SetPosition);
    const auto setRotation = FIND_COMMAND(plugin, GeoInst_SetRotation);
    const auto setScale = FIND_COMMAND(plugin, GeoInst_SetScaleUniform);
    const auto updateInstance = FIND_COMMAND(plugin, GeoInst_UpdateInstance);
    const auto setColour = FIND_COMMAND(plugin, GeoInst_SetCustomData4);
    if (!setPosition || !setRotation || !setScale || !updateInstance || !setColour)
        return false;

    // A spiral galaxy: four arms winding out from a bright core, each star a small cube turned at
    // random, white-gold at the centre and blue towards the rim.
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::normal_distribution<float> scatter(0.0f, 1.0f);
    for (int n = 1; n <= kInstances; ++n) {
        const float t = unit(random);
        const float r = kRadius * std::pow(t, 0.65f) + 2.0f;
        const float arm = 6.2831853f * static_cast<float>(n % kArms) / kArms;
        const float spread = 0.10f + 0.30f * (1.0f - t) * (1.0f - t);
        const float a = arm + r * 0.018f + spread * scatter(random);
        const float thickness = 6.0f * std::exp(-r / 80.0f) + 1.0f;
        setPosition(set, n, r * std::cos(a), thickness * scatter(random), r * std::sin(a));
        setRotation(set, n, 360.0f * unit(random), 360.0f * unit(random), 0.0f);
        setScale(set, n, 50.0f + 70.0f * unit(random));
        updateInstance(set, n);
        const float warm = std::exp(-r / 70.0f);
        const float glow = 0.55f + 0.45f * unit(random);
        setColour(set, n, 1, glow * (0.35f + 0.65f * warm), glow * (0.45f + 0.45f * warm), glow * (1.0f - 0.45f * warm),
                  1.0f);
    }
    FIND_COMMAND(plugin, GeoInst_Update)(set);
    const int drawn = FIND_COMMAND(plugin, GeoInst_GetDrawCount)(set);

    refhost::SetCameraBackdrop(0, 0xFF05060C);
    refhost::SetCameraRange(0, 1.0f, 3000.0f);
    refhost::SetCameraPosition(0, 0.0f, 420.0f, -520.0f);
    refhost::SetCameraRotation(0, 40.0f, 0.0f, 0.0f);
    refhost::SetSyncMask(1);
    refhost::FastSync();

    const std::string path = outDir + "/instancing_1000000.png";
    const bool saved = refhost::SaveCameraPng(0, path.c_str());
    std::printf("demo: %d instances in one instance set (%d triangles, one draw call) -> %s%s\n", drawn,
                FIND_COMMAND(plugin, GeoInst_GetDrawPrimitives)(set), path.c_str(), saved ? "" : " (not written)");
    FIND_COMMAND(plugin, GeoInst_Delete)(set);
    refhost::ResetScene();
    return saved && drawn == kInstances;
}
