// Tests of the reference host alone: the host starts once per program and every test begins
// with an empty scene (camera 0 only).
#pragma once

#include <cstdio>

#include <gtest/gtest.h>

#include "ref_host.h"

class SceneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;

    static constexpr int kSize = 256; // the host's size: camera 0's target
};

// "AARRGGBB" for failure messages.
std::string Hex(D3DCOLOR colour);

// Expects `actual` within `tolerance` per channel of `expected`.
::testing::AssertionResult ColourNear(D3DCOLOR expected, D3DCOLOR actual, int tolerance = 2);
