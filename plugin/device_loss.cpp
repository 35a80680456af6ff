#include "device_loss.h"

#include <cstdint>

#include "plugin_state.h"
#include "instancing/render_queue.h"

void ResetCollectionsAfterDeviceLoss()
{
    // Each family's collection is emptied here, in this order: cube textures, instance sets, the
    // effect camera table.
    ReleaseAllInstanceSets();
    Plugin().cameraSyncMask = -1;
}

extern "C" void __cdecl D3DDeviceLost()
{
    // While the setup library is bound (every successful start) the host keeps its device state
    // and the plugin's records stay as they are.
    if (reinterpret_cast<intptr_t>(Host().ChangeDisplayMode) > 0)
        return;
    ResetCollectionsAfterDeviceLoss();
}
