// The instancing command exports the drawing tests drive, declared for tests that link the
// plugin's code and call them directly.
#pragma once

extern "C" {
int __cdecl GeoInst_MakeNew();
int __cdecl GeoInst_Delete(int handle);
int __cdecl GeoInst_SetHidden(int handle, int flag);
int __cdecl GeoInst_SetCameraMask(int handle, int mask);
int __cdecl GeoInst_SetMesh(int handle, int object, int limb);
int __cdecl GeoInst_SetMaxInstanceCount(int handle, int count);
int __cdecl GeoInst_SetInstanceCount(int handle, int count);
int __cdecl GeoInst_SetExcluded(int handle, int n, int flag);
int __cdecl GeoInst_SetPosition(int handle, int n, float x, float y, float z);
int __cdecl GeoInst_SetScaleUniform(int handle, int n, float percent);
int __cdecl GeoInst_UpdateInstance(int handle, int n);
int __cdecl GeoInst_Update(int handle);
int __cdecl GeoInst_GetDrawCount(int handle);
int __cdecl GeoInst_SetRenderPriority(int handle, int priority);
int __cdecl GeoInst_SortRenderQueue();
int __cdecl GeoInst_Sync();
}
