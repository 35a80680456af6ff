// Objects, cameras, images and rendering of the engine. (Filled in by the scene engine.)
#include "engine_state.h"

namespace refhost {

sObject* GetObjectRecord(int) { return nullptr; }
void DisableZDepth(int) {}
void DisableZRead(int) {}
void DisableZWrite(int) {}
void SetObjectEffect(int, int) {}
void SetTextureStage(int, int, int) {}
void TextureLimbStage(int, int, int, int) {}
int GetStatistic(int) { return 0; }
HostCameraData* GetCameraData(int) { return nullptr; }
void PointCamera(int, float, float, float) {}
void SetCameraAspect(int, float) {}
IDirect3DTexture9* MakeRenderTarget(int, int, int, D3DFORMAT) { return nullptr; }
IDirect3DTexture9* GetImagePointer(int) { return nullptr; }
int GetImageExists(int) { return 0; }
void DeleteImage(int) {}
void FastSync() {}

} // namespace refhost
