// Pointer-style parameter commands: the arguments after the effect go unchanged to the effect
// method of the same name, addresses being raw memory the script laid out (for instance with the
// Poke commands). Only Shader_SetFloat converts, its integer becoming a float.
#include "effect_call.h"
#include "exports.h"

namespace {

UINT Count(int value) { return static_cast<UINT>(value); }

} // namespace

RYXO_COMMAND Shader_GetValue(int effect, int parameter, int address, int bytes)
{
    return CallEffect(effect, &ID3DXEffect::GetValue, ScriptHandle(parameter), ScriptPointer<void>(address),
                      Count(bytes));
}

RYXO_COMMAND Shader_SetValue(int effect, int parameter, int address, int bytes)
{
    return CallEffect(effect, &ID3DXEffect::SetValue, ScriptHandle(parameter),
                      ScriptPointer<void>(address), Count(bytes));
}

// Scalars.

RYXO_COMMAND Shader_GetBool(int effect, int parameter, int address)
{
    return CallEffect(effect, &ID3DXEffect::GetBool, ScriptHandle(parameter), ScriptPointer<BOOL>(address));
}

RYXO_COMMAND Shader_SetBool(int effect, int parameter, int value)
{
    return CallEffect(effect, &ID3DXEffect::SetBool, ScriptHandle(parameter), BOOL{value});
}

RYXO_COMMAND Shader_GetInt(int effect, int parameter, int address)
{
    return CallEffect(effect, &ID3DXEffect::GetInt, ScriptHandle(parameter), ScriptPointer<INT>(address));
}

RYXO_COMMAND Shader_SetInt(int effect, int parameter, int value)
{
    return CallEffect(effect, &ID3DXEffect::SetInt, ScriptHandle(parameter), INT{value});
}

RYXO_COMMAND Shader_GetFloat(int effect, int parameter, int address)
{
    return CallEffect(effect, &ID3DXEffect::GetFloat, ScriptHandle(parameter), ScriptPointer<FLOAT>(address));
}

RYXO_COMMAND Shader_SetFloat(int effect, int parameter, int value)
{
    return CallEffect(effect, &ID3DXEffect::SetFloat, ScriptHandle(parameter), static_cast<FLOAT>(value));
}

// Vectors and matrices, one at a time.

RYXO_COMMAND Shader_GetVector(int effect, int parameter, int address)
{
    return CallEffect(effect, &ID3DXEffect::GetVector, ScriptHandle(parameter),
                      ScriptPointer<D3DXVECTOR4>(address));
}

RYXO_COMMAND Shader_SetVector(int effect, int parameter, int address)
{
    return CallEffect(effect, &ID3DXEffect::SetVector, ScriptHandle(parameter),
                      ScriptPointer<D3DXVECTOR4>(address));
}

RYXO_COMMAND Shader_GetMatrix(int effect, int parameter, int address)
{
    return CallEffect(effect, &ID3DXEffect::GetMatrix, ScriptHandle(parameter), ScriptPointer<D3DXMATRIX>(address));
}

RYXO_COMMAND Shader_SetMatrix(int effect, int parameter, int address)
{
    return CallEffect(effect, &ID3DXEffect::SetMatrix, ScriptHandle(parameter),
                      ScriptPointer<D3DXMATRIX>(address));
}

RYXO_COMMAND Shader_GetMatrixTranspose(int effect, int parameter, int address)
{
    return CallEffect(effect, &ID3DXEffect::GetMatrixTranspose, ScriptHandle(parameter),
                      ScriptPointer<D3DXMATRIX>(address));
}

RYXO_COMMAND Shader_SetMatrixTranspose(int effect, int parameter, int address)
{
    return CallEffect(effect, &ID3DXEffect::SetMatrixTranspose, ScriptHandle(parameter),
                      ScriptPointer<D3DXMATRIX>(address));
}

// Arrays: the address of the first element and the element count.

RYXO_COMMAND Shader_GetBoolArray(int effect, int parameter, int address, int count)
{
    return CallEffect(effect, &ID3DXEffect::GetBoolArray, ScriptHandle(parameter), ScriptPointer<BOOL>(address),
                      Count(count));
}

RYXO_COMMAND Shader_SetBoolArray(int effect, int parameter, int address, int count)
{
    return CallEffect(effect, &ID3DXEffect::SetBoolArray, ScriptHandle(parameter),
                      ScriptPointer<BOOL>(address), Count(count));
}

