// The effect files the demo draws with: the ones in the source tree's effects/ folder, which the
// release archive packs as they are.
#pragma once

#include "ref_host.h"

// Loads effects/<file> as host effect `effect`; null, with the reason on stderr, when it cannot.
HostEffect* LoadDemoEffect(int effect, const char* file);
