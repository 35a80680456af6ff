#include "device_loss.h"

#include <cstdint>

#include "command_boundary.h"
#include "family_lifetime.h"
#include "plugin_state.h"

void ResetCollectionsAfterDeviceLoss()
{
    for (const FamilyLifetime& family : Families()) {
        if (family.deviceLost)
            family.deviceLost();
    }
}

extern "C" void __cdecl D3DDeviceLost()
{
    InsideBoundary([] {
        // While the setup library is bound (every successful start) the host keeps its device
        // state and the plugin's records stay as they are.
        if (reinterpret_cast<intptr_t>(Host().ChangeDisplayMode) > 0)
            return;
        ResetCollectionsAfterDeviceLoss();
    });
}
