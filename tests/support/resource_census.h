// Counts the Direct3D resources, among those created through one device, that are still alive.
// Each tracked resource carries a small sentinel object in its private data; Direct3D releases
// that sentinel when it destroys the resource, which is how the census learns of it.
#pragma once

#include <memory>

#include <d3d9.h>

class ResourceCensus {
public:
    ResourceCensus();
    void Track(IDirect3DResource9* resource);
    // Resources tracked so far, and those of them not yet destroyed.
    int Created() const { return *created_; }
    int Live() const { return *live_; }

private:
    std::shared_ptr<int> created_;
    std::shared_ptr<int> live_;
};
