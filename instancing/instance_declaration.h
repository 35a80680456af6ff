// The two-stream vertex declaration of an instance set: the mesh's own elements (stream 0), then
// in stream 1 the world matrix as four FLOAT4 texture coordinates just above the mesh's highest
// one, then the custom elements as further texture coordinates.
#pragma once

#include "geo_inst_record.h"

// Rebuilds the set's vertex elements, vertex declaration and stride from its bound mesh and layout
// fields. The set must have a mesh.
void BuildInstanceDeclaration(GeoInstRecord& set);

// Appends the four world-matrix rows to a D3DDECL_END-terminated array of kMaxVertexElements.
// Shows a message and leaves the array unchanged when they do not fit.
void AppendWorldMatrixElements(D3DVERTEXELEMENT9 (&elements)[kMaxVertexElements]);

// Appends one custom element of 1 to 4 floats (0 declares nothing). Shows a message and leaves the
// array unchanged when it does not fit.
void AppendCustomElement(D3DVERTEXELEMENT9 (&elements)[kMaxVertexElements], int components);

// Index of the end marker, or kMaxVertexElements when the array has none.
int EndMarkerIndex(const D3DVERTEXELEMENT9 (&elements)[kMaxVertexElements]);
