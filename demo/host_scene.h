// Showcase scene: the host's own renderer alone, a few coloured shapes on a floor.
#pragma once

#include <string>

// Renders the scene with camera 0 and writes `<outDir>/host_scene.png`; false on failure.
bool RenderHostScene(const std::string& outDir);
