#include <windows.h>

#include "plugin_lifetime.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        StartUp(instance);
        break;
    case DLL_PROCESS_DETACH:
        TearDown(reserved != nullptr);
        break;
    default:
        break;
    }
    return TRUE;
}
