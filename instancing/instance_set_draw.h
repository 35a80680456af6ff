// Drawing one instance set: the mesh in stream 0 repeated draw-count times, the instance buffer in
// stream 1 advancing one instance vertex per instance, one DrawIndexedPrimitive per effect pass.
#pragma once

#include "draw_effect_matrices.h"
#include "geo_inst_record.h"

inline constexpr const char* kDrawErrorTitle = "GeoInst_Draw Error";

// Draws `set` on `device` for `camera`, the camera the host is rendering now. GeoInst_Sync looks
// both up once for all its sets, and the camera's values are read by the first set drawn. A mesh
// without an effect, and a set whose vertex declaration or instance buffer is missing or too small
// for its draw count, are skipped without a message: the host calls this for every camera of every
// frame.
void DrawInstanceSet(const GeoInstRecord& set, IDirect3DDevice9* device, DrawCamera& camera);
