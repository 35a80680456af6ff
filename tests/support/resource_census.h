// Counts the Direct3D resources, among those created through one device, that are still alive.
// Each tracked resource carries a small sentinel object in its private data; Direct3D releases
// that sentinel when it destroys the resource, which is how the census learns of it.
#pragma once

#include <array>
#include <memory>

#include <d3d9.h>

class ResourceCensus {
public:
    ResourceCensus();
    void Track(IDirect3DResource9* resource);
    // Resources tracked so far, and those of them not yet destroyed.
    int Created() const { return *created_; }
    int Live() const { return *live_; }
    // Live resources of one D3DRTYPE, to name what a leak is made of.
    int LiveOfType(D3DRESOURCETYPE type) const;

private:
    std::shared_ptr<int> created_;
    std::shared_ptr<int> live_;
    std::shared_ptr<std::array<int, 8>> liveByType_; // indexed by D3DRTYPE (1 to 7)
};
