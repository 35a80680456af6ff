// The two buffers behind the value-style effect commands. They live as long as the plugin and
// start zeroed: a Shader_Return before any getter reads 0.0.
#pragma once

#include <cstddef>

#include <d3dx9.h>

struct EffectValueBuffers {
    // Holds the one value of a command while the effect reads or writes it: a scalar a getter
    // fetched, or the vector or matrix a setter hands over.
    alignas(16) std::byte scratch[64];
    // What the vector and matrix getters fetched, read back float by float by Shader_Return. A
    // vector getter overwrites floats 0 to 3 only; the rest keep what an earlier getter left.
    alignas(16) float returned[16];
};

EffectValueBuffers& EffectValues();

// Views of the buffers as the types the effect methods take.
inline D3DXVECTOR4* ScratchVector() { return reinterpret_cast<D3DXVECTOR4*>(EffectValues().scratch); }
inline D3DXMATRIX* ScratchMatrix() { return reinterpret_cast<D3DXMATRIX*>(EffectValues().scratch); }
inline D3DXVECTOR4* ReturnedVector() { return reinterpret_cast<D3DXVECTOR4*>(EffectValues().returned); }
inline D3DXMATRIX* ReturnedMatrix() { return reinterpret_cast<D3DXMATRIX*>(EffectValues().returned); }
