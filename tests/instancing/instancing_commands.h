// The instancing command exports, for unit tests that call them directly.
#pragma once

#include <bit>

#define INSTANCING_COMMAND extern "C" int __cdecl
INSTANCING_COMMAND GeoInst_MakeNew();
INSTANCING_COMMAND GeoInst_Delete(int);
INSTANCING_COMMAND GeoInst_SetHidden(int, int);
INSTANCING_COMMAND GeoInst_GetHidden(int);
INSTANCING_COMMAND GeoInst_SetCameraMask(int, int);
INSTANCING_COMMAND GeoInst_GetCameraMask(int);
INSTANCING_COMMAND GeoInst_SetMesh(int, int, int);
INSTANCING_COMMAND GeoInst_SetMaxInstanceCount(int, int);
INSTANCING_COMMAND GeoInst_GetMaxInstanceCount(int);
INSTANCING_COMMAND GeoInst_SetInstanceCount(int, int);
INSTANCING_COMMAND GeoInst_GetInstanceCount(int);
INSTANCING_COMMAND GeoInst_SetExcluded(int, int, int);
INSTANCING_COMMAND GeoInst_GetExcluded(int, int);
INSTANCING_COMMAND GeoInst_SetPosition(int, int, float, float, float);
INSTANCING_COMMAND GeoInst_GetPositionX(int, int);
INSTANCING_COMMAND GeoInst_GetPositionY(int, int);
INSTANCING_COMMAND GeoInst_GetPositionZ(int, int);
INSTANCING_COMMAND GeoInst_SetRotation(int, int, float, float, float);
INSTANCING_COMMAND GeoInst_GetAngleX(int, int);
INSTANCING_COMMAND GeoInst_GetAngleY(int, int);
INSTANCING_COMMAND GeoInst_GetAngleZ(int, int);
INSTANCING_COMMAND GeoInst_SetScale(int, int, float, float, float);
INSTANCING_COMMAND GeoInst_SetScaleUniform(int, int, float);
INSTANCING_COMMAND GeoInst_GetScaleX(int, int);
INSTANCING_COMMAND GeoInst_GetScaleY(int, int);
INSTANCING_COMMAND GeoInst_GetScaleZ(int, int);
INSTANCING_COMMAND GeoInst_Update(int);
INSTANCING_COMMAND GeoInst_GetDrawCount(int);
INSTANCING_COMMAND GeoInst_CheckDeviceSupport();
INSTANCING_COMMAND GeoInst_GetMeshObject(int);
INSTANCING_COMMAND GeoInst_GetMeshLimb(int);
INSTANCING_COMMAND GeoInst_DeclareCustomElements(int, int);
INSTANCING_COMMAND GeoInst_AddCustomElement(int, int);
INSTANCING_COMMAND GeoInst_FinishCustomElements(int);
INSTANCING_COMMAND GeoInst_DeleteCustomElements(int);
INSTANCING_COMMAND GeoInst_SetCustomData4(int, int, int, float, float, float, float);
INSTANCING_COMMAND GeoInst_SetCustomData3(int, int, int, float, float, float);
INSTANCING_COMMAND GeoInst_SetCustomData2(int, int, int, float, float);
INSTANCING_COMMAND GeoInst_SetCustomData1(int, int, int, float);
INSTANCING_COMMAND GeoInst_GetCustomDataX(int, int, int);
INSTANCING_COMMAND GeoInst_GetCustomDataY(int, int, int);
INSTANCING_COMMAND GeoInst_GetCustomDataZ(int, int, int);
INSTANCING_COMMAND GeoInst_GetCustomDataW(int, int, int);
INSTANCING_COMMAND GeoInst_GetWorldMatrixPtr(int, int);
INSTANCING_COMMAND GeoInst_SetWorldMatrixPtr(int, int, int);
INSTANCING_COMMAND GeoInst_UpdateInstance(int, int);
INSTANCING_COMMAND GeoInst_GetDrawPrimitives(int);
INSTANCING_COMMAND GeoInst_GetCustomDataPtr(int, int, int, int);
INSTANCING_COMMAND GeoInst_SetCustomDataPtr(int, int, int, int);
INSTANCING_COMMAND GeoInst_SetRenderPriority(int, int);
INSTANCING_COMMAND GeoInst_GetRenderPriority(int);
INSTANCING_COMMAND GeoInst_GetRenderIndex(int);
INSTANCING_COMMAND GeoInst_SortRenderQueue();
INSTANCING_COMMAND GeoInst_Sync();
#undef INSTANCING_COMMAND

inline float AsFloat(int result) { return std::bit_cast<float>(result); }
template <typename T>
int AddressOf(T* p) { return static_cast<int>(reinterpret_cast<uintptr_t>(p)); }
