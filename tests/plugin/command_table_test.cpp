// The command table as the host reads it: the RT_STRING resource parsed back from the built DLL.
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "pe_image.h"
#include "plugin_fixture.h"

namespace {

// Every row of the finished table, by id, exactly as the host must read it.
const std::map<int, std::string> kCompleteTable = {
    {1, "Poke Vec2%LFF%PokeVector2%"},
    {2, "Poke Vec3%LFFF%PokeVector3%"},
    {3, "Poke Vec4%LFFFF%PokeVector4%"},
    {4, "Poke Mat4%LFFFFFFFFFFFFFFFF%PokeMatrix4%"},
    {5, "SMesh_GetShaderPtr[%LL%SMesh_GetD3DXEffect%"},
    {6, "Object_GetShaderPtr[%LLL%Object_GetShaderPtr%"},
    {7, "Shader_GetParameterByName[%LLLS%Shader_GetParameterByName%"},
    {8, "Shader_GetParameterElement[%LLLL%Shader_GetParameterElement%"},
    {9, "Shader_GetParameterBySemantic[%LLLS%Shader_GetParameterBySemantic%"},
    {10, "Shader_GetValue%LLLL%Shader_GetValue%"},
    {11, "Shader_SetValue%LLLL%Shader_SetValue%"},
    {12, "Shader_GetBool%LLL%Shader_GetBool%"},
    {13, "Shader_SetBool%LLL%Shader_SetBool%"},
    {14, "Shader_GetBoolVal[%LLL%Shader_GetBoolVal%"},
    {15, "Shader_SetBoolVal%LLL%Shader_SetBoolVal%"},
    {16, "Shader_GetInt%LLL%Shader_GetInt%"},
    {17, "Shader_SetInt%LLL%Shader_SetInt%"},
    {18, "Shader_GetIntVal[%LLL%Shader_GetIntVal%"},
    {19, "Shader_SetIntVal%LLL%Shader_SetIntVal%"},
    {20, "Shader_GetFloat%LLL%Shader_GetFloat%"},
    {21, "Shader_SetFloat%LLL%Shader_SetFloat%"},
    {22, "Shader_GetFloatVal[%FLL%Shader_GetFloatVal%"},
    {23, "Shader_SetFloatVal%LLF%Shader_SetFloatVal%"},
    {24, "Shader_GetVector%LLL%Shader_GetVector%"},
    {25, "Shader_SetVector%LLL%Shader_SetVector%"},
    {26, "Shader_GetVectorVal%LL%Shader_GetVectorVal%"},
    {27, "Shader_SetVectorVal%LLFFFF%Shader_SetVectorVal%"},
    {28, "Shader_GetMatrix%LLL%Shader_GetMatrix%"},
    {29, "Shader_SetMatrix%LLL%Shader_SetMatrix%"},
    {30, "Shader_GetMatrixVal%LL%Shader_GetMatrixVal%"},
    {31, "Shader_SetMatrixVal%LLFFFFFFFFFFFFFFFF%Shader_SetMatrixVal%"},
    {32, "Shader_GetMatrixTranspose%LLL%Shader_GetMatrixTranspose%"},
    {33, "Shader_SetMatrixTranspose%LLL%Shader_SetMatrixTranspose%"},
    {34, "Shader_GetMatrixTransposeVal%LL%Shader_GetMatrixTransposeVal%"},
    {35, "Shader_SetMatrixTransposeVal%LLFFFFFFFFFFFFFFFF%Shader_SetMatrixTransposeVal%"},
    {36, "Shader_SetArrayRange%LLLL%Shader_SetArrayRange%"},
    {37, "Shader_GetBoolArray%LLLL%Shader_GetBoolArray%"},
    {38, "Shader_SetBoolArray%LLLL%Shader_SetBoolArray%"},
    {39, "Shader_GetIntArray%LLLL%Shader_GetIntArray%"},
    {40, "Shader_SetIntArray%LLLL%Shader_SetIntArray%"},
    {41, "Shader_GetFloatArray%LLLL%Shader_GetFloatArray%"},
    {42, "Shader_SetFloatArray%LLLL%Shader_SetFloatArray%"},
    {43, "Shader_GetVectorArray%LLLL%Shader_GetVectorArray%"},
    {44, "Shader_SetVectorArray%LLLL%Shader_SetVectorArray%"},
    {45, "Shader_GetMatrixArray%LLLL%Shader_GetMatrixArray%"},
    {46, "Shader_SetMatrixArray%LLLL%Shader_SetMatrixArray%"},
    {47, "Shader_GetMatrixTransposeArray%LLLL%Shader_GetMatrixTransposeArray%"},
    {48, "Shader_SetMatrixTransposeArray%LLLL%Shader_SetMatrixTransposeArray%"},
    {49, "Shader_GetMatrixPointerArray%LLLL%Shader_GetMatrixPointerArray%"},
    {50, "Shader_SetMatrixPointerArray%LLLL%Shader_SetMatrixPointerArray%"},
    {51, "Shader_GetMatrixTransposePointerArray%LLLL%Shader_GetMatrixTransposePointerArray%"},
    {52, "Shader_SetMatrixTransposePointerArray%LLLL%Shader_SetMatrixTransposePointerArray%"},
    {53, "Shader_Return[%FL%Shader_Return%"},
    {54, "Shader_GetTechniqueByName[%LLS%Shader_GetTechniqueByName%"},
    {55, "Shader_SetTechnique%LL%Shader_SetTechnique%"},
    {56, "Shader_GetCurrentTechnique[%LL%Shader_GetCurrentTechnique%"},
    {57, "Shader_SetTechniqueName%LS%Shader_SetTechniqueName%"},
    {58, "Shader_GetVectorPointerArray%LLLLL%Shader_GetVectorPointerArray%"},
    {59, "Shader_SetVectorPointerArray%LLLLL%Shader_SetVectorPointerArray%"},
    {101, "MRT_MaxSimultaneousRTs[%L%MRT_MaxSimultaneousRTs%"},
    {102, "MRT_IndependentBitDepths[%L%MRT_IndependentBitDepths%"},
    {103, "MRT_PostPixelShaderBlending[%L%MRT_PostPixelShaderBlending%"},
    {104, "MRT_PostPixelFormatSupport[%LL%MRT_PostPixelFormatSupport%"},
    {105, "MRT_Sync%LLLL%MRT_Sync%"},
    {106, "MRT_MakeRenderTarget%LLLL%MRT_MakeRenderTargetFormat%"},
    {107, "MRT_MakeRenderTarget%LLL%MRT_MakeRenderTarget%"},
    {201, "CubeTex_MakeNew[%LLL%CubeTex_MakeNew%"},
    {202, "CubeTex_MakeNew[%LLLL%CubeTex_MakeNewFormat%"},
    {203, "CubeTex_Delete%L%CubeTex_Delete%"},
    {204, "CubeTex_SetMipFilter%LL%CubeTex_SetMipFilter%"},
    {205, "CubeTex_ApplyObject%LLL%CubeTex_ApplyObject%"},
    {206, "CubeTex_ApplyLimb%LLLL%CubeTex_ApplyLimb%"},
    {207, "CubeTex_Save%LS%CubeTex_Save%"},
    {208, "CubeTex_DrawToFace%LL%CubeTex_DrawToFace%"},
    {209, "CubeTex_Sync%LL%CubeTex_Sync%"},
    {210, "CubeTex_SyncFaces%LLL%CubeTex_SyncFaces%"},
    {211, "CubeTex_CheckFormatSupport[%LL%CubeTex_CheckFormatSupport%"},
    {212, "CubeTex_SetPosition%LFFF%CubeTex_SetPosition%"},
    {213, "CubeTex_SetRange%LFF%CubeTex_SetRange%"},
    {214, "CubeTex_GetPositionX[%FL%CubeTex_GetPositionX%"},
    {215, "CubeTex_GetPositionY[%FL%CubeTex_GetPositionY%"},
    {216, "CubeTex_GetPositionZ[%FL%CubeTex_GetPositionZ%"},
    {217, "CubeTex_GetNear[%FL%CubeTex_GetNear%"},
    {218, "CubeTex_GetFar[%FL%CubeTex_GetFar%"},
    {219, "CubeTex_GetDrawCalls[%L%CubeTex_GetDrawCalls%"},
    {220, "CubeTex_GetDrawPrimitives[%L%CubeTex_GetDrawPrimitives%"},
    {221, "CubeTex_GetResolution[%LL%CubeTex_GetResolution%"},
    {222, "CubeTex_GetFormat[%LL%CubeTex_GetFormat%"},
    {223, "CubeTex_GetMipmapGeneration[%LL%CubeTex_GetMipmapGeneration%"},
    {224, "CubeTex_SyncMRT%LLLLL%CubeTex_SyncMRT%"},
    {225, "CubeTex_SyncFacesMRT%LLLLLL%CubeTex_SyncFacesMRT%"},
    {226, "CubeTex_GenerateMipSubLevels%L%CubeTex_GenerateMipSubLevels%"},
    {301, "GeoInst_MakeNew[%L%GeoInst_MakeNew%"},
    {302, "GeoInst_Delete%L%GeoInst_Delete%"},
    {303, "GeoInst_SetHidden%LL%GeoInst_SetHidden%"},
    {304, "GeoInst_GetHidden[%LL%GeoInst_GetHidden%"},
    {306, "GeoInst_SetCameraMask%LL%GeoInst_SetCameraMask%"},
    {307, "GeoInst_GetCameraMask[%LL%GeoInst_GetCameraMask%"},
    {308, "GeoInst_SetMesh%LLL%GeoInst_SetMesh%"},
    {309, "GeoInst_SetMaxInstanceCount%LL%GeoInst_SetMaxInstanceCount%"},
    {310, "GeoInst_GetMaxInstanceCount[%LL%GeoInst_GetMaxInstanceCount%"},
    {311, "GeoInst_SetInstanceCount%LL%GeoInst_SetInstanceCount%"},
    {312, "GeoInst_GetInstanceCount[%LL%GeoInst_GetInstanceCount%"},
    {313, "GeoInst_SetExcluded%LLL%GeoInst_SetExcluded%"},
    {314, "GeoInst_GetExcluded[%LLL%GeoInst_GetExcluded%"},
    {315, "GeoInst_SetPosition%LLFFF%GeoInst_SetPosition%"},
    {316, "GeoInst_GetPositionX[%FLL%GeoInst_GetPositionX%"},
    {317, "GeoInst_GetPositionY[%FLL%GeoInst_GetPositionY%"},
    {318, "GeoInst_GetPositionZ[%FLL%GeoInst_GetPositionZ%"},
    {319, "GeoInst_SetRotation%LLFFF%GeoInst_SetRotation%"},
    {320, "GeoInst_GetAngleX[%FLL%GeoInst_GetAngleX%"},
    {321, "GeoInst_GetAngleY[%FLL%GeoInst_GetAngleY%"},
    {322, "GeoInst_GetAngleZ[%FLL%GeoInst_GetAngleZ%"},
    {323, "GeoInst_SetScale%LLFFF%GeoInst_SetScale%"},
    {324, "GeoInst_GetScaleX[%FLL%GeoInst_GetScaleX%"},
    {325, "GeoInst_GetScaleY[%FLL%GeoInst_GetScaleY%"},
    {326, "GeoInst_GetScaleZ[%FLL%GeoInst_GetScaleZ%"},
    {327, "GeoInst_Update%L%GeoInst_Update%"},
    {328, "GeoInst_GetDrawCount[%LL%GeoInst_GetDrawCount%"},
    {329, "GeoInst_CheckDeviceSupport[%L%GeoInst_CheckDeviceSupport%"},
    {330, "GeoInst_GetMeshObject[%LL%GeoInst_GetMeshObject%"},
    {331, "GeoInst_GetMeshLimb[%LL%GeoInst_GetMeshLimb%"},
    {332, "GeoInst_DeclareCustomElements%LL%GeoInst_DeclareCustomElements%"},
    {333, "GeoInst_AddCustomElement%LL%GeoInst_AddCustomElement%"},
    {334, "GeoInst_FinishCustomElements%L%GeoInst_FinishCustomElements%"},
    {335, "GeoInst_DeleteCustomElements%L%GeoInst_DeleteCustomElements%"},
    {336, "GeoInst_SetCustomData%LLLFFFF%GeoInst_SetCustomData4%"},
    {337, "GeoInst_SetCustomData%LLLFFF%GeoInst_SetCustomData3%"},
    {338, "GeoInst_SetCustomData%LLLFF%GeoInst_SetCustomData2%"},
    {339, "GeoInst_SetCustomData%LLLF%GeoInst_SetCustomData1%"},
    {340, "GeoInst_GetCustomDataX[%FLLL%GeoInst_GetCustomDataX%"},
    {341, "GeoInst_GetCustomDataY[%FLLL%GeoInst_GetCustomDataY%"},
    {342, "GeoInst_GetCustomDataZ[%FLLL%GeoInst_GetCustomDataZ%"},
    {343, "GeoInst_GetCustomDataW[%FLLL%GeoInst_GetCustomDataW%"},
    {344, "GeoInst_GetWorldMatrixPtr[%LLL%GeoInst_GetWorldMatrixPtr%"},
    {345, "GeoInst_SetWorldMatrixPtr%LLL%GeoInst_SetWorldMatrixPtr%"},
    {346, "GeoInst_UpdateInstance%LL%GeoInst_UpdateInstance%"},
    {347, "GeoInst_GetDrawPrimitives[%LL%GeoInst_GetDrawPrimitives%"},
    {348, "GeoInst_GetCustomDataPtr[%LLLLL%GeoInst_GetCustomDataPtr%"},
    {349, "GeoInst_SetCustomDataPtr%LLLL%GeoInst_SetCustomDataPtr%"},
    {350, "GeoInst_SetScale%LLF%GeoInst_SetScaleUniform%"},
    {351, "GeoInst_SetRenderPriority%LL%GeoInst_SetRenderPriority%"},
    {352, "GeoInst_GetRenderPriority[%LL%GeoInst_GetRenderPriority%"},
    {353, "GeoInst_GetRenderIndex[%LL%GeoInst_GetRenderIndex%"},
    {354, "GeoInst_SortRenderQueue%0%GeoInst_SortRenderQueue%"},
    {400, "EfxCam_MakeNew%L%EfxCam_MakeNew%"},
    {401, "EfxCam_Delete%L%EfxCam_Delete%"},
    {402, "EfxCam_GetExist[%LL%EfxCam_GetExist%"},
    {403, "EfxCam_SetBackdropEnabled%LL%EfxCam_SetBackdropEnabled%"},
    {404, "EfxCam_SetBackdropColor%LL%EfxCam_SetBackdropColor%"},
    {405, "EfxCam_SetToImage%LLLLL%EfxCam_SetToImageFormat%"},
    {406, "EfxCam_SetToImage%LLLL%EfxCam_SetToImage%"},
    {407, "EfxCam_SetObject%LL%EfxCam_SetObject%"},
    {408, "EfxCam_SetAspect%LF%EfxCam_SetAspect%"},
    {409, "EfxCam_SetFOV%LF%EfxCam_SetFOV%"},
    {410, "EfxCam_SetRange%LFF%EfxCam_SetRange%"},
    {411, "EfxCam_SetPosition%LFFF%EfxCam_SetPosition%"},
    {412, "EfxCam_SetRotation%LFFF%EfxCam_SetRotation%"},
    {413, "EfxCam_SyncMask%L%EfxCam_SyncMask%"},
    {414, "EfxCam_Sync%0%EfxCam_Sync%"},
    {415, "EfxCam_SetView%LLLLL%EfxCam_SetView%"},
    {416, "EfxCam_SetMRTImage%LLL%EfxCam_SetMRTImage%"},
    {417, "EfxCam_SetMRTImage%LLLL%EfxCam_SetMRTImageFormat%"},
};

class CommandTableTest : public RyxoDllTest {};

// The whole table: 163 rows in exactly the bundles the host expects, byte for byte, each with an
// export of its own, and no command export beyond them. (The fixture's loader already refuses a
// malformed row and a row whose export the DLL lacks.)
TEST_F(CommandTableTest, TableIsCompleteWithEveryRowOfEveryFamily)
{
    ASSERT_EQ(kCompleteTable.size(), 163u);
    std::map<int, std::string> parsed;
    std::set<int> bundles;
    for (const auto& [id, row] : refhost::ReadStringTable(plugin_.module)) {
        parsed[id] = std::string(row.begin(), row.end());
        bundles.insert(id / 16 + 1);
    }
    EXPECT_EQ(parsed, kCompleteTable);
    EXPECT_EQ(bundles, (std::set<int>{1, 2, 3, 4, 7, 13, 14, 15, 19, 20, 21, 22, 23, 26, 27}));

    std::set<std::string> commandExports;
    for (const refhost::CommandEntry& entry : plugin_.commands)
        commandExports.insert(entry.exportName);
    EXPECT_EQ(commandExports.size(), 163u) << "every row names an export of its own";
    for (const std::string& name : ExportNames(plugin_.module)) {
        const bool protocol = name.rfind('?', 0) == 0;
        EXPECT_TRUE(protocol || name == "GeoInst_Sync" || commandExports.count(name)) << "stray export " << name;
    }
}

TEST(CommandRowShape, ParsesEveryForm)
{
    refhost::CommandEntry e;
    ASSERT_TRUE(refhost::ParseCommandRow(L"Poke Vec2%LFF%PokeVector2%", e));
    EXPECT_EQ(e.name, "Poke Vec2");
    EXPECT_FALSE(e.returnsValue);
    EXPECT_EQ(e.types, "LFF");
    EXPECT_EQ(e.exportName, "PokeVector2");

    ASSERT_TRUE(refhost::ParseCommandRow(L"Shader_GetFloatVal[%FLL%Shader_GetFloatVal%", e));
    EXPECT_TRUE(e.returnsValue);
    EXPECT_EQ(e.types, "FLL");

    ASSERT_TRUE(refhost::ParseCommandRow(L"GeoInst_SortRenderQueue%0%GeoInst_SortRenderQueue%", e));
    EXPECT_EQ(e.types, "0");

    EXPECT_FALSE(refhost::ParseCommandRow(L"NoTypes%%Export%", e));
    EXPECT_FALSE(refhost::ParseCommandRow(L"Bad%LX%Export%", e));
    EXPECT_FALSE(refhost::ParseCommandRow(L"Unterminated%L%Export", e));
    EXPECT_FALSE(refhost::ParseCommandRow(L"Result[%0%Export%", e));
}

} // namespace
