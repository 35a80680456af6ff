#include "plugin_lifetime.h"

#include "binders.h"
#include "exception_records.h"
#include "family_lifetime.h"
#include "plugin_state.h"

void StartUp(HINSTANCE instance)
{
    PluginState& plugin = Plugin();
    plugin = PluginState{};
    plugin.instance = instance;
    plugin.dependencies = HostLibraries();
    PrepareExceptionRecords();
    for (const FamilyLifetime& family : Families()) {
        if (family.startUp)
            family.startUp();
    }
}

void TearDown(bool processTerminating)
{
    PluginState& plugin = Plugin();
    // When the whole process is ending the loader may already have unloaded these libraries; the
    // system reclaims them anyway, so they are closed only on an ordinary unload.
    if (!processTerminating) {
        for (size_t i = 0; i < plugin.librariesOpened; ++i)
            FreeLibrary(plugin.librariesOpenedByName[i]);
    }
    // Records still holding Direct3D objects are dropped without releasing them: the host's device
    // may already be gone at this point.
    for (const FamilyLifetime& family : Families()) {
        if (family.tearDown)
            family.tearDown();
    }
    plugin = PluginState{};
}
