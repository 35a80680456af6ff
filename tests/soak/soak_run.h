// The soak's engine: a small scene in the reference host, pools of live and stale values, and the
// loop that calls random commands through the plugin's command table.
#pragma once

#include <cstdint>
#include <functional>

#include "plugin_loader.h"

struct SoakOptions {
    int calls = 20000;
    uint32_t seed = 1;
    int callsPerFrame = 250;        // the host renders a frame (and EfxCam_Sync runs) this often
    int callsPerDeviceLoss = 5000;  // D3DDeviceLost this often
    int callsPerHostDeletion = 700; // the host deletes (or brings back) an object and an image
};

struct SoakFigures {
    int calls = 0;
    int frames = 0;
    int deviceLosses = 0;
    int hostDeletions = 0;
};

// Runs the soak on a plugin already loaded into the started reference host, then deletes every
// instance set, cube texture and effect camera left alive through the plugin's own commands.
// `afterFrame` runs after each rendered frame.
SoakFigures RunSoak(const refhost::LoadedPlugin& plugin, const SoakOptions& options,
                    const std::function<void()>& afterFrame);
