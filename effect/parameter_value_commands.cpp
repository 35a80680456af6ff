// Value-style parameter commands: the script gives or gets the values themselves. Scalar getters
// let the effect write into the value scratch and return what it holds; vector and matrix setters
// lay their floats out in the scratch and hand its address over; vector and matrix getters fill
// the return buffer, which Shader_Return reads float by float.
#include <cstdint>
#include <cstring>

#include "effect_call.h"
#include "exports.h"
#include "value_buffers.h"

namespace {

template <size_t N>
const std::byte* FillScratch(const float (&values)[N])
{
    static_assert(sizeof(values) <= sizeof(EffectValueBuffers::scratch));
    std::memcpy(EffectValues().scratch, values, sizeof(values));
    return EffectValues().scratch;
}

} // namespace

// Whatever the effect wrote first into the scratch, as a signed byte: TRUE gives 1.
RYXO_COMMAND Shader_GetBoolVal(int effect, int parameter)
{
    ID3DXEffect* fx = ScriptEffect(effect);
    if (!fx)
        return 0;
    fx->GetBool(ScriptHandle(parameter), reinterpret_cast<BOOL*>(EffectValues().scratch));
    return std::bit_cast<int8_t>(EffectValues().scratch[0]);
}

RYXO_COMMAND Shader_GetIntVal(int effect, int parameter)
{
    ID3DXEffect* fx = ScriptEffect(effect);
    if (!fx)
        return 0;
    fx->GetInt(ScriptHandle(parameter), reinterpret_cast<INT*>(EffectValues().scratch));
    int32_t value;
    std::memcpy(&value, EffectValues().scratch, sizeof value);
    return value;
}

RYXO_COMMAND Shader_GetFloatVal(int effect, int parameter)
{
    ID3DXEffect* fx = ScriptEffect(effect);
    if (!fx)
        return FloatResult(0.0f);
    fx->GetFloat(ScriptHandle(parameter), reinterpret_cast<FLOAT*>(EffectValues().scratch));
    float value;
    std::memcpy(&value, EffectValues().scratch, sizeof value);
    return FloatResult(value);
}

RYXO_COMMAND Shader_SetBoolVal(int effect, int parameter, int value)
{
    return CallEffect(effect, &ID3DXEffect::SetBool, ScriptHandle(parameter), BOOL{value});
}

RYXO_COMMAND Shader_SetIntVal(int effect, int parameter, int value)
{
    return CallEffect(effect, &ID3DXEffect::SetInt, ScriptHandle(parameter), INT{value});
}

RYXO_COMMAND Shader_SetFloatVal(int effect, int parameter, float value)
{
    return CallEffect(effect, &ID3DXEffect::SetFloat, ScriptHandle(parameter), FLOAT{value});
}

RYXO_COMMAND Shader_GetVectorVal(int effect, int parameter)
{
    return CallEffect(effect, &ID3DXEffect::GetVector, ScriptHandle(parameter), ReturnedVector());
}

RYXO_COMMAND Shader_GetMatrixVal(int effect, int parameter)
{
    return CallEffect(effect, &ID3DXEffect::GetMatrix, ScriptHandle(parameter), ReturnedMatrix());
}

RYXO_COMMAND Shader_GetMatrixTransposeVal(int effect, int parameter)
{
    return CallEffect(effect, &ID3DXEffect::GetMatrixTranspose, ScriptHandle(parameter), ReturnedMatrix());
}

RYXO_COMMAND Shader_SetVectorVal(int effect, int parameter, float x, float y, float z, float w)
{
    if (!ScriptEffect(effect))
        return 0;
    FillScratch({x, y, z, w});
    return CallEffect(effect, &ID3DXEffect::SetVector, ScriptHandle(parameter), ScratchVector());
}

// The floats arrive rows first: _11, _12, _13, _14, _21 and so on, the D3DXMATRIX layout.
RYXO_COMMAND Shader_SetMatrixVal(int effect, int parameter, float m11, float m12, float m13, float m14, float m21,
                                 float m22, float m23, float m24, float m31, float m32, float m33, float m34,
                                 float m41, float m42, float m43, float m44)
{
    if (!ScriptEffect(effect))
        return 0;
    FillScratch({m11, m12, m13, m14, m21, m22, m23, m24, m31, m32, m33, m34, m41, m42, m43, m44});
    return CallEffect(effect, &ID3DXEffect::SetMatrix, ScriptHandle(parameter), ScratchMatrix());
}

RYXO_COMMAND Shader_SetMatrixTransposeVal(int effect, int parameter, float m11, float m12, float m13, float m14,
                                          float m21, float m22, float m23, float m24, float m31, float m32,
                                          float m33, float m34, float m41, float m42, float m43, float m44)
{
    if (!ScriptEffect(effect))
        return 0;
    FillScratch({m11, m12, m13, m14, m21, m22, m23, m24, m31, m32, m33, m34, m41, m42, m43, m44});
    return CallEffect(effect, &ID3DXEffect::SetMatrixTranspose, ScriptHandle(parameter), ScratchMatrix());
}

// An index outside the 16 floats gives 0.0.
RYXO_COMMAND Shader_Return(int index)
{
    if (index < 0 || index >= 16)
        return FloatResult(0.0f);
    return FloatResult(EffectValues().returned[index]);
}
