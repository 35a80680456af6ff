// Plugin-wide state: made at load, alive until unload, one per process (plugin_lifetime.h makes
// and ends it). The families keep their own collections beside their code; this is the spine they
// share.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <windows.h>

#include "host_functions.h"
#include "host_records.h"

struct PluginState {
    HINSTANCE instance = nullptr;
    HostCoreData* coreData = nullptr;

    // Which host libraries the plugin needs, and the routine that binds each one; parallel lists,
    // both discarded once the core data has arrived.
    std::vector<const char*> dependencyNames;
    size_t currentDependency = 0;
    std::string dependencyNameBuffer;
    std::vector<void (*)()> binders;

    HostFunctionTable host{};
    std::vector<HMODULE> librariesOpenedByName; // closed at unload
};

PluginState& Plugin();

// The host's core data, or null before ReceiveCoreDataPtr.
inline HostCoreData* CoreData() { return Plugin().coreData; }
inline const HostFunctionTable& Host() { return Plugin().host; }
