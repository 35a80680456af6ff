// CubeTex_Save: the whole cube map as a DDS file, whatever extension the name has.
#include "command_cube.h"
#include "cube_dds_file.h"
#include "exports.h"
#include "host_access.h"

RYXO_COMMAND CubeTex_Save(int handle, const char* fileName)
{
    CubeTexRecord* cube = CommandCube(handle, CUBETEX_ERROR_TITLE("CubeTex_Save"));
    if (!cube || !fileName)
        return 0;
    if (SUCCEEDED(D3DXSaveTextureToFileA(fileName, D3DXIFF_DDS, cube->texture.ptr(), nullptr)))
        return 0;
    // Some D3DX versions cannot save cube textures: the file is written here instead. A failure
    // stays silent, as a failed save always has.
    WriteCubeDds(HostDevice(), cube->texture.ptr(), fileName);
    return 0;
}
