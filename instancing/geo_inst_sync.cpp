#include "geo_inst_sync.h"

#include "host_access.h"

extern "C" int __cdecl GeoInst_Sync()
{
    IDirect3DDevice9* device = HostDevice();
    if (!device)
        return 0;
    // Leave the device as the host expects it after the queue: no instance stream, no instancing
    // frequencies.
    device->SetStreamSource(1, nullptr, 0, 0);
    device->SetStreamSourceFreq(0, 1);
    device->SetStreamSourceFreq(1, 1);
    return 0;
}
