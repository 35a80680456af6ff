#include "scene_checks.h"

#include <cstdio>
#include <cstdlib>

bool SceneCheck::That(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "demo: %s: %s\n", scene_, what);
        passed_ = false;
    }
    return condition;
}

bool SceneCheck::Pixel(D3DCOLOR seen, D3DCOLOR expected, const char* what, int tolerance)
{
    if (NearColour(expected, seen, tolerance))
        return true;
    std::fprintf(stderr, "demo: %s: %s: expected %06lX, saw %06lX\n", scene_, what,
                 static_cast<unsigned long>(expected & 0xFFFFFF), static_cast<unsigned long>(seen & 0xFFFFFF));
    passed_ = false;
    return false;
}

bool NearColour(D3DCOLOR expected, D3DCOLOR seen, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((expected >> shift) & 0xFF) - int((seen >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

bool PixelPlace(const refhost::SurfacePixels& picture, int camera, const D3DXVECTOR3& point, int* x, int* y)
{
    const HostCameraData* data = refhost::GetCameraData(camera);
    if (!data)
        return false;
    D3DXMATRIX viewProjection = data->view * data->projection;
    D3DXVECTOR4 clip;
    D3DXVec3Transform(&clip, &point, &viewProjection);
    *x = static_cast<int>((clip.x / clip.w + 1.0f) * 0.5f * float(picture.width));
    *y = static_cast<int>((1.0f - clip.y / clip.w) * 0.5f * float(picture.height));
    return clip.w > 0.0f && *x >= 0 && *y >= 0 && *x < picture.width && *y < picture.height;
}

D3DCOLOR PixelAtPoint(const refhost::SurfacePixels& picture, int camera, const D3DXVECTOR3& point)
{
    int x = 0, y = 0;
    return PixelPlace(picture, camera, point, &x, &y) ? picture.At(x, y) : 0;
}
