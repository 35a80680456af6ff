// What the benchmarks share: the plugin's command exports looked up once, a clock, medians of
// measurements taken in turns, and frame timing on the reference host.
#pragma once

#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

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

// Seconds on the performance counter.
double Now();

// Medians of `repeats` runs of `a` and of `b`, run in turns so that both meet the same conditions
// on a shared machine; one unmeasured run of each first.
struct PairTimes {
    double a, b;
};
template <typename A, typename B>
PairTimes MedianSecondsInTurns(int repeats, A a, B b)
{
    a();
    b();
    std::vector<double> timesA, timesB;
    for (int i = 0; i < repeats; ++i) {
        double start = Now();
        a();
        timesA.push_back(Now() - start);
        start = Now();
        b();
        timesB.push_back(Now() - start);
    }
    std::sort(timesA.begin(), timesA.end());
    std::sort(timesB.begin(), timesB.end());
    return {timesA[timesA.size() / 2], timesB[timesB.size() / 2]};
}

// Host effect `number` from `description`; false after a message when it cannot be made.
bool MakeEffect(int number, const refhost::EffectDescription& description);

// The cube every benchmark draws: 12 triangles, edge 0.8.
refhost::MeshDescription SmallCube();

// Waits until the device has finished everything queued: reading a pixel back needs it all done.
void Finish();

struct FrameTimes {
    double hostThread; // FastSync alone, starting on an idle device: the work of the host's thread
    double finished;   // FastSync until the frame's pixels can be read back
};

// Medians over `repeats` frames, after one unmeasured frame.
FrameTimes MeasureFrames(int repeats);
