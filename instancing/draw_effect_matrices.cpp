#include "draw_effect_matrices.h"

#include "host_access.h"

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

void SetMatrixIfPresent(ID3DXEffect* effect, D3DXHANDLE handle, const D3DXMATRIX& m)
{
    if (handle)
        effect->SetMatrix(handle, &m);
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

void SetDrawEffectMatrices(IDirect3DDevice9* device, const HostMesh* mesh, const HostCameraData* camera)
{
    ID3DXEffect* effect = MeshEffect(mesh);
    if (!effect)
        return;
    const HostEffect& record = *mesh->effect;

    D3DXMATRIX view, projection;
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    D3DXMATRIX viewInverse;
    D3DXMatrixInverse(&viewInverse, nullptr, &view);
    const D3DXVECTOR4 eye(viewInverse._41, viewInverse._42, viewInverse._43, 1.0f);

    if (record.alphaFactor && mesh->hasDiffuseColor == 1)
        effect->SetFloat(record.alphaFactor, static_cast<float>(mesh->diffuseColor >> 24) / 255.0f);

    if (record.expectsTransposed) {
        view = Transposed(view);
        projection = Transposed(projection);
        viewProjection = Transposed(viewProjection);
        viewInverse = Transposed(viewInverse);
    }

    const D3DXHANDLE* handles = record.matrixHandles;
    SetMatrixIfPresent(effect, handles[kView], view);
    SetMatrixIfPresent(effect, handles[kProjection], projection);
    SetMatrixIfPresent(effect, handles[kViewProjection], viewProjection);
    SetMatrixIfPresent(effect, handles[kViewInverse], viewInverse);
    SetMatrixIfPresent(effect, handles[kViewTranspose], Transposed(view));
    SetMatrixIfPresent(effect, handles[kProjectionTranspose], Transposed(projection));
    SetMatrixIfPresent(effect, handles[kViewProjectionTranspose], Transposed(viewProjection));
    SetMatrixIfPresent(effect, handles[kViewInverseTranspose], Transposed(viewInverse));

    if (record.eyePosition)
        effect->SetVector(record.eyePosition, &eye);
    if (record.eyePosition2)
        effect->SetVector(record.eyePosition2, &eye);
    if (record.zeroFloat1)
        effect->SetFloat(record.zeroFloat1, 0.0f);
    if (record.zeroFloat2)
        effect->SetFloat(record.zeroFloat2, 0.0f);

    const int clipMode = camera ? camera->clipMode : 0;
    D3DXPLANE plane(0.0f, 0.0f, 0.0f, 0.0f);
    if (clipMode != 0) {
        plane = DrawClipPlane(*camera);
        device->SetClipPlane(0, plane);
        device->SetRenderState(D3DRS_CLIPPLANEENABLE, TRUE);
    } else {
        device->SetRenderState(D3DRS_CLIPPLANEENABLE, FALSE);
    }
    if (record.clipPlane) {
        const D3DXVECTOR4 value = clipMode > 0 ? D3DXVECTOR4(plane.a, plane.b, plane.c, plane.d) : kNoClipPlane;
        effect->SetVector(record.clipPlane, &value);
    }
    // The shader clips through the vector parameter; the fixed-function plane stays off for the draw.
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, FALSE);
}
