#include "plugin_fixture.h"

void RyxoDllTest::SetUp()
{
    ASSERT_TRUE(refhost::Start()) << "the reference host could not create its device";
    refhost::ResetScene(); // every test starts with camera 0 alone and an empty render list
    // The tests bind objects the host never drew: their buffers come with them.
    refhost::SetBuffersAtMake(true);
    std::string error;
    ASSERT_TRUE(refhost::LoadPlugin("Ryxo.dll", plugin_, error)) << error;
}

void RyxoDllTest::TearDown()
{
    refhost::SetBuffersAtMake(false);
    refhost::UnloadPlugin(plugin_);
}

FARPROC RyxoDllTest::Export(const char* name) const { return plugin_.Export(name); }
