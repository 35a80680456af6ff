// Every method of IDirect3DDevice9, in vtable order, as an id the recording device logs and fails by.
#pragma once

#include <cstddef>

#define RYXO_DEVICE_METHODS(X)                                                                          \
    X(QueryInterface) X(AddRef) X(Release) X(TestCooperativeLevel) X(GetAvailableTextureMem)             \
    X(EvictManagedResources) X(GetDirect3D) X(GetDeviceCaps) X(GetDisplayMode) X(GetCreationParameters) \
    X(SetCursorProperties) X(SetCursorPosition) X(ShowCursor) X(CreateAdditionalSwapChain)               \
    X(GetSwapChain) X(GetNumberOfSwapChains) X(Reset) X(Present) X(GetBackBuffer) X(GetRasterStatus)     \
    X(SetDialogBoxMode) X(SetGammaRamp) X(GetGammaRamp) X(CreateTexture) X(CreateVolumeTexture)          \
    X(CreateCubeTexture) X(CreateVertexBuffer) X(CreateIndexBuffer) X(CreateRenderTarget)                \
    X(CreateDepthStencilSurface) X(UpdateSurface) X(UpdateTexture) X(GetRenderTargetData)                \
    X(GetFrontBufferData) X(StretchRect) X(ColorFill) X(CreateOffscreenPlainSurface) X(SetRenderTarget)  \
    X(GetRenderTarget) X(SetDepthStencilSurface) X(GetDepthStencilSurface) X(BeginScene) X(EndScene)     \
    X(Clear) X(SetTransform) X(GetTransform) X(MultiplyTransform) X(SetViewport) X(GetViewport)          \
    X(SetMaterial) X(GetMaterial) X(SetLight) X(GetLight) X(LightEnable) X(GetLightEnable)               \
    X(SetClipPlane) X(GetClipPlane) X(SetRenderState) X(GetRenderState) X(CreateStateBlock)              \
    X(BeginStateBlock) X(EndStateBlock) X(SetClipStatus) X(GetClipStatus) X(GetTexture) X(SetTexture)    \
    X(GetTextureStageState) X(SetTextureStageState) X(GetSamplerState) X(SetSamplerState)                \
    X(ValidateDevice) X(SetPaletteEntries) X(GetPaletteEntries) X(SetCurrentTexturePalette)              \
    X(GetCurrentTexturePalette) X(SetScissorRect) X(GetScissorRect) X(SetSoftwareVertexProcessing)       \
    X(GetSoftwareVertexProcessing) X(SetNPatchMode) X(GetNPatchMode) X(DrawPrimitive)                    \
    X(DrawIndexedPrimitive) X(DrawPrimitiveUP) X(DrawIndexedPrimitiveUP) X(ProcessVertices)              \
    X(CreateVertexDeclaration) X(SetVertexDeclaration) X(GetVertexDeclaration) X(SetFVF) X(GetFVF)       \
    X(CreateVertexShader) X(SetVertexShader) X(GetVertexShader) X(SetVertexShaderConstantF)              \
    X(GetVertexShaderConstantF) X(SetVertexShaderConstantI) X(GetVertexShaderConstantI)                  \
    X(SetVertexShaderConstantB) X(GetVertexShaderConstantB) X(SetStreamSource) X(GetStreamSource)        \
    X(SetStreamSourceFreq) X(GetStreamSourceFreq) X(SetIndices) X(GetIndices) X(CreatePixelShader)       \
    X(SetPixelShader) X(GetPixelShader) X(SetPixelShaderConstantF) X(GetPixelShaderConstantF)            \
    X(SetPixelShaderConstantI) X(GetPixelShaderConstantI) X(SetPixelShaderConstantB)                     \
    X(GetPixelShaderConstantB) X(DrawRectPatch) X(DrawTriPatch) X(DeletePatch) X(CreateQuery)

enum class DeviceMethod {
#define RYXO_METHOD_ENUM(name) name,
    RYXO_DEVICE_METHODS(RYXO_METHOD_ENUM)
#undef RYXO_METHOD_ENUM
};

#define RYXO_METHOD_COUNT(name) +1
inline constexpr std::size_t kDeviceMethodCount = 0 RYXO_DEVICE_METHODS(RYXO_METHOD_COUNT);
#undef RYXO_METHOD_COUNT

// "SetRenderState" for DeviceMethod::SetRenderState.
const char* DeviceMethodName(DeviceMethod method);
