// The render callback the host calls while it renders each camera; registered with the host's
// render list by the first GeoInst_MakeNew.
#pragma once

inline constexpr int kGeoInstSyncOrder = 7500;

// The export (generated with the command exports): the body runs inside the boundary.
extern "C" int __cdecl GeoInst_Sync();
