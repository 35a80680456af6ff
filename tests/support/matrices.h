// Matrices in tests: transposes (the effect commands take and give matrices either way round).
#pragma once

#include <d3dx9.h>

inline D3DXMATRIX Transposed(const D3DXMATRIX& m)
{
    D3DXMATRIX t;
    D3DXMatrixTranspose(&t, &m);
    return t;
}
