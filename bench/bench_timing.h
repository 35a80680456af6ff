// Timing for the benchmarks: a clock, and medians of two pieces of work measured in turns.
#pragma once

#include <algorithm>
#include <vector>

#include <windows.h>

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

inline double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Medians of `repeats` runs of `a` and of `b`, run in turns so that both meet the same conditions
// on a shared machine; one unmeasured run of each first.
struct PairTimes {
    double a, b;
};
// `settle` runs, untimed, before every timed run of either.
template <typename A, typename B, typename Settle>
PairTimes MedianSecondsInTurns(int repeats, A a, B b, Settle settle)
{
    a();
    b();
    std::vector<double> timesA, timesB;
    for (int i = 0; i < repeats; ++i) {
        settle();
        double start = Now();
        a();
        timesA.push_back(Now() - start);
        settle();
        start = Now();
        b();
        timesB.push_back(Now() - start);
    }
    return {Median(timesA), Median(timesB)};
}

template <typename A, typename B>
PairTimes MedianSecondsInTurns(int repeats, A a, B b)
{
    return MedianSecondsInTurns(repeats, a, b, [] {});
}
