#include "argument_kinds.h"

#include <set>

namespace {

bool Starts(const std::string& name, const char* prefix) { return name.rfind(prefix, 0) == 0; }

// Effect methods that read or write a value at a script address given after the handle.
const std::set<std::string> kAddressAfterHandle = {
    "Shader_GetValue", "Shader_SetValue", "Shader_GetBool", "Shader_GetInt", "Shader_GetFloat",
    "Shader_GetVector", "Shader_SetVector", "Shader_GetMatrix", "Shader_SetMatrix",
    "Shader_GetMatrixTranspose", "Shader_SetMatrixTranspose",
    "Shader_GetBoolArray", "Shader_SetBoolArray", "Shader_GetIntArray", "Shader_SetIntArray",
    "Shader_GetFloatArray", "Shader_SetFloatArray", "Shader_GetVectorArray", "Shader_SetVectorArray",
    "Shader_GetMatrixArray", "Shader_SetMatrixArray", "Shader_GetMatrixTransposeArray",
    "Shader_SetMatrixTransposeArray",
};

const std::set<std::string> kAddressListAfterHandle = {
    "Shader_GetMatrixPointerArray", "Shader_SetMatrixPointerArray", "Shader_GetMatrixTransposePointerArray",
    "Shader_SetMatrixTransposePointerArray", "Shader_GetVectorPointerArray", "Shader_SetVectorPointerArray",
};

ArgumentKind EffectCommandKind(const std::string& name, int index)
{
    if (name == "Shader_Return")
        return ArgumentKind::Integer;
    if (index == 0)
        return ArgumentKind::Effect;
    if (index == 1)
        return name == "Shader_GetTechniqueByName" || name == "Shader_SetTechniqueName" ? ArgumentKind::Text
                                                                                          : ArgumentKind::EffectHandle;
    if (index == 2 && kAddressAfterHandle.count(name))
        return Starts(name, "Shader_Set") ? ArgumentKind::ZeroedAddress : ArgumentKind::Address;
    if (index == 2 && kAddressListAfterHandle.count(name))
        return ArgumentKind::AddressList;
    return ArgumentKind::Integer;
}

ArgumentKind InstancingKind(const std::string& name, int index)
{
    if (index == 0)
        return ArgumentKind::InstanceSet;
    if (name == "GeoInst_SetMesh" && index == 1)
        return ArgumentKind::HostObject;
    if ((name == "GeoInst_SetWorldMatrixPtr" && index == 2) || (name == "GeoInst_SetCustomDataPtr" && index == 3))
        return ArgumentKind::Address;
    return ArgumentKind::Integer;
}

ArgumentKind EffectCameraKind(const std::string& name, int index)
{
    if (name == "EfxCam_SyncMask")
        return ArgumentKind::Integer;
    if (index == 0)
        return ArgumentKind::EffectCamera;
    if (name == "EfxCam_SetObject" && index == 1)
        return ArgumentKind::HostObject;
    if ((name == "EfxCam_SetToImage" || name == "EfxCam_SetToImageFormat") && index == 1)
        return ArgumentKind::HostImage;
    if ((name == "EfxCam_SetMRTImage" || name == "EfxCam_SetMRTImageFormat") && index == 2)
        return ArgumentKind::HostImage;
    return ArgumentKind::Integer;
}

ArgumentKind CubeTextureKind(const std::string& name, int index)
{
    if (name == "CubeTex_MakeNew" || name == "CubeTex_MakeNewFormat" || name == "CubeTex_CheckFormatSupport")
        return ArgumentKind::Integer;
    if ((name == "CubeTex_ApplyObject" || name == "CubeTex_ApplyLimb") && index == 1)
        return ArgumentKind::HostObject;
    if (index == 0 || ((name == "CubeTex_SyncMRT" || name == "CubeTex_SyncFacesMRT") && index <= 3))
        return ArgumentKind::CubeTexture;
    return ArgumentKind::Integer;
}

} // namespace

ArgumentKind KindOf(const std::string& exportName, int index, char letter)
{
    if (letter == 'F')
        return ArgumentKind::Float;
    if (letter == 'S')
        return exportName == "CubeTex_Save" ? ArgumentKind::SavePath : ArgumentKind::Text;
    if (Starts(exportName, "Poke"))
        return index == 0 ? ArgumentKind::Address : ArgumentKind::Integer;
    if (exportName == "SMesh_GetD3DXEffect")
        return ArgumentKind::MeshAddress;
    if (exportName == "Object_GetShaderPtr")
        return index == 0 ? ArgumentKind::HostObject : ArgumentKind::Integer;
    if (Starts(exportName, "Shader_"))
        return EffectCommandKind(exportName, index);
    if (Starts(exportName, "GeoInst_"))
        return InstancingKind(exportName, index);
    if (Starts(exportName, "EfxCam_"))
        return EffectCameraKind(exportName, index);
    if (Starts(exportName, "CubeTex_"))
        return CubeTextureKind(exportName, index);
    if (exportName == "MRT_Sync")
        return index == 0 ? ArgumentKind::Integer : ArgumentKind::HostImage;
    if (Starts(exportName, "MRT_MakeRenderTarget"))
        return index == 0 ? ArgumentKind::HostImage : ArgumentKind::Integer;
    return ArgumentKind::Integer;
}
