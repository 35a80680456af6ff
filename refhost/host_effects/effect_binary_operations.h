// The numbers a compiled effect gives the states of its passes and sampler states: one list, in
// which render states come first, then texture-stage, transform, material, light, shader, shader
// constant, texture and sampler states. The effect framework looks each state up by its number.
#pragma once

#include <optional>

#include <d3d9.h>

namespace refhost::effect {

enum StateOperation : DWORD {
    kVertexShaderOperation = 0x92,
    kPixelShaderOperation = 0x93,
    kTextureOperation = 0xA4, // in a sampler: the texture it samples
};

std::optional<DWORD> RenderStateOperation(D3DRENDERSTATETYPE state);
std::optional<DWORD> SamplerStateOperation(D3DSAMPLERSTATETYPE state);

} // namespace refhost::effect
