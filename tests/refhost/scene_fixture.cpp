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
