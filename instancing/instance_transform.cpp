#include "instance_transform.h"

#include "axis_turns.h"

namespace {

template <int lane>
__m128 Lane(__m128 v)
{
    return _mm_shuffle_ps(v, v, _MM_SHUFFLE(lane, lane, lane, lane));
}

// Lanes 0 to 2 of `row` into `to`; the fourth float is left as it was.
void StoreThree(float* to, __m128 row)
{
    _mm_storel_pi(reinterpret_cast<__m64*>(to), row);
    _mm_store_ss(to + 2, _mm_movehl_ps(row, row));
}

// Rx x Ry x Rz multiplied out (row-vector convention), each row times its axis's scale:
//   Rx = (1, 0, 0), (0, cx, sx), (0, -sx, cx)
//   Ry = (cy, 0, -sy), (0, 1, 0), (sy, 0, cy)
//   Rz = (cz, sz, 0), (-sz, cz, 0), (0, 0, 1)
// gives the rows
//   (cy cz, cy sz, -sy)
//   (sx sy cz - cx sz, sx sy sz + cx cz, sx cy)
//   (cx sy cz + sx sz, cx sy sz - sx cz, cx cy)
// Every element is the same products and sums, in the same order, as one scalar float at a time.
void StoreTurnedRows(const AxisTurns& turns, const float (&scale)[3], D3DXMATRIX& m)
{
    const __m128 s = turns.sines, c = turns.cosines;
    const __m128 sy = Lane<1>(s), cy = Lane<1>(c);
    const __m128 zTurn = _mm_unpacklo_ps(Lane<2>(c), Lane<2>(s));                 // (cz, sz, cz, sz)
    const __m128 zTurnPerpendicular = _mm_xor_ps(_mm_shuffle_ps(zTurn, zTurn, _MM_SHUFFLE(0, 1, 0, 1)),
                                                 _mm_setr_ps(-0.0f, 0.0f, -0.0f, 0.0f)); // (-sz, cz, ..)
    const __m128 x = _mm_unpacklo_ps(Lane<0>(s), Lane<0>(c));                     // (sx, cx, sx, cx)
    const __m128 xTimesSy = _mm_mul_ps(x, sy);                                    // (sx sy, cx sy, ..)
    const __m128 xTimesCy = _mm_mul_ps(x, cy);                                    // (sx cy, cx cy, ..)

    // Columns 1 and 2 of each row, then column 3 taken from a lane of another vector.
    const __m128 row1 =
        _mm_shuffle_ps(_mm_mul_ps(cy, zTurn), _mm_xor_ps(sy, _mm_set1_ps(-0.0f)), _MM_SHUFFLE(1, 0, 1, 0));
    const __m128 row2 =
        _mm_shuffle_ps(_mm_add_ps(_mm_mul_ps(Lane<0>(xTimesSy), zTurn), _mm_mul_ps(Lane<1>(x), zTurnPerpendicular)),
                       xTimesCy, _MM_SHUFFLE(0, 0, 1, 0));
    const __m128 row3 =
        _mm_shuffle_ps(_mm_sub_ps(_mm_mul_ps(Lane<1>(xTimesSy), zTurn), _mm_mul_ps(Lane<0>(x), zTurnPerpendicular)),
                       xTimesCy, _MM_SHUFFLE(0, 1, 1, 0));
    StoreThree(m.m[0], _mm_mul_ps(row1, _mm_set1_ps(scale[0])));
    StoreThree(m.m[1], _mm_mul_ps(row2, _mm_set1_ps(scale[1])));
    StoreThree(m.m[2], _mm_mul_ps(row3, _mm_set1_ps(scale[2])));
}

} // namespace

void BuildWorldMatrix(const GeoInstTransform& t, D3DXMATRIX& m)
{
    m._41 = t.position[0];
    m._42 = t.position[1];
    m._43 = t.position[2];
    m._44 = 1.0f;
    // The angles and the first scale factor: four floats inside the transform.
    const __m128 angles = _mm_loadu_ps(t.angle);
    if ((_mm_movemask_ps(_mm_cmpeq_ps(angles, _mm_setzero_ps())) & 7) == 7) {
        // No rotation writes the whole matrix, column 4 included: each row of the identity times
        // its axis's scale factor (so -0 off the diagonal for a negative scale), then 0.
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column)
                m.m[row][column] = (column == row ? 1.0f : 0.0f) * t.scale[row];
            m.m[row][3] = 0.0f;
        }
        return;
    }
    AxisTurns turns;
    if (!FastAxisTurns(angles, turns))
        turns = RuntimeAxisTurns(t.angle);
    StoreTurnedRows(turns, t.scale, m);
}
