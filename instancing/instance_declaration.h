// The two-stream vertex declaration of an instance set: the mesh's own elements (stream 0), then
// in stream 1 the world matrix as four FLOAT4 texture coordinates just above the mesh's highest
// one, then the custom elements as further texture coordinates.
#pragma once

#include "geo_inst_record.h"

// Makes the declaration of `mesh` with the layout fields of `layout` into `elements` and
// `declaration`, touching no record. Shows "Failed To Create Vertex Declarator" and returns false
// (the declaration null) when the device refuses it or the mesh cannot be described.
bool MakeInstanceDeclaration(const GeoInstRecord& layout, const HostMesh& mesh,
                             D3DVERTEXELEMENT9 (&elements)[kMaxVertexElements],
                             Com<IDirect3DVertexDeclaration9>& declaration);

// The stride and world-matrix flag that go with a declaration just made for the set's layout.
void ApplyDeclaredLayout(GeoInstRecord& set);

// Rebuilds the set's vertex elements, vertex declaration and stride from its bound mesh and layout
// fields. The set must have a mesh.
void BuildInstanceDeclaration(GeoInstRecord& set);

// Appends the four world-matrix rows to a D3DDECL_END-terminated array of kMaxVertexElements.
// Shows a message and leaves the array unchanged when they do not fit.
void AppendWorldMatrixElements(D3DVERTEXELEMENT9 (&elements)[kMaxVertexElements]);

// Appends one custom element of 1 to 4 floats (0 declares nothing) at `offset` bytes into the
// instance vertex. Shows a message and leaves the array unchanged when it does not fit.
void AppendCustomElement(D3DVERTEXELEMENT9 (&elements)[kMaxVertexElements], int offset, int components);

// Index of the end marker, or kMaxVertexElements when the array has none.
int EndMarkerIndex(const D3DVERTEXELEMENT9 (&elements)[kMaxVertexElements]);
