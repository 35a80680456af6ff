// Writing a cube texture as a DDS cube map ourselves, for when D3DX cannot save cube textures:
// the standard header with the cube-map caps, then the six faces in D3DCUBEMAP_FACES order, each
// with every level of its chain, in the texture's own format, read back from the device.
#pragma once

#include <d3d9.h>

// True when the whole file was written. Nothing is left behind when the texture cannot be read
// back, its format has no DDS description here, or the file cannot be written.
bool WriteCubeDds(IDirect3DDevice9* device, IDirect3DCubeTexture9* texture, const char* fileName);
