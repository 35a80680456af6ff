// Timing for the benchmarks: a clock, a wait for an idle device, and medians (or the fastest runs)
// of two pieces of work measured in turns.
#pragma once

#include <algorithm>
#include <vector>

#include <windows.h>
#include <d3d9.h>

inline double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Waits until the device has done every command given so far (an event query), so that a timed run
// starts on an idle device.
inline void WaitUntilIdle(IDirect3DDevice9* device)
{
    IDirect3DQuery9* query = nullptr;
    if (FAILED(device->CreateQuery(D3DQUERYTYPE_EVENT, &query)))
        return;
    query->Issue(D3DISSUE_END);
    while (query->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE)
        Sleep(0);
    query->Release();
}

inline double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Times of `repeats` runs of `a` and of `b`, run in turns so that both meet the same conditions
// on a shared machine; one unmeasured run of each first. `settle` runs, untimed, before every timed
// run of either.
struct PairTimes {
    double a, b;
};
struct PairSamples {
    std::vector<double> a, b;
};
template <typename A, typename B, typename Settle>
PairSamples SecondsInTurns(int repeats, A a, B b, Settle settle)
{
    a();
    b();
    PairSamples samples;
    for (int i = 0; i < repeats; ++i) {
        settle();
        double start = Now();
        a();
        samples.a.push_back(Now() - start);
        settle();
        start = Now();
        b();
        samples.b.push_back(Now() - start);
    }
    return samples;
}

// The medians.
template <typename A, typename B, typename Settle>
PairTimes MedianSecondsInTurns(int repeats, A a, B b, Settle settle)
{
    const PairSamples samples = SecondsInTurns(repeats, a, b, settle);
    return {Median(samples.a), Median(samples.b)};
}
template <typename A, typename B>
PairTimes MedianSecondsInTurns(int repeats, A a, B b)
{
    return MedianSecondsInTurns(repeats, a, b, [] {});
}

// The fastest runs: for work that waits on other threads (the device's), where a busy shared
// machine adds whole scheduler ticks to a random share of the runs, of either side.
template <typename A, typename B, typename Settle>
PairTimes FastestSecondsInTurns(int repeats, A a, B b, Settle settle)
{
    const PairSamples samples = SecondsInTurns(repeats, a, b, settle);
    return {*std::min_element(samples.a.begin(), samples.a.end()),
            *std::min_element(samples.b.begin(), samples.b.end())};
}
