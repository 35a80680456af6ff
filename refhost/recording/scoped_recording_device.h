// Puts a recording device between the reference host's real device and the plugin for one scope:
// while it lives, the host's GetDirect3DDevice hands out the recording device and its GetDirect3D
// the recording device's IDirect3D9, so caps and format overrides reach code that asks either.
#pragma once

#include "recording_device.h"

class ScopedRecordingDevice {
public:
    // Wraps refhost::RealDevice(), starting the host if it is not running, and installs the wrapper.
    // Get() is null only when the host could not make its device.
    ScopedRecordingDevice();
    // Removes the override and drops this holder's reference; code that still holds one keeps a
    // working (forwarding) device.
    ~ScopedRecordingDevice();
    ScopedRecordingDevice(const ScopedRecordingDevice&) = delete;
    ScopedRecordingDevice& operator=(const ScopedRecordingDevice&) = delete;

    RecordingDevice* Get() const { return device_; }
    RecordingDevice* operator->() const { return device_; }
    RecordingDevice& operator*() const { return *device_; }

private:
    RecordingDevice* device_;
};
