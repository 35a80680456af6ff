// EfxCam_Sync: draws every camera of the camera sync mask, in ascending number, in one scene of its
// own. The host's render target 0 and depth buffer are saved first and bound again at the end; the
// whole pass draws without a depth buffer.
#include "camera_effect_matrices.h"
#include "camera_table.h"
#include "camera_view.h"
#include "exports.h"
#include "host_access.h"
#include "drawing/effect_passes.h"
#include "drawing/mesh_render_states.h"

namespace {

// The object the camera was given may have been deleted, or lost its effect, since: the camera is
// drawn only while the host still has the object with the same first mesh, world matrix and effect,
// and has made the mesh's vertex buffer (the engine makes it when it first draws the object).
// One GetObjectA per drawn camera.
bool ObjectStillThere(const EfxCamRecord& camera)
{
    const sObject* object = HostObject(camera.object);
    return object && object->meshCount >= 1 && object->meshList && object->meshList[0] == camera.mesh &&
           &object->world == camera.worldMatrix && MeshEffect(camera.mesh) == camera.effect &&
           camera.mesh->drawBuffer && camera.mesh->drawBuffer->vertexBuffer;
}

void DrawCamera(IDirect3DDevice9* device, EfxCamRecord& camera)
{
    device->SetRenderTarget(0, camera.main.surface.ptr());
    for (int slot = 1; slot <= camera.extraTargetCount; ++slot)
        device->SetRenderTarget(slot, camera.extra[slot - 1].surface.ptr());
    device->SetViewport(&camera.viewport);
    // No rectangles: the view port alone is cleared, on every bound target.
    if (camera.backdropEnabled)
        device->Clear(0, nullptr, D3DCLEAR_TARGET, camera.backdropColor, 1.0f, 0);

    RebuildCameraView(camera);
    const HostMesh* mesh = camera.mesh;
    device->SetTransform(D3DTS_VIEW, &camera.view);
    device->SetTransform(D3DTS_PROJECTION, &camera.projection);
    device->SetTransform(D3DTS_WORLD, camera.worldMatrix);
    ApplyMeshRenderStates(device, mesh);
    ApplyStatesTheHostMayLeave(device, mesh);
    if (mesh->vertexDeclaration)
        device->SetVertexDeclaration(mesh->vertexDeclaration);
    else
        device->SetFVF(mesh->fvf);
    device->SetIndices(mesh->drawBuffer->indexBuffer);
    device->SetStreamSource(0, mesh->drawBuffer->vertexBuffer, 0, mesh->vertexSize);
    // One copy of the mesh, whatever frequency the host's own instanced drawing left on stream 0.
    device->SetStreamSourceFreq(0, 1);
    SetCameraEffectMatrices(device, camera, *camera.worldMatrix);
    BindMeshTextures(camera.effect, mesh, camera.textureParameters, camera.textureParameterCount);
    DrawEffectPasses(camera.effect, [&] {
        if (mesh->drawBuffer->indexBuffer)
            device->DrawIndexedPrimitive(mesh->primitiveType, 0, 0, mesh->vertexCount, 0, mesh->primitiveCount);
        else
            device->DrawPrimitive(mesh->primitiveType, 0, mesh->primitiveCount);
    });

    for (int slot = 1; slot <= camera.extraTargetCount; ++slot)
        device->SetRenderTarget(slot, nullptr);
}

} // namespace

RYXO_COMMAND EfxCam_Sync()
{
    // The mask is a set of 32 bits: the all-ones mask a device loss leaves, and every mask that
    // selects camera 31, draw like any other.
    const uint32_t mask = CameraSyncMask();
    IDirect3DDevice9* device = HostDevice();
    if (!device || mask == 0)
        return 0;

    Com<IDirect3DSurface9> savedTarget, savedDepth;
    device->GetRenderTarget(0, savedTarget.put());
    device->GetDepthStencilSurface(savedDepth.put());
    device->SetDepthStencilSurface(nullptr);
    device->BeginScene();

    uint32_t drawn = 0;
    for (int n = 0; n < kEfxCamCount; ++n) {
        const uint32_t bit = 1u << n;
        EfxCamRecord& camera = *CameraSlot(n);
        if ((mask & bit) && camera.exists && camera.mesh && HasImage(camera.main) && camera.main.surface &&
            ObjectStillThere(camera)) {
            drawn |= bit;
            DrawCamera(device, camera);
        }
        if (drawn == mask)
            break;
    }

    device->EndScene();
    // Depth buffer first: binding render target 0 again also gives the device its view port back.
    if (savedDepth)
        device->SetDepthStencilSurface(savedDepth.ptr());
    savedDepth.reset();
    if (savedTarget)
        device->SetRenderTarget(0, savedTarget.ptr());
    savedTarget.reset();
    return 0;
}
