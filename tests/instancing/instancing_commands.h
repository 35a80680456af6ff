// The instancing command exports, for unit tests that call them directly.
#pragma once

#include "command_prototypes.h"
#include "export_values.h"
