// How the reference host makes an effect from a description: written as a compiled effect and
// loaded with D3DXCreateEffect, so whoever holds it meets the framework's own ID3DXEffect, as under
// the engine.
#pragma once

#include <string>

#include "effect_description.h"
#include "ref_host.h"

namespace refhost {

// The effect (reference count 1), or null with the reason in `error` when given: no device, a
// shader that does not compile, a description the writer refuses (a nameless or duplicate
// parameter, a sampler of an undeclared texture) or a binary the framework refuses.
ID3DXEffect* CreateDescribedEffect(IDirect3DDevice9* device, const EffectDescription& description,
                                   std::string* error = nullptr);

// Makes the effect on the host's real device and keeps it as host effect `effectNumber` (see
// AddEffect; the record holds the only reference). The record, or null with the reason in `error`.
HostEffect* AddDescribedEffect(int effectNumber, const EffectDescription& description,
                                std::string* error = nullptr);

} // namespace refhost
