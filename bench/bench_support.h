// What the instancing benchmarks share: the plugin's command exports looked up once, host effects
// and the cube they draw, and frame timing on the reference host (the clock and the medians taken
// in turns are bench_timing.h's).
#pragma once

#include <string>
#include <type_traits>

#include "bench_timing.h"
#include "effect_library.h"
#include "plugin_loader.h"
#include "ref_host.h"

// The plugin's command exports, looked up once.
struct Commands {
    using Fn0 = int(__cdecl*)();
    using Fn1 = int(__cdecl*)(int);
    using Fn2 = int(__cdecl*)(int, int);
    using Fn3 = int(__cdecl*)(int, int, int);
    using FnPosition = int(__cdecl*)(int, int, float, float, float);
    using FnScale = int(__cdecl*)(int, int, float);

    Fn0 makeNew, sync;
    Fn1 update, deleteSet, drawCount;
    Fn2 setMaxInstanceCount, setInstanceCount, updateInstance, setHidden, worldMatrixPtr;
    Fn3 setMesh, setExcluded;
    FnPosition setPosition, setRotation;
    FnScale setScaleUniform;

    // False, after naming what is missing, when the plugin lacks an export.
    bool Load(const refhost::LoadedPlugin& plugin);
};

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
