#include "bound_plugin_test.h"

#include "device_loss.h"
#include "plugin_lifetime.h"
#include "plugin_state.h"
#include "ref_host.h"

extern "C" void __cdecl ReceiveCoreDataPtr(void*);

void BoundPluginTest::SetUpTestSuite() { ASSERT_TRUE(refhost::Start()) << "the reference host could not create its device"; }

void BoundPluginTest::SetUp()
{
    refhost::ResetScene();
    StartUp(nullptr);
    ReceiveCoreDataPtr(refhost::CoreData());
    ASSERT_THAT(messages_.Take(), testing::IsEmpty()) << "binding to the reference host failed";
    recorder_ = std::make_unique<ScopedRecordingDevice>();
    ASSERT_NE(recorder_->Get(), nullptr);
}

void BoundPluginTest::TearDown()
{
    ResetCollectionsAfterDeviceLoss();
    recorder_.reset();
    ::TearDown(false);
    refhost::ResetScene();
}
