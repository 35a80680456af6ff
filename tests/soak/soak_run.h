// The soak's engine: a small scene in the reference host, pools of live and stale values, and the
// loop that calls random commands through the plugin's command table.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "plugin_loader.h"

struct SoakOptions {
    int calls = 20000;
    uint32_t seed = 1;
    int callsPerFrame = 250;        // the host renders a frame (and EfxCam_Sync runs) this often
    int callsPerDeviceLoss = 5000;  // D3DDeviceLost this often
    int callsPerHostDeletion = 700; // the host deletes (or brings back) an object and an image
    int validateHeapsFrom = -1;     // from this call on, check every heap after every call, to find
                                    // the call that damaged one (slow; -1 = never)
    std::vector<std::string> exports; // name prefixes that narrow a finding: with any given, only
                                      // the exports starting with one are called; "-X" leaves out
                                      // those starting with X
    double allocationFailurePercent = 0; // the plugin's allocations fail at this rate while the
                                         // commands run (not in the clean-up); needs the heap
                                         // seam (plugin_heap.h) in the plugin
};

struct SoakFigures {
    int calls = 0;
    int frames = 0;
    int deviceLosses = 0;
    int hostDeletions = 0;
    uint64_t allocations = 0;       // the plugin's, while the commands ran
    uint64_t failedAllocations = 0; // of them refused
};

// Runs the soak on a plugin already loaded into the started reference host, then deletes every
// instance set, cube texture and effect camera left alive through the plugin's own commands.
// `afterFrame` runs after each rendered frame.
SoakFigures RunSoak(const refhost::LoadedPlugin& plugin, const SoakOptions& options,
                    const std::function<void()>& afterFrame);
