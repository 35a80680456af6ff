#include "scoped_recording_device.h"

#include "ref_host.h"

namespace {

// Start is a no-op once the host runs; calling it here lets a test make the recording device first.
IDirect3DDevice9* StartedRealDevice()
{
    refhost::Start();
    return refhost::RealDevice();
}

} // namespace

ScopedRecordingDevice::ScopedRecordingDevice()
{
    IDirect3DDevice9* real = StartedRealDevice();
    device_ = real ? new RecordingDevice(real) : nullptr;
    refhost::SetDeviceOverride(device_);
    refhost::SetDirect3DOverride(device_ ? device_->Direct3D() : nullptr);
}

ScopedRecordingDevice::~ScopedRecordingDevice()
{
    refhost::SetDeviceOverride(nullptr);
    refhost::SetDirect3DOverride(nullptr);
    if (device_) device_->Release();
}
