// Sines and cosines of an instance's three axis angles, all three at once in one SSE2 register.
// GeoInst_UpdateInstance runs tens of thousands of times a frame; six double-precision library
// calls were four fifths of its time, so the fast path is inline and branch-free within its bound.
#pragma once

#include <emmintrin.h>

#include "instance_transform.h"

// Sine and cosine of each axis angle in lanes 0 (x), 1 (y) and 2 (z), rounded to single
// precision; lane 3 holds nothing of use. An angle of exactly 0 (or -0) gives sine 0 and cosine 1.
struct AxisTurns {
    __m128 sines, cosines;
};

// The C runtime's double-precision sine and cosine of each angle, rounded to single precision:
// what angles beyond the fast bound, infinite or NaN get.
AxisTurns RuntimeAxisTurns(const float (&degrees)[3]);

inline __m128 Broadcast(float value) { return _mm_set1_ps(value); }

// The three sines and cosines of `degrees` (lane 3 ignored), or false, with `turns` unset, when an
// angle is beyond kFastTurnLimitDegrees either way, infinite or NaN.
__attribute__((always_inline)) inline bool FastAxisTurns(__m128 degrees, AxisTurns& turns)
{
    const __m128 magnitude = _mm_and_ps(degrees, _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF)));
    // NaN compares false, so it fails the bound too.
    if ((_mm_movemask_ps(_mm_cmple_ps(magnitude, Broadcast(kFastTurnLimitDegrees))) & 7) != 7)
        return false;
    // The radians rounded to single precision, as the C runtime path takes them.
    const __m128 r = _mm_mul_ps(degrees, Broadcast(kDegreesToRadians));

    // k, the nearest number of quarter turns: r x 2/pi plus 0.5 with its sign, truncated, whatever
    // rounding mode the host left in MXCSR. Then y = r - k x pi/2, with pi/2 in three parts
    // (Cody and Waite): the first two have 8 and 11 significant bits, so k times them is exact
    // within the bound, and so is the first subtraction (Sterbenz's lemma); the others round in
    // the last bit of results near y, which leaves y within about 1e-11.
    const __m128 quarterTurns = _mm_mul_ps(r, Broadcast(0.636619772f));
    const __m128 half = _mm_or_ps(_mm_and_ps(quarterTurns, Broadcast(-0.0f)), Broadcast(0.5f));
    const __m128i k = _mm_cvttps_epi32(_mm_add_ps(quarterTurns, half));
    const __m128 kf = _mm_cvtepi32_ps(k);
    __m128 y = _mm_sub_ps(r, _mm_mul_ps(kf, Broadcast(1.5703125f)));
    y = _mm_sub_ps(y, _mm_mul_ps(kf, Broadcast(4.837512969970703125e-4f)));
    y = _mm_sub_ps(y, _mm_mul_ps(kf, Broadcast(7.54978995489188216e-8f))); // |y| <= pi/4, about

    // Minimax polynomials for single precision on [-pi/4, pi/4].
    const __m128 z = _mm_mul_ps(y, y);
    __m128 sine = _mm_add_ps(_mm_mul_ps(Broadcast(-1.9515295891e-4f), z), Broadcast(8.3321608736e-3f));
    sine = _mm_add_ps(_mm_mul_ps(sine, z), Broadcast(-1.6666654611e-1f));
    sine = _mm_add_ps(_mm_mul_ps(_mm_mul_ps(sine, z), y), y);
    __m128 cosine = _mm_add_ps(_mm_mul_ps(Broadcast(2.443315711809948e-5f), z), Broadcast(-1.388731625493765e-3f));
    cosine = _mm_add_ps(_mm_mul_ps(cosine, z), Broadcast(4.166664568298827e-2f));
    cosine = _mm_mul_ps(_mm_mul_ps(cosine, z), z);
    cosine = _mm_add_ps(_mm_sub_ps(cosine, _mm_mul_ps(Broadcast(0.5f), z)), Broadcast(1.0f));

    // The quarter turns k: odd k swaps sine and cosine; the sine is negated for k = 2, 3 (mod 4),
    // the cosine for k = 1, 2.
    const __m128 swap = _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(k, _mm_set1_epi32(1)), _mm_set1_epi32(1)));
    const __m128 sineSign = _mm_castsi128_ps(_mm_slli_epi32(_mm_and_si128(k, _mm_set1_epi32(2)), 30));
    const __m128 cosineSign =
        _mm_castsi128_ps(_mm_slli_epi32(_mm_and_si128(_mm_add_epi32(k, _mm_set1_epi32(1)), _mm_set1_epi32(2)), 30));
    const __m128 turnedSine = _mm_or_ps(_mm_and_ps(swap, cosine), _mm_andnot_ps(swap, sine));
    const __m128 turnedCosine = _mm_or_ps(_mm_and_ps(swap, sine), _mm_andnot_ps(swap, cosine));

    // An angle of exactly 0 turns nothing: sine +0 and cosine 1 to the bit.
    const __m128 zero = _mm_cmpeq_ps(degrees, _mm_setzero_ps());
    turns.sines = _mm_andnot_ps(zero, _mm_xor_ps(turnedSine, sineSign));
    turns.cosines = _mm_or_ps(_mm_and_ps(zero, Broadcast(1.0f)), _mm_andnot_ps(zero, _mm_xor_ps(turnedCosine, cosineSign)));
    return true;
}
