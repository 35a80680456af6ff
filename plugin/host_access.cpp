#include "host_access.h"

#include <cstdint>

#include "plugin_state.h"

IDirect3DDevice9* HostDevice()
{
    auto fn = Host().GetDirect3DDevice;
    return fn ? fn() : nullptr;
}

sObject* HostObject(int object)
{
    auto fn = Host().GetObjectA;
    return fn ? fn(object) : nullptr;
}

HostCameraData* HostCamera(int camera)
{
    auto fn = Host().GetInternalData;
    return fn ? static_cast<HostCameraData*>(fn(camera)) : nullptr;
}

HostMesh* HostLimbMesh(int object, int limb)
{
    sObject* record = HostObject(object);
    if (!record || !record->meshList || limb < 0 || limb >= record->meshCount)
        return nullptr;
    return record->meshList[limb];
}

ID3DXEffect* MeshEffect(const HostMesh* mesh)
{
    if (!mesh || reinterpret_cast<intptr_t>(mesh->effect) <= 0)
        return nullptr;
    return mesh->effect->effect;
}

D3DFORMAT FormatOrReferenceSurfaceFormat(int format)
{
    if (format != 0)
        return static_cast<D3DFORMAT>(format);
    const HostCoreData* core = CoreData();
    D3DSURFACE_DESC description{};
    if (!core || !core->referenceSurface || FAILED(core->referenceSurface->GetDesc(&description)))
        return D3DFMT_UNKNOWN;
    return description.Format;
}
