#include "draw_effect_matrices.h"

#include "host_access.h"
#include "drawing/mesh_effect_matrices.h"

namespace {

// What the shader receives as its clip plane when the camera has none: a plane no scene reaches.
const D3DXVECTOR4 kNoClipPlane(0.0f, 1.0f, 0.0f, 99999.0f);

D3DXMATRIX Transposed(const D3DXMATRIX& m)
{
    D3DXMATRIX t;
    D3DXMatrixTranspose(&t, &m);
    return t;
}

// A plane is carried by a matrix through the transpose of the matrix's inverse.
D3DXPLANE CarriedThrough(const D3DXPLANE& plane, const D3DXMATRIX& m)
{
    D3DXMATRIX inverse;
    D3DXMatrixInverse(&inverse, nullptr, &m);
    const D3DXMATRIX carrier = Transposed(inverse);
    D3DXPLANE out;
    D3DXPlaneTransform(&out, &plane, &carrier);
    return out;
}

} // namespace

D3DXPLANE DrawClipPlane(const HostCameraData& camera)
{
    D3DXPLANE q = camera.clipPlane;
    if (camera.clipMode == 3 || camera.clipMode == 4) {
        D3DXPLANE normalised;
        D3DXPlaneNormalize(&normalised, &q);
        q = CarriedThrough(normalised, camera.view);
        q = CarriedThrough(q, camera.projection);
    }
    return q;
}

DrawCameraValues ReadDrawCameraValues(IDirect3DDevice9* device, const HostCameraData* camera)
{
    DrawCameraValues v;
    device->GetTransform(D3DTS_VIEW, &v.view);
    device->GetTransform(D3DTS_PROJECTION, &v.projection);
    D3DXMatrixMultiply(&v.viewProjection, &v.view, &v.projection);
    D3DXMatrixInverse(&v.viewInverse, nullptr, &v.view);
    v.eye = D3DXVECTOR4(v.viewInverse._41, v.viewInverse._42, v.viewInverse._43, 1.0f);
    v.viewTranspose = Transposed(v.view);
    v.projectionTranspose = Transposed(v.projection);
    v.viewProjectionTranspose = Transposed(v.viewProjection);
    v.viewInverseTranspose = Transposed(v.viewInverse);
    v.clips = CameraClips(camera);
    v.clipPlane = v.clips ? DrawClipPlane(*camera) : D3DXPLANE(0.0f, 0.0f, 0.0f, 0.0f);
    return v;
}

void SetDrawEffectMatrices(IDirect3DDevice9* device, ID3DXEffect* effect, const HostMesh* mesh, DrawCamera& camera)
{
    if (!effect)
        return;
    const HostEffect& record = *mesh->effect;
    if (!camera.values)
        camera.values = ReadDrawCameraValues(device, camera.record);
    const DrawCameraValues& v = *camera.values;

    MeshEffectMatrices matrices;
    matrices.matrix[kView] = &v.view;
    matrices.matrix[kProjection] = &v.projection;
    matrices.matrix[kViewProjection] = &v.viewProjection;
    matrices.matrix[kViewInverse] = &v.viewInverse;
    matrices.transposed[kView] = &v.viewTranspose;
    matrices.transposed[kProjection] = &v.projectionTranspose;
    matrices.transposed[kViewProjection] = &v.viewProjectionTranspose;
    matrices.transposed[kViewInverse] = &v.viewInverseTranspose;
    SetMeshEffectMatrices(effect, mesh, matrices, v.eye);

    // The shader clips through the vector parameter; the device keeps the plane at index 0, switched
    // off for the draw.
    if (v.clips)
        device->SetClipPlane(0, v.clipPlane);
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, FALSE);
    if (record.clipPlane) {
        const D3DXPLANE& q = v.clipPlane;
        const D3DXVECTOR4 value = v.clips ? D3DXVECTOR4(q.a, q.b, q.c, q.d) : kNoClipPlane;
        effect->SetVector(record.clipPlane, &value);
    }
}

void SetDrawEffectMatrices(IDirect3DDevice9* device, const HostMesh* mesh, const HostCameraData* camera)
{
    DrawCamera single{camera, std::nullopt};
    SetDrawEffectMatrices(device, MeshEffect(mesh), mesh, single);
}
