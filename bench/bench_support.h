// What the instancing benchmarks share: the plugin's command exports looked up once, host effects
// and the cube they draw, and frame timing on the reference host (the clock and the medians taken
// in turns are bench_timing.h's).
#pragma once

#include <string>

#include "bench_timing.h"
#include "effect_library.h"
#include "plugin_loader.h"
#include "ref_host.h"
#include "typed_command.h"

// The plugin's command exports, looked up once, typed by their generated prototypes.
struct Commands {
    script::TypedCommand<decltype(&GeoInst_MakeNew)> makeNew;
    script::TypedCommand<decltype(&GeoInst_Sync)> sync;
    script::TypedCommand<decltype(&GeoInst_Update)> update;
    script::TypedCommand<decltype(&GeoInst_Delete)> deleteSet;
    script::TypedCommand<decltype(&GeoInst_GetDrawCount)> drawCount;
    script::TypedCommand<decltype(&GeoInst_SetMaxInstanceCount)> setMaxInstanceCount;
    script::TypedCommand<decltype(&GeoInst_SetInstanceCount)> setInstanceCount;
    script::TypedCommand<decltype(&GeoInst_UpdateInstance)> updateInstance;
    script::TypedCommand<decltype(&GeoInst_SetHidden)> setHidden;
    script::TypedCommand<decltype(&GeoInst_GetWorldMatrixPtr)> worldMatrixPtr;
    script::TypedCommand<decltype(&GeoInst_SetMesh)> setMesh;
    script::TypedCommand<decltype(&GeoInst_SetExcluded)> setExcluded;
    script::TypedCommand<decltype(&GeoInst_SetPosition)> setPosition;
    script::TypedCommand<decltype(&GeoInst_SetRotation)> setRotation;
    script::TypedCommand<decltype(&GeoInst_SetScaleUniform)> setScaleUniform;

    // False, after naming what is missing, when the plugin lacks an export.
    bool Load(const refhost::LoadedPlugin& plugin);
};

// The instancing benchmarks' scene: the effect the sets draw with, the effect the same cubes draw
// with as host objects, and the cube the sets draw.
inline constexpr int kEffectInstanced = 1;
inline constexpr int kEffectPlain = 2;
inline constexpr int kCubeObject = 1;

// How the instancing benchmarks begin, on a host started with the plugin: the commands looked up,
// kEffectInstanced and kEffectPlain made (the plain one multiplying by the view-projection product,
// as the instancing effect does), kCubeObject made, hidden and drawn with kEffectInstanced, and only
// camera 0 rendered. False after saying why on stderr.
bool MakeInstancingScene(const refhost::LoadedPlugin& plugin, Commands& commands);

// Host effect `number` from `description`; false after a message when it cannot be made.
bool MakeEffect(int number, const refhost::EffectDescription& description);

// The cube every benchmark draws: 12 triangles, edge 0.8.
refhost::MeshDescription SmallCube();

// Waits until the device has finished everything queued: reading a pixel back needs it all done.
void Finish();

// Waits until the device has done every command given so far (an event query), without a read-back.
void WaitForDevice();

struct FrameTimes {
    double hostThread; // FastSync alone, starting on an idle device: the work of the host's thread
    double finished;   // FastSync until the frame's pixels can be read back
};

// Medians over `repeats` frames, after one unmeasured frame.
FrameTimes MeasureFrames(int repeats);
