// What each parameter of a command means to the soak, so that it draws values a script could pass:
// anything at all where the plugin owns the meaning of a number, and only valid values or 0 where
// the script owns the memory or the effect by contract.
#pragma once

#include <string>

enum class ArgumentKind {
    Integer,          // any 32-bit value: counts, indices, flags, numbers the plugin checks
    Float,            // any float, NaN, infinities and denormals included
    Text,             // a parameter, semantic or technique name
    SavePath,         // a file name for CubeTex_Save, inside the soak's own folder
    InstanceSet,      // a GeoInst handle: live, deleted, or any value
    CubeTexture,      // a CubeTex handle: live, deleted, or any value
    EffectCamera,     // an effect camera number: 0 to 31 mostly, or any value
    HostObject,       // a host object number: live, deleted, or any value
    HostImage,        // a host image number: live, deleted, or any value
    Effect,           // an effect of a host object, or 0
    EffectHandle,     // a parameter or technique handle of the call's effect, or 0
    Address,          // a block of script memory large enough for any value, or 0
    ZeroedAddress,    // the same holding zeros, for effect setters: the value at the address must be
                      // valid for the parameter's type (a texture parameter reads a texture pointer
                      // there), and zero is valid for every type
    AddressList,      // an array of addresses of such blocks, or 0
    MeshAddress,      // the address of a host mesh, or 0
};

// The meaning of parameter `index` (0-based) of `exportName`, whose type letter is `letter`.
ArgumentKind KindOf(const std::string& exportName, int index, char letter);
