// GeoInst_UpdateInstance against its two floors, measured in turns with it in one run: the C
// runtime's three sine and cosine pairs per instance, and the matrix composed and stored from
// sines and cosines worked out beforehand.
#pragma once

#include "bench_support.h"

// The angle about `axis` (0 to 2) that the benchmarks give instance n: three non-zero angles.
inline float BenchAngle(int n, int axis)
{
    static constexpr int kOffsets[3] = {10, 20, 30}, kPeriods[3] = {37, 41, 43};
    return static_cast<float>(kOffsets[axis] + n % kPeriods[axis]);
}

struct PosingTimes {
    PairTimes againstSines;   // a: GeoInst_UpdateInstance of every instance, b: the sines
    PairTimes againstCompose; // a: GeoInst_UpdateInstance of every instance, b: composing and storing
};

// Instances 1 to `count` of `set`, turned by BenchAngle. The fastest of `repeats` runs of each side:
// a busy machine takes the processor away from either side for whole scheduler ticks.
PosingTimes MeasurePosing(const Commands& c, int set, int count, int repeats);
