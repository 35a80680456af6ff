// Reads the export and import tables of a loaded module from its mapped PE headers.
#pragma once

#include <set>
#include <string>
#include <vector>

#include <windows.h>

// The section names of a PE file on disk, long names (such as ".debug_info", kept in the COFF
// string table) resolved; empty when the file cannot be read as a PE image.
std::vector<std::string> SectionNamesOfFile(const char* path);

// Every export name of the module.
std::set<std::string> ExportNames(HMODULE module);
// The DLL names the module imports from, in lower case.
std::set<std::string> ImportedDlls(HMODULE module);
// The module's entry point (the loader calls it with the reason codes).
using EntryPoint = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
EntryPoint ModuleEntryPoint(HMODULE module);
