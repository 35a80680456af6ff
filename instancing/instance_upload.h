// Packing the drawn instances into the instance buffer.
#pragma once

#include <cstdint>

#include "geo_inst_record.h"

// Copies the instance vertices of the non-excluded instances among 1 to `count`, in number order,
// packed from `destination`, each run of consecutive drawn instances as one block. Never writes
// more than `capacityBytes`. Returns the number of instances copied.
int PackDrawnInstances(const GeoInstRecord& set, int count, std::byte* destination, uint32_t capacityBytes);

// How many instances an upload may consider: the instance count, cut to what the instance data
// and the instance buffer hold at the current stride.
int UploadableInstances(const GeoInstRecord& set);
