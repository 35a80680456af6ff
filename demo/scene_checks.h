// The pixel checks of the demo's scenes: each failed check says on stderr which scene, what was
// looked at, what was expected and what was seen, and the scene then fails the demo.
#pragma once

#include <d3dx9.h>

#include "ref_host.h"

// How far each of red, green and blue may stray from the colour expected, where a scene says no more.
inline constexpr int kColourTolerance = 3;

class SceneCheck {
public:
    explicit SceneCheck(const char* scene) : scene_(scene) {}

    bool Passed() const { return passed_; }
    // A condition, named by `what` when it fails.
    bool That(bool condition, const char* what);
    // A pixel against the colour expected there (red, green and blue within `tolerance` each).
    bool Pixel(D3DCOLOR seen, D3DCOLOR expected, const char* what, int tolerance = kColourTolerance);

private:
    const char* scene_;
    bool passed_ = true;
};

bool NearColour(D3DCOLOR expected, D3DCOLOR seen, int tolerance = kColourTolerance);

// The pixel of `picture` (camera `camera`'s own image) where a point in world space lands, with
// the camera's matrices of its last frame; 0 outside the picture.
D3DCOLOR PixelAtPoint(const refhost::SurfacePixels& picture, int camera, const D3DXVECTOR3& point);
// Where that pixel is; false outside the picture.
bool PixelPlace(const refhost::SurfacePixels& picture, int camera, const D3DXVECTOR3& point, int* x, int* y);
