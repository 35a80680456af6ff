// Calling the loaded plugin's command exports from the showcase, as the engine does for a script.
#pragma once

#include <bit>
#include <cstdio>

#include "plugin_loader.h"

// Calls command export `name` with 32-bit arguments (floats as floats); 0 when it is missing.
template <typename... Args>
int CallCommand(const refhost::LoadedPlugin& plugin, const char* name, Args... args)
{
    auto fn = reinterpret_cast<int(__cdecl*)(Args...)>(reinterpret_cast<void*>(plugin.Export(name)));
    if (!fn) {
        std::fprintf(stderr, "demo: Ryxo.dll has no export %s\n", name);
        return 0;
    }
    return fn(args...);
}
