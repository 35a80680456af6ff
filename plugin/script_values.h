// Scripts hold effects, parameter handles and memory addresses as 32-bit integers. These turn such
// an integer into the pointer it stands for and back, bit for bit.
#pragma once

#include <cstdint>

#include <d3dx9.h>

template <typename T>
T* ScriptPointer(int value)
{
    return reinterpret_cast<T*>(static_cast<uintptr_t>(static_cast<uint32_t>(value)));
}

// The effect a script names; null for 0, which every effect command treats as "do nothing".
inline ID3DXEffect* ScriptEffect(int value) { return ScriptPointer<ID3DXEffect>(value); }

inline D3DXHANDLE ScriptHandle(int value) { return ScriptPointer<const char>(value); }

inline int ScriptInteger(const void* pointer)
{
    return static_cast<int>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer)));
}
