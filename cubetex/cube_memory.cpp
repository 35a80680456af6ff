#include "cube_memory.h"

namespace {

uint32_t BytesPerPixel(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_L8:
    case D3DFMT_A8:
    case D3DFMT_P8:
    case D3DFMT_A4L4:
    case D3DFMT_R3G3B2:
        return 1;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8R3G3B2:
    case D3DFMT_A8L8:
    case D3DFMT_A8P8:
    case D3DFMT_L16:
    case D3DFMT_V8U8:
    case D3DFMT_R16F:
        return 2;
    case D3DFMT_R8G8B8:
        return 3;
    case D3DFMT_A16B16G16R16:
    case D3DFMT_Q16W16V16U16:
    case D3DFMT_A16B16G16R16F:
    case D3DFMT_G32R32F:
        return 8;
    case D3DFMT_A32B32G32R32F:
        return 16;
    default:
        return 4;
    }
}

} // namespace

uint64_t CubeTextureBytes(uint32_t edge, uint32_t levels, D3DFORMAT format)
{
    uint64_t texels = 0;
    uint64_t side = edge;
    for (uint32_t level = 0; side >= 1 && (levels == 0 || level < levels); ++level, side /= 2)
        texels += side * side;
    return 6 * texels * BytesPerPixel(format);
}
