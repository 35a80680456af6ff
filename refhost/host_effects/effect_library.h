// Ready-made host effects: what the reference host's objects, the instancing tests and the effect
// parameter tests draw with.
#pragma once

#include "effect_description.h"
#include "ref_host.h"

namespace refhost {

// Which camera parameters a vertex shader multiplies by. Both kinds are declared by every effect
// here (View, Projection, ViewProjection), only the chosen ones are used.
enum class CameraMatrices {
    ViewAndProjection, // mul(mul(world, View), Projection)
    ViewProjection,    // mul(world, ViewProjection)
};

struct PlainEffectOptions {
    bool textured = false; // multiply Color by DiffuseTexture sampled at TEXCOORD0 (by DiffuseSampler)
    CameraMatrices camera = CameraMatrices::ViewAndProjection;
};

// Draws a mesh (POSITION, and TEXCOORD0 when textured) in one colour. Parameters in this order:
// World (WORLD), View (VIEW), Projection (PROJECTION), ViewProjection (VIEWPROJECTION), all identity;
// Color (float4, white); DiffuseTexture (texture). Technique "Plain", one pass "P0".
EffectDescription PlainEffectDescription(const PlainEffectOptions& options = {});

struct InstancingEffectOptions {
    unsigned firstTexcoord = 1;  // world matrix rows at TEXCOORD[n] .. TEXCOORD[n+3]
    bool instanceColor = false;  // a float4 colour per instance at TEXCOORD[n+4]
    unsigned passes = 1;         // 2: a second pass adds SecondPassColor with ONE/ONE blending
    CameraMatrices camera = CameraMatrices::ViewProjection;
};

// Draws instances: stream 0 gives POSITION, the instance stream the rows of each instance's world
// matrix (and its colour). The output colour is Color times the instance colour. Parameters in
// this order: View (VIEW), Projection (PROJECTION), ViewProjection (VIEWPROJECTION), Color (float4,
// white), SecondPassColor (float4, zero), DiffuseTexture (texture, unused by the shaders).
// Technique "Instanced" with passes "P0" (and "P1").
EffectDescription InstancingEffectDescription(const InstancingEffectOptions& options = {});

// Draws a mesh (POSITION) writing three colour outputs at once: Color0 to render target 0, Color1
// to render target 1 and Color2 to render target 2. Parameters in this order: World (WORLD), View
// (VIEW), Projection (PROJECTION), ViewProjection (VIEWPROJECTION), all identity; Color0, Color1,
// Color2 (float4; red, green, blue). Technique "ThreeOutputs", one pass "P0".
EffectDescription ThreeOutputEffectDescription();

// One parameter of every kind, for the effect parameter commands. In declaration order:
//   BoolValue      bool       ZOOBOOL      initial TRUE
//   IntValue       int        ZOOINT       initial 3
//   FloatValue     float      ZOOFLOAT     initial 0.5
//   VectorValue    float4     ZooVector    initial (1, 2, 3, 4)
//   MatrixValue    float4x4   ZOOMATRIX    initial identity
//   BoolArray      bool[4]
//   IntArray       int[4]
//   FloatArray     float[6]
//   VectorArray    float4[16] ZOOVECTORS
//   MatrixArray    float4x4[4]
//   TextureA       texture    DIFFUSEMAP
//   TextureB       texture
//   Label          string                  initial "zoo"
// Techniques: "First" (vertex: mul(POSITION, MatrixValue); pixel: VectorValue), "Second" (pixel:
// VectorArray[3] * FloatValue, position unchanged) and "Third" (two passes "A" and "B" like First).
EffectDescription ParameterZooDescription();

} // namespace refhost
