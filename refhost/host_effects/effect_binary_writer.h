// Writes an effect description and its compiled shaders (effect_code.h) as the compiled effect
// D3DXCreateEffect loads (the binary whose first word is 0xFEFF0901). Nothing here compiles or
// needs a device: the same description and code give the same bytes.
//
// What it writes:
// - every parameter of the description, in its order, with its type, class, rows and columns,
//   array size, semantic, annotations and initial value; float4x4 parameters are stored by rows
//   (class D3DXPC_MATRIX_ROWS) as compilers write effect parameters: the column-major packing of
//   the default is the shader constant's (its constant table says so), and the framework
//   transposes the value when it uploads it;
// - after them, one sampler parameter per sampler binding, holding its Texture and sampler states;
// - the techniques and passes with their annotations, each pass with its vertex and pixel shader
//   and its render states.
// The shaders find their parameters through their constant tables, by name.
#pragma once

#include <string>
#include <vector>

#include "effect_code.h"
#include "effect_description.h"
#include "ref_host.h"

namespace refhost {

// False, with the reason in `error`, when the description names what it does not declare, a name
// is empty or given twice, a state has no number in the compiled form, or `code` does not hold one
// entry per pass.
bool WriteEffectBinary(const EffectDescription& description, const EffectCode& code,
                       std::vector<BYTE>* binary, std::string* error);

} // namespace refhost
