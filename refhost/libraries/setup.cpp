// DBProSetupDebug.dll: the engine's display functions, under the engine's decorated names.
#include "ref_host.h"

extern "C" {
IDirect3D9* __cdecl Host_GetDirect3D() { return refhost::Direct3D(); }
IDirect3DDevice9* __cdecl Host_GetDirect3DDevice() { return refhost::Device(); }
// The reference host keeps one display mode; plugins only test that this function is bound.
void __cdecl Host_ChangeDisplayMode(int, int, int, int) {}
}
