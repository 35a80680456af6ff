// GeoInst_Update: the drawn instances packed into the instance buffer.
#include <algorithm>

#include "command_set.h"
#include "exports.h"
#include "instance_upload.h"
#include "message_box.h"

RYXO_COMMAND GeoInst_Update(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_Update"));
    if (!set)
        return 1;
    if (!set->instanceBuffer) {
        ShowMessage("GeoInst_Update Error",
                    "The GeoInst has no instance buffer: give it a max instance count with GeoInst_SetMaxInstanceCount");
        return 1;
    }
    const int count = UploadableInstances(*set);
    // Locking the draw count is enough while it counts the drawn instances exactly; once a flag
    // other than 0 or 1 was stored it may fall short, and the whole count is locked.
    int locked = set->drawCountValid == 1 && !set->unusualExclusionFlags ? set->drawCount : set->instanceCount;
    locked = std::clamp(locked, 0, count);
    const uint32_t lockBytes = static_cast<uint32_t>(locked) * static_cast<uint32_t>(set->stride);
    void* area = nullptr;
    if (FAILED(set->instanceBuffer->Lock(0, lockBytes, &area, D3DLOCK_DISCARD)) || !area) {
        ShowMessage("GeoInst_Update Error", "Failed to lock the instance buffer");
        return 1;
    }
    set->drawCount = PackDrawnInstances(*set, count, static_cast<std::byte*>(area), lockBytes);
    set->instanceBuffer->Unlock();
    // An upload cut short by storage made for another stride has not counted instances 1 to the
    // instance count: its draw count must not size the next lock, or every later upload would be
    // cut to it once the storage fits again.
    set->drawCountValid = count == set->instanceCount ? 1 : 0;
    return 0;
}
