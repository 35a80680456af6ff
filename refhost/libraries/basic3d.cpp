// DBProBasic3DDebug.dll: the engine's object functions, under the engine's decorated names.
#include "ref_host.h"

extern "C" {
void __cdecl Host_DisableZDepth(int object) { refhost::DisableZDepth(object); }
void __cdecl Host_DisableZRead(int object) { refhost::DisableZRead(object); }
void __cdecl Host_DisableZWrite(int object) { refhost::DisableZWrite(object); }
void __cdecl Host_SetObjectEffect(int object, int effect) { refhost::SetObjectEffect(object, effect); }
int __cdecl Host_GetStatistic(int code) { return refhost::GetStatisticForPlugin(code); }
void __cdecl Host_TextureLimbStage(int object, int limb, int stage, int image)
{
    refhost::TextureLimbStage(object, limb, stage, image);
}
void __cdecl Host_SetTextureStage(int object, int stage, int image) { refhost::SetTextureStage(object, stage, image); }
sObject* __cdecl Host_GetObject(int object) { return refhost::GetObjectRecord(object); }
}
