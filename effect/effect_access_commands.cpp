// The two commands that give scripts the effect the host attached to a mesh. The effect stays the
// host's: no reference is added. A mesh without an effect record, an object the host does not know
// and a limb outside the object's mesh list all give 0.
#include "exports.h"
#include "host_access.h"
#include "script_values.h"

RYXO_COMMAND SMesh_GetD3DXEffect(int meshAddress)
{
    return ScriptInteger(MeshEffect(ScriptPointer<HostMesh>(meshAddress)));
}

RYXO_COMMAND Object_GetShaderPtr(int object, int limb)
{
    return ScriptInteger(MeshEffect(HostLimbMesh(object, limb)));
}
