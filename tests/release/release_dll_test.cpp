// What a game maker installs: the DLL from the release archive.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
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

    // What INSTALL.txt tells game makers their players need: Windows and the DirectX 9 runtime's
    // d3dx9_35.dll. Direct3D itself comes through the engine's device.
    const std::set<std::string> seen = ImportedDlls(plugin.module);
    const std::set<std::string> expected = {"kernel32.dll", "user32.dll", "msvcrt.dll", "d3dx9_35.dll"};
    EXPECT_EQ(seen, expected);

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
    auto maxTargets = refhost::ExportAs<int(__cdecl*)()>(plugin, "MRT_MaxSimultaneousRTs");
    ASSERT_NE(maxTargets, nullptr);
    EXPECT_GE(maxTargets(), 1);
    EXPECT_THAT(messages.Take(), testing::IsEmpty());
    refhost::UnloadPlugin(plugin);
}

std::filesystem::path ArchiveFolder() { return std::filesystem::path(RYXO_RELEASE_DLL).parent_path(); }

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ReleaseArchive, EveryTextFileEndsItsLinesWithCarriageReturnAndLineFeed)
{
    const std::set<std::string> textKinds = {".txt", ".html", ".css", ".js", ".fx"};
    std::vector<std::string> checked;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ArchiveFolder())) {
        if (!entry.is_regular_file() || !textKinds.count(entry.path().extension().string()))
            continue;
        const std::string text = ReadFile(entry.path());
        size_t bareLineFeeds = 0;
        for (size_t i = 0; i < text.size(); ++i)
            bareLineFeeds += text[i] == '\n' && (i == 0 || text[i - 1] != '\r');
        EXPECT_NE(text.find("\r\n"), std::string::npos) << entry.path() << " has no line end at all";
        EXPECT_EQ(bareLineFeeds, 0u) << entry.path() << " has lines ending in a bare line feed";
        checked.push_back(entry.path().filename().string());
    }
    for (const char* expected : {"INSTALL.txt", "ryxo_keywords.txt", "index.html", "style.css", "GeoInst_SetMesh.html",
                                 "instancing_field.fx", "shader_cubes.fx", "camera_object.fx", "mirror_ball.fx",
                                 "three_outputs.fx"})
        EXPECT_NE(std::find(checked.begin(), checked.end(), expected), checked.end()) << expected << " was not checked";
}

TEST(ReleaseArchive, InstallTextTakesTheGameMakerThroughTheStepsInOrder)
{
    const std::string text = ReadFile(ArchiveFolder() / "INSTALL.txt");
    const char* steps[] = {"1. Where Ryxo.dll goes", "2. What your players need: d3dx9_35.dll",
                           "3. Where the keyword file goes", "4. Where the effect files go",
                           "vertex shader 3.0 and pixel shader 3.0", "5. How to open the reference",
                           "reference\\index.html", "6. How to check the installation", "reference\\loading.html"};
    size_t from = 0;
    for (const char* step : steps) {
        const size_t at = text.find(step, from);
        EXPECT_NE(at, std::string::npos) << "INSTALL.txt lacks \"" << step << "\" after offset " << from;
        if (at != std::string::npos)
            from = at;
    }
    for (const auto& effect : std::filesystem::directory_iterator(ArchiveFolder() / "effects"))
        EXPECT_NE(text.find(effect.path().filename().string()), std::string::npos)
            << "INSTALL.txt does not list " << effect.path().filename();
}

} // namespace
