// How command exports are declared. Every command is an undecorated cdecl function taking 32-bit
// arguments; results travel in the 32-bit integer register, F results as the float's bit pattern.
// The export list, the prototypes included below (against which the compiler checks every
// command's parameters) and the exports themselves are generated from the families' command rows:
// a command's source defines its body with RYXO_COMMAND, in namespace command_bodies, and the
// export of the same name calls the body inside the boundary (command_boundary.h).
#pragma once

#include <bit>
#include <cstdint>

#include "command_prototypes.h"

// `RYXO_COMMAND GeoInst_Update(int handle) { ... }` defines command_bodies::GeoInst_Update, which
// must match the generated prototype.
#define RYXO_COMMAND int command_bodies::

// The integer result that carries an F result.
inline int FloatResult(float value) { return std::bit_cast<int>(value); }
