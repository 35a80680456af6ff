// Loads a plugin DLL the way the engine does: LoadLibrary, the command table from the plugin's
// string-table resource, the dependency queries, then ReceiveCoreDataPtr with the core data.
#pragma once

#include <string>
#include <vector>

#include "ref_host.h"

namespace refhost {

// One row of a plugin's command table, parsed: "Name[%types%Export%".
struct CommandEntry {
    int id = 0;
    std::string row;
    std::string name;         // as scripts write it
    bool returnsValue = false;
    std::string types;        // with a result, the first letter is its type
    std::string exportName;
    FARPROC function = nullptr;
};

struct REFHOST_API LoadedPlugin {
    HMODULE module = nullptr;
    std::vector<CommandEntry> commands;
    std::vector<std::string> dependencies; // as GetDependencyID reported them

    // The export named `exportName`, or null.
    FARPROC Export(const char* exportName) const;
};

// Export `exportName` of `module` as a function of type `Function` (say int(__cdecl*)(int, float)),
// or null when there is none.
template <typename Function>
Function ExportAs(HMODULE module, const char* exportName)
{
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, exportName))) : nullptr;
}

template <typename Function>
Function ExportAs(const LoadedPlugin& plugin, const char* exportName)
{
    return ExportAs<Function>(plugin.module, exportName);
}

// Splits a command row; false when it does not have the command-row shape.
REFHOST_API bool ParseCommandRow(const std::wstring& row, CommandEntry& entry);

// Every string of a module's RT_STRING table (language 1033), read back bundle by bundle as counted
// UTF-16 strings, with its id. Empty strings are left out.
REFHOST_API std::vector<std::pair<int, std::wstring>> ReadStringTable(HMODULE module);

// Loads the plugin at `path` and hands it the core data. Start() must have run. On failure
// returns false and says why in `error`.
REFHOST_API bool LoadPlugin(const char* path, LoadedPlugin& plugin, std::string& error);
// The same, running `prepare` on the loaded module before the dependency queries and the core data
// (tests use it to stand between the plugin and the system functions it imports).
REFHOST_API bool LoadPlugin(const char* path, LoadedPlugin& plugin, std::string& error, void (*prepare)(HMODULE));
REFHOST_API void UnloadPlugin(LoadedPlugin& plugin);

} // namespace refhost
