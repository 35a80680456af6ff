// Calling the loaded plugin's command exports from the showcase, as the engine does for a script.
#pragma once

#include <cstdio>
#include <optional>

#include "plugin_loader.h"

// Calls command export `name` with 32-bit arguments (floats as floats); 0, said on stderr, when it
// is missing.
template <typename... Args>
int RunCommand(const refhost::LoadedPlugin& plugin, const char* name, Args... args)
{
    std::optional<int> result = refhost::CallCommand(plugin, name, args...);
    if (!result)
        std::fprintf(stderr, "demo: Ryxo.dll has no export %s\n", name);
    return result.value_or(0);
}
