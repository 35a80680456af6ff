// The command table as the host reads it: the RT_STRING resource parsed back from the built DLL.
#include <map>

#include <gtest/gtest.h>

#include "pe_image.h"
#include "plugin_fixture.h"

namespace {

// The rows the table is generated from: (id, row).
const std::map<int, std::string> kSourceRows = {
#include "command_rows.inc"
};

class CommandTableTest : public RyxoDllTest {};

TEST_F(CommandTableTest, ResourceHoldsExactlyTheSourceRows)
{
    auto strings = refhost::ReadStringTable(plugin_.module);
    std::map<int, std::string> parsed;
    for (const auto& [id, row] : strings) {
        refhost::CommandEntry entry;
        ASSERT_TRUE(refhost::ParseCommandRow(row, entry)) << "row " << id << " is malformed";
        parsed[id] = entry.row;
    }
    EXPECT_EQ(parsed, kSourceRows);
}

TEST_F(CommandTableTest, IdsLieInTheFamilyRanges)
{
    for (const auto& [id, row] : kSourceRows) {
        bool inRange = (id >= 1 && id <= 59) || (id >= 101 && id <= 107) || (id >= 201 && id <= 226) ||
                       (id >= 301 && id <= 354 && id != 305) || (id >= 400 && id <= 417);
        EXPECT_TRUE(inRange) << "id " << id << " (" << row << ") is outside every family's range";
    }
}

TEST_F(CommandTableTest, RowsAndExportsNameEachOther)
{
    std::set<std::string> exports = ExportNames(plugin_.module);
    std::set<std::string> named;
    for (const refhost::CommandEntry& entry : plugin_.commands) {
        EXPECT_TRUE(exports.count(entry.exportName)) << entry.row;
        named.insert(entry.exportName);
    }
    for (const std::string& name : exports) {
        bool protocol = name.find('?') == 0;
        if (protocol || name == "GeoInst_Sync")
            continue;
        EXPECT_TRUE(named.count(name)) << "export " << name << " is named by no command row";
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
