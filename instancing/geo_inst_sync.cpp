#include "geo_inst_sync.h"

#include "bound_mesh.h"
#include "exports.h"
#include "instance_set_draw.h"
#include "host_access.h"
#include "plugin_state.h"
#include "render_queue.h"

RYXO_COMMAND GeoInst_Sync()
{
    IDirect3DDevice9* device = HostDevice();
    if (!device)
        return 0;
    if (const HostCoreData* core = CoreData()) {
        // Camera n is bit n of the mask, counted modulo 32.
        const uint32_t cameraBit = 1u << (static_cast<uint32_t>(core->currentCamera) & 31u);
        // One camera record, and one reading of the camera's matrices, for the whole queue: this
        // runs for every camera of every frame.
        DrawCamera camera{HostCamera(core->currentCamera), std::nullopt};
        for (const GeoInstRecord& set : LiveInstanceSets()) {
            if (!(set.cameraMask & cameraBit) || set.hidden != 0 || !set.mesh || set.drawCount <= 0)
                continue;
            // The host may have deleted the object since GeoInst_SetMesh: then the set is skipped
            // until a mesh is bound again. One object lookup per drawn set, never a read of the
            // freed mesh.
            if (BoundMesh(set))
                DrawInstanceSet(set, device, camera);
        }
    }
    // Leave the device as the host expects it after the queue: no instance stream, no instancing
    // frequencies.
    device->SetStreamSource(1, nullptr, 0, 0);
    device->SetStreamSourceFreq(0, 1);
    device->SetStreamSourceFreq(1, 1);
    return 0;
}
