// Writes an effect description as the compiled effect D3DXCreateEffect loads (the binary whose
// first word is 0xFEFF0901), compiling the passes' shaders on the way.
//
// What it writes:
// - every parameter of the description, in its order, with its type, class, rows and columns,
//   array size, semantic, annotations and initial value; float4x4 parameters are stored by rows
//   (class D3DXPC_MATRIX_ROWS) as compilers write effect parameters: the column-major packing of
//   the default is the shader constant's (its constant table says so), and the framework
//   transposes the value when it uploads it;
// - after them, one sampler parameter per sampler binding, holding its Texture and sampler states;
// - the techniques and passes with their annotations, each pass with its vertex and pixel shader,
//   the registers of its assembly shaders (VertexShaderConstantF[n], PixelShaderConstantF[n],
//   Sampler[n] or, for a texture given without a sampler, Texture[n]) and its render states.
// HLSL shaders find their parameters through their constant tables, by name.
#pragma once

#include <string>
#include <vector>

#include "effect_description.h"
#include "ref_host.h"

namespace refhost {

// False, with the reason (naming the technique and pass) in `error`, when a shader does not
// compile or the description names what it does not declare.
bool WriteEffectBinary(const EffectDescription& description, std::vector<BYTE>* binary,
                                   std::string* error);

} // namespace refhost
