// Showcase scene: a mirror ball in the middle of the instanced field, reflecting it through a cube
// texture rendered from the ball's centre every frame: the cube map guide's script.
#pragma once

#include <string>

#include "plugin_loader.h"

// Adds the ball to the scene as it stands (the instanced field, seen by camera 0), renders a few
// frames and writes `<outDir>/cube_reflection.png` and the ball's cube map as
// `<outDir>/cube_reflection_map.dds`; takes the ball and its cube texture away again. False on
// failure.
bool RenderMirrorBall(const refhost::LoadedPlugin& plugin, const std::string& outDir);
