// Calls a cdecl function with 32-bit arguments while the stack at the call is 4 bytes off the
// 16-byte alignment our own compiler keeps: the host's compiler guarantees only 4.
#pragma once

#include <cstdint>

uint32_t CallWithMisalignedStack(const void* function, const uint32_t* args, int count);
