// How every benchmark begins and ends: the reference host started with Ryxo.dll loaded into it,
// and everything given back again.
#pragma once

#include "plugin_loader.h"

// False after saying why on stderr.
bool StartHostWithPlugin(refhost::LoadedPlugin& plugin);

// Resets the scene, unloads the plugin and stops the host.
void StopHostWithPlugin(refhost::LoadedPlugin& plugin);
