// Rendering the scene into cube faces through a host camera, and making one face the device's
// render target for the script's own drawing.
#include "command_cube.h"
#include "cube_face_render.h"
#include "exports.h"
#include "host_access.h"
#include "message_box.h"

namespace {

// Checks the handles and the camera of a rendering command and renders; nothing happens when one
// is refused. A further handle of 0 is none; the chain stops at its first gap.
void SyncCube(const char* title, int handle, const int (&furtherHandles)[3], int camera, uint32_t faceMask,
              bool storeAspect)
{
    CubeRenderRequest request{};
    request.cube = CommandCube(handle, title);
    if (!request.cube)
        return;
    CubeTexRecord* further[3] = {};
    for (int k = 0; k < 3; ++k) {
        if (furtherHandles[k] != 0 && !(further[k] = CommandCube(furtherHandles[k], title)))
            return;
    }
    if (!PrepareCubeRendering(request, camera, title))
        return;
    for (int k = 0; k < 3 && further[k]; ++k)
        request.further[k] = further[k];
    request.faceMask = faceMask & kAllCubeFaces;
    request.storeAspect = storeAspect;
    RenderCubeFaces(request);
}

} // namespace

RYXO_COMMAND CubeTex_Sync(int handle, int camera)
{
    SyncCube(CUBETEX_ERROR_TITLE("CubeTex_Sync"), handle, {0, 0, 0}, camera, kAllCubeFaces, false);
    return 0;
}

RYXO_COMMAND CubeTex_SyncFaces(int handle, int camera, int faceMask)
{
    SyncCube(CUBETEX_ERROR_TITLE("CubeTex_SyncFaces"), handle, {0, 0, 0}, camera, static_cast<uint32_t>(faceMask),
             true);
    return 0;
}

RYXO_COMMAND CubeTex_SyncMRT(int handle, int cube1, int cube2, int cube3, int camera)
{
    SyncCube(CUBETEX_ERROR_TITLE("CubeTex_SyncMRT"), handle, {cube1, cube2, cube3}, camera, kAllCubeFaces, false);
    return 0;
}

RYXO_COMMAND CubeTex_SyncFacesMRT(int handle, int cube1, int cube2, int cube3, int camera, int faceMask)
{
    SyncCube(CUBETEX_ERROR_TITLE("CubeTex_SyncFacesMRT"), handle, {cube1, cube2, cube3}, camera,
             static_cast<uint32_t>(faceMask), true);
    return 0;
}

RYXO_COMMAND CubeTex_DrawToFace(int handle, int face)
{
    const char* title = CUBETEX_ERROR_TITLE("CubeTex_DrawToFace");
    CubeTexRecord* cube = CommandCube(handle, title);
    if (!cube)
        return 0;
    if (face < 0 || face >= kCubeFaceCount) {
        ShowMessage(title, "The Specified Face Must Be 0 To 5");
        return 0;
    }
    IDirect3DDevice9* device = HostDevice();
    if (!device)
        return 0;
    Com<IDirect3DSurface9> surface;
    cube->texture->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 0, surface.put());
    device->SetRenderTarget(0, surface.ptr());
    return 0;
}
