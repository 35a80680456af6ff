// Which Direct3D 9 a test program runs on. The tests run on two: Wine's own (wined3d over OpenGL)
// and DXVK (over Vulkan), which tools/test.sh puts in a prefix of its own as a native d3d9.dll.
#pragma once

#include <string>

// True when the process's d3d9.dll is Wine's builtin one: its DOS stub says "Wine builtin DLL".
// Loads d3d9.dll when nothing has yet.
bool Direct3D9IsWines();

// The path of the process's d3d9.dll, as the loader found it.
std::string Direct3D9Path();
