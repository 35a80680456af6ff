// How a family of commands plugs into the spine: three operations, each run for every family in
// the order of the table where the plugin is assembled (dll/families.cpp).
#pragma once

#include <span>

struct FamilyLifetime {
    const char* name;
    // At load: the family's collections start empty, its defaults set.
    void (*startUp)();
    // The host's device was lost (setup library unbound): the collections are emptied and every
    // Direct3D object their records hold is released, so the host can reset its device.
    void (*deviceLost)();
    // At unload: memory is given back; no Direct3D object is released and no host function
    // called, since the device may already be gone.
    void (*tearDown)();
};

// Every family, in the order a device loss empties them.
std::span<const FamilyLifetime> Families();
