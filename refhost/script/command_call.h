// Calls a command export as the engine does: cdecl, one 32-bit value per parameter, the result in
// the integer register (an F result is the float's bit pattern).
#pragma once

#include <cstdint>

#include <windows.h>

namespace script {

// The most values a row takes (Shader_SetMatrixVal: two handles and sixteen floats).
inline constexpr int kMostCommandValues = 18;

// Calls `function` with `values` (unused ones 0). The caller removes what it pushed under cdecl,
// so a function taking fewer values reads its own and ignores the rest.
uint32_t CallCommandExport(FARPROC function, const uint32_t (&values)[kMostCommandValues]);

} // namespace script
