// The host object a camera draws: its first mesh, drawn with the mesh's effect, at the object's
// world matrix.
#include <cstdio>

#include "camera_table.h"
#include "exports.h"
#include "host_access.h"
#include "message_box.h"
#include "plugin_state.h"

namespace {

#define SET_OBJECT_TITLE EFXCAM_ERROR_TITLE("EfxCam_SetObject")

// The object's first mesh, or null after a message naming what is missing.
HostMesh* FirstMeshOrMessage(const sObject* record, int object)
{
    char text[128];
    if (!record) {
        std::snprintf(text, sizeof text, "Object %d does not exist", object);
        ShowMessage(SET_OBJECT_TITLE, text);
        return nullptr;
    }
    if (record->meshCount < 1 || !record->meshList || !record->meshList[0]) {
        std::snprintf(text, sizeof text, "Object %d has no mesh", object);
        ShowMessage(SET_OBJECT_TITLE, text);
        return nullptr;
    }
    return record->meshList[0];
}

} // namespace

RYXO_COMMAND EfxCam_SetObject(int camera, int object)
{
    EfxCamRecord* record = CommandCamera(camera, SET_OBJECT_TITLE);
    if (!record)
        return 0;
    sObject* host = HostObject(object);
    HostMesh* mesh = FirstMeshOrMessage(host, object);
    if (!mesh)
        return 0;
    ID3DXEffect* effect = MeshEffect(mesh);
    if (!effect) {
        ShowMessage(SET_OBJECT_TITLE, "The object must have an effect applied before calling this command");
        return 0;
    }
    const TextureParameters textures = CollectTextureParameters(*mesh->effect, effect);
    record->textureParameterCount = textures.count;
    for (int i = 0; i < kMaxTextureParameters; ++i)
        record->textureParameters[i] = textures.handles[i];
    record->mesh = mesh;
    record->effect = effect;
    record->worldMatrix = &host->world;
    record->object = object;

    // The camera draws without a depth buffer; the host stops using one for the object too.
    const HostFunctionTable& functions = Host();
    for (auto disable : {functions.DisableZDepth, functions.DisableZRead, functions.DisableZWrite}) {
        if (disable)
            disable(object);
    }
    return 0;
}
