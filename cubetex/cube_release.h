// Taking a cube texture out of everything that points at it, then letting go of it: what
// CubeTex_Delete and a lost device do.
#pragma once

#include "cube_tex_record.h"

// Makes sure RememberApplication can note one more place without allocating; throws std::bad_alloc
// when there is no memory for it. The apply commands call it before they change anything: a place
// written but not remembered would keep the texture after its deletion.
void MakeRoomForApplication(CubeTexRecord& cube);

// Notes that the cube's texture was written into (object, stage) of a host object's meshes. Room
// for it was made with MakeRoomForApplication.
void RememberApplication(CubeTexRecord& cube, int object, int stage);

// Unbinds the texture from every device texture stage and render target (render target 0 gets the
// back buffer), clears the host entries it was applied to that still hold it, then releases the
// record's reference, which destroys it unless another holder took a reference of its own. The
// record's texture is empty afterwards.
void DestroyCubeTexture(CubeTexRecord& cube);
