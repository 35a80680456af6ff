#include "pe_image.h"

#include <algorithm>

namespace {

const IMAGE_NT_HEADERS32* NtHeaders(HMODULE module)
{
    auto base = reinterpret_cast<const BYTE*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
}

template <typename T>
const T* AtRva(HMODULE module, DWORD rva)
{
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + rva);
}

} // namespace

std::set<std::string> ExportNames(HMODULE module)
{
    std::set<std::string> names;
    const auto& dir = NtHeaders(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (!dir.VirtualAddress)
        return names;
    auto exports = AtRva<IMAGE_EXPORT_DIRECTORY>(module, dir.VirtualAddress);
    auto nameRvas = AtRva<DWORD>(module, exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        names.insert(AtRva<char>(module, nameRvas[i]));
    return names;
}

std::set<std::string> ImportedDlls(HMODULE module)
{
    std::set<std::string> dlls;
    const auto& dir = NtHeaders(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress)
        return dlls;
    for (auto d = AtRva<IMAGE_IMPORT_DESCRIPTOR>(module, dir.VirtualAddress); d->Name; ++d) {
        std::string name = AtRva<char>(module, d->Name);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        dlls.insert(name);
    }
    return dlls;
}

EntryPoint ModuleEntryPoint(HMODULE module)
{
    return AtRva<std::remove_pointer_t<EntryPoint>>(module, NtHeaders(module)->OptionalHeader.AddressOfEntryPoint);
}
