#include "setup_library_unbound.h"

#include <cstdint>
#include <cstring>

#include "import_redirect.h"

namespace {

FARPROC WINAPI GetProcAddressWithoutDisplayMode(HMODULE module, LPCSTR name)
{
    // Ordinals (values up to 0xFFFF) are no names.
    if (reinterpret_cast<uintptr_t>(name) > 0xFFFF && std::strcmp(name, "?ChangeDisplayMode@@YAXHHHH@Z") == 0)
        return nullptr;
    return GetProcAddress(module, name);
}

} // namespace

void UnbindDisplayMode(HMODULE module)
{
    RedirectImport(module, "kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&GetProcAddressWithoutDisplayMode));
}
