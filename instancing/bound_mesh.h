// The mesh an instance set was bound to, as long as the host still has it. The host may delete the
// object (or remake it) at any time between frames; the set's mesh link then points at freed
// memory, so nothing may read through it without asking the host first.
#pragma once

#include "geo_inst_record.h"

// The set's mesh when limb `meshLimb` of object `meshObject` still is that mesh; null when no mesh
// is bound, the object is gone, the limb is gone, or the limb now holds another mesh. One object
// lookup; never reads the stored mesh.
HostMesh* BoundMesh(const GeoInstRecord& set);
