// Showcase scene: a million cubes from one instance set, uploaded with one GeoInst_Update and drawn
// with one draw call.
#pragma once

#include <string>

#include "plugin_loader.h"

// Renders the scene with camera 0 and writes `<outDir>/instancing_1000000.png`; false on failure.
bool RenderMillionInstancesScene(const refhost::LoadedPlugin& plugin, const std::string& outDir);
