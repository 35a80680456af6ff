// Tests of the reference host alone: the host starts once per program and every test begins
// with an empty scene (camera 0 only).
#pragma once

#include <gtest/gtest.h>

#include "pixel_checks.h"
#include "ref_host.h"

class SceneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;

    static constexpr int kSize = 256; // the host's size: camera 0's target
};
