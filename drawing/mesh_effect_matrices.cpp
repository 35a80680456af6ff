#include "mesh_effect_matrices.h"

namespace {

void SetMatrixIfBoth(ID3DXEffect* effect, D3DXHANDLE handle, const D3DXMATRIX* m)
{
    if (handle && m)
        effect->SetMatrix(handle, m);
}

} // namespace

float MeshAlphaFactor(const HostMesh* mesh)
{
    return static_cast<float>(mesh->diffuseColor >> 24) / 255.0f;
}

void SetMeshEffectMatrices(ID3DXEffect* effect, const HostMesh* mesh, const MeshEffectMatrices& matrices,
                           const D3DXVECTOR4& eye)
{
    const HostEffect& record = *mesh->effect;
    if (record.alphaFactor && mesh->hasDiffuseColor == 1)
        effect->SetFloat(record.alphaFactor, MeshAlphaFactor(mesh));

    const bool swap = record.expectsTransposed != 0;
    const D3DXHANDLE* handles = record.matrixHandles;
    for (int i = 0; i < kUntransposedMatrixCount; ++i)
        SetMatrixIfBoth(effect, handles[i], swap ? matrices.transposed[i] : matrices.matrix[i]);
    for (int i = 0; i < kUntransposedMatrixCount; ++i)
        SetMatrixIfBoth(effect, handles[kUntransposedMatrixCount + i], swap ? matrices.matrix[i] : matrices.transposed[i]);

    if (record.eyePosition)
        effect->SetVector(record.eyePosition, &eye);
    if (record.eyePosition2)
        effect->SetVector(record.eyePosition2, &eye);
    if (record.zeroFloat1)
        effect->SetFloat(record.zeroFloat1, 0.0f);
    if (record.zeroFloat2)
        effect->SetFloat(record.zeroFloat2, 0.0f);
}
