// Base of the white-box fixtures that bind the plugin's code to the reference host through its five
// libraries, with a recording device handed out as the host's device. Every test ends the way a
// lost device ends the plugin's work (every family's collections emptied and their Direct3D objects
// released), then the plugin is torn down, so no test leaves anything on the shared device.
#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "recorded_messages.h"
#include "scoped_recording_device.h"

class BoundPluginTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    RecordingDevice& Device() { return **recorder_; }

    std::unique_ptr<ScopedRecordingDevice> recorder_;
    RecordedMessages messages_;
};
