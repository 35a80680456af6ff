// DBProCore.dll: the engine's frame functions and render list, under the engine's decorated names.
#include "ref_host.h"

extern "C" {
void __cdecl Host_FastSync() { refhost::FastSync(); }
void __cdecl Host_SyncMask(DWORD mask) { refhost::SetSyncMask(mask); }
void __cdecl Host_AddToRenderList(void* callback, int order) { refhost::AddToRenderList(callback, order); }
void __cdecl Host_RemoveFromRenderList(void* callback) { refhost::RemoveFromRenderList(callback); }
}
