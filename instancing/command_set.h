// How every GeoInst_ command finds its set: the handle must name a live set, otherwise the command
// is refused with a message instead of reading through a bad address.
#pragma once

#include "geo_inst_record.h"

// The message title of a refused command: the command's script name followed by " Error".
#define GEOINST_ERROR_TITLE(scriptName) scriptName " Error"

inline constexpr const char* kNoSuchSetText = "The Specified GeoInst Does Not Exist";

// The live set `handle` names, or null after showing (title, "The Specified GeoInst Does Not
// Exist").
GeoInstRecord* CommandSet(int handle, const char* title);
