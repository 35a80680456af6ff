// Binding an instance set to one limb of a host object, sizing its storage, and the device check.
#include <cstdio>
#include <cstring>

#include "command_set.h"
#include "exports.h"
#include "host_access.h"
#include "instance_declaration.h"
#include "instance_storage.h"
#include "message_box.h"
#include "drawing/texture_parameters.h"

namespace {

// The mesh of the object's limb, or null after a message naming what is missing.
HostMesh* LimbMeshOrMessage(int object, int limb)
{
    char text[128];
    sObject* record = HostObject(object);
    if (!record) {
        std::snprintf(text, sizeof(text), "Object %d does not exist", object);
        ShowMessage("ERROR", text);
        return nullptr;
    }
    HostMesh* mesh = HostLimbMesh(object, limb);
    if (!mesh) {
        std::snprintf(text, sizeof(text), "Object %d has no limb %d", object, limb);
        ShowMessage("ERROR", text);
    }
    return mesh;
}

} // namespace

RYXO_COMMAND GeoInst_SetMesh(int handle, int object, int limb)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_SetMesh"));
    if (!set)
        return 1;
    HostMesh* mesh = LimbMeshOrMessage(object, limb);
    if (!mesh)
        return 1;
    ID3DXEffect* effect = MeshEffect(mesh);
    if (!effect) {
        ShowMessage("ERROR", "Object Must Have An Effect Applied Before Setting up Hardware Instancing");
        return 1;
    }
    if (!mesh->drawBuffer || !mesh->drawBuffer->vertexBuffer) {
        ShowMessage("ERROR", "It appears that dbpro has not yet generated this object's vertex buffer");
        return 1;
    }
    TextureParameters textures = CollectTextureParameters(*mesh->effect, effect);

    // Meshes the host draws without indices get indices 0..n-1, so every set draws indexed. The
    // new buffer and the new declaration are made before anything changes: when either fails the
    // set keeps its old binding whole and still draws.
    Com<IDirect3DIndexBuffer9> sequential;
    if (mesh->indexCount == 0) {
        sequential = CreateSequentialIndexBuffer(HostDevice(), mesh->drawBuffer->vertexCount);
        if (!sequential)
            return 1;
    }
    D3DVERTEXELEMENT9 elements[kMaxVertexElements];
    Com<IDirect3DVertexDeclaration9> declaration;
    if (!MakeInstanceDeclaration(*set, *mesh, elements, declaration))
        return 1;

    set->sequentialIndexBuffer = std::move(sequential);
    set->textureParameterCount = textures.count;
    for (int i = 0; i < kMaxTextureParameters; ++i)
        set->textureParameters[i] = textures.handles[i];
    set->meshObject = object;
    set->meshLimb = limb;
    set->mesh = mesh;
    std::memcpy(set->vertexElements, elements, sizeof(elements));
    set->vertexDeclaration = std::move(declaration);
    ApplyDeclaredLayout(*set);
    return 0;
}

RYXO_COMMAND GeoInst_SetMaxInstanceCount(int handle, int count)
{
    GeoInstRecord* set = CommandSet(handle, GEOINST_ERROR_TITLE("GeoInst_SetMaxInstanceCount"));
    if (!set)
        return 1;
    ResizeInstanceStorage(*set, count);
    return 0;
}

RYXO_COMMAND GeoInst_CheckDeviceSupport()
{
    IDirect3DDevice9* device = HostDevice();
    D3DCAPS9 caps{};
    if (!device || FAILED(device->GetDeviceCaps(&caps)))
        return 0;
    // The instance stream's frequency divider works only with vertex shader 3.0: a card of shader
    // model 2 with several streams would accept a set and then fail every draw.
    return caps.MaxStreams > 1 && caps.VertexShaderVersion >= D3DVS_VERSION(3, 0) ? 1 : 0;
}