RYXO_COMMAND Shader_GetIntArray(int effect, int parameter, int address, int count)
{
    return CallEffect(effect, &ID3DXEffect::GetIntArray, ScriptHandle(parameter), ScriptPointer<INT>(address),
                      Count(count));
}

RYXO_COMMAND Shader_SetIntArray(int effect, int parameter, int address, int count)
{
    return CallEffect(effect, &ID3DXEffect::SetIntArray, ScriptHandle(parameter),
                      ScriptPointer<INT>(address), Count(count));
}

RYXO_COMMAND Shader_GetFloatArray(int effect, int parameter, int address, int count)
{
    return CallEffect(effect, &ID3DXEffect::GetFloatArray, ScriptHandle(parameter), ScriptPointer<FLOAT>(address),
                      Count(count));
}

RYXO_COMMAND Shader_SetFloatArray(int effect, int parameter, int address, int count)
{
    return CallEffect(effect, &ID3DXEffect::SetFloatArray, ScriptHandle(parameter),
                      ScriptPointer<FLOAT>(address), Count(count));
}

RYXO_COMMAND Shader_GetVectorArray(int effect, int parameter, int address, int count)
{
    return CallEffect(effect, &ID3DXEffect::GetVectorArray, ScriptHandle(parameter),
                      ScriptPointer<D3DXVECTOR4>(address), Count(count));
}

RYXO_COMMAND Shader_SetVectorArray(int effect, int parameter, int address, int count)
{
    return CallEffect(effect, &ID3DXEffect::SetVectorArray, ScriptHandle(parameter),
                      ScriptPointer<D3DXVECTOR4>(address), Count(count));
}

RYXO_COMMAND Shader_GetMatrixArray(int effect, int parameter, int address, int count)
{
    return CallEffect(effect, &ID3DXEffect::GetMatrixArray, ScriptHandle(parameter),
                      ScriptPointer<D3DXMATRIX>(address), Count(count));
}

RYXO_COMMAND Shader_SetMatrixArray(int effect, int parameter, int address, int count)
{
    return CallEffect(effect, &ID3DXEffect::SetMatrixArray, ScriptHandle(parameter),
                      ScriptPointer<D3DXMATRIX>(address), Count(count));
}

RYXO_COMMAND Shader_GetMatrixTransposeArray(int effect, int parameter, int address, int count)
{
    return CallEffect(effect, &ID3DXEffect::GetMatrixTransposeArray, ScriptHandle(parameter),
                      ScriptPointer<D3DXMATRIX>(address), Count(count));
}

RYXO_COMMAND Shader_SetMatrixTransposeArray(int effect, int parameter, int address, int count)
{
    return CallEffect(effect, &ID3DXEffect::SetMatrixTransposeArray, ScriptHandle(parameter),
                      ScriptPointer<D3DXMATRIX>(address), Count(count));
}

// Matrices scattered in memory: the address of an array of matrix addresses and their count.

RYXO_COMMAND Shader_GetMatrixPointerArray(int effect, int parameter, int addresses, int count)
{
    return CallEffect(effect, &ID3DXEffect::GetMatrixPointerArray, ScriptHandle(parameter),
                      ScriptPointer<D3DXMATRIX*>(addresses), Count(count));
}

RYXO_COMMAND Shader_SetMatrixPointerArray(int effect, int parameter, int addresses, int count)
{
    return CallEffect(effect, &ID3DXEffect::SetMatrixPointerArray, ScriptHandle(parameter),
                      ScriptPointer<const D3DXMATRIX*>(addresses), Count(count));
}

RYXO_COMMAND Shader_GetMatrixTransposePointerArray(int effect, int parameter, int addresses, int count)
{
    return CallEffect(effect, &ID3DXEffect::GetMatrixTransposePointerArray, ScriptHandle(parameter),
                      ScriptPointer<D3DXMATRIX*>(addresses), Count(count));
}

RYXO_COMMAND Shader_SetMatrixTransposePointerArray(int effect, int parameter, int addresses, int count)
{
    return CallEffect(effect, &ID3DXEffect::SetMatrixTransposePointerArray, ScriptHandle(parameter),
                      ScriptPointer<const D3DXMATRIX*>(addresses), Count(count));
}

RYXO_COMMAND Shader_SetArrayRange(int effect, int parameter, int start, int end)
{
    return CallEffect(effect, &ID3DXEffect::SetArrayRange, ScriptHandle(parameter), Count(start), Count(end));
}
