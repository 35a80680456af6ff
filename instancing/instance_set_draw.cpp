#include "instance_set_draw.h"

#include "draw_effect_matrices.h"
#include "host_access.h"
#include "drawing/effect_passes.h"
#include "drawing/mesh_render_states.h"
#include "drawing/texture_parameters.h"
#include "message_box.h"

namespace {

// Hardware instancing: stream 0 holds the mesh, drawn this many times; stream 1 one element per
// instance.
constexpr UINT kIndexedData = D3DSTREAMSOURCE_INDEXEDDATA;          // 0x40000000
constexpr UINT kOneInstancePerElement = D3DSTREAMSOURCE_INSTANCEDATA | 1u; // 0x80000001

void Check(HRESULT result, const char* failureText)
{
    if (FAILED(result))
        ShowMessage(kDrawErrorTitle, failureText);
}

// A set that cannot be drawn without reading missing or too little data.
bool Drawable(const GeoInstRecord& set)
{
    const HostMesh* mesh = set.mesh;
    return mesh->drawBuffer && set.vertexDeclaration && set.instanceBuffer && InstanceBufferHolds(set, set.drawCount);
}

} // namespace

void DrawInstanceSet(const GeoInstRecord& set, IDirect3DDevice9* device, DrawCamera& camera)
{
    // The effect is looked up once here and handed to everything the draw feeds it.
    const HostMesh* mesh = set.mesh;
    ID3DXEffect* effect = MeshEffect(mesh);
    if (!effect || !Drawable(set))
        return;

    Check(device->SetVertexDeclaration(set.vertexDeclaration.ptr()), "Failed to set Vertex Declaration");
    IDirect3DIndexBuffer9* indices = set.sequentialIndexBuffer ? set.sequentialIndexBuffer.ptr()
                                                               : mesh->drawBuffer->indexBuffer;
    Check(device->SetIndices(indices), "Failed to set Index Buffer");
    Check(device->SetStreamSource(0, mesh->drawBuffer->vertexBuffer, 0, mesh->vertexSize),
          "Failed to set stream source 0");
    Check(device->SetStreamSourceFreq(0, kIndexedData | static_cast<UINT>(set.drawCount)),
          "Failed to set stream source freq 0");
    Check(device->SetStreamSource(1, set.instanceBuffer.ptr(), 0, set.stride), "Failed to set stream source 1");
    Check(device->SetStreamSourceFreq(1, kOneInstancePerElement), "Failed to set stream source freq 1");

    ApplyMeshRenderStates(device, mesh);
    ApplyStatesTheHostMayLeave(device, mesh);
    SetDrawEffectMatrices(device, effect, mesh, camera);
    BindMeshTextures(effect, mesh, set.textureParameters, set.textureParameterCount);

    DrawEffectPasses(effect, [&] {
        Check(device->DrawIndexedPrimitive(mesh->primitiveType, 0, 0, mesh->vertexCount, 0, mesh->primitiveCount),
              "Failed to draw primitive");
    });
}
