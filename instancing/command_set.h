// How every GeoInst_ command finds its set: the handle must name a live set, otherwise the command
// is refused with a message instead of reading through a bad address.
#pragma once

#include "geo_inst_record.h"
#include "render_queue.h"

// The message title of a refused command: the command's script name followed by " Error".
#define GEOINST_ERROR_TITLE(scriptName) scriptName " Error"

inline constexpr const char* kNoSuchSetText = "The Specified GeoInst Does Not Exist";

// Shows (title, "The Specified GeoInst Does Not Exist").
void ShowNoSuchSet(const char* title);

// The live set `handle` names, or null after showing (title, "The Specified GeoInst Does Not
// Exist"). Inline: per-instance commands run tens of thousands of times a frame.
inline GeoInstRecord* CommandSet(int handle, const char* title)
{
    GeoInstRecord* set = FindInstanceSet(handle);
    if (!set)
        ShowNoSuchSet(title);
    return set;
}
