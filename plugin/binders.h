// The five host libraries the plugin depends on, each with the routine that binds its functions
// into the host function table.
#pragma once

#include <span>

#include "host_library.h"

// In dependency order, as GetDependencyID reports them.
std::span<const HostLibrary> HostLibraries();

inline constexpr const char* kFatalTitle = "Ryxo Plugin";
