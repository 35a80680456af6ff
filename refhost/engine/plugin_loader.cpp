#include "plugin_loader.h"

namespace refhost {

FARPROC LoadedPlugin::Export(const char* exportName) const
{
    return module ? GetProcAddress(module, exportName) : nullptr;
}

bool ParseCommandRow(const std::wstring& row, CommandEntry& entry)
{
    std::string text;
    for (wchar_t c : row) {
        if (c < 0x20 || c > 0x7e)
            return false; // rows are printable ASCII
        text.push_back(static_cast<char>(c));
    }
    size_t p1 = text.find('%');
    if (p1 == std::string::npos || p1 == 0)
        return false;
    size_t p2 = text.find('%', p1 + 1);
    if (p2 == std::string::npos)
        return false;
    size_t p3 = text.find('%', p2 + 1);
    if (p3 == std::string::npos || p3 + 1 != text.size())
        return false;

    entry.row = text;
    entry.name = text.substr(0, p1);
    entry.returnsValue = !entry.name.empty() && entry.name.back() == '[';
    if (entry.returnsValue)
        entry.name.pop_back();
    entry.types = text.substr(p1 + 1, p2 - p1 - 1);
    entry.exportName = text.substr(p2 + 1, p3 - p2 - 1);
    if (entry.name.empty() || entry.types.empty() || entry.exportName.empty())
        return false;
    if (entry.types == "0")
        return !entry.returnsValue;
    for (char t : entry.types)
        if (t != 'L' && t != 'F' && t != 'S')
            return false;
    return true;
}

std::vector<std::pair<int, std::wstring>> ReadStringTable(HMODULE module)
{
    std::vector<std::pair<int, std::wstring>> strings;
    // Bundle n holds ids 16(n-1) to 16(n-1)+15; 4096 bundles cover every 16-bit id.
    for (int bundle = 1; bundle <= 4096; ++bundle) {
        HRSRC info = FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_STRING),
                                     MAKEINTRESOURCEW(bundle), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        if (!info)
            continue;
        HGLOBAL data = LoadResource(module, info);
        DWORD size = SizeofResource(module, info);
        auto* p = static_cast<const WCHAR*>(LockResource(data));
        auto* end = p + size / sizeof(WCHAR);
        for (int i = 0; i < 16 && p < end; ++i) {
            WORD count = *p++;
            if (count > end - p)
                break;
            if (count)
                strings.emplace_back(16 * (bundle - 1) + i, std::wstring(p, p + count));
            p += count;
        }
    }
    return strings;
}

bool LoadPlugin(const char* path, LoadedPlugin& plugin, std::string& error)
{
    return LoadPlugin(path, plugin, error, nullptr);
}

bool LoadPlugin(const char* path, LoadedPlugin& plugin, std::string& error, void (*prepare)(HMODULE))
{
    plugin = LoadedPlugin{};
    plugin.module = LoadLibraryA(path);
    if (!plugin.module) {
        error = std::string("cannot load ") + path;
        return false;
    }

    for (const auto& [id, row] : ReadStringTable(plugin.module)) {
        CommandEntry entry;
        if (!ParseCommandRow(row, entry)) {
            error = "malformed command row " + std::to_string(id);
            return false;
        }
        entry.id = id;
        entry.function = GetProcAddress(plugin.module, entry.exportName.c_str());
        if (!entry.function) {
            error = "command row " + std::to_string(id) + " names a missing export " + entry.exportName;
            return false;
        }
        plugin.commands.push_back(entry);
    }

    if (prepare)
        prepare(plugin.module);

    using CountFn = int(__cdecl*)();
    using NameFn = const char*(__cdecl*)(int);
    using ReceiveFn = void(__cdecl*)(void*);
    auto count = reinterpret_cast<CountFn>(reinterpret_cast<void*>(plugin.Export("?GetNumDependencies@@YAHXZ")));
    auto name = reinterpret_cast<NameFn>(reinterpret_cast<void*>(plugin.Export("?GetDependencyID@@YAPBDH@Z")));
    auto receive = reinterpret_cast<ReceiveFn>(reinterpret_cast<void*>(plugin.Export("?ReceiveCoreDataPtr@@YAXPAX@Z")));
    if (count && name) {
        int n = count();
        for (int i = 0; i < n; ++i) {
            plugin.dependencies.emplace_back(name(i));
            // The engine makes sure every library a plugin depends on is loaded before binding.
            LoadLibraryA(plugin.dependencies.back().c_str());
        }
    }
    if (receive)
        receive(CoreData());
    return true;
}

void UnloadPlugin(LoadedPlugin& plugin)
{
    if (plugin.module) {
        // The render list must not keep calling into a library that is gone.
        RemoveRenderCallbacksOf(plugin.module);
        FreeLibrary(plugin.module);
    }
    plugin = LoadedPlugin{};
}

} // namespace refhost
