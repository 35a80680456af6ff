// The plugin protocol through which the host learns the plugin's dependencies and hands over its
// core data. Exported under the host's decorated names (see cmake/generate_command_table.cmake);
// each runs inside the boundary, like the commands.
#include <cstdio>

#include "command_boundary.h"
#include "plugin_state.h"

extern "C" int __cdecl GetNumDependencies()
{
    return InsideBoundary(0, [] {
        PluginState& plugin = Plugin();
        plugin.currentDependency = 0;
        return static_cast<int>(plugin.dependencies.size());
    });
}

// The index is not consulted: names come out one per call, in list order, from the last rewind by
// GetNumDependencies; once at the last name, it is returned again.
extern "C" const char* __cdecl GetDependencyID(int /*index*/)
{
    return InsideBoundary<const char*>("", [] {
        PluginState& plugin = Plugin();
        if (plugin.dependencies.empty())
            return "";
        std::snprintf(plugin.dependencyNameBuffer.data(), plugin.dependencyNameBuffer.size(), "%s",
                      plugin.dependencies[plugin.currentDependency].name);
        if (plugin.currentDependency + 1 < plugin.dependencies.size())
            ++plugin.currentDependency;
        return static_cast<const char*>(plugin.dependencyNameBuffer.data());
    });
}

extern "C" void __cdecl ReceiveCoreDataPtr(void* coreData)
{
    InsideBoundary([coreData] {
        PluginState& plugin = Plugin();
        plugin.coreData = static_cast<HostCoreData*>(coreData);
        // A binder that fails reports it and binds nothing; the others still run.
        std::span<const HostLibrary> binders = plugin.dependencies;
        plugin.dependencies = {};
        plugin.currentDependency = 0;
        for (const HostLibrary& library : binders)
            library.bind();
    });
}
