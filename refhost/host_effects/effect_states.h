// The render and sampler states an effect file's passes and sampler_state blocks may set, by their
// effect-file names (case-insensitive), with the value names each takes.
#pragma once

#include <optional>
#include <string>

#include <d3d9.h>

namespace refhost::effect {

// The value words one state takes (besides plain numbers).
enum class StateValues { Number, Bool, ZBuffer, Compare, Cull, Blend, BlendOp, Fill, Shade, StencilOp, Filter, Address };

struct StateName {
    DWORD state; // a D3DRENDERSTATETYPE or D3DSAMPLERSTATETYPE
    StateValues values;
};

std::optional<StateName> FindRenderState(const std::string& name);
std::optional<StateName> FindSamplerState(const std::string& name);

// The value of `word` for a state taking `values` (TRUE, LESSEQUAL, SRCALPHA, CLAMP, ...).
std::optional<DWORD> StateValue(StateValues values, const std::string& word);

} // namespace refhost::effect
