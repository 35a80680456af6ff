// The cube texture list: every live cube texture, in creation order, and the two draw counters of
// the most recent cube rendering command.
#pragma once

#include "cube_tex_record.h"
#include "record_list.h"

using CubeTextureList = std::list<CubeTexRecord>;

const CubeTextureList& LiveCubeTextures();

// The live cube texture a script handle names, or null when the handle is none (never made,
// deleted, dropped by a device loss, or any other value).
CubeTexRecord* FindCubeTexture(int handle);

// Appends a zero-filled record holding `texture`, which it takes from the holder. Throws
// std::bad_alloc, with the list and the holder unchanged, when no memory is left for it.
CubeTexRecord& AppendCubeTexture(Com<IDirect3DCubeTexture9>& texture);

// Lets go of the record's texture (see DestroyCubeTexture), unlinks the record and frees it.
void RemoveCubeTexture(CubeTexRecord& cube);

// True when `texture` is the texture of a live cube record.
bool IsLiveCubeTexture(const void* texture);

struct CubeDrawCounters {
    int drawCalls;
    int drawPrimitives;
};
CubeDrawCounters& CubeCounters();

// The family's lifetime operations (plugin/family_lifetime.h).
void ForgetAllCubeTextures();        // load and unload: no Direct3D call, no host call
void ReleaseAllCubeTextures();       // lost device: every texture unbound and released
