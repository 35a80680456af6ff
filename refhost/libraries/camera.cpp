// DBProCameraDebug.dll: the engine's camera functions, under the engine's decorated names.
#include "ref_host.h"

extern "C" {
void __cdecl Host_Point(int camera, float x, float y, float z) { refhost::PointCamera(camera, x, y, z); }
void __cdecl Host_SetAspect(int camera, float aspect) { refhost::SetCameraAspect(camera, aspect); }
void* __cdecl Host_GetInternalData(int camera) { return refhost::GetCameraData(camera); }
}
