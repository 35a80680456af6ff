#include "direct3d9_implementation.h"

#include <cstring>

#include <windows.h>

namespace {

HMODULE Direct3D9Module()
{
    HMODULE module = GetModuleHandleA("d3d9.dll");
    return module ? module : LoadLibraryA("d3d9.dll");
}

} // namespace

bool Direct3D9IsWines()
{
    // Wine writes this text where a DOS stub's message would be, at 0x40 into every PE file it builds.
    static constexpr char kWineBuiltin[] = "Wine builtin DLL";
    const auto* image = reinterpret_cast<const char*>(Direct3D9Module());
    return image && std::memcmp(image + 0x40, kWineBuiltin, sizeof kWineBuiltin - 1) == 0;
}

std::string Direct3D9Path()
{
    char path[MAX_PATH] = {};
    HMODULE module = Direct3D9Module();
    return module && GetModuleFileNameA(module, path, sizeof path) ? path : "";
}
