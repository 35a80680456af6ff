// The values a cube texture keeps: its point and range, what it was made with, and the draw
// counters of the most recent cube rendering command.
#include "command_cube.h"
#include "cube_list.h"
#include "exports.h"

RYXO_COMMAND CubeTex_SetPosition(int handle, float x, float y, float z)
{
    if (CubeTexRecord* cube = CommandCube(handle, CUBETEX_ERROR_TITLE("CubeTex_SetPosition"))) {
        cube->positionX = x;
        cube->positionY = y;
        cube->positionZ = z;
    }
    return 0;
}

RYXO_COMMAND CubeTex_SetRange(int handle, float nearRange, float farRange)
{
    if (CubeTexRecord* cube = CommandCube(handle, CUBETEX_ERROR_TITLE("CubeTex_SetRange"))) {
        cube->nearRange = nearRange;
        cube->farRange = farRange;
    }
    return 0;
}

// Getters answer 0 / 0.0 for a refused handle.
#define CUBETEX_FLOAT_GETTER(name, field)                                        \
    RYXO_COMMAND name(int handle)                                                \
    {                                                                            \
        CubeTexRecord* cube = CommandCube(handle, CUBETEX_ERROR_TITLE(#name));   \
        return FloatResult(cube ? cube->field : 0.0f);                           \
    }
#define CUBETEX_INT_GETTER(name, field)                                          \
    RYXO_COMMAND name(int handle)                                                \
    {                                                                            \
        CubeTexRecord* cube = CommandCube(handle, CUBETEX_ERROR_TITLE(#name));   \
        return cube ? cube->field : 0;                                           \
    }

CUBETEX_FLOAT_GETTER(CubeTex_GetPositionX, positionX)
CUBETEX_FLOAT_GETTER(CubeTex_GetPositionY, positionY)
CUBETEX_FLOAT_GETTER(CubeTex_GetPositionZ, positionZ)
CUBETEX_FLOAT_GETTER(CubeTex_GetNear, nearRange)
CUBETEX_FLOAT_GETTER(CubeTex_GetFar, farRange)
CUBETEX_INT_GETTER(CubeTex_GetResolution, resolution)
CUBETEX_INT_GETTER(CubeTex_GetFormat, format)
CUBETEX_INT_GETTER(CubeTex_GetMipmapGeneration, mipmapGeneration)

RYXO_COMMAND CubeTex_GetDrawCalls() { return CubeCounters().drawCalls; }

RYXO_COMMAND CubeTex_GetDrawPrimitives() { return CubeCounters().drawPrimitives; }
