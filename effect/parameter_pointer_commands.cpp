// Pointer-style parameter commands: the arguments after the effect go unchanged to the effect
// method of the same name, addresses being raw memory the script laid out (for instance with the
// Poke commands); an address of 0 is not passed on. Only Shader_SetFloat converts, its integer
// becoming a float.
#include <algorithm>

#include "effect_call.h"
#include "exports.h"

namespace {

UINT Count(int value) { return static_cast<UINT>(value); }

// A string parameter's value is the address of its text, which the effect copies: a value holding
// the address 0 (memory the script has not filled, say) would make it read text at 0.
bool GivesNoText(int effect, int parameter, int address, int bytes)
{
    ID3DXEffect* fx = ScriptEffect(effect);
    D3DXPARAMETER_DESC desc{};
    if (!fx || address == 0 || FAILED(fx->GetParameterDesc(ScriptHandle(parameter), &desc)) ||
        desc.Type != D3DXPT_STRING)
        return false;
    const char* const* texts = ScriptPointer<const char* const>(address);
    const UINT count = std::min(std::max(desc.Elements, 1u), Count(bytes) / UINT{sizeof(char*)});
    return std::find(texts, texts + count, nullptr) != texts + count;
}

} // namespace

RYXO_COMMAND Shader_GetValue(int effect, int parameter, int address, int bytes)
{
    return CallEffectAt<void>(effect, &ID3DXEffect::GetValue, ScriptHandle(parameter), address, Count(bytes));
}

RYXO_COMMAND Shader_SetValue(int effect, int parameter, int address, int bytes)
{
    if (GivesNoText(effect, parameter, address, bytes)) return 0;
    return CallEffectAt<void>(effect, &ID3DXEffect::SetValue, ScriptHandle(parameter), address, Count(bytes));
}

// Scalars.

RYXO_COMMAND Shader_GetBool(int effect, int parameter, int address)
{
    return CallEffectAt<BOOL>(effect, &ID3DXEffect::GetBool, ScriptHandle(parameter), address);
}

RYXO_COMMAND Shader_SetBool(int effect, int parameter, int value)
{
    return CallEffect(effect, &ID3DXEffect::SetBool, ScriptHandle(parameter), BOOL{value});
}

RYXO_COMMAND Shader_GetInt(int effect, int parameter, int address)
{
    return CallEffectAt<INT>(effect, &ID3DXEffect::GetInt, ScriptHandle(parameter), address);
}

RYXO_COMMAND Shader_SetInt(int effect, int parameter, int value)
{
    return CallEffect(effect, &ID3DXEffect::SetInt, ScriptHandle(parameter), INT{value});
}

RYXO_COMMAND Shader_GetFloat(int effect, int parameter, int address)
{
    return CallEffectAt<FLOAT>(effect, &ID3DXEffect::GetFloat, ScriptHandle(parameter), address);
}

RYXO_COMMAND Shader_SetFloat(int effect, int parameter, int value)
{
    return CallEffect(effect, &ID3DXEffect::SetFloat, ScriptHandle(parameter), static_cast<FLOAT>(value));
}

// Vectors and matrices, one at a time.

RYXO_COMMAND Shader_GetVector(int effect, int parameter, int address)
{
    return CallEffectAt<D3DXVECTOR4>(effect, &ID3DXEffect::GetVector, ScriptHandle(parameter), address);
}

RYXO_COMMAND Shader_SetVector(int effect, int parameter, int address)
{
    return CallEffectAt<D3DXVECTOR4>(effect, &ID3DXEffect::SetVector, ScriptHandle(parameter), address);
}

RYXO_COMMAND Shader_GetMatrix(int effect, int parameter, int address)
{
    return CallEffectAt<D3DXMATRIX>(effect, &ID3DXEffect::GetMatrix, ScriptHandle(parameter), address);
}

RYXO_COMMAND Shader_SetMatrix(int effect, int parameter, int address)
{
    return CallEffectAt<D3DXMATRIX>(effect, &ID3DXEffect::SetMatrix, ScriptHandle(parameter), address);
}

RYXO_COMMAND Shader_GetMatrixTranspose(int effect, int parameter, int address)
{
    return CallEffectAt<D3DXMATRIX>(effect, &ID3DXEffect::GetMatrixTranspose, ScriptHandle(parameter), address);
}

RYXO_COMMAND Shader_SetMatrixTranspose(int effect, int parameter, int address)
{
    return CallEffectAt<D3DXMATRIX>(effect, &ID3DXEffect::SetMatrixTranspose, ScriptHandle(parameter), address);
}

// Arrays: the address of the first element and the element count.

