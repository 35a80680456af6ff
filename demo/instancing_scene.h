// Showcase scene: ten thousand cubes drawn by one instance set, each in its own colour: the
// instancing guide's script, with the cube map guide's mirror ball hung above the field before the
// field is cleaned up.
#pragma once

#include <string>

#include "plugin_loader.h"

// Renders the scene with camera 0 and writes `<outDir>/instancing_10000.png`; false on failure.
bool RenderInstancingScene(const refhost::LoadedPlugin& plugin, const std::string& outDir);
