// Values as they cross a command export: every argument and result is 32 bits, an F result is the
// float's bit pattern, and an address is the integer a script holds.
#pragma once

#include <bit>
#include <cstdint>

// `bits` is any 32-bit integer: an int result, a uint32_t register or argument.
template <typename Bits>
float AsFloat(Bits bits)
{
    return std::bit_cast<float>(bits);
}
inline uint32_t FloatBits(float value) { return std::bit_cast<uint32_t>(value); }

template <typename T>
int ScriptAddress(T* p)
{
    return static_cast<int>(reinterpret_cast<uintptr_t>(p));
}
