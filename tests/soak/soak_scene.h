// The host's side of the soak's scene: two effects, objects drawn with them, images and a second
// camera.
#pragma once

#include <vector>

#include <d3dx9.h>

inline constexpr int kSoakObjects = 6;
inline constexpr int kSoakImages = 3;

// Builds the scene; returns the effects.
std::vector<ID3DXEffect*> BuildSoakHostScene();

// How the scene's objects are made (also when one comes back after the host deleted it).
void MakeSoakObject(int object, int effect);
