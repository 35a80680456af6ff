// Turning an instance's transform values into its world matrix.
#pragma once

#include "geo_inst_record.h"

inline constexpr float kDegreesToRadians = 0.0174532924f;
inline constexpr float kPercentToFactor = 0.01f;
inline constexpr float kFactorToPercent = 100.0f;

// Angles up to 360,000 degrees (1,000 turns) either way get their sines and cosines from the fast
// SSE2 path; larger, infinite and NaN ones from the C runtime. The fast path takes k quarter turns
// off the radians in single precision, exactly while k < 2^13 (|r| < 12,868, about 737,000
// degrees); beyond that k x pi/2 rounds, and near a multiple of pi/2 the sine would keep only that
// rounding. The bound keeps half of that in hand.
inline constexpr float kFastTurnLimitDegrees = 360000.0f;

// Writes S x R x T (row-vector convention: scale, then rotation about x, y, z, then translation)
// into `m`. The rotation path leaves _14, _24 and _34 as they were; only an all-zero rotation
// writes the whole matrix.
void BuildWorldMatrix(const GeoInstTransform& transform, D3DXMATRIX& m);
