// The plugin protocol through which the host learns the plugin's dependencies and hands over its
// core data. Exported under the host's decorated names (see plugin/commands).
#include "plugin_state.h"

extern "C" int __cdecl GetNumDependencies()
{
    PluginState& plugin = Plugin();
    plugin.currentDependency = 0;
    return static_cast<int>(plugin.dependencyNames.size());
}

// The index is not consulted: names come out one per call, in list order, from the last rewind by
// GetNumDependencies; once at the last name, it is returned again.
extern "C" const char* __cdecl GetDependencyID(int /*index*/)
{
    PluginState& plugin = Plugin();
    if (plugin.dependencyNames.empty())
        return "";
    plugin.dependencyNameBuffer = plugin.dependencyNames[plugin.currentDependency];
    if (plugin.currentDependency + 1 < plugin.dependencyNames.size())
        ++plugin.currentDependency;
    return plugin.dependencyNameBuffer.c_str();
}

extern "C" void __cdecl ReceiveCoreDataPtr(void* coreData)
{
    PluginState& plugin = Plugin();
    plugin.coreData = static_cast<HostCoreData*>(coreData);
    plugin.dependencyNames.clear();
    plugin.currentDependency = 0;

    // A binder that fails reports it and binds nothing; the others still run.
    std::vector<void (*)()> binders;
    binders.swap(plugin.binders);
    for (void (*bind)() : binders)
        bind();
}
