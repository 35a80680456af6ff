// How every benchmark begins: the reference host started and Ryxo.dll loaded into it.
#pragma once

#include "plugin_loader.h"

// False after saying why on stderr.
bool StartHostWithPlugin(refhost::LoadedPlugin& plugin);
