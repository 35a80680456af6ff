// Declaring the custom elements of an instance vertex: a layout is started, elements appended, and
// only a finish (or delete) rebuilds the declaration and the storage for it.
#include "bound_mesh.h"
#include "command_set.h"
#include "exports.h"
#include "instance_declaration.h"
#include "instance_storage.h"
#include "message_box.h"

namespace {

void ApplyDefaultLayout(GeoInstRecord& set)
{
    set.customElementsEnabled = 0;
    set.customDataSize = 0;
    set.customElementCount = 0;
    set.worldMatrixEnabled = 1;
    set.stride = kDefaultStride;
    set.customDataOffset = 0;
}

// Remakes the declaration and the storage for the layout now in the record.
void RebuildForLayout(GeoInstRecord& set)
{
    // A mesh the host has deleted cannot be described; the set stays undrawn until a mesh is bound.
    if (BoundMesh(set))
        BuildInstanceDeclaration(set);
    if (set.maxInstanceCount != 0)
        ResizeInstanceStorage(set, set.maxInstanceCount);
}

} // namespace

RYXO_COMMAND GeoInst_DeclareCustomElements(int handle, int withWorldMatrix)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_DeclareCustomElements"));
    if (!set)
        return 1;
    set->customElementCount = 0;
    set->customDataSize = 0;
    set->stride = kDefaultStride;
    set->customElementsEnabled = 0;
    // Any non-zero flag means "with the matrix rows": the rows are either declared and 64 bytes
    // long or absent, so the custom data offset is always 64 or 0.
    set->worldMatrixEnabled = withWorldMatrix != 0 ? 1 : 0;
    return 0;
}

RYXO_COMMAND GeoInst_AddCustomElement(int handle, int components)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_AddCustomElement"));
    if (!set || components < 0 || components > 4 || set->customElementCount >= kMaxCustomElements)
        return 1;
    const int k = set->customElementCount++;
    CustomElementDescriptor& element = set->customElements[k];
    element.components = components;
    if (k == 0) {
        element.offset = 0;
    } else {
        const CustomElementDescriptor& previous = set->customElements[k - 1];
        element.offset = previous.offset + 4 * previous.components;
    }
    set->customDataSize += 4 * components;
    return 0;
}

RYXO_COMMAND GeoInst_FinishCustomElements(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_FinishCustomElements"));
    if (!set)
        return 1;
    if (set->customDataSize > 0) {
        set->customDataOffset = kWorldMatrixBytes * set->worldMatrixEnabled;
        set->customElementsEnabled = 1;
        set->stride = LayoutStride(*set);
    } else {
        ShowMessage("GeoInst_FinishCustomElements Error",
                    "No custom elements were defined, reverting to default settings");
        ApplyDefaultLayout(*set);
    }
    RebuildForLayout(*set);
    return 0;
}

RYXO_COMMAND GeoInst_DeleteCustomElements(int handle)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_DeleteCustomElements"));
    if (!set)
        return 1;
    for (int k = 0; k < set->customElementCount; ++k)
        set->customElements[k] = {};
    ApplyDefaultLayout(*set);
    RebuildForLayout(*set);
    return 0;
}
