// Puts a host mesh's own drawing settings onto the device before the plugin draws that mesh itself
// (instance sets, effect cameras): texture-stage and sampler settings, fill and cull mode, fog,
// transparency and ghost blending, depth handling, material and mip-map bias.
#pragma once

#include "host_records.h"

// Applies the settings of `mesh` to `device` in a fixed order and returns 1. Textures are not
// bound here (they reach the effect's texture parameters); only the stages the mesh does not use
// are cleared. States a mesh leaves out on its path stay as the device has them.
int ApplyMeshRenderStates(IDirect3DDevice9* device, const HostMesh* mesh);

// What a mesh's settings say nothing about and a host may leave as its last object had it, set after
// ApplyMeshRenderStates: the alpha test off for a mesh that is neither transparent nor ghosted, and
// every colour channel written into render targets 0 to 3.
void ApplyStatesTheHostMayLeave(IDirect3DDevice9* device, const HostMesh* mesh);
