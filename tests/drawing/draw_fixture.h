// Fixture for white-box drawing tests: the plugin's code bound to the reference host through its
// five libraries, a recording device handed out as the host's device, and host objects, effects and
// cameras from the host's scene engine.
#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "effect_library.h"
#include "instancing/geo_inst_record.h"
#include "recorded_messages.h"
#include "ref_host.h"
#include "scoped_recording_device.h"

class DrawTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    RecordingDevice& Device() { return **recorder_; }

    // Makes host effect `number` from `description` and returns its record.
    HostEffect* MakeEffect(int number, const refhost::EffectDescription& description);

    // Host object `object`: a cube of edge 2 (or `meshDescription`) showing effect `effect`.
    void MakeObject(int object, int effect, refhost::MeshDescription meshDescription = {});

    // A set on limb 0 of `object` holding `count` unit-scale instances one unit apart along X,
    // uploaded; its handle.
    int MakeSet(int object, int count);

    static GeoInstRecord& Set(int handle)
    {
        return *reinterpret_cast<GeoInstRecord*>(static_cast<uintptr_t>(static_cast<uint32_t>(handle)));
    }

    // Runs the render callback for `camera` inside a scene, with the log cleared first.
    void SyncCamera(int camera);

    std::unique_ptr<ScopedRecordingDevice> recorder_;
    RecordedMessages messages_;
};
