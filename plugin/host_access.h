// Guarded access to the host: each returns null when the host function it needs is unbound (after
// a fatal binding message) or gives nothing, so commands refuse instead of calling through null.
#pragma once

#include "host_records.h"

IDirect3DDevice9* HostDevice();
sObject* HostObject(int object);
HostCameraData* HostCamera(int camera);

// The mesh of one limb of an object, or null when the object is unknown or the limb is outside
// its mesh list.
HostMesh* HostLimbMesh(int object, int limb);

// The effect object of a mesh, or null when it has none (an effect record pointer of 0 or below).
ID3DXEffect* MeshEffect(const HostMesh* mesh);

// The format a format argument stands for: itself, or for 0 the format of the host's reference
// surface (D3DFMT_UNKNOWN when the host has none).
D3DFORMAT FormatOrReferenceSurfaceFormat(int format);
