// The effect family's rows as the host reads them from the built DLL: ids 1 to 59 without gaps,
// each bound to an export, and the rows whose shape is easiest to get wrong, letter for letter.
#include <map>

#include "plugin_fixture.h"

namespace {

class EffectRowsTest : public RyxoDllTest {};

TEST_F(EffectRowsTest, IdsOneToFiftyNineEachNameAnExport)
{
    std::map<int, const refhost::CommandEntry*> effectRows;
    for (const refhost::CommandEntry& entry : plugin_.commands)
        if (entry.id >= 1 && entry.id <= 100)
            effectRows[entry.id] = &entry;
    ASSERT_EQ(effectRows.size(), 59u);
    EXPECT_EQ(effectRows.begin()->first, 1);
    EXPECT_EQ(effectRows.rbegin()->first, 59);
    for (const auto& [id, entry] : effectRows)
        EXPECT_NE(entry->function, nullptr) << "row " << id << " names the missing export " << entry->exportName;

    const std::map<int, std::string> telling = {
        {5, "SMesh_GetShaderPtr[%LL%SMesh_GetD3DXEffect%"},
        {22, "Shader_GetFloatVal[%FLL%Shader_GetFloatVal%"},
        {31, "Shader_SetMatrixVal%LLFFFFFFFFFFFFFFFF%Shader_SetMatrixVal%"},
        {53, "Shader_Return[%FL%Shader_Return%"},
        {54, "Shader_GetTechniqueByName[%LLS%Shader_GetTechniqueByName%"},
    };
    for (const auto& [id, row] : telling)
        EXPECT_EQ(effectRows[id]->row, row) << "row " << id;
}

} // namespace
