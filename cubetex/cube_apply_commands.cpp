// Applying a cube texture to host objects: the host prepares the stage with no image, then the
// cube texture and its blending are written into the meshes' texture-stage entries.
#include <vector>

#include "command_cube.h"
#include "cube_list.h"
#include "cube_release.h"
#include "exports.h"
#include "host_access.h"
#include "plugin_state.h"

namespace {

constexpr int32_t kCubeTextureMode = 2;

HostTextureStage& Entry(HostMesh& mesh, int stage) { return mesh.textureStages[stage]; }

bool HasEntry(const HostMesh* mesh, int stage)
{
    return mesh && mesh->textureStages && stage >= 0 && stage < mesh->textureStageCount;
}

// Lets go of what an entry still holds after the host's call. A cube texture there is only
// borrowed by the entry (it was written without a reference), so it is cleared, never released;
// anything else the entry holds is released.
template <typename T>
void DropEntryTexture(T*& field)
{
    if (field && !IsLiveCubeTexture(field))
        field->Release();
    field = nullptr;
}

void WriteCubeEntry(HostTextureStage& entry, int stage, IDirect3DBaseTexture9* texture)
{
    entry.deviceStage = stage;
    entry.image = 0;
    entry.texture = texture;
    entry.secondTexture = nullptr;
    entry.colorOp = D3DTOP_MODULATE;
    entry.colorArg1 = D3DTA_TEXTURE;
    entry.colorArg2 = D3DTA_CURRENT;
    entry.textureMode = kCubeTextureMode;
}

// What one mesh showed at the stage before CubeTex_ApplyLimb resets it.
struct LimbStage {
    int32_t image;
    IDirect3DBaseTexture9* texture;
};

} // namespace

RYXO_COMMAND CubeTex_ApplyObject(int handle, int object, int stage)
{
    CubeTexRecord* cube = CommandCube(handle, CUBETEX_ERROR_TITLE("CubeTex_ApplyObject"));
    sObject* record = cube ? HostObject(object) : nullptr;
    if (!record || !Host().SetTextureStage)
        return 0;
    MakeRoomForApplication(*cube);
    Host().SetTextureStage(object, stage, 0);
    for (int i = 0; record->meshList && i < record->meshCount; ++i) {
        HostMesh* mesh = record->meshList[i];
        if (!HasEntry(mesh, stage))
            continue;
        HostTextureStage& entry = Entry(*mesh, stage);
        DropEntryTexture(entry.secondTexture);
        DropEntryTexture(entry.texture);
        WriteCubeEntry(entry, stage, cube->texture.ptr());
    }
    RememberApplication(*cube, object, stage);
    return 0;
}

RYXO_COMMAND CubeTex_ApplyLimb(int handle, int object, int limb, int stage)
{
    CubeTexRecord* cube = CommandCube(handle, CUBETEX_ERROR_TITLE("CubeTex_ApplyLimb"));
    sObject* record = cube ? HostObject(object) : nullptr;
    const HostFunctionTable& host = Host();
    if (!record || !record->meshList || !host.SetTextureStage || !host.TextureLimbStage)
        return 0;
    if (limb < 0 || limb >= record->meshCount)
        return 0;
    const int meshCount = record->meshCount;
    // SetTextureStage below resets the stage on every mesh: what each showed is put back after.
    // The memory for that, and for remembering the place, is taken before anything changes.
    std::vector<LimbStage> shown(static_cast<size_t>(meshCount));
    MakeRoomForApplication(*cube);
    host.TextureLimbStage(object, limb, stage, 0);
    for (int i = 0; i < meshCount; ++i) {
        HostMesh* mesh = record->meshList[i];
        if (!HasEntry(mesh, stage))
            continue;
        HostTextureStage& entry = Entry(*mesh, stage);
        shown[i] = {entry.image, entry.texture};
        if (!IsHostImage(entry.image) && entry.texture) {
            // A texture given directly (a cube texture applied before): kept by the table, taken
            // out of the entry so the host's reset does not let go of it.
            entry.deviceStage = 0;
            entry.texture = nullptr;
        }
    }
    host.SetTextureStage(object, stage, 0);
    for (int i = 0; i < meshCount; ++i) {
        if (IsHostImage(shown[i].image))
            host.TextureLimbStage(object, i, stage, shown[i].image);
        else if (shown[i].texture && HasEntry(record->meshList[i], stage))
            WriteCubeEntry(Entry(*record->meshList[i], stage), stage, shown[i].texture);
    }

    HostMesh* mesh = record->meshList[limb];
    if (!HasEntry(mesh, stage))
        return 0;
    HostTextureStage& entry = Entry(*mesh, stage);
    DropEntryTexture(entry.texture);
    DropEntryTexture(entry.secondTexture);
    WriteCubeEntry(entry, stage, cube->texture.ptr());
    RememberApplication(*cube, object, stage);
    return 0;
}
