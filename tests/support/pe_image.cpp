#include "pe_image.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

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

std::vector<std::string> SectionNamesOfFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto fits = [&](size_t offset, size_t size) { return offset + size <= file.size(); };
    IMAGE_DOS_HEADER dos{};
    if (!fits(0, sizeof dos))
        return {};
    std::memcpy(&dos, file.data(), sizeof dos);
    IMAGE_FILE_HEADER header{};
    const size_t headerAt = static_cast<size_t>(dos.e_lfanew) + sizeof(DWORD);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || !fits(headerAt, sizeof header))
        return {};
    std::memcpy(&header, file.data() + headerAt, sizeof header);
    const size_t sectionsAt = headerAt + sizeof header + header.SizeOfOptionalHeader;
    const size_t stringTable = header.PointerToSymbolTable + static_cast<size_t>(header.NumberOfSymbols) * 18;
    std::vector<std::string> names;
    for (WORD i = 0; i < header.NumberOfSections; ++i) {
        IMAGE_SECTION_HEADER section{};
        if (!fits(sectionsAt + i * sizeof section, sizeof section))
            return {};
        std::memcpy(&section, file.data() + sectionsAt + i * sizeof section, sizeof section);
        std::string name(reinterpret_cast<const char*>(section.Name), strnlen(reinterpret_cast<const char*>(section.Name), 8));
        // "/123": the name lies at that offset in the string table.
        if (name.size() > 1 && name[0] == '/' && header.PointerToSymbolTable) {
            const size_t at = stringTable + std::stoul(name.substr(1));
            if (fits(at, 1))
                name = std::string(file.data() + at, strnlen(file.data() + at, file.size() - at));
        }
        names.push_back(name);
    }
    return names;
}
