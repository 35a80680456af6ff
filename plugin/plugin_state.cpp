#include "plugin_state.h"

PluginState& Plugin()
{
    static PluginState state;
    return state;
}
