// Creation and deletion of instance sets, their visibility, counts, exclusions and place in the
// render queue.
#include "bound_mesh.h"
#include "command_set.h"
#include "exports.h"
#include "geo_inst_sync.h"
#include "plugin_state.h"
#include "render_queue.h"

RYXO_COMMAND GeoInst_MakeNew()
{
    // The host calls GeoInst_Sync for every camera from the first set on; once registered it stays
    // registered for the plugin's life. The host gets the export (::), not the body.
    if (!RenderListRegistered() && Host().AddToRenderList) {
        Host().AddToRenderList(reinterpret_cast<void*>(&::GeoInst_Sync), kGeoInstSyncOrder);
        MarkRenderListRegistered();
    }
    return HandleOf(AppendInstanceSet());
}

RYXO_COMMAND GeoInst_Delete(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_Delete"));
    if (!set)
        return 1;
    ReleaseInstanceSetResources(*set);
    RemoveInstanceSet(*set);
    return 0;
}

RYXO_COMMAND GeoInst_SetHidden(int handle, int flag)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_SetHidden"));
    if (!set)
        return 1;
    set->hidden = flag;
    return 0;
}

RYXO_COMMAND GeoInst_GetHidden(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_GetHidden"));
    return set ? set->hidden : 0;
}

RYXO_COMMAND GeoInst_SetCameraMask(int handle, int mask)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_SetCameraMask"));
    if (!set)
        return 1;
    set->cameraMask = static_cast<uint32_t>(mask);
    return 0;
}

RYXO_COMMAND GeoInst_GetCameraMask(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_GetCameraMask"));
    return set ? static_cast<int>(set->cameraMask) : 0;
}

RYXO_COMMAND GeoInst_SetInstanceCount(int handle, int count)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_SetInstanceCount"));
    if (!set)
        return 1;
    if (count > set->maxInstanceCount)
        count = set->maxInstanceCount;
    if (count < 0)
        count = 0;
    set->instanceCount = count;
    // Drawing goes on with the last upload's draw count; exclusions stop adjusting it until the
    // next GeoInst_Update, since it no longer belongs to this instance count.
    set->drawCountValid = 0;
    return 0;
}

RYXO_COMMAND GeoInst_GetInstanceCount(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_GetInstanceCount"));
    return set ? set->instanceCount : 0;
}

RYXO_COMMAND GeoInst_GetMaxInstanceCount(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_GetMaxInstanceCount"));
    return set ? set->maxInstanceCount : 0;
}

RYXO_COMMAND GeoInst_SetExcluded(int handle, int n, int flag)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_SetExcluded"));
    if (!set || n < 1 || n > set->maxInstanceCount)
        return 1;
    int32_t& stored = set->transforms[n].excluded;
    if (stored == flag)
        return 0;
    if ((stored == 0) != (flag == 0))
        set->excludedInstances += flag != 0 ? 1 : -1;
    stored = flag;
    MarkExcluded(*set, n, flag != 0);
    if (flag != 0 && flag != 1)
        set->unusualExclusionFlags = 1;
    // The draw count follows exclusions at once; the buffer is repacked by the next upload.
    if (n <= set->instanceCount && set->drawCountValid == 1)
        set->drawCount += flag != 0 ? -1 : 1;
    return 0;
}

RYXO_COMMAND GeoInst_GetExcluded(int handle, int n)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_GetExcluded"));
    if (!set || n < 1 || n > set->maxInstanceCount)
        return -1;
    return set->transforms[n].excluded;
}

RYXO_COMMAND GeoInst_GetDrawCount(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_GetDrawCount"));
    return set ? set->drawCount : 0;
}

RYXO_COMMAND GeoInst_GetDrawPrimitives(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_GetDrawPrimitives"));
    // No mesh, or one the host has deleted since: no primitives.
    const HostMesh* mesh = set ? BoundMesh(*set) : nullptr;
    if (!mesh)
        return 0;
    // 32-bit arithmetic that wraps instead of overflowing.
    return static_cast<int>(static_cast<uint32_t>(set->drawCount) * static_cast<uint32_t>(mesh->primitiveCount));
}

RYXO_COMMAND GeoInst_GetMeshObject(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_GetMeshObject"));
    return set ? set->meshObject : 0;
}

RYXO_COMMAND GeoInst_GetMeshLimb(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_GetMeshLimb"));
    return set ? set->meshLimb : 0;
}

RYXO_COMMAND GeoInst_SetRenderPriority(int handle, int priority)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_SetRenderPriority"));
    if (!set)
        return 1;
    set->renderPriority = priority;
    return 0;
}

RYXO_COMMAND GeoInst_GetRenderPriority(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_GetRenderPriority"));
    return set ? set->renderPriority : 0;
}

RYXO_COMMAND GeoInst_GetRenderIndex(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_GetRenderIndex"));
    return set ? RenderIndexOf(*set) : 0;
}

RYXO_COMMAND GeoInst_SortRenderQueue()
{
    SortRenderQueueByPriority();
    return 0;
}
