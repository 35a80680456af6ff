#include "instance_transform.h"

#include <cmath>

namespace {

// Sine and cosine of one axis angle, rounded to single precision. An angle of exactly 0 turns
// nothing: (0, 1), which makes that axis's factor the identity in the product below.
struct AxisTurn {
    float s, c;
};

AxisTurn TurnOf(float degrees)
{
    if (degrees == 0.0f)
        return {0.0f, 1.0f};
    const float r = degrees * kDegreesToRadians;
    return {static_cast<float>(std::sin(static_cast<double>(r))), static_cast<float>(std::cos(static_cast<double>(r)))};
}

// Rows 1 to 3 of the scaled rotation: each row times its axis's scale factor. Column 4 is left
// alone.
void StoreScaledRows(const float (&r)[3][3], const float (&scale)[3], D3DXMATRIX& m)
{
    for (int row = 0; row < 3; ++row) {
        m.m[row][0] = r[row][0] * scale[row];
        m.m[row][1] = r[row][1] * scale[row];
        m.m[row][2] = r[row][2] * scale[row];
    }
}

} // namespace

void BuildWorldMatrix(const GeoInstTransform& t, D3DXMATRIX& m)
{
    m._41 = t.position[0];
    m._42 = t.position[1];
    m._43 = t.position[2];
    m._44 = 1.0f;
    if (t.angle[0] == 0.0f && t.angle[1] == 0.0f && t.angle[2] == 0.0f) {
        // No rotation writes the whole matrix, column 4 included.
        static constexpr float kIdentity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        StoreScaledRows(kIdentity, t.scale, m);
        m._14 = m._24 = m._34 = 0.0f;
        return;
    }
    // Rx x Ry x Rz multiplied out (row-vector convention), with an unturned axis as (s, c) = (0, 1):
    //   Rx = (1, 0, 0), (0, cx, sx), (0, -sx, cx)
    //   Ry = (cy, 0, -sy), (0, 1, 0), (sy, 0, cy)
    //   Rz = (cz, sz, 0), (-sz, cz, 0), (0, 0, 1)
    const AxisTurn x = TurnOf(t.angle[0]), y = TurnOf(t.angle[1]), z = TurnOf(t.angle[2]);
    const float sxsy = x.s * y.s, cxsy = x.c * y.s;
    const float r[3][3] = {
        {y.c * z.c, y.c * z.s, -y.s},
        {sxsy * z.c - x.c * z.s, sxsy * z.s + x.c * z.c, x.s * y.c},
        {cxsy * z.c + x.s * z.s, cxsy * z.s - x.s * z.c, x.c * y.c},
    };
    StoreScaledRows(r, t.scale, m);
}
