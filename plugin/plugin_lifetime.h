// The plugin's start-up and unload: the plugin-wide state made afresh with the host libraries to
// bind, and every family started or torn down in the order of the families table.
#pragma once

#include <windows.h>

void StartUp(HINSTANCE instance);
void TearDown(bool processTerminating);
