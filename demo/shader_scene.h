// Showcase scene: three cubes, each with its own copy of one effect, whose colour, brightness and
// shape matrix the script sets through the effect parameter commands: by value, through memory laid
// out with the Poke commands, and with the effect switched to its second technique: the effect
// guide's script.
#pragma once

#include <string>

#include "plugin_loader.h"

// Renders the scene with camera 0, checks the parameters' effect in its pixels and writes
// `<outDir>/shader_parameters.png`; false when a check fails or the picture cannot be written.
bool RenderShaderScene(const refhost::LoadedPlugin& plugin, const std::string& outDir);