RYXO_COMMAND Shader_GetBoolArray(int effect, int parameter, int address, int count)
{
    return CallEffectAt<BOOL>(effect, &ID3DXEffect::GetBoolArray, ScriptHandle(parameter), address, Count(count));
}

RYXO_COMMAND Shader_SetBoolArray(int effect, int parameter, int address, int count)
{
    return CallEffectAt<BOOL>(effect, &ID3DXEffect::SetBoolArray, ScriptHandle(parameter), address, Count(count));
}

RYXO_COMMAND Shader_GetIntArray(int effect, int parameter, int address, int count)
{
    return CallEffectAt<INT>(effect, &ID3DXEffect::GetIntArray, ScriptHandle(parameter), address, Count(count));
}

RYXO_COMMAND Shader_SetIntArray(int effect, int parameter, int address, int count)
{
    return CallEffectAt<INT>(effect, &ID3DXEffect::SetIntArray, ScriptHandle(parameter), address, Count(count));
}

RYXO_COMMAND Shader_GetFloatArray(int effect, int parameter, int address, int count)
{
    return CallEffectAt<FLOAT>(effect, &ID3DXEffect::GetFloatArray, ScriptHandle(parameter), address, Count(count));
}

RYXO_COMMAND Shader_SetFloatArray(int effect, int parameter, int address, int count)
{
    return CallEffectAt<FLOAT>(effect, &ID3DXEffect::SetFloatArray, ScriptHandle(parameter), address, Count(count));
}

RYXO_COMMAND Shader_GetVectorArray(int effect, int parameter, int address, int count)
{
    return CallEffectAt<D3DXVECTOR4>(effect, &ID3DXEffect::GetVectorArray, ScriptHandle(parameter), address,
                                     Count(count));
}

RYXO_COMMAND Shader_SetVectorArray(int effect, int parameter, int address, int count)
{
    return CallEffectAt<D3DXVECTOR4>(effect, &ID3DXEffect::SetVectorArray, ScriptHandle(parameter), address,
                                     Count(count));
}

RYXO_COMMAND Shader_GetMatrixArray(int effect, int parameter, int address, int count)
{
    return CallEffectAt<D3DXMATRIX>(effect, &ID3DXEffect::GetMatrixArray, ScriptHandle(parameter), address,
                                    Count(count));
}

RYXO_COMMAND Shader_SetMatrixArray(int effect, int parameter, int address, int count)
{
    return CallEffectAt<D3DXMATRIX>(effect, &ID3DXEffect::SetMatrixArray, ScriptHandle(parameter), address,
                                    Count(count));
}

RYXO_COMMAND Shader_GetMatrixTransposeArray(int effect, int parameter, int address, int count)
{
    return CallEffectAt<D3DXMATRIX>(effect, &ID3DXEffect::GetMatrixTransposeArray, ScriptHandle(parameter), address,
                                    Count(count));
}

RYXO_COMMAND Shader_SetMatrixTransposeArray(int effect, int parameter, int address, int count)
{
    return CallEffectAt<D3DXMATRIX>(effect, &ID3DXEffect::SetMatrixTransposeArray, ScriptHandle(parameter), address,
                                    Count(count));
}

// Matrices scattered in memory: the address of an array of matrix addresses and their count.

RYXO_COMMAND Shader_GetMatrixPointerArray(int effect, int parameter, int addresses, int count)
{
    return CallEffectAt<D3DXMATRIX*>(effect, &ID3DXEffect::GetMatrixPointerArray, ScriptHandle(parameter), addresses,
                                     Count(count));
}

RYXO_COMMAND Shader_SetMatrixPointerArray(int effect, int parameter, int addresses, int count)
{
    return CallEffectAt<const D3DXMATRIX*>(effect, &ID3DXEffect::SetMatrixPointerArray, ScriptHandle(parameter),
                                           addresses, Count(count));
}

RYXO_COMMAND Shader_GetMatrixTransposePointerArray(int effect, int parameter, int addresses, int count)
{
    return CallEffectAt<D3DXMATRIX*>(effect, &ID3DXEffect::GetMatrixTransposePointerArray, ScriptHandle(parameter),
                                     addresses, Count(count));
}

RYXO_COMMAND Shader_SetMatrixTransposePointerArray(int effect, int parameter, int addresses, int count)
{
    return CallEffectAt<const D3DXMATRIX*>(effect, &ID3DXEffect::SetMatrixTransposePointerArray,
                                           ScriptHandle(parameter), addresses, Count(count));
}

RYXO_COMMAND Shader_SetArrayRange(int effect, int parameter, int start, int end)
{
    return CallEffect(effect, &ID3DXEffect::SetArrayRange, ScriptHandle(parameter), Count(start), Count(end));
}
