// Points one entry of a loaded module's import table at another function, so a test can stand
// between a DLL and a system function it calls (a message box that must not block, a lookup that
// must fail) without changing the DLL.
#pragma once

#include <windows.h>

// Replaces `function` of `dll` (case-insensitive) in `module`'s import table with `replacement` and
// returns what the entry held before; null when the module does not import that function.
void* RedirectImport(HMODULE module, const char* dll, const char* function, void* replacement);
