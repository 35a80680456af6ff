// Reads an effect file, in the plain text form D3DX 9 compiles, into an EffectDescription.
//
// What it reads:
// - parameters: bool, int, float, float2, float3, float4, float4x4 (also `uniform`), single or as
//   arrays `[n]`, with a semantic, annotations `< string Name = "text"; float2 Range = {0, 1}; ... >`
//   (of the types below but texture; a sampler's are read and dropped) and an initial value
//   (`= 0.5`, `= true`, `= {1, 0, 0, 1}`, `= float4(1, 0, 0, 1)`, nested braces for matrices and
//   arrays: exactly as many numbers as the parameter holds);
// - `texture` parameters and `string` parameters (with a "text" initial value);
// - `sampler`, `sampler2D`, `sampler3D`, `samplerCUBE`, bare or `= sampler_state { Texture = <T>;
//   MinFilter = LINEAR; AddressU = CLAMP; ... }`;
// - structs and functions, handed to the HLSL compiler as written;
// - techniques and passes (names and annotations), whose passes set `VertexShader` and
//   `PixelShader` to `compile <profile> <entry>()`, and the render states of effect_states.h.
// Anything else is refused: the file name, the line and the construct are in the message.
//
// The HLSL compiler (shader_compiler.h) compiles one entry point, not a whole effect, and refuses
// the effect-only syntax (a sampler_state's `Texture = <T>` among others), so each shader is
// compiled from the file's text with the initial values, annotations, sampler_state blocks,
// techniques and string parameters blanked out line by line: the compiler's line numbers are the
// file's.
#pragma once

#include <string>

#include "effect_description.h"
#include "ref_host.h"

namespace refhost {

// Reads `text`, named `fileName` in messages. False with the reason in `error` when the file holds
// a construct the reader does not read; the shaders are not compiled here (CreateDescribedEffect
// compiles them).
bool ReadEffectFile(const std::string& fileName, const std::string& text,
                                EffectDescription* description, std::string* error);

// Reads the effect file at `path`, compiles its shaders and keeps it as host effect `effectNumber`,
// like AddDescribedEffect. Null, with the reason in `error` (the file, the line and the construct,
// or the compiler's messages), when it cannot.
HostEffect* LoadEffectFile(int effectNumber, const char* path, std::string* error = nullptr);

} // namespace refhost
