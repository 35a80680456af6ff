// Plugin-wide state: made at load, alive until unload, one per process (plugin_lifetime.h makes
// and ends it). The families keep their own collections beside their code; this is the spine they
// share.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include <windows.h>

#include "host_functions.h"
#include "host_library.h"
#include "host_records.h"

// The state holds no heap memory: the protocol and the binding allocate nothing, so they cannot
// fail for want of memory.
struct PluginState {
    HINSTANCE instance = nullptr;
    HostCoreData* coreData = nullptr;

    // Which host libraries the plugin needs, each with the routine that binds it (the dependency
    // and binder lists, side by side); empty once the core data has arrived.
    std::span<const HostLibrary> dependencies;
    size_t currentDependency = 0;
    std::array<char, 64> dependencyNameBuffer{};

    HostFunctionTable host{};
    std::array<HMODULE, 5> librariesOpenedByName{}; // room for all five host libraries; the first
                                                    // librariesOpened are closed at unload
    size_t librariesOpened = 0;
};

PluginState& Plugin();

// The host's core data, or null before ReceiveCoreDataPtr.
inline HostCoreData* CoreData() { return Plugin().coreData; }
inline const HostFunctionTable& Host() { return Plugin().host; }
