#include "scene_fixture.h"

#include <cstdlib>

void SceneTest::SetUpTestSuite()
{
    static bool started = false;
    if (!started) {
        refhost::HostOptions options;
        options.width = kSize;
        options.height = kSize;
        started = refhost::Start(options);
        std::atexit([] { refhost::Stop(); });
    }
    ASSERT_TRUE(started) << "the reference host could not create its device";
}

void SceneTest::SetUp()
{
    ASSERT_NE(refhost::RealDevice(), nullptr);
    refhost::ResetScene();
}

std::string Hex(D3DCOLOR colour)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(colour));
    return text;
}

::testing::AssertionResult ColourNear(D3DCOLOR expected, D3DCOLOR actual, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8) {
        int e = (expected >> shift) & 0xFF, a = (actual >> shift) & 0xFF;
        if (std::abs(e - a) > tolerance)
            return ::testing::AssertionFailure() << "expected " << Hex(expected) << ", saw " << Hex(actual);
    }
    return ::testing::AssertionSuccess();
}
