// One call the recording device saw: which method, its arguments as 32-bit values, copies of the
// structures it pointed at, and what it returned.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "device_method.h"

// How arguments are recorded, for every method:
// - scalars in call order as 32-bit values, floats as their bit patterns (ArgFloat reads them back);
// - interface pointers (textures, surfaces, buffers, shaders, declarations) as their addresses;
// - structures passed by pointer (matrix, plane, material, viewport, rectangles, vertex elements,
//   user-pointer vertex data) are not in `args`: their contents are copied into the fields below,
//   which stay empty when the pointer was null;
// - out-pointers are not in `args`: the object created or handed out is `object`.
// Per method (only those worth asserting on):
//   SetRenderState          state, value
//   SetSamplerState         sampler, type, value
//   SetTextureStageState    stage, type, value
//   SetTexture              stage, texture
//   SetStreamSource         stream, buffer, offset, stride
//   SetStreamSourceFreq     stream, setting
//   SetIndices / SetVertexDeclaration / SetVertexShader / SetPixelShader / SetDepthStencilSurface
//                           object
//   SetFVF                  fvf
//   DrawPrimitive           type, startVertex, primitiveCount
//   DrawIndexedPrimitive    type, baseVertexIndex, minVertexIndex, numVertices, startIndex, primitiveCount
//   DrawPrimitiveUP         type, primitiveCount, stride             (+ vertexData)
//   DrawIndexedPrimitiveUP  type, minVertexIndex, numVertices, primitiveCount, indexFormat, stride
//   SetRenderTarget         index, surface
//   GetRenderTarget         index                                    (+ object)
//   Clear                   rectCount, flags, colour, z, stencil     (+ rects)
//   SetTransform / GetTransform / MultiplyTransform   state          (+ matrix)
//   SetClipPlane            index                                    (+ plane)
//   SetMaterial             (+ material)    SetViewport (+ viewport)
//   CreateVertexDeclaration (+ elements, up to and including D3DDECL_END; + object)
//   CreateVertexBuffer      length, usage, fvf, pool                 (+ object)
//   CreateIndexBuffer       length, usage, format, pool              (+ object)
//   CreateTexture           width, height, levels, usage, format, pool (+ object)
//   CreateCubeTexture       edge, levels, usage, format, pool        (+ object)
//   StretchRect             source, dest, filter                     (+ sourceRect, destRect)
//   ColorFill               surface, colour                          (+ destRect)
// The usage and pool of Create* calls are the ones the caller asked for, whatever was forwarded.
struct DeviceCall {
    DeviceMethod method{};
    const char* name = "";
    std::vector<uint32_t> args;
    HRESULT result = S_OK;
    bool injected = false;   // failed by FailCall: the real device never saw this call
    void* object = nullptr;  // created or handed out (no reference is held by the log)

    std::optional<D3DMATRIX> matrix;
    std::optional<std::array<float, 4>> plane;
    std::optional<D3DMATERIAL9> material;
    std::optional<D3DVIEWPORT9> viewport;
    std::optional<RECT> sourceRect;
    std::optional<RECT> destRect;
    std::vector<D3DRECT> rects;
    std::vector<D3DVERTEXELEMENT9> elements;
    std::vector<uint8_t> vertexData;

    // Argument i, or 0xCDCDCDCD (and the caller's test should fail on the value) when absent.
    uint32_t Arg(size_t i) const { return i < args.size() ? args[i] : 0xCDCDCDCDu; }
    float ArgFloat(size_t i) const { return std::bit_cast<float>(Arg(i)); }
};

// Compact readable form for failure messages: `SetRenderState(7, 1) -> D3D_OK`.
std::string Describe(const DeviceCall& call);
// One call per line, numbered, for "expected X, saw Y" messages about a whole sequence.
std::string Describe(const std::vector<DeviceCall>& calls);
// "D3DERR_INVALIDCALL", "D3D_OK", or the value in hex.
std::string DescribeResult(HRESULT result);

std::ostream& operator<<(std::ostream& out, DeviceMethod method);
std::ostream& operator<<(std::ostream& out, const DeviceCall& call);

// The state changes tests compare as sequences.
struct RenderStateSet {
    D3DRENDERSTATETYPE state;
    DWORD value;
    bool operator==(const RenderStateSet&) const = default;
};
struct SamplerStateSet {
    DWORD sampler;
    D3DSAMPLERSTATETYPE type;
    DWORD value;
    bool operator==(const SamplerStateSet&) const = default;
};
struct TextureStageStateSet {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
    DWORD value;
    bool operator==(const TextureStageStateSet&) const = default;
};
struct StreamFrequencySet {
    UINT stream;
    UINT setting;
    bool operator==(const StreamFrequencySet&) const = default;
};
std::ostream& operator<<(std::ostream& out, const RenderStateSet& set);
std::ostream& operator<<(std::ostream& out, const SamplerStateSet& set);
std::ostream& operator<<(std::ostream& out, const TextureStageStateSet& set);
std::ostream& operator<<(std::ostream& out, const StreamFrequencySet& set);
