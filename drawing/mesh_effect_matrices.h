// What a mesh's effect receives from the family that draws the mesh itself (instance sets, effect
// cameras), besides its textures: the alpha factor, the matrices at the handles the host's effect
// record holds, the eye position and the two zero floats. Each family works out its own matrices;
// handing them over is the same for both.
#pragma once

#include "host_records.h"

// The nine matrices the record has handles for; their transposes follow in the same order.
inline constexpr int kUntransposedMatrixCount = kWorldTranspose;

// The nine matrices of one draw, each with its transpose, in the order of the record's handles. A
// null entry is a matrix the draw leaves as the effect has it.
struct MeshEffectMatrices {
    const D3DXMATRIX* matrix[kUntransposedMatrixCount] = {};
    const D3DXMATRIX* transposed[kUntransposedMatrixCount] = {};
};

// Hands `mesh`'s values to `effect`, the effect of the mesh's record, in this order: the alpha
// factor (for a mesh with a diffuse colour), every matrix whose handle is set, in handle order, the
// eye position at both eye handles, zero at both zero floats. An effect that expects transposed
// matrices gets each matrix at its transpose's handle and the other way round; a transpose only
// moves values, so the swap is exact.
void SetMeshEffectMatrices(ID3DXEffect* effect, const HostMesh* mesh, const MeshEffectMatrices& matrices,
                           const D3DXVECTOR4& eye);

// The mesh's diffuse alpha byte as the 0..1 factor the effect receives.
float MeshAlphaFactor(const HostMesh* mesh);
