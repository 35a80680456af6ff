// Objects: records with one mesh per limb, their transforms, and the host functions on objects.
#include "engine_state.h"
#include "meshes/mesh_builder.h"

namespace refhost {

namespace {

constexpr float kDegrees = D3DX_PI / 180.0f;

// world = scale x rotation (X, then Y, then Z) x translation
void UpdateWorld(ObjectRecord& o)
{
    D3DXMATRIX s, rx, ry, rz, t;
    D3DXMatrixScaling(&s, o.scale.x, o.scale.y, o.scale.z);
    D3DXMatrixRotationX(&rx, o.rotation.x * kDegrees);
    D3DXMatrixRotationY(&ry, o.rotation.y * kDegrees);
    D3DXMatrixRotationZ(&rz, o.rotation.z * kDegrees);
    D3DXMatrixTranslation(&t, o.position.x, o.position.y, o.position.z);
    o.record.world = s * rx * ry * rz * t;
}

template <typename Fn>
void ForEachLimb(int object, Fn fn)
{
    if (ObjectRecord* o = FindObject(object))
        for (auto& limb : o->limbs)
            fn(*limb);
}

} // namespace

ObjectRecord* FindObject(int object)
{
    auto& objects = TheEngine().scene.objects;
    auto it = objects.find(object);
    return it == objects.end() ? nullptr : it->second.get();
}

// Whatever way an object goes (DeleteObject, a replacing MakeObject, a scene reset), its records are
// overwritten before their memory goes back; the limbs' Direct3D objects are released after.
ObjectRecord::~ObjectRecord()
{
    for (auto& limb : limbs) {
        PoisonFill(&limb->mesh);
        PoisonFill(&limb->drawBuffer);
        PoisonFill(limb->stages.data(), limb->stages.size());
    }
    PoisonFill(meshList.data(), meshList.size());
    PoisonFill(&record);
}

bool MakeObject(int object, const MeshDescription& meshDescription)
{
    Engine& e = TheEngine();
    if (!e.device || meshDescription.limbs < 1)
        return false;
    DeleteObject(object);
    auto o = std::make_unique<ObjectRecord>();
    for (int i = 0; i < meshDescription.limbs; ++i) {
        auto limb = std::make_unique<MeshRecord>();
        if (!BuildMesh(e.device.ptr(), meshDescription, i * meshDescription.limbSpacing, *limb))
            return false;
        // The engine makes an object's buffers when it first draws it: until then a plugin finds
        // none in the draw buffer.
        if (!e.options.buffersAtMake)
            limb->drawBuffer.vertexBuffer = nullptr, limb->drawBuffer.indexBuffer = nullptr;
        o->meshList.push_back(&limb->mesh);
        o->limbs.push_back(std::move(limb));
    }
    o->record.meshCount = static_cast<int32_t>(o->meshList.size());
    o->record.meshList = o->meshList.data();
    UpdateWorld(*o);
    e.scene.objects[object] = std::move(o);
    return true;
}

void GenerateBuffers(MeshRecord& limb)
{
    limb.drawBuffer.vertexBuffer = limb.vertexBuffer.ptr();
    limb.drawBuffer.indexBuffer = limb.indexBuffer.ptr();
}

// Deleting an object frees what the engine frees: its record, the mesh list, every limb's mesh,
// draw buffer and texture-stage entries, and the buffers they hold. Pointers a plugin took from them
// point at freed memory afterwards.
void DeleteObject(int object)
{
    auto& objects = TheEngine().scene.objects;
    auto it = objects.find(object);
    if (it == objects.end())
        return;
    objects.erase(it);
}

bool ObjectExists(int object) { return FindObject(object) != nullptr; }

void SetObjectPosition(int object, float x, float y, float z)
{
    if (ObjectRecord* o = FindObject(object)) {
        o->position = {x, y, z};
        UpdateWorld(*o);
    }
}

void SetObjectRotation(int object, float xDegrees, float yDegrees, float zDegrees)
{
    if (ObjectRecord* o = FindObject(object)) {
        o->rotation = {xDegrees, yDegrees, zDegrees};
        UpdateWorld(*o);
    }
}

void SetObjectScale(int object, float x, float y, float z)
{
    if (ObjectRecord* o = FindObject(object)) {
        o->scale = {x, y, z};
        UpdateWorld(*o);
    }
}

void HideObject(int object)
{
    if (ObjectRecord* o = FindObject(object)) o->visible = false;
}

void ShowObject(int object)
{
    if (ObjectRecord* o = FindObject(object)) o->visible = true;
}

void SetObjectColour(int object, D3DCOLOR colour)
{
    ForEachLimb(object, [&](MeshRecord& limb) {
        limb.mesh.diffuseColor = colour;
        limb.mesh.hasDiffuseColor = 1;
        D3DCOLORVALUE value = {((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f,
                               (colour & 0xFF) / 255.0f, ((colour >> 24) & 0xFF) / 255.0f};
        limb.mesh.material.Diffuse = limb.mesh.material.Ambient = value;
    });
}

HostMesh* GetLimbMesh(int object, int limb)
{
    ObjectRecord* o = FindObject(object);
    if (!o || limb < 0 || limb >= static_cast<int>(o->limbs.size()))
        return nullptr;
    return &o->limbs[limb]->mesh;
}

// ---- host functions ----

sObject* GetObjectRecord(int object)
{
    ObjectRecord* o = FindObject(object);
    return o ? &o->record : nullptr;
}

void DisableZDepth(int object)
{
    LogHostCall("DisableZDepth(%d)", object);
    ForEachLimb(object, [](MeshRecord& limb) { limb.mesh.depthRead = limb.mesh.depthWrite = 0; });
}

void DisableZRead(int object)
{
    LogHostCall("DisableZRead(%d)", object);
    ForEachLimb(object, [](MeshRecord& limb) { limb.mesh.depthRead = 0; });
}

void DisableZWrite(int object)
{
    LogHostCall("DisableZWrite(%d)", object);
    ForEachLimb(object, [](MeshRecord& limb) { limb.mesh.depthWrite = 0; });
}

void SetObjectEffect(int object, int effectNumber)
{
    LogHostCall("SetObjectEffect(%d, %d)", object, effectNumber);
    EffectRecord* effect = effectNumber ? FindEffect(effectNumber) : nullptr;
    if (effectNumber && !effect)
        return; // an unknown effect leaves the object as it is
    ForEachLimb(object, [&](MeshRecord& limb) { limb.mesh.effect = effect ? &effect->record : nullptr; });
}

void SetTextureStage(int object, int stage, int image)
{
    LogHostCall("SetTextureStage(%d, %d, %d)", object, stage, image);
    ForEachLimb(object, [&](MeshRecord& limb) { ShowImageAtStage(limb, stage, image); });
}

void TextureLimbStage(int object, int limb, int stage, int image)
{
    LogHostCall("TextureLimbStage(%d, %d, %d, %d)", object, limb, stage, image);
    ObjectRecord* o = FindObject(object);
    if (o && limb >= 0 && limb < static_cast<int>(o->limbs.size()))
        ShowImageAtStage(*o->limbs[limb], stage, image);
}

void ForgetTextureInStages(IDirect3DTexture9* texture)
{
    for (auto& [number, object] : TheEngine().scene.objects)
        for (auto& limb : object->limbs)
            for (HostTextureStage& stage : limb->stages)
                if (stage.texture == texture) {
                    stage.texture = nullptr;
                    stage.image = 0;
                }
}

void ForgetTextureInEffects(IDirect3DTexture9* texture)
{
    for (auto& [number, record] : TheEngine().scene.effects) {
        ID3DXEffect* effect = record->effect.ptr();
        D3DXEFFECT_DESC description{};
        if (!effect || FAILED(effect->GetDesc(&description)))
            continue;
        for (UINT p = 0; p < description.Parameters; ++p) {
            D3DXHANDLE parameter = effect->GetParameter(nullptr, p);
            Com<IDirect3DBaseTexture9> shown;
            if (parameter && SUCCEEDED(effect->GetTexture(parameter, shown.put())) && shown.ptr() == texture)
                effect->SetTexture(parameter, nullptr);
        }
    }
}

} // namespace refhost
