// The first half of making an effect from a description: every pass's shaders compiled, and the
// shaders' sampler constants checked against the description. effect_binary_writer.h does the
// second half, laying the code out as a compiled effect, without a compiler or a device.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "effect_description.h"
#include "ref_host.h"

namespace refhost {

// The code of one pass's shaders.
struct PassCode {
    std::vector<DWORD> vertexShader;
    std::vector<DWORD> pixelShader;
};

// Per technique, per pass, in the description's order.
using EffectCode = std::vector<std::vector<PassCode>>;

// False, with the reason (naming the technique and pass) in `error`, when a shader does not
// compile or samples a top-level parameter that is no sampler.
bool CompileEffectCode(const EffectDescription& description, EffectCode* code, std::string* error);

} // namespace refhost
