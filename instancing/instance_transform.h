// Turning an instance's transform values into its world matrix.
#pragma once

#include "geo_inst_record.h"

inline constexpr float kDegreesToRadians = 0.0174532924f;
inline constexpr float kPercentToFactor = 0.01f;
inline constexpr float kFactorToPercent = 100.0f;

// Writes S x R x T (row-vector convention: scale, then rotation about x, y, z, then translation)
// into `m`. The rotation path leaves _14, _24 and _34 as they were; only an all-zero rotation
// writes the whole matrix.
void BuildWorldMatrix(const GeoInstTransform& transform, D3DXMATRIX& m);
