#include "command_cube.h"

#include "cube_list.h"
#include "message_box.h"

CubeTexRecord* CommandCube(int handle, const char* title)
{
    CubeTexRecord* cube = FindCubeTexture(handle);
    if (!cube)
        ShowMessage(title, kNoSuchCubeText);
    return cube;
}
