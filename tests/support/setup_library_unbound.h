// A plugin loaded as on a host whose setup library lacks its display-mode function: the plugin's
// lookup of it fails, so every D3DDeviceLost empties the plugin's collections and releases the
// Direct3D objects they hold, as a host that resets its device needs.
#pragma once

#include <windows.h>

// Redirects `module`'s GetProcAddress so the display-mode function is never found. Pass it (or call
// it from) the hook refhost::LoadPlugin runs before the plugin starts.
void UnbindDisplayMode(HMODULE module);
