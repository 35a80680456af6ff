// The command exports the drawing tests drive, for tests that link the plugin's code and call them
// directly.
#pragma once

#include "command_prototypes.h"
