// A player's machine without the DirectX 9 end-user runtime: d3dx9_35.dll is switched off for this
// process (CTest runs it with a Wine DLL override), and the released Ryxo.dll must then fail to
// load as a missing module, cleanly, as INSTALL.txt tells game makers. The program imports nothing
// of Direct3D itself, so it starts where Ryxo.dll cannot.
#include <windows.h>

#include <cstdio>

int main()
{
    if (HMODULE runtime = LoadLibraryA("d3dx9_35.dll")) {
        FreeLibrary(runtime);
        std::printf("FAILED: d3dx9_35.dll is present; the test must run without it\n");
        return 1;
    }
    HMODULE plugin = LoadLibraryA(RYXO_RELEASE_DLL);
    const DWORD error = plugin ? 0 : GetLastError();
    if (plugin) {
        FreeLibrary(plugin);
        std::printf("FAILED: Ryxo.dll loaded without d3dx9_35.dll\n");
        return 1;
    }
    if (error != ERROR_MOD_NOT_FOUND) {
        std::printf("FAILED: loading Ryxo.dll without d3dx9_35.dll failed with error %lu, expected %lu (module not found)\n",
                    error, static_cast<unsigned long>(ERROR_MOD_NOT_FOUND));
        return 1;
    }
    std::printf("passed: without d3dx9_35.dll, Ryxo.dll does not load (error %lu)\n", error);
    return 0;
}
