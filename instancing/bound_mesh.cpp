#include "bound_mesh.h"

#include "host_access.h"

HostMesh* BoundMesh(const GeoInstRecord& set)
{
    if (!set.mesh)
        return nullptr;
    HostMesh* current = HostLimbMesh(set.meshObject, set.meshLimb);
    return current == set.mesh ? current : nullptr;
}
