// Showcase scene: a chequered cube seen by an effect camera circling it; the camera's image is shown
// on a quad in the main scene: the effect camera guide's script.
#pragma once

#include <string>

#include "plugin_loader.h"

// Renders the scene with camera 0 and writes `<outDir>/effect_camera.png`; false on failure.
bool RenderEffectCameraScene(const refhost::LoadedPlugin& plugin, const std::string& outDir);
