// Matrices in tests: transposes (the effect commands take and give matrices either way round) and
// comparison within a tolerance.
#pragma once

#include <cmath>

#include <d3dx9.h>
#include <gtest/gtest.h>

inline D3DXMATRIX Transposed(const D3DXMATRIX& m)
{
    D3DXMATRIX t;
    D3DXMatrixTranspose(&t, &m);
    return t;
}

// Every element within `tolerance`; a failure names the first element that is not.
inline ::testing::AssertionResult MatrixNear(const D3DMATRIX& expected, const D3DMATRIX& actual,
                                             float tolerance = 1e-4f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::fabs(expected.m[r][c] - actual.m[r][c]) > tolerance)
                return ::testing::AssertionFailure() << "element (" << r + 1 << ", " << c + 1 << "): expected "
                                                     << expected.m[r][c] << ", saw " << actual.m[r][c];
    return ::testing::AssertionSuccess();
}
