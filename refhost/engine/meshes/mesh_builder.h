// Generated shapes and the limb meshes built from them.
#pragma once

#include <cstdint>
#include <vector>

#include "scene_state.h"

namespace refhost {

// A shape as triangles: positions with normals and texture coordinates, indexed. Front faces are
// clockwise seen from outside, as the device culls counter-clockwise ones.
struct Geometry {
    std::vector<D3DXVECTOR3> positions;
    std::vector<D3DXVECTOR3> normals;
    std::vector<D3DXVECTOR2> texCoords;
    std::vector<uint16_t> indices;
};

Geometry BuildShape(Shape shape, float size, int rings, int segments);

// The FVF code of a mesh description's vertex format.
DWORD VertexFormatOf(const MeshDescription& meshDescription);

// Fills `out` (a zero-filled record) with a limb mesh of `meshDescription`, moved by offsetX along X: vertex
// and index buffers, declaration, flags, colour, material and texture-stage entries. False when the
// device refuses a buffer.
bool BuildMesh(IDirect3DDevice9* device, const MeshDescription& meshDescription, float offsetX, MeshRecord& out);

// Points each texture-stage entry of the mesh at `image` (0 clears the entry).
void ShowImageAtStage(MeshRecord& mesh, int stage, int image);

} // namespace refhost
