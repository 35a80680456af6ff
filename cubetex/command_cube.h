// How every CubeTex_ command finds its cube texture: the handle must name a live one, otherwise the
// command is refused with a message instead of reading through a bad address.
#pragma once

#include "cube_tex_record.h"

// The message title of a refused command: the command's script name followed by " Error".
#define CUBETEX_ERROR_TITLE(scriptName) scriptName " Error"

inline constexpr const char* kNoSuchCubeText = "The Specified CubeTex Does Not Exist";

// The live cube texture `handle` names, or null after showing (title, kNoSuchCubeText).
CubeTexRecord* CommandCube(int handle, const char* title);
