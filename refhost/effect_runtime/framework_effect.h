// Effects made by the D3DX effect framework itself: the description is written as a compiled
// effect and loaded with D3DXCreateEffect, so whoever holds the effect meets the framework's own
// ID3DXEffect, as under the engine.
#pragma once

#include <string>

#include "runtime_effect.h"

namespace refhost {

// The effect (reference count 1), or null with the reason in `error` when given.
REFHOST_API ID3DXEffect* CreateFrameworkEffect(IDirect3DDevice9* device, const EffectDescription& description,
                                               std::string* error = nullptr);

} // namespace refhost
