#include "device_call.h"

#include <cstdio>
#include <sstream>

namespace {

constexpr const char* kMethodNames[] = {
#define RYXO_METHOD_NAME(name) #name,
    RYXO_DEVICE_METHODS(RYXO_METHOD_NAME)
#undef RYXO_METHOD_NAME
};
// 3 IUnknown methods and 116 of the device's own.
static_assert(kDeviceMethodCount == 119);

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

// Small values read best in decimal; pointers, colours and bit masks in hex.
std::string Value(uint32_t value) { return value < 0x10000 ? std::to_string(value) : Hex(value); }

std::string Float(float value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

// Which arguments are floats (shown as numbers rather than bit patterns).
bool IsFloatArg(DeviceMethod method, size_t index)
{
    return (method == DeviceMethod::Clear && index == 3) || (method == DeviceMethod::SetNPatchMode && index == 0);
}

std::string DescribeRect(const RECT& r)
{
    return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + "}";
}

} // namespace

const char* DeviceMethodName(DeviceMethod method)
{
    auto index = static_cast<size_t>(method);
    return index < kDeviceMethodCount ? kMethodNames[index] : "?";
}

std::string DescribeResult(HRESULT result)
{
    switch (result) {
    case D3D_OK: return "D3D_OK";
    case D3DERR_INVALIDCALL: return "D3DERR_INVALIDCALL";
    case D3DERR_NOTAVAILABLE: return "D3DERR_NOTAVAILABLE";
    case D3DERR_OUTOFVIDEOMEMORY: return "D3DERR_OUTOFVIDEOMEMORY";
    case D3DERR_DEVICELOST: return "D3DERR_DEVICELOST";
    case D3DERR_DEVICENOTRESET: return "D3DERR_DEVICENOTRESET";
    case E_OUTOFMEMORY: return "E_OUTOFMEMORY";
    case E_FAIL: return "E_FAIL";
    default: return Hex(static_cast<uint32_t>(result));
    }
}

std::string Describe(const DeviceCall& call)
{
    std::string text = DeviceMethodName(call.method);
    text += "(";
    for (size_t i = 0; i < call.args.size(); ++i) {
        if (i) text += ", ";
        text += IsFloatArg(call.method, i) ? Float(call.ArgFloat(i)) : Value(call.args[i]);
    }
    text += ")";
    if (call.matrix) {
        text += " matrix[";
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) text += (r || c ? " " : "") + Float(call.matrix->m[r][c]);
        text += "]";
    }
    if (call.plane)
        text += " plane[" + Float((*call.plane)[0]) + " " + Float((*call.plane)[1]) + " " + Float((*call.plane)[2]) +
                " " + Float((*call.plane)[3]) + "]";
    if (call.material)
        text += " material[diffuse " + Float(call.material->Diffuse.r) + " " + Float(call.material->Diffuse.g) + " " +
                Float(call.material->Diffuse.b) + " " + Float(call.material->Diffuse.a) + "]";
    if (call.viewport)
        text += " viewport[" + std::to_string(call.viewport->X) + " " + std::to_string(call.viewport->Y) + " " +
                std::to_string(call.viewport->Width) + "x" + std::to_string(call.viewport->Height) + " z " +
                Float(call.viewport->MinZ) + ".." + Float(call.viewport->MaxZ) + "]";
    if (call.sourceRect) text += " from " + DescribeRect(*call.sourceRect);
    if (call.destRect) text += " to " + DescribeRect(*call.destRect);
    if (!call.rects.empty()) text += " " + std::to_string(call.rects.size()) + " rects";
    if (!call.elements.empty()) {
        text += " elements[";
        for (size_t i = 0; i < call.elements.size(); ++i) {
            const D3DVERTEXELEMENT9& e = call.elements[i];
            if (i) text += ", ";
            if (e.Stream == 0xFF) {
                text += "end";
                continue;
            }
            text += "s" + std::to_string(e.Stream) + "+" + std::to_string(e.Offset) + " type " +
                    std::to_string(e.Type) + " usage " + std::to_string(e.Usage) + "/" +
                    std::to_string(e.UsageIndex);
        }
        text += "]";
    }
    if (!call.vertexData.empty()) text += " " + std::to_string(call.vertexData.size()) + " bytes";
    if (call.object) text += " => " + Hex(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(call.object)));
    text += " -> " + DescribeResult(call.result);
    if (call.injected) text += " (injected)";
    return text;
}

std::string Describe(const std::vector<DeviceCall>& calls)
{
    std::string text;
    for (size_t i = 0; i < calls.size(); ++i) text += "  #" + std::to_string(i) + " " + Describe(calls[i]) + "\n";
    return calls.empty() ? "  (no calls)\n" : text;
}

std::ostream& operator<<(std::ostream& out, DeviceMethod method) { return out << DeviceMethodName(method); }

std::ostream& operator<<(std::ostream& out, const DeviceCall& call) { return out << Describe(call); }

std::ostream& operator<<(std::ostream& out, const RenderStateSet& set)
{
    return out << "SetRenderState(" << set.state << ", " << Value(set.value) << ")";
}

std::ostream& operator<<(std::ostream& out, const SamplerStateSet& set)
{
    return out << "SetSamplerState(" << set.sampler << ", " << set.type << ", " << Value(set.value) << ")";
}

std::ostream& operator<<(std::ostream& out, const TextureStageStateSet& set)
{
    return out << "SetTextureStageState(" << set.stage << ", " << set.type << ", " << Value(set.value) << ")";
}

std::ostream& operator<<(std::ostream& out, const StreamFrequencySet& set)
{
    return out << "SetStreamSourceFreq(" << set.stream << ", " << Hex(set.setting) << ")";
}
