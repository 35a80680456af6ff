// Fixture for white-box cube texture tests: the plugin's code bound to the reference host, a
// recording device between them.
#pragma once

#include "bound_plugin_test.h"
#include "command_prototypes.h"
#include "cubetex/cube_tex_record.h"
#include "ref_host.h"
#include "reference_count.h"

class CubeTest : public BoundPluginTest {
protected:
    static CubeTexRecord& Cube(int handle)
    {
        return *reinterpret_cast<CubeTexRecord*>(static_cast<uintptr_t>(static_cast<uint32_t>(handle)));
    }
    // A new cube texture of edge `resolution` in the reference format; fails the test when none.
    int MakeCube(int resolution = 16, int mipmapGeneration = 0);
    // A face's level-0 surface (the caller's reference is in the holder).
    static Com<IDirect3DSurface9> Face(int handle, int face);

    // The device's free texture memory once it has settled: Wine frees resources on its own
    // thread, so a release shows there a moment later. Waits up to a second for `expected`.
    static UINT AvailableTextureMemory(UINT expected);
};
