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
    kVertexShaderConstantFOperation = 0x94, // index: the first register; then ...B and ...I
    kVertexShaderConstantBOperation = 0x95,
    kVertexShaderConstantIOperation = 0x96,
    kPixelShaderConstantFOperation = 0x9C,
    kPixelShaderConstantBOperation = 0x9D,
    kPixelShaderConstantIOperation = 0x9E,
    kTextureOperation = 0xA4,               // index: the texture stage (in a sampler: its register)
    kSamplerOperation = 0xB2,               // index: the sampler register; value: a sampler parameter
};

std::optional<DWORD> RenderStateOperation(D3DRENDERSTATETYPE state);
std::optional<DWORD> SamplerStateOperation(D3DSAMPLERSTATETYPE state);

} // namespace refhost::effect
