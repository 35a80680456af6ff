// Pixel checks for tests that draw. Every comparison allows the same small difference per channel
// (rasterisation and colour conversion round differently from the expected arithmetic), and a
// frame is read back from its target once, however many points a test probes in it.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "ref_host.h"

inline constexpr int kColourTolerance = 3;

// "AARRGGBB", for failure messages.
std::string Hex(D3DCOLOR colour);

// Expects every channel of `actual`, alpha included, within kColourTolerance of `expected`.
::testing::AssertionResult ColourNear(D3DCOLOR expected, D3DCOLOR actual);

// A camera's target as the last FastSync left it, read back once when the frame is made.
class CameraFrame {
public:
    explicit CameraFrame(int camera);

    // The pixel at (x, y) (x right, y down); 0 outside the target or when it could not be read.
    D3DCOLOR At(int x, int y) const;
    const refhost::SurfacePixels& Pixels() const { return pixels_; }

private:
    refhost::SurfacePixels pixels_;
};
