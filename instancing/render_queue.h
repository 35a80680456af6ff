// The render queue: every live instance set, in drawing order. New sets are appended at the end;
// only SortRenderQueueByPriority reorders them. A set's handle is the address of its record, which
// stays put for the set's whole life (sorting relinks, it never moves a record).
#pragma once

#include <cstdint>
#include <list>

#include "geo_inst_record.h"

using InstanceSetList = std::list<GeoInstRecord>;

// The live sets in drawing order.
const InstanceSetList& LiveInstanceSets();

// The last set found: scripts call per-instance commands on one set many times in a row, and
// this check, inline in every command, is most of their lookups.
struct LastFoundSet {
    uintptr_t address = 0;
    GeoInstRecord* set = nullptr;
};
inline LastFoundSet lastFoundSet;

// FindInstanceSet beyond the last set found: one hash lookup.
GeoInstRecord* LookUpInstanceSet(int handle);

// The live set a script handle names, or null when the handle is not a live set (never made,
// deleted, cleared by a device loss, or any other value). Never reads through the handle.
inline GeoInstRecord* FindInstanceSet(int handle)
{
    if (static_cast<uint32_t>(handle) == lastFoundSet.address && lastFoundSet.set)
        return lastFoundSet.set;
    return LookUpInstanceSet(handle);
}

int HandleOf(const GeoInstRecord& set);

// Appends a new set with the defaults of a fresh record and returns it. Throws std::bad_alloc,
// with the queue unchanged, when there is no memory for it.
GeoInstRecord& AppendInstanceSet();

// Unlinks the set and frees its record. The caller has already released what the record holds.
void RemoveInstanceSet(GeoInstRecord& set);

// Position of the set in the queue, 0 = drawn first.
int RenderIndexOf(const GeoInstRecord& set);

// Stable sort by render priority, largest first; equal priorities keep their order.
void SortRenderQueueByPriority();

// Releases the Direct3D objects the set holds and frees its heap blocks, clearing each field.
void ReleaseInstanceSetResources(GeoInstRecord& set);

// After a lost device: releases every set's Direct3D objects and heap blocks, then empties the
// queue. Every handle becomes invalid.
void ReleaseAllInstanceSets();

// At start-up and unload: frees the heap blocks and records without touching any Direct3D object
// (the device may be gone), and clears the render-list flag.
void ForgetAllInstanceSets();

// The render-list flag: set once GeoInst_Sync is registered with the host; cleared only by
// ForgetAllInstanceSets (a fresh plugin).
bool RenderListRegistered();
void MarkRenderListRegistered();
