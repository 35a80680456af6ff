#include "instance_transform.h"

#include <cmath>

namespace {

// The 3 x 3 part of the rotation about one axis by `degrees`, rows in the row-vector convention.
struct AxisRotation {
    float m[3][3];
};

AxisRotation AboutAxis(int axis, float degrees)
{
    const float r = degrees * kDegreesToRadians;
    const float s = static_cast<float>(std::sin(static_cast<double>(r)));
    const float c = static_cast<float>(std::cos(static_cast<double>(r)));
    switch (axis) {
    case 0: return {{{1, 0, 0}, {0, c, s}, {0, -s, c}}};
    case 1: return {{{c, 0, -s}, {0, 1, 0}, {s, 0, c}}};
    default: return {{{c, s, 0}, {-s, c, 0}, {0, 0, 1}}};
    }
}

} // namespace

void BuildWorldMatrix(const GeoInstTransform& t, D3DXMATRIX& m)
{
    bool rotated = false;
    for (int axis = 0; axis < 3; ++axis) {
        if (t.angle[axis] == 0.0f)
            continue;
        const AxisRotation rotation = AboutAxis(axis, t.angle[axis]);
        if (!rotated) {
            for (int row = 0; row < 3; ++row)
                for (int column = 0; column < 3; ++column)
                    m.m[row][column] = rotation.m[row][column];
            rotated = true;
            continue;
        }
        D3DXMATRIX factor;
        D3DXMatrixIdentity(&factor);
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                factor.m[row][column] = rotation.m[row][column];
        D3DXMatrixMultiply(&m, &m, &factor);
    }
    if (!rotated)
        D3DXMatrixIdentity(&m);

    m._41 = t.position[0];
    m._42 = t.position[1];
    m._43 = t.position[2];
    m._44 = 1.0f;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            m.m[row][column] *= t.scale[row];
    }
}
