// Showcase scene: one host camera rendered through MRT_Sync with two images as extra render
// targets, the three shader outputs saved side by side: the render-target guide's script.
#pragma once

#include <string>

#include "plugin_loader.h"

// Writes `<outDir>/mrt_outputs.png` (render target 0, image 1, image 2, left to right); false on
// failure.
bool RenderMrtScene(const refhost::LoadedPlugin& plugin, const std::string& outDir);
