// The instancing command exports, for unit tests that call them directly.
#pragma once

#include <bit>
#include <cstdint>

#include "command_prototypes.h"

inline float AsFloat(int result) { return std::bit_cast<float>(result); }
template <typename T>
int AddressOf(T* p) { return static_cast<int>(reinterpret_cast<uintptr_t>(p)); }
