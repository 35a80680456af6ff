// What a game maker installs: the DLL from the release archive.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "message_box_watcher.h"
#include "pe_image.h"
#include "plugin_loader.h"
#include "ref_host.h"

namespace {

struct TableRow {
    int id;
    const char* text;
};
const TableRow kRows[] = {
#include "command_rows.inc"
};

bool IsDebugSection(const std::string& name) { return name.rfind(".debug", 0) == 0 || name == ".stab" || name == ".stabstr"; }

TEST(ReleaseDll, CarriesNoDebugSectionsButNamesTheFileThatHasThem)
{
    const std::vector<std::string> shipped = SectionNamesOfFile(RYXO_RELEASE_DLL);
    ASSERT_FALSE(shipped.empty()) << "cannot read " << RYXO_RELEASE_DLL;
    for (const std::string& name : shipped)
        EXPECT_FALSE(IsDebugSection(name)) << "the released DLL carries " << name;
    EXPECT_NE(std::find(shipped.begin(), shipped.end(), ".gnu_debuglink"), shipped.end());

    const std::vector<std::string> kept = SectionNamesOfFile(RYXO_DEBUG_FILE);
    EXPECT_NE(std::find(kept.begin(), kept.end(), ".debug_info"), kept.end()) << "the debug file beside the build";
}

TEST(ReleaseDll, ImportsOnlySystemLibrariesAndLoadsInTheHostWithEveryRow)
{
    ASSERT_TRUE(refhost::Start());
    MessageBoxWatcher messages;
    refhost::LoadedPlugin plugin;
    std::string error;
    ASSERT_TRUE(refhost::LoadPlugin(RYXO_RELEASE_DLL, plugin, error)) << error;

    const std::set<std::string> allowed = {"kernel32.dll", "user32.dll", "msvcrt.dll", "d3d9.dll", "d3dx9_35.dll"};
    for (const std::string& dll : ImportedDlls(plugin.module))
        EXPECT_TRUE(allowed.count(dll)) << "the released DLL imports " << dll;

    // The table read back from the released DLL is the built one, row for row, every export present.
    std::vector<TableRow> rows(std::begin(kRows), std::end(kRows));
    std::sort(rows.begin(), rows.end(), [](const TableRow& a, const TableRow& b) { return a.id < b.id; });
    ASSERT_EQ(plugin.commands.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(plugin.commands[i].id, rows[i].id);
        EXPECT_EQ(plugin.commands[i].row, rows[i].text);
        EXPECT_NE(plugin.commands[i].function, nullptr) << "row " << rows[i].id << " has no export";
    }
    // It works: a query answers from the host's device.
    auto maxTargets = reinterpret_cast<int(__cdecl*)()>(reinterpret_cast<void*>(plugin.Export("MRT_MaxSimultaneousRTs")));
    ASSERT_NE(maxTargets, nullptr);
    EXPECT_GE(maxTargets(), 1);
    EXPECT_TRUE(messages.Take().empty());
    refhost::UnloadPlugin(plugin);
}

} // namespace
