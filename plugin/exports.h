// How command exports are declared. Every command is an undecorated cdecl function taking 32-bit
// arguments; results travel in the 32-bit integer register, F results as the float's bit pattern.
// The export list itself is generated from plugin/commands, so nothing here marks a function for
// export; so are the prototypes included below, against which the compiler checks every command's
// parameters.
#pragma once

#include <bit>
#include <cstdint>

#include "command_prototypes.h"

#define RYXO_COMMAND extern "C" int __cdecl

// The integer result that carries an F result.
inline int FloatResult(float value) { return std::bit_cast<int>(value); }
