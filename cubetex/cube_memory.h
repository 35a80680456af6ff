// The memory a cube texture takes. A driver may keep a cube it renders into in the game's own
// address space, in one piece (DXVK over a software Vulkan device does), and a 32-bit game's
// largest free piece is far smaller than its 2 GB: such a cube is refused before the device is
// asked, as some drivers crash instead of failing when the allocation fails.
#pragma once

#include <cstdint>

#include <d3d9.h>

// Bytes of the six faces of `edge` pixels in `format` with `levels` levels, each half the edge of
// the one above down to 1 pixel; 0 levels is the whole chain. A format this table does not know
// counts 4 bytes a pixel.
uint64_t CubeTextureBytes(uint32_t edge, uint32_t levels, D3DFORMAT format);
