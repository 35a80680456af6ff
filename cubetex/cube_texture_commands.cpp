// Creation and deletion of cube textures, their mipmap settings, and the format query.
#include <cstdio>
#include <new>

#include "address_space.h"
#include "command_cube.h"
#include "cube_list.h"
#include "cube_memory.h"
#include "cube_release.h"
#include "exports.h"
#include "host_access.h"
#include "message_box.h"
#include "plugin_state.h"

namespace {

constexpr const char* kCreationTitle = "CubeTex_MakeNew() ERROR";
constexpr const char* kCreationText = "Failed To Create The Requested Cubemap Texture!";
constexpr HRESULT kNoAutoGenMipmap = 0x0876086F; // D3DOK_NOAUTOGEN

// True when the cube D3DX would make of the request fits in the largest free piece of the game's
// address space (see cube_memory.h); otherwise shows why and answers false.
bool RoomForCube(IDirect3DDevice9* device, int resolution, UINT levels, DWORD usage, D3DFORMAT format)
{
    // The edge, levels and format D3DX makes of the request, as D3DXCreateCubeTexture will.
    UINT edge = static_cast<UINT>(resolution);
    D3DXCheckCubeTextureRequirements(device, &edge, &levels, usage, &format, D3DPOOL_DEFAULT);
    const uint64_t bytes = CubeTextureBytes(edge, levels, format);
    const uint32_t largestFree = LargestFreeAddressRange();
    if (bytes <= largestFree)
        return true;
    char text[200];
    std::snprintf(text, sizeof(text),
                  "A cube of resolution %d needs %u MB in one piece, more than the game's largest free piece of "
                  "memory (%u MB)",
                  resolution, static_cast<unsigned>((bytes + (1u << 20) - 1) >> 20), largestFree >> 20);
    ShowMessage(kCreationTitle, text);
    return false;
}

int MakeCubeTexture(int resolution, int mipmapGeneration, int format)
{
    IDirect3DDevice9* device = HostDevice();
    const D3DFORMAT resolved = FormatOrReferenceSurfaceFormat(format);
    Com<IDirect3DCubeTexture9> texture;
    const DWORD usage = D3DUSAGE_RENDERTARGET | (static_cast<DWORD>(mipmapGeneration) << 10);
    static_assert(D3DUSAGE_AUTOGENMIPMAP == 1u << 10, "mipmapGeneration 1 is shifted into the autogen bit");
    if (device && !RoomForCube(device, resolution, mipmapGeneration == 0 ? 1 : 0, usage, resolved))
        return 0;
    if (!device || D3DXCreateCubeTexture(device, static_cast<UINT>(resolution), mipmapGeneration == 0 ? 1 : 0, usage,
                                         resolved, D3DPOOL_DEFAULT, texture.put()) != D3D_OK ||
        !texture) {
        ShowMessage(kCreationTitle, kCreationText);
        return 0;
    }
    if (mipmapGeneration == 1)
        texture->SetAutoGenFilterType(D3DTEXF_LINEAR);
    // D3DX makes the cube in the nearest format the card renders into when it refuses the one
    // asked for: the record keeps the format the faces really have, so CubeTex_GetFormat tells it.
    D3DSURFACE_DESC faces{};
    const D3DFORMAT made = SUCCEEDED(texture->GetLevelDesc(0, &faces)) ? faces.Format : resolved;
    CubeTexRecord* cube = nullptr;
    try {
        cube = &AppendCubeTexture(texture);
    } catch (const std::bad_alloc&) {
        // Caught here rather than at the boundary: the script is told it got no cube, as when the
        // device refuses the texture. The texture (still held here) goes first.
        texture.reset();
        ShowMessage(kCreationTitle, kCreationText);
        return 0;
    }
    cube->resolution = resolution;
    cube->format = made;
    cube->mipmapGeneration = mipmapGeneration;
    cube->nearRange = kCubeDefaultNear;
    cube->farRange = kCubeDefaultFar;
    return HandleOf(*cube);
}

} // namespace

RYXO_COMMAND CubeTex_MakeNew(int resolution, int mipmapGeneration)
{
    return MakeCubeTexture(resolution, mipmapGeneration, D3DFMT_UNKNOWN);
}

RYXO_COMMAND CubeTex_MakeNewFormat(int resolution, int mipmapGeneration, int format)
{
    return MakeCubeTexture(resolution, mipmapGeneration, format);
}

RYXO_COMMAND CubeTex_Delete(int handle)
{
    CubeTexRecord* cube = CommandCube(handle, CUBETEX_ERROR_TITLE("CubeTex_Delete"));
    if (!cube)
        return 0;
    RemoveCubeTexture(*cube);
    return 0;
}

RYXO_COMMAND CubeTex_SetMipFilter(int handle, int filter)
{
    if (CubeTexRecord* cube = CommandCube(handle, CUBETEX_ERROR_TITLE("CubeTex_SetMipFilter")))
        cube->texture->SetAutoGenFilterType(static_cast<D3DTEXTUREFILTERTYPE>(filter));
    return 0;
}

RYXO_COMMAND CubeTex_GenerateMipSubLevels(int handle)
{
    if (CubeTexRecord* cube = CommandCube(handle, CUBETEX_ERROR_TITLE("CubeTex_GenerateMipSubLevels")))
        cube->texture->GenerateMipSubLevels();
    return 0;
}

RYXO_COMMAND CubeTex_CheckFormatSupport(int format)
{
    IDirect3D9* d3d = Host().GetDirect3D ? Host().GetDirect3D() : nullptr;
    IDirect3DDevice9* device = HostDevice();
    if (!d3d || !device)
        return 0;
    D3DDISPLAYMODE mode{};
    d3d->GetAdapterDisplayMode(0, &mode);
    D3DCAPS9 caps{};
    device->GetDeviceCaps(&caps);
    const HRESULT result = d3d->CheckDeviceFormat(0, caps.DeviceType, mode.Format, D3DUSAGE_RENDERTARGET,
                                                  D3DRTYPE_CUBETEXTURE, static_cast<D3DFORMAT>(format));
    if (result == D3D_OK)
        return 2;
    return result == kNoAutoGenMipmap ? 1 : 0;
}
