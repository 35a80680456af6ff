// DBProImageDebug.dll: the engine's image functions, under the engine's decorated names.
#include "ref_host.h"

extern "C" {
void __cdecl Host_DeleteEx(int image) { refhost::DeleteImage(image); }
int __cdecl Host_GetExistEx(int image) { return refhost::GetImageExists(image); }
IDirect3DTexture9* __cdecl Host_GetPointer(int image) { return refhost::GetImagePointer(image); }
IDirect3DTexture9* __cdecl Host_MakeRenderTarget(int image, int width, int height, D3DFORMAT format)
{
    return refhost::MakeRenderTarget(image, width, height, format);
}
}
