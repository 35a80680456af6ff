#include "cube_fixture.h"

int CubeTest::MakeCube(int resolution, int mipmapGeneration)
{
    const int handle = CubeTex_MakeNew(resolution, mipmapGeneration);
    EXPECT_NE(handle, 0);
    return handle;
}

Com<IDirect3DSurface9> CubeTest::Face(int handle, int face)
{
    Com<IDirect3DSurface9> surface;
    Cube(handle).texture->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 0, surface.put());
    return surface;
}

UINT CubeTest::AvailableTextureMemory(UINT expected)
{
    IDirect3DDevice9* device = refhost::RealDevice();
    UINT available = device->GetAvailableTextureMem();
    for (int i = 0; i < 100 && available != expected; ++i) {
        Sleep(10);
        available = device->GetAvailableTextureMem();
    }
    return available;
}
