#include "pixel_checks.h"

#include <cstdio>
#include <cstdlib>

std::string Hex(D3DCOLOR colour)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(colour));
    return text;
}

::testing::AssertionResult ColourNear(D3DCOLOR expected, D3DCOLOR actual)
{
    for (int shift = 0; shift < 32; shift += 8) {
        const int e = (expected >> shift) & 0xFF, a = (actual >> shift) & 0xFF;
        if (std::abs(e - a) > kColourTolerance)
            return ::testing::AssertionFailure() << "expected " << Hex(expected) << ", saw " << Hex(actual);
    }
    return ::testing::AssertionSuccess();
}

CameraFrame::CameraFrame(int camera)
{
    if (!refhost::ReadCameraPixels(camera, pixels_))
        ADD_FAILURE() << "camera " << camera << " has no target to read";
}

D3DCOLOR CameraFrame::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= pixels_.width || y >= pixels_.height)
        return 0;
    return pixels_.At(x, y);
}
