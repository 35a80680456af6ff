#include "camera_effect_matrices.h"

#include "host_access.h"

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
    const HostMesh* mesh = camera.mesh;
    ID3DXEffect* effect = MeshEffect(mesh);
    if (!effect)
        return;
    const HostEffect& record = *mesh->effect;

    // In the order of the record's matrix handles: the nine, then their transposes.
    D3DXMATRIX m[kHostEffectMatrixCount];
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

    if (record.alphaFactor && mesh->hasDiffuseColor == 1)
        effect->SetFloat(record.alphaFactor, static_cast<float>((mesh->diffuseColor >> 24) / 255.0));

    // An effect that expects transposed matrices gets them at the nine handles, and the untransposed
    // ones at the transpose handles.
    constexpr int kNine = kWorldTranspose;
    if (record.expectsTransposed) {
        for (int i = 0; i < kNine; ++i)
            m[i] = Transposed(m[i]);
    }
    for (int i = 0; i < kNine; ++i)
        m[kNine + i] = Transposed(m[i]);

    for (int i = 0; i < kHostEffectMatrixCount; ++i) {
        if (record.matrixHandles[i])
            effect->SetMatrix(record.matrixHandles[i], &m[i]);
    }
    if (record.eyePosition)
        effect->SetVector(record.eyePosition, &eye);
    if (record.eyePosition2)
        effect->SetVector(record.eyePosition2, &eye);
    if (record.zeroFloat1)
        effect->SetFloat(record.zeroFloat1, 0.0f);
    if (record.zeroFloat2)
        effect->SetFloat(record.zeroFloat2, 0.0f);
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
}
