#include "camera_effect_matrices.h"

#include "drawing/mesh_effect_matrices.h"

namespace {

D3DXMATRIX Product(const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    D3DXMATRIX out;
    D3DXMatrixMultiply(&out, &a, &b);
    return out;
}

// The inverse, or the zero matrix when there is none.
D3DXMATRIX Inverse(const D3DXMATRIX& m)
{
    D3DXMATRIX out(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    D3DXMatrixInverse(&out, nullptr, &m);
    return out;
}

D3DXMATRIX Transposed(const D3DXMATRIX& m)
{
    D3DXMATRIX out;
    D3DXMatrixTranspose(&out, &m);
    return out;
}

} // namespace

void SetCameraEffectMatrices(IDirect3DDevice9* device, const EfxCamRecord& camera, const D3DMATRIX& world)
{
    ID3DXEffect* effect = camera.effect;
    if (!effect)
        return;

    // In the order of the record's matrix handles.
    D3DXMATRIX m[kUntransposedMatrixCount];
    m[kWorld] = world;
    m[kView] = camera.view;
    m[kProjection] = camera.projection;
    m[kViewProjection] = camera.viewProjection;
    m[kWorldView] = Product(m[kWorld], m[kView]);
    m[kWorldViewProjection] = Product(m[kWorldView], m[kProjection]);
    m[kWorldInverse] = Inverse(m[kWorld]);
    m[kViewInverse] = Inverse(m[kView]);
    m[kWorldViewInverse] = Inverse(m[kWorldView]);
    // The camera position in world space: the translation row of the view inverse.
    const D3DXVECTOR4 eye(m[kViewInverse]._41, m[kViewInverse]._42, m[kViewInverse]._43, 1.0f);

    D3DXMATRIX t[kUntransposedMatrixCount];
    MeshEffectMatrices matrices;
    for (int i = 0; i < kUntransposedMatrixCount; ++i) {
        t[i] = Transposed(m[i]);
        matrices.matrix[i] = &m[i];
        matrices.transposed[i] = &t[i];
    }
    SetMeshEffectMatrices(effect, camera.mesh, matrices, eye);
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
}
